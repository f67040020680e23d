#pragma once
// Opening, closing and re-indexing the main window's table objects as a whole
// (menu "&Szervíz" -> "&Indexelés", the restore and the contract import), and
// the index build that creation and re-indexing share.
//
// Nothing here shows a message of its own except the closing status text of
// reindexAll: a table that cannot be opened or indexed, or whose header cannot
// be written, raises engine::DbError for the caller's error box, and the
// tables not yet reached stay closed.

#include "db/layouts.h"
#include "db/tableset.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace ui {
class Messages;
}

namespace db {

// The main window's object for a table; LAPOLD has none (std::logic_error).
engine::Table& tableOf(TableSet& tables, TableId id);

// LAP's object always carries the standing filter "idoszak>='1999.04'", on.
void setLapFilter(engine::Table& lap);

// Builds a fresh index file for the table file at dbfPath: closes the object,
// drops its index definitions (deletes the .mdx), clears the index flag and
// language driver bytes of the header (dbfjeltorol) unless `header` says to
// keep them (a table file the county office sent stays its bytes), opens it,
// adds the tags in order and makes `active` the active tag. Without `active`
// the object keeps the active tag it had. Leaves the object closed.
enum class Header { Clear, Keep };
void buildIndexes(engine::Table& table, const QString& dbfPath, const std::vector<TagDef>& tags,
                  const std::optional<QString>& active, Header header = Header::Clear);

// Rebuilds the index file of the table file at dbfPath beside the old one
// (which it replaces only when complete): clears the header's index flag and
// language driver bytes when set, builds the tags in order and makes `active`
// the active tag (without it the object keeps the active tag it had). On a
// failure the old index file stays. Leaves the object closed.
void rebuildIndexes(engine::Table& table, const QString& dbfPath, const std::vector<TagDef>& tags,
                    const std::optional<QString>& active);

// Opens the fifteen table objects, in the order lap, lapb, szerz, szolgsz,
// part, telep, terul, thely, Apol, Beteg, Orvos, bno, maradv, Zaras, elrend.
// An object already open stays as it is.
void mindnyit(TableSet& tables);

// Closes the same fifteen, in the order szerz, szolgsz, part, telep, terul,
// thely, Apol, Beteg, Orvos, bno, maradv, Zaras, elrend, lap, lapb.
// Refuses (DbError) while a change unit is open or a rollback is still due.
void mindzar(TableSet& tables);

// Deletes the fourteen index files of the data folder; a file that is missing
// or cannot be deleted is skipped silently.
void indtorol(const TableSet& tables);

// Rebuilds every index file that is missing (or not ours), table by table in
// the re-indexing order, then mindnyit. The caller then runs szerzadat.
void indexel(TableSet& tables);

// Removes the deleted records of LAP, LAPB and ELREND from their files (and
// rebuilds their tags) for each of the three whose deleted records are at
// least `minShare` of its file (0: whenever it has any). Deleting a sheet
// only flags its records, which every read then skips; the files are packed
// here, at re-indexing (every deleted record) and at start-up (when a tenth
// of a file is deleted), so that a deletion never rewrites a million visit
// rows. The tables must be open.
void packSheetTables(TableSet& tables, double minShare);

// "&Indexelés": mindzar, every index file rebuilt beside the old one
// (rebuildIndexes, in the re-indexing order), mindnyit, packSheetTables
// (every deleted sheet record), `szerzadat` when given, then status panel 0 :=
// "Az indexelés befejeződött!!". Errors propagate, after every table was
// opened again with its old index or its new one.
void reindexAll(TableSet& tables, ui::Messages& msg, const std::function<void()>& szerzadat = {});

} // namespace db
