#pragma once
// The creation steps of the start-up: each makes sure its table file exists in
// the current layout, upgrades an older layout found on disk, builds a missing
// index file and leaves the main window's table object open. szerzNyit checks,
// indexes and opens the tables received from the county office.
//
// Start-up order (the caller's): crtzaras, the period dialog, szerzNyit (then
// szerzadat and finkodtol := kFinkodtol), then createLocalTables (crtapol,
// crtorvos, crtbeteg, crtmaradv, crtelrend, crtlapuj, crtlapb).
//
// An upgrade copies the old table's records into a new file at the byte level
// (see localtables.cpp) and puts it in the old one's place only when complete.
//
// Failures:
// - an old table lacks a field its upgrade reads: error box "Hiba az állomány
//   készítésében!", then StartupStopped (the start-up shows nothing more and
//   stops), the old table untouched;
// - the financing code does not fit its field: the rows keep an empty one,
//   error box "Hiba a lefutásban!", the step ends with its table open and the
//   start-up goes on;
// - anything else (a file that cannot be created, opened or deleted) raises
//   engine::DbError for the start-up's error box.

#include "db/layouts.h"
#include "db/startupstopped.h"
#include "db/tableset.h"
#include "engine/database.h"

#include <QString>
#include <functional>
#include <memory>

namespace ui {
class Messages;
}

namespace engine {
class TableBuilder;
}

namespace db {

// The first period whose rows get the contract's financing code when a table
// is upgraded.
inline constexpr char kFinkodtol[] = "2014.12";

class LocalTables {
public:
    LocalTables(TableSet& tables, ui::Messages& msg) : t_(tables), msg_(msg) {}

    // Told what an upgrade of an old layout is doing (a Hungarian sentence for
    // the user), with the rows done of total (total 0: no count); an empty
    // text when it is over. Only an upgrade tells anything.
    using Progress = std::function<void(const QString& what, qint64 done, qint64 total)>;
    void setProgress(Progress progress) { progress_ = std::move(progress); }

    // Szerz_nyit: indexes the received tables whose index file is missing and
    // opens all seven. When any of them is missing it shows the list of the
    // missing files and returns false: the program must end.
    bool szerzNyit();

    void crtzaras();
    void crtapol();
    void crtorvos();
    // Upgrades a BETEG without AZTIP: every patient gets AZTIP "1".
    void crtbeteg();
    // The same, with the arguments the other upgrading steps take (BETEG has
    // no financing code, so they are not used).
    void crtbeteg(const QString& finkod, const QString& finkodtol) { crtbeteg(); }
    void crtmaradv();
    // Upgrade ELREND and LAPB without FINKOD; rows of finkodtol or later then
    // get finkod.
    void crtelrend(const QString& finkod, const QString& finkodtol);
    void crtlapb(const QString& finkod, const QString& finkodtol);
    // Upgrades a LAP without FINKOD: the sheets before 2005.02 go to LAPOLD in
    // the old layout, the later ones to LAP in the current layout.
    void crtlapuj(const QString& finkod, const QString& finkodtol);

    // crtapol, crtorvos, crtbeteg, crtmaradv, crtelrend, crtlapuj, crtlapb.
    void createLocalTables(const QString& finkod, const QString& finkodtol);

private:
    // The table file, found whatever its letter case; the program's spelling
    // in the database directory when there is none.
    QString pathOf(const TableDef& def) const;
    // Creates the file with the layout's fields and spelling, replacing a file
    // of the same name in another letter case. Returns its path.
    QString createFile(const TableDef& def);
    // Deletes a table file and its index file.
    void removeTableFiles(const QString& dbfPath);
    // Step 3 of a creation: a fresh index file when it is missing.
    void ensureIndexes(const TableDef& def, engine::Table& table, const QString& path);
    // The simple creation: create when missing, index, open.
    void createPlain(TableId id);
    // ELREND and LAPB: create when missing, upgrade when FINKOD is missing,
    // index, open.
    void createWithFinkod(TableId id, const QString& what, const QString& finkod,
                          const QString& finkodtol);
    // Where the table of `def` lives: the data folder, the layout's spelling.
    QString targetOf(const TableDef& def) const;
    // An upgrade: the old table's rows copied into a new file of the current
    // layout `Upgrade::id` written beside `target` and returned complete, not
    // yet in its place. An old table lacking a field the new layout takes
    // from it: the message, StartupStopped, nothing written.
    struct Upgrade;
    std::unique_ptr<engine::TableBuilder> upgrade(const engine::Table& old, const QString& target,
                                                  const Upgrade& how);
    // Puts the new file of `fresh` in the place of the table file `oldPath`
    // (closed) under the layout's spelling, without the old index file. The
    // old table stays whole until this moment.
    QString replaceFile(const TableDef& def, const QString& oldPath, engine::TableBuilder& fresh);
    // Builds the missing index file of an upgraded table, telling the
    // progress so.
    void indexUpgraded(const TableDef& def, engine::Table& table, const QString& path,
                       const QString& what);
    void tell(const QString& what, qint64 done = 0, qint64 total = 0) {
        if (progress_) progress_(what, done, total);
    }
    // Tells the progress that the upgrade is over as it goes out of scope,
    // also when it failed (before the message is shown).
    struct ProgressOver {
        LocalTables* self;
        explicit ProgressOver(LocalTables* s) : self(s) {}
        ~ProgressOver() { self->tell(QString()); }
        ProgressOver(const ProgressOver&) = delete;
        ProgressOver& operator=(const ProgressOver&) = delete;
    };
    // Set by upgrade(): whether the financing code could be stored.
    bool finkodFits_ = true;
    Progress progress_;

    TableSet& t_;
    ui::Messages& msg_;
};

} // namespace db
