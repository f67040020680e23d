#include "engine/recovery.h"
#include "engine/sysfile.h"

#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/journal.h"
#include "engine/table.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace engine {

namespace {

using journal::NewFileName;
using journal::TableImage;

// Keeps a journal that cannot be applied beside the tables under a name of
// its own ("rollback-20261209-104512.jnl"); returns that name.
QString setAside(const QString& path) {
    const QDir dir = QFileInfo(path).absoluteDir();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = dir.filePath(QStringLiteral("rollback-%1.jnl").arg(stamp));
    for (int i = 2; QFileInfo::exists(aside); ++i)
        aside = dir.filePath(QStringLiteral("rollback-%1-%2.jnl").arg(stamp).arg(i));
    renameDurably(path, aside);
    return aside;
}

// The header and record lengths a table file has now, read from its header.
bool fileLayout(int fd, quint32& headerLength, quint32& recordLength, quint64& size) {
    unsigned char h[12];
    sys::FileInfo st;
    if (!sys::fileInfo(fd, &st) || sys::readAt(fd, h, 12, 0) != 12) return false;
    headerLength = quint32(h[8] | h[9] << 8);
    recordLength = quint32(h[10] | h[11] << 8);
    size = st.size;
    return true;
}

bool applyJournal(const QString& directory, const QString& path, const QByteArray& bytes) {
    std::vector<FileSwap> swaps;
    std::vector<NewFileName> newFiles;
    const auto tables = journal::decode(bytes, path, &swaps, &newFiles);
    if (!tables) {
        removeDurably(path);
        return true;
    }

    // Every file is checked and locked before the first is touched.
    struct Open {
        int fd;
        QString path;
    };
    std::vector<Open> files;
    auto closeAll = [&files] {
        for (const Open& o : files)
            sys::close(o.fd);
    };
    try {
        for (const TableImage& t : *tables) {
            const QString p = findFileNoCase(QDir(directory).filePath(t.file));
            const int fd = sys::open(p, sys::ReadWrite);
            if (fd < 0) throw ioError(p, QStringLiteral("nem nyitható meg"));
            files.push_back({fd, p});
            if (!lockFile(fd, true))
                throw DbError(DbError::Kind::Locked, p,
                              QStringLiteral("az állományt egy másik program használja"));
            quint32 hl = 0, rl = 0;
            quint64 size = 0;
            if (!fileLayout(fd, hl, rl, size) || hl != quint32(t.header.size()) ||
                rl != t.recordLength || size + t.tail.size() < t.size)
                throw journal::damaged(path,
                                     QStringLiteral("nem illik a(z) %1 táblához").arg(t.file));
        }
        for (size_t i = 0; i < files.size(); ++i)
            journal::restoreFile(files[i].fd, (*tables)[i], files[i].path);
        for (const Open& o : files)
            Table::markIndexStale(o.path);
        // Whole files replaced by the unit go back to their old ones.
        journal::undoSwaps(directory, swaps);
        for (const FileSwap& s : swaps)
            Table::markIndexStale(findFileNoCase(QDir(directory).filePath(s.target)));
        // The files the unit brought into being go.
        for (const NewFileName& f : newFiles)
            journal::removeNewFile(f);
    } catch (...) {
        closeAll();
        throw;
    }
    closeAll();
    removeDurably(path);
    return true;
}

} // namespace

bool recoverJournal(const QString& directory) {
    const QString path = journalPath(directory);
    QFile f(path);
    if (!f.exists()) return false;
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(
            DbError::Kind::Io, path,
            QStringLiteral("a visszaállító napló nem olvasható (%1)").arg(f.errorString()));
    const QByteArray bytes = f.readAll();
    f.close();
    // A journal that cannot be applied is kept aside; the error names it.
    try {
        return applyJournal(directory, path, bytes);
    } catch (const DbError& e) {
        if (e.kind() != DbError::Kind::Damaged || e.file() != path) throw;
        QString aside;
        try {
            aside = setAside(path);
        } catch (const DbError&) {
            throw e;
        }
        throw DbError(DbError::Kind::Damaged, aside, e.detail());
    }
}

} // namespace engine
