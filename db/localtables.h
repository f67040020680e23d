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
// Failures:
// - a query of an upgrade fails: error box "Hiba az állomány készítésében!",
//   then StartupStopped (the start-up shows nothing more and stops);
// - the financing-code update after an upgrade fails: error box "Hiba a
//   lefutásban!", the step ends with its table open and the start-up goes on;
// - anything else (a file that cannot be created, opened or deleted) raises
//   engine::DbError for the start-up's error box.

#include "db/layouts.h"
#include "db/startupstopped.h"
#include "db/tableset.h"
#include "engine/database.h"

#include <QString>

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
    void createWithFinkod(TableId id, const QString& conversion, const QString& finkod,
                          const QString& finkodtol);
    // Where the table of `def` lives: the data folder, the layout's spelling.
    QString targetOf(const TableDef& def) const;
    // Streams the rows of an upgrade's query (run over the table objects as
    // they are) into `out`, a new file beside the table; the rows are never
    // all held at once. Returns how many there were. On a failing query: the
    // message, the new file abandoned, StartupStopped.
    int streamInto(const QString& sql, engine::TableBuilder& out, const QVariantList& params = {});
    // Puts the new file of `fresh` in the place of the table file `oldPath`
    // (closed) under the layout's spelling, without the old index file. The
    // old table stays whole until this moment.
    QString replaceFile(const TableDef& def, const QString& oldPath, engine::TableBuilder& fresh);
    // The parameters of a conversion's financing-code column; notes in
    // finkodFits_ whether the code can be stored at all.
    QVariantList finkodParams(const TableDef& def, const QString& finkod, const QString& finkodtol);
    bool finkodFits_ = true;

    TableSet& t_;
    ui::Messages& msg_;
};

} // namespace db
