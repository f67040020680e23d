// The archives read and written by the program itself (db/arjformat.h),
// where there is no archiver to run: the same facts for the checks of
// db/arj.cpp, the same time limit and the same stop.

#include "db/arj.h"

#include <QCoreApplication>
#include <algorithm>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QDir>
#include <QFileInfo>

namespace db {

namespace {

ArjOutcome outcomeOf(arjformat::Fault f) {
    using arjformat::Fault;
    switch (f) {
    case Fault::None:
        return ArjOutcome::Ok;
    case Fault::NotArj:
        return ArjOutcome::NotArchive;
    case Fault::BadHeader:
    case Fault::BadData:
        return ArjOutcome::Damaged;
    case Fault::Truncated:
        return ArjOutcome::Truncated;
    case Fault::MultiVolume:
        return ArjOutcome::MultiVolume;
    case Fault::Encrypted:
        return ArjOutcome::Encrypted;
    case Fault::UnknownMethod:
        return ArjOutcome::UnknownMethod;
    case Fault::TooMany:
        return ArjOutcome::TooMany;
    case Fault::Stopped:
        return ArjOutcome::Cancelled;
    case Fault::WriteFailed:
        return ArjOutcome::WriteFailed;
    case Fault::ReadFailed:
        return ArjOutcome::Failed;
    }
    return ArjOutcome::Failed;
}

quint32 secondsOf(const QDateTime& t) {
    return quint32(std::clamp<qint64>(t.toSecsSinceEpoch(), 0, 0xFFFFFFFF));
}

} // namespace

// The stop handed to the reader and the writer: asked very often, it asks
// the watch (or lets the windows repaint) every 50 ms and keeps the limit.
struct Archiver::Pace {
    const Archiver& a;
    qint64 limit;
    QElapsedTimer clock;
    qint64 asked = 0;
    bool timedOut = false;

    Pace(const Archiver& arj, qint64 bytes) : a(arj), limit(arj.timeLimit(bytes).count()) {
        clock.start();
    }
    bool operator()() {
        const qint64 now = clock.elapsed();
        if (now > limit) {
            timedOut = true;
            return true;
        }
        if (now - asked < 50) return false;
        asked = now;
        if (a.watch_ && a.watching_) return a.watch_->stopRequested();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return false;
    }
};

ArjResult Archiver::listInProgram(const QString& archive, std::vector<ArjEntry>* entries,
                                  std::vector<arjformat::Member>* members) const {
    ArjResult r;
    r.archive = QFileInfo(archive).fileName();
    QFile in(archive);
    if (!in.open(QIODevice::ReadOnly)) {
        r.outcome = ArjOutcome::Failed;
        return r;
    }
    Pace pace(*this, in.size());
    arjformat::Catalog c = arjformat::readCatalog(in, [&] { return pace(); });
    r.outcome = pace.timedOut ? ArjOutcome::TimedOut : outcomeOf(c.fault);
    if (pace.timedOut) r.seconds = int((timeLimit(in.size()).count() + 999) / 1000);
    if (!r.ok()) {
        if (c.fault != arjformat::Fault::BadHeader && c.fault != arjformat::Fault::Truncated)
            r.entry = shownEntryName(c.entry);
        r.method = c.method;
        return r;
    }
    // An archive without a member is no archive the program reads.
    if (c.members.empty()) {
        r.outcome = ArjOutcome::Unreadable;
        return r;
    }
    entries->clear();
    for (const arjformat::Member& m : c.members)
        entries->push_back({m.name, m.size, m.kind == arjformat::Kind::File});
    if (members) *members = std::move(c.members);
    return r;
}

ArjOutcome Archiver::unpackInProgram(const QString& archive, const QString& dir,
                                     const std::vector<arjformat::Member>& members,
                                     QString* entry) const {
    QFile in(archive);
    if (!in.open(QIODevice::ReadOnly)) return ArjOutcome::Failed;
    Pace pace(*this, in.size());
    const arjformat::Stop stop = [&] { return pace(); };
    for (const arjformat::Member& m : members) {
        *entry = shownEntryName(m.name);
        QFile out(QDir(dir).filePath(QString::fromUtf8(m.name)));
        // A name the checks let through, each once: a file that is there
        // already is none of them.
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return ArjOutcome::WriteFailed;
        arjformat::Fault f = arjformat::extract(in, m, out, stop);
        if (f == arjformat::Fault::None && !out.flush()) f = arjformat::Fault::WriteFailed;
        if (f != arjformat::Fault::None) {
            if (pace.timedOut) return ArjOutcome::TimedOut;
            return outcomeOf(f);
        }
        const QDateTime modified = arjformat::modifiedAt(m);
        if (modified.isValid()) out.setFileTime(modified, QFileDevice::FileModificationTime);
        out.close();
        if (out.error() != QFileDevice::NoError) return ArjOutcome::WriteFailed;
    }
    entry->clear();
    return ArjOutcome::Ok;
}

bool Archiver::packInProgram(const QString& archive, const QStringList& files) const {
    std::vector<std::unique_ptr<QFile>> opened;
    std::vector<arjformat::Input> inputs;
    qint64 bytes = 0;
    for (const QString& f : files) {
        auto file = std::make_unique<QFile>(f);
        if (!file->open(QIODevice::ReadOnly)) return false;
        bytes += file->size();
        inputs.push_back({QFileInfo(f).fileName().toUtf8(), file.get(),
                          secondsOf(QFileInfo(f).lastModified())});
        opened.push_back(std::move(file));
    }
    QFile out(archive);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    Pace pace(*this, bytes);
    const arjformat::Fault f =
        arjformat::write(out, QFileInfo(archive).fileName().toUtf8(), inputs,
                         secondsOf(QDateTime::currentDateTime()), [&] { return pace(); });
    const bool ok = f == arjformat::Fault::None && out.flush();
    out.close();
    if (ok && out.error() == QFileDevice::NoError) return true;
    out.remove();
    return false;
}

} // namespace db
