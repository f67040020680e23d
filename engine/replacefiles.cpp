#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/fileswap.h"
#include "engine/journal.h"
#include "engine/sysfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Files of closed tables put in place of others in one journalled step: the
// journal holds only the swaps (engine/fileswap.h).

namespace engine {

void replaceFiles(const QString& directory,
                  const std::vector<std::pair<QString, QString>>& freshToTarget) {
    const QString dir = QDir(directory).absolutePath();
    const QString jpath = journalPath(dir);
    if (QFileInfo::exists(jpath))
        throw DbError(DbError::Kind::Io, jpath,
                      QStringLiteral("egy korábbi félbeszakadt művelet még nincs visszaállítva; "
                                     "indítsa újra a programot"));
    std::vector<FileSwap> swaps;
    for (const auto& [fresh, target] : freshToTarget) {
        if (QFileInfo(fresh).absolutePath() != dir)
            throw DbError(DbError::Kind::Usage, fresh,
                          QStringLiteral("az új állomány nem a tábla könyvtárában van"));
        FileSwap s;
        const QString t = findFileNoCase(QDir(dir).filePath(target));
        s.target = QFileInfo(t).fileName();
        s.fresh = QFileInfo(fresh).fileName();
        s.saved = savedName(s.target);
        s.hadTarget = QFileInfo::exists(t);
        swaps.push_back(s);
    }
    auto removeFresh = [&] {
        for (const FileSwap& s : swaps)
            QFile::remove(QDir(dir).filePath(s.fresh));
    };
    try {
        // The new files' contents durable before the journal names them.
        for (const FileSwap& s : swaps) {
            const QString p = QDir(dir).filePath(s.fresh);
            const int fd = sys::open(p, sys::ReadWrite);
            if (fd < 0) throw ioError(p, QStringLiteral("nem nyitható meg"));
            try {
                syncFile(fd, p);
            } catch (...) {
                sys::close(fd);
                throw;
            }
            sys::close(fd);
        }
        journal::prepareSwaps(dir, swaps);
        journal::write(jpath, dir, journal::encode({}, swaps));
    } catch (const DbError&) {
        QFile::remove(jpath);
        removeFresh();
        throw;
    }
    try {
        journal::applySwaps(dir, swaps);
        removeDurably(jpath);
    } catch (const DbError& failure) {
        if (!QFileInfo::exists(jpath)) {
            journal::finishSwaps(dir, swaps);
            return;
        }
        try {
            journal::undoSwaps(dir, swaps);
            removeDurably(jpath);
        } catch (const DbError& e) {
            throw DbError(DbError::Kind::Io, failure.file(),
                          failure.detail() +
                              QStringLiteral("; az állományok visszaállítása sem sikerült (%1), "
                                             "a program következő indításakor megtörténik")
                                  .arg(e.text()));
        }
        throw;
    }
    journal::finishSwaps(dir, swaps);
}

} // namespace engine
