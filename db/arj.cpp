#include "db/arj.h"

#include "engine/childprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

namespace db {

namespace {

// A listing longer than this is no listing of an archive the program reads.
constexpr qsizetype kMaxListing = 4 << 20;

const QString kUnpackPrefix = QStringLiteral("kibontas-");

QString withSlash(const QString& dir) {
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

qint64 fileSize(const QString& path) {
    return QFileInfo(path).size();
}

} // namespace

QString ArjResult::message() const {
    const QString head = QStringLiteral("Hiba a kicsomagolásban!");
    const QString nothing = QStringLiteral("\rAz adatok nem változtak.");
    switch (outcome) {
    case ArjOutcome::Ok:
        return {};
    case ArjOutcome::NotStarted:
    case ArjOutcome::Failed:
        return head;
    case ArjOutcome::TimedOut:
        return head +
               QStringLiteral("\rA(z) %1 kicsomagolása %2 másodperc alatt sem fejeződött be, "
                              "ezért leállítottam; az archívum valószínűleg sérült.")
                   .arg(archive)
                   .arg(seconds) +
               nothing;
    case ArjOutcome::Cancelled:
        return QStringLiteral("A(z) %1 kicsomagolása megszakítva.").arg(archive) + nothing;
    case ArjOutcome::Unreadable:
        return head +
               QStringLiteral("\rA(z) %1 archívum tartalomjegyzéke nem értelmezhető.")
                   .arg(archive) +
               nothing;
    case ArjOutcome::BadName:
        return head +
               QStringLiteral("\rA(z) %1 archívumban szabálytalan nevű állomány van: \"%2\"\r"
                              "Az archívumban csak könyvtár nélküli állománynevek lehetnek.")
                   .arg(archive, entry) +
               nothing;
    case ArjOutcome::Unexpected:
        return head +
               QStringLiteral("\rA(z) %1 archívumban nem várt állomány van: \"%2\"")
                   .arg(archive, entry) +
               nothing;
    case ArjOutcome::Repeated:
        return head +
               QStringLiteral("\rA(z) %1 archívumban kétszer szerepel a(z) \"%2\" állomány.")
                   .arg(archive, entry) +
               nothing;
    case ArjOutcome::Extra:
        return head +
               QStringLiteral("\rA(z) %1 kicsomagolásakor nem várt állomány keletkezett: \"%2\"")
                   .arg(archive, entry) +
               nothing;
    default:
        return head + readerMessage() + nothing;
    }
}

// What the program's own reader found.
QString ArjResult::readerMessage() const {
    switch (outcome) {
    case ArjOutcome::NotArchive:
        return QStringLiteral("\rA(z) %1 nem ARJ archívum.").arg(archive);
    case ArjOutcome::Damaged:
        return entry.isEmpty()
                   ? QStringLiteral("\rA(z) %1 archívum sérült.").arg(archive)
                   : QStringLiteral("\rA(z) %1 archívumban sérült állomány van: \"%2\"")
                         .arg(archive, entry);
    case ArjOutcome::Truncated:
        return QStringLiteral("\rA(z) %1 archívum csonka, a vége hiányzik.").arg(archive);
    case ArjOutcome::MultiVolume:
        return QStringLiteral("\rA(z) %1 több kötetre osztott archívum része; csak egyetlen "
                              "kötetből álló archívum bontható ki.")
            .arg(archive);
    case ArjOutcome::Encrypted:
        return entry.isEmpty()
                   ? QStringLiteral("\rA(z) %1 archívum jelszóval védett.").arg(archive)
                   : QStringLiteral("\rA(z) %1 archívumban jelszóval védett állomány van: \"%2\"")
                         .arg(archive, entry);
    case ArjOutcome::UnknownMethod:
        return QStringLiteral("\rA(z) %1 archívumban ismeretlen tömörítési módú (%3) állomány "
                              "van: \"%2\"")
            .arg(archive, entry)
            .arg(method);
    case ArjOutcome::TooMany:
        return QStringLiteral("\rA(z) %1 archívumban túl sok állomány van.").arg(archive);
    case ArjOutcome::WriteFailed:
        return QStringLiteral("\rA(z) %1 kicsomagolásakor nem sikerült kiírni a(z) \"%2\" "
                              "állományt.")
            .arg(archive, entry);
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------
// The unpack folders

UnpackFolder::UnpackFolder(const QString& temp) {
    if (temp.isEmpty() || !QDir().mkpath(temp)) return;
    dir_ =
        std::make_unique<QTemporaryDir>(withSlash(temp) + kUnpackPrefix + QStringLiteral("XXXXXX"));
}

QString UnpackFolder::filePath(const QString& name) const {
    return ok() ? dir_->filePath(name) : QString();
}

int sweepUnpackFolders(const QString& temp) {
    const QDir d(temp);
    if (temp.isEmpty() || !d.exists()) return 0;
    int removed = 0;
    for (const QString& n : d.entryList({kUnpackPrefix + QLatin1Char('*')},
                                        QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        if (QDir(d.filePath(n)).removeRecursively()) ++removed;
    return removed;
}

// ---------------------------------------------------------------------------
// Running the archiver

QString Archiver::defaultProgram() {
#ifdef Q_OS_WIN
    return {};
#else
    return QStringLiteral("arj");
#endif
}

std::chrono::milliseconds Archiver::timeLimit(qint64 bytes) const {
    const qint64 mib = (std::max<qint64>(bytes, 0) + (1 << 20) - 1) >> 20;
    return limitBase_ + limitPerMiB_ * mib;
}

ArjOutcome Archiver::run(const QStringList& arguments, qint64 bytes, QByteArray* output) const {
    QProcess p;
    p.setProgram(program_);
    p.setArguments(arguments);
    // No default switches from the environment: the program says all.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("ARJ_SW"));
    p.setProcessEnvironment(env);
    // The archiver runs unattended: no keyboard, its report goes nowhere
    // (except the listing the program reads).
    p.setStandardInputFile(QProcess::nullDevice());
    if (!output) p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    engine::tieToProgram(p);
    p.start();
    if (!p.waitForStarted(-1)) return ArjOutcome::NotStarted;
    auto kill = [&] { engine::killProcessTree(p); };

    const qint64 limit = timeLimit(bytes).count();
    QElapsedTimer clock;
    clock.start();
    // Waits in short steps: the windows repaint, the watch is asked, and the
    // time limit is checked.
    while (!p.waitForFinished(50)) {
        if (p.state() == QProcess::NotRunning) break;
        if (output) {
            output->append(p.readAllStandardOutput());
            if (output->size() > kMaxListing) {
                kill();
                return ArjOutcome::Failed;
            }
        }
        if (clock.elapsed() > limit) {
            kill();
            return ArjOutcome::TimedOut;
        }
        if (watch_ && watching_) {
            if (watch_->stopRequested()) {
                kill();
                return ArjOutcome::Cancelled;
            }
        } else {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    if (output) output->append(p.readAllStandardOutput());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? ArjOutcome::Ok
                                                                       : ArjOutcome::Failed;
}

bool Archiver::pack(const QString& archive, const QStringList& files) const {
    if (inProgram()) return packInProgram(archive, files);
    qint64 bytes = 0;
    for (const QString& f : files)
        bytes += fileSize(f);
    return run(QStringList{QStringLiteral("a"), QStringLiteral("-e"), QStringLiteral("-y"),
                           archive} +
                   files,
               bytes, nullptr) == ArjOutcome::Ok;
}

ArjResult Archiver::list(const QString& archive, std::vector<ArjEntry>* entries) const {
    if (inProgram()) return listInProgram(archive, entries, nullptr);
    ArjResult r;
    r.archive = QFileInfo(archive).fileName();
    QByteArray out;
    r.outcome = run({QStringLiteral("v"), QStringLiteral("-y"), archive}, fileSize(archive), &out);
    if (r.outcome == ArjOutcome::TimedOut)
        r.seconds = int((timeLimit(fileSize(archive)).count() + 999) / 1000);
    if (!r.ok()) return r;
    std::optional<std::vector<ArjEntry>> parsed = parseArjListing(out);
    if (!parsed) {
        r.outcome = ArjOutcome::Unreadable;
        return r;
    }
    *entries = std::move(*parsed);
    return r;
}

ArjResult Archiver::unpack(const QString& archive, const QString& dir,
                           const QStringList& expected) const {
    struct Watching {
        const Archiver& a;
        Watching(const Archiver& arj, const QString& name) : a(arj) {
            if (a.watch_) a.watch_->begin(name);
            a.watching_ = true;
        }
        ~Watching() {
            a.watching_ = false;
            if (a.watch_) a.watch_->end();
        }
    } watching(*this, QFileInfo(archive).fileName());

    std::vector<ArjEntry> entries;
    std::vector<arjformat::Member> members;
    ArjResult r =
        inProgram() ? listInProgram(archive, &entries, &members) : list(archive, &entries);
    if (!r.ok()) return r;

    // Each entry a plain name the caller expects, once.
    QStringList names;
    for (const ArjEntry& e : entries) {
        r.entry = shownEntryName(e.name);
        if (!isPlainFileName(e.name) || !e.file) {
            r.outcome = ArjOutcome::BadName;
            return r;
        }
        const QString name = QString::fromUtf8(e.name);
        if (!expected.contains(name, Qt::CaseInsensitive)) {
            r.outcome = ArjOutcome::Unexpected;
            return r;
        }
        if (names.contains(name, Qt::CaseInsensitive)) {
            r.outcome = ArjOutcome::Repeated;
            return r;
        }
        names << name;
    }
    r.entry.clear();

    // Into a folder of its own, made now.
    if (!QDir().mkdir(dir)) {
        r.outcome = ArjOutcome::Failed;
        return r;
    }
    auto failed = [&](ArjOutcome why, const QString& entry = {}) {
        QDir(dir).removeRecursively();
        r.outcome = why;
        r.entry = entry;
        if (why == ArjOutcome::TimedOut)
            r.seconds = int((timeLimit(fileSize(archive)).count() + 999) / 1000);
        return r;
    };
    QString failedEntry;
    const ArjOutcome ran =
        inProgram()
            ? unpackInProgram(archive, dir, members, &failedEntry)
            : run({QStringLiteral("e"), QStringLiteral("-y"), archive, withSlash(dir)},
                  fileSize(archive), nullptr);
    if (ran != ArjOutcome::Ok) return failed(ran, failedEntry);

    // Exactly the listed files, each a regular file of its listed size.
    const QStringList found = QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& f : found) {
        const auto it = std::find_if(entries.begin(), entries.end(), [&](const ArjEntry& e) {
            return QString::fromUtf8(e.name) == f;
        });
        const QFileInfo fi(QDir(dir).filePath(f));
        if (it == entries.end() || fi.isSymLink() || !fi.isFile() || quint64(fi.size()) != it->size)
            return failed(ArjOutcome::Extra, f);
    }
    if (found.size() != qsizetype(entries.size())) return failed(ArjOutcome::Failed);
    return r;
}

} // namespace db
