#pragma once
// Backup and restore of the data tables: menu "&Szervíz" -> "&Mentés" and
// "&Visszatöltés".
//
// A backup closes every table, copies the fifteen table files into MENT
// under the data folder and, when the user asks for it, packs MENT's table
// files into MENT/Zaras.arj with the ARJ archiver and copies the archive to a
// folder the user picks. A restore copies the table files back from MENT or
// from such an archive (unpacked into a folder of its own under TEMP, taking
// only the table files of a backup), then deletes and rebuilds every
// index file, which reopens the tables.
//
// Files are never overwritten in place: each copy is written under a
// temporary name beside its target and renamed over it only when complete, so
// a failing copy leaves the old file whole. A backup is written whole into a
// folder beside MENT that takes MENT's place when complete, so that MENT
// never holds files of two backups.

#include "db/arj.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace ui {
class FolderAsker;
class Messages;
} // namespace ui

namespace db {

// The fifteen table files of a backup, in the order they are copied. Index
// files, LAPOLD, SYS and Temp are not saved.
const QStringList& backupFiles();

// What the restore-source dialog Tviszv gives back.
struct RestoreSource {
    QString dir;           // with a trailing "/"; empty: the restore stops
    bool fromMent = false; // "MENT könyvtár" (no archive); false: a chosen folder
};

class RestoreSourceAsker {
public:
    virtual ~RestoreSourceAsker() = default;
    virtual RestoreSource askRestoreSource() = 0;
};

// The items of the radio group RG1; None when neither is checked.
enum class RestoreSourceItem { None, Ment, ChosenFolder };

// "OK" of Tviszv. Nothing chosen: error "Nincs kiválasztva a visszatöltés
// helye!" and an empty source. "Választott útvonal": the folder chooser
// ("Visszatöltés helyének kiválsztása", mode "V"); the folder it shows when
// closed with "&OK", an empty source when closed otherwise. "MENT könyvtár":
// `mentkonyvtar`.
RestoreSource restoreSourceOk(RestoreSourceItem item, const QString& mentkonyvtar,
                              ui::Messages& msg, ui::FolderAsker& folders);

// Copies `from` to `to` through a temporary file beside `to`, renamed over it
// only when the copy is complete. False on any failure; `to` is then as it was.
bool copyReplacing(const QString& from, const QString& to);

struct TableSet;

// What a backup works with: the open tables, the message door, MENT and TEMP.
struct BackupPlaces {
    ui::Messages& msg;
    TableSet& tables;
    QString mentkonyvtar;
    QString tempkonyvtar;
};

// What a backup or restore killed midway left: a MENT put back from its
// second name when a kill came between the two renames that exchange it,
// the half-written new MENT beside it, and the half-written archive in it.
// Called by the start-up. Returns how many were removed or put back.
int sweepBackupLeftovers(const QString& mentkonyvtar);

class Backup {
public:
    Backup(BackupPlaces places, ui::FolderAsker& folders, RestoreSourceAsker& sources)
        : st_(std::move(places)), folders_(folders), sources_(sources) {}

    // The archiver's program (a name looked up in PATH, or a path).
    void setArchiver(const QString& program) { archiver_ = Archiver(program); }
    // The archiver itself (its watch, its time limit).
    Archiver& archiver() { return archiver_; }

    // "&Mentés". Engine errors while closing or reopening the tables propagate.
    void mentes();

    // "&Visszatöltés". `szerzadat` (the main window's) reads the restored
    // contract after the re-indexing; returns false when it has no financing
    // code, so that the program must end. Engine errors of the re-indexing
    // propagate.
    bool visszatoltes(const std::function<bool()>& szerzadat);

private:
    // Copies the fifteen table files into a new folder beside MENT (with
    // what else MENT holds), which takes MENT's place only when complete:
    // MENT holds one backup whole, the new one or the previous one.
    bool writeWhole(const QString& ment);
    // Copies the archive into `work` and unpacks it there, taking only the
    // table files of a backup; shows the message and returns false when
    // that fails.
    bool unpackArchive(const QString& archive, const UnpackFolder& work);

    BackupPlaces st_;
    ui::FolderAsker& folders_;
    RestoreSourceAsker& sources_;
    Archiver archiver_;
};

} // namespace db
