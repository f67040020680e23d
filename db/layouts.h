#pragma once
// The tables of the data folder: the layouts of those the program creates,
// the file names, and the index tags every table carries in its .mdx file.
// This is the one place where a field list or a tag expression is written;
// creation, upgrades and re-indexing all read it from here.
//
// Older layouts found on disk are not described here: an upgrade copies their
// records field by field, by name, into the current layout. The one old
// layout the program still writes is LAPOLD's (the sheets before 2005.02).

#include "engine/dbfheader.h"

#include <QString>
#include <optional>
#include <vector>

namespace db {

enum class TableId {
    // created by the program
    Zaras,
    Apol,
    Orvos,
    Beteg,
    Maradv,
    Elrend,
    Lap,
    Lapb,
    Lapold,
    Sys,
    // received from the county office
    Part,
    Szerz,
    Szolgsz,
    Telepul,
    Terulet,
    Thely,
    Bnotorzs,
};

struct TagDef {
    QString name;
    QString expression; // dBase key expression
};

struct TableDef {
    TableId id;
    QString fileName;                     // spelling used when the program creates the file
    std::vector<engine::FieldDef> fields; // empty for the received tables
    std::vector<TagDef> tags;             // in the order they are added
    QString activeTag;                    // made active when the index file is built; empty: none
};

const TableDef& layout(TableId id);
// One field of a program table's layout (name as stored, upper case);
// throws std::logic_error for a name the layout does not have.
const engine::FieldDef& column(TableId id, const QString& name);

// The password table's one field (SYS.DBF, created by the login dialog).
inline const std::vector<engine::FieldDef>& sysFields() {
    return layout(TableId::Sys).fields;
}

// The index file of a table file: same name, extension ".mdx".
QString indexFileName(const QString& dbfFileName);

// Re-indexing walks these tables in this order. activeAfter is the tag made
// active when the index file is rebuilt; nullopt leaves the table object's
// choice as it was (ZARAS and LAPB are read in record order).
struct ReindexEntry {
    TableId id;
    std::optional<QString> activeAfter;
};
const std::vector<ReindexEntry>& reindexOrder();

// The received tables in the order they are checked at start-up (PART first;
// it has no index).
const std::vector<TableId>& receivedTables();

} // namespace db
