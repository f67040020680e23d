#include "db/backup.h"

#include "db/tableops.h"
#include "db/tableset.h"
#include "engine/dberror.h"
#include "engine/sysfile.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"
#include "ui/folderbrowser.h"
#include "ui/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace db {

namespace {

const QString archiveName = QStringLiteral("Zaras.arj");

QString withSlash(const QString& dir) {
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

// The file `name` of folder `dir`, whatever the letter case of its name on
// disk; dir + name when there is none.
QString fileIn(const QString& dir, const QString& name) {
    return engine::findFileNoCase(withSlash(dir) + name);
}

bool sameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// Renames `from` over `to` in one step, its contents synced first and the
// rename made durable.
bool replaceWith(const QString& from, const QString& to) {
    const int fd = engine::sys::open(from, engine::sys::ReadWrite);
    const bool synced = fd >= 0 && engine::sys::sync(fd);
    engine::sys::close(fd);
    if (!synced) return false;
    try {
        engine::renameDurably(from, to);
        return true;
    } catch (const engine::DbError&) {
        return false;
    }
}

bool isBackupFile(const QString& name) {
    return backupFiles().contains(name, Qt::CaseInsensitive);
}

// Puts the folder `fresh` in the place of `dir` and `dir` in the place of
// `fresh`, in one step where the file system can, and makes it durable.
// Elsewhere (Windows, file systems without the exchange) three renames:
// `dir` to "dir.regi", `fresh` to `dir`, "dir.regi" to `fresh`. A kill
// between two of them leaves either the old MENT with "MENT.uj" beside it,
// "MENT.regi" and "MENT.uj" without MENT, or the new MENT with "MENT.regi"
// or "MENT.uj" beside it: the start-up's sweep (sweepBackupLeftovers) puts
// "MENT.regi" back when MENT is missing and removes the rest, so MENT is
// always one whole backup.
bool exchangeDirs(const QString& fresh, const QString& dir) {
    if (!engine::sys::exchangePaths(fresh, dir)) {
        if (errno != EINVAL && errno != ENOSYS) return false;
        const QString old = dir + QStringLiteral(".regi");
        QDir(old).removeRecursively();
        if (!engine::sys::rename(dir, old)) return false;
        if (!engine::sys::rename(fresh, dir)) {
            engine::sys::rename(old, dir);
            return false;
        }
        engine::sys::rename(old, fresh);
    }
    try {
        engine::syncDirectory(QFileInfo(dir).absolutePath());
    } catch (const engine::DbError&) {
        return false;
    }
    return true;
}

} // namespace

const QStringList& backupFiles() {
    static const QStringList files{
        QStringLiteral("Szerz.dbf"), QStringLiteral("Szolgsz.dbf"), QStringLiteral("BNOtorzs.dbf"),
        QStringLiteral("Orvos.dbf"), QStringLiteral("Apol.dbf"),    QStringLiteral("Telepul.dbf"),
        QStringLiteral("Beteg.dbf"), QStringLiteral("Terulet.dbf"), QStringLiteral("Thely.dbf"),
        QStringLiteral("Zaras.dbf"), QStringLiteral("Part.dbf"),    QStringLiteral("Maradv.dbf"),
        QStringLiteral("Lap.dbf"),   QStringLiteral("Lapb.dbf"),    QStringLiteral("Elrend.dbf"),
    };
    return files;
}

RestoreSource restoreSourceOk(RestoreSourceItem item, const QString& mentkonyvtar,
                              ui::Messages& msg, ui::FolderAsker& folders) {
    switch (item) {
    case RestoreSourceItem::None:
        msg.error(QStringLiteral("Nincs kiválasztva a visszatöltés helye!"));
        return {};
    case RestoreSourceItem::ChosenFolder: {
        const ui::FolderChoice c = folders.chooseFolder(
            QStringLiteral("Visszatöltés helyének kiválsztása"), QStringLiteral("V"));
        // "&Mégsem" means no restore, not a restore from wherever the list
        // happened to stand.
        if (!c.chosen || c.dir.isEmpty()) return {};
        return {withSlash(c.dir), false};
    }
    case RestoreSourceItem::Ment:
        return {withSlash(mentkonyvtar), true};
    }
    return {};
}

// ---------------------------------------------------------------------------
// Copies

bool copyReplacing(const QString& from, const QString& to) {
    try {
        engine::TableBuilder::copyFile(from, to);
        return true;
    } catch (const engine::DbError&) {
        return false;
    }
}

int sweepBackupLeftovers(const QString& mentkonyvtar) {
    if (mentkonyvtar.isEmpty()) return 0;
    const QString dir = QDir::cleanPath(mentkonyvtar);
    const QString regi = dir + QStringLiteral(".regi"), uj = dir + QStringLiteral(".uj");
    int n = 0;
    // A kill between the two renames that exchange the folders left the
    // previous backup under its second name.
    if (!QFileInfo::exists(dir) && QFileInfo(regi).isDir() && engine::sys::rename(regi, dir))
        ++n;
    for (const QString& d : {uj, regi})
        if (QFileInfo(d).isDir() && QDir(d).removeRecursively()) ++n;
    if (QFile::remove(withSlash(dir) + QStringLiteral("Zaras-uj.arj"))) ++n;
    return n;
}

// ---------------------------------------------------------------------------
// Backup

void Backup::mentes() {
    ui::Messages& msg = st_.msg;
    const QString ment = st_.mentkonyvtar;
    mindzar(st_.tables);
    const bool copied = writeWhole(ment);

    if (!copied) {
        msg.error(QStringLiteral("Hiba a mentésben"));
    } else {
        if (msg.confirm(QStringLiteral("Akarja menteni a MENT könyvtáron kívül az adatokat?\r"
                                       "Válassza ki a mentés helyét!"))) {
            // Every table file of MENT into a new archive, which then takes
            // the place of the previous one.
            const QString archive = fileIn(ment, archiveName);
            const QString fresh = withSlash(ment) + QStringLiteral("Zaras-uj.arj");
            QFile::remove(fresh);
            QStringList files;
            // The table files of the backup and nothing else: the restore
            // takes no other name from an archive.
            for (const QString& f :
                 QDir(ment).entryList({QStringLiteral("*.dbf")}, QDir::Files, QDir::Name))
                if (isBackupFile(f)) files << withSlash(ment) + f;
            const bool packed =
                !files.isEmpty() && archiver_.pack(fresh, files) && replaceWith(fresh, archive);
            if (!packed) {
                QFile::remove(fresh);
                msg.error(QStringLiteral("Hiba a csomagolásban!"));
            } else {
                const ui::FolderChoice c = folders_.chooseFolder(
                    QStringLiteral("Mentés helyének kiválasztása"), QStringLiteral("S"));
                if (c.chosen) {
                    // A copy that fails is said, not passed over.
                    if (!sameFile(archive, fileIn(c.dir, archiveName)) &&
                        !copyReplacing(archive, fileIn(c.dir, archiveName)))
                        msg.error(QStringLiteral("Hiba a mentésben"));
                } else {
                    msg.warning(QStringLiteral("Nincs kiválasztva mentési hely, mentés a MENT "
                                               "könyvtárban található!"));
                }
            }
        }
        msg.information(QStringLiteral("Biztonsági mentés megtörtént!"));
    }
    mindnyit(st_.tables);
}

bool Backup::writeWhole(const QString& ment) {
    const QString dir = QDir::cleanPath(ment);
    const QString fresh = dir + QStringLiteral(".uj");
    // A run killed between the two renames of a file system that cannot
    // exchange folders left the previous backup under its old name.
    if (!QFileInfo::exists(dir) && QFileInfo::exists(dir + QStringLiteral(".regi")))
        engine::sys::rename(dir + QStringLiteral(".regi"), dir);
    QDir(fresh).removeRecursively();
    if (!QDir().mkpath(dir) || !QDir().mkpath(fresh)) return false;

    bool ok = true;
    for (const QString& name : backupFiles()) {
        const QString from = st_.tables.file(name);
        // The copy keeps the name the table has in DATA (or that MENT already
        // gave it, when only the letter case differs).
        const QString to =
            withSlash(fresh) + QFileInfo(fileIn(dir, QFileInfo(from).fileName())).fileName();
        if (!QFileInfo(from).isFile() || !copyReplacing(from, to)) {
            ok = false;
            break;
        }
    }
    // What else MENT holds (the archive of the previous backup) stays in it.
    if (ok)
        for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden)) {
            if (isBackupFile(f)) continue;
            const QString from = QDir(dir).filePath(f), to = QDir(fresh).filePath(f);
            if (!engine::sys::link(from, to) && !copyReplacing(from, to)) {
                ok = false;
                break;
            }
        }
    // Only a whole backup takes the previous one's place.
    ok = ok && exchangeDirs(fresh, dir);
    QDir(fresh).removeRecursively();
    return ok;
}

// ---------------------------------------------------------------------------
// Restore

bool Backup::unpackArchive(const QString& archive, const UnpackFolder& work) {
    // The archive's copy and its files in a folder of their own under TEMP.
    const QString copy = work.filePath(archiveName);
    if (!work.ok() || !copyReplacing(archive, copy)) {
        st_.msg.error(QStringLiteral("Hiba a zaras.arj mentésében"));
        return false;
    }
    const ArjResult r = archiver_.unpack(copy, work.unpackDir(), backupFiles());
    if (r.outcome == ArjOutcome::Cancelled) {
        st_.msg.warning(r.message());
        return false;
    }
    if (!r) {
        st_.msg.error(r.message());
        return false;
    }
    return true;
}

bool Backup::visszatoltes(const std::function<bool()>& szerzadat) {
    ui::Messages& msg = st_.msg;
    if (!msg.confirm(QStringLiteral("Biztosan visszatölti az adatokat ?"))) {
        msg.information(QStringLiteral("Visszatöltés nem történt !"));
        return true;
    }
    const RestoreSource source = sources_.askRestoreSource();
    if (source.dir.isEmpty()) return true;
    // p: where the table files are read from; shown: that folder as the
    // messages name it (an archive's files are said to be in TEMP).
    QString p = withSlash(source.dir), shown = p;
    const bool fromArchive = !source.fromMent;
    // The unpacked archive, removed with everything in it however the
    // restore ends.
    std::unique_ptr<UnpackFolder> work;

    if (fromArchive) {
        const QString archive = fileIn(p, archiveName);
        if (!QFileInfo(archive).isFile()) {
            msg.error(QStringLiteral("Nincs a ") + p + QStringLiteral(" útvonalon ZARAS.ARJ!!") +
                      QStringLiteral("\r") +
                      QStringLiteral("Nem lehet az adatokat visszatölteni!"));
            return true;
        }
        work = std::make_unique<UnpackFolder>(st_.tempkonyvtar);
        if (!unpackArchive(archive, *work)) return true;
        p = withSlash(work->unpackDir());
        shown = withSlash(st_.tempkonyvtar);
    }

    mindzar(st_.tables);
    QCoreApplication::processEvents();
    msg.status(0, QStringLiteral("A visszatöltés folyamatban van!!"));

    bool copied = true;
    for (const QString& name : backupFiles()) {
        const QString from = fileIn(p, name);
        if (!QFileInfo(from).isFile()) {
            msg.error(QStringLiteral("Nincs a ") + shown + QStringLiteral(" könyvtárban ") +
                      name.toUpper() + QStringLiteral(" !!"));
            continue;
        }
        const QString to = st_.tables.file(name);
        if (!sameFile(from, to) && !copyReplacing(from, to)) copied = false;
    }
    if (!copied) {
        msg.error(QStringLiteral("Hiba a mentésben"));
    } else {
        QCoreApplication::processEvents();
        msg.information(QStringLiteral("A visszatöltés befejeződött!!"));
    }

    indtorol(st_.tables);
    indexel(st_.tables);
    const bool contractOk = szerzadat();
    work.reset();
    QCoreApplication::processEvents();
    msg.status(0, QStringLiteral("Az indexelés befejeződött!!"));
    return contractOk;
}

} // namespace db
