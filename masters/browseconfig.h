#pragma once
// What one browse panel shows: its table object, its grid's name and hint,
// its columns and which of them can be searched by typing (each with the
// index tag that orders the table by that column).
//
// The six panels of the master data and the sheet list are built by the
// factories below; a window that embeds a panel may change the titles or the
// columns of the configuration before it builds the panel (the patient
// window titles column 0 "TAJ/Azonosító", the register gives the sheet list
// its own titles). The search rules refer to column positions.

#include <QString>
#include <Qt>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace engine {
class Table;
}
namespace db {
struct TableSet;
}

namespace masters {

struct BrowseColumn {
    QString title;
    // The field shown; empty for a computed column.
    QString field;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    // A computed column (such as the patient's name on the sheet list): the
    // text for record `recno` of the table, read without moving its cursor.
    std::function<QString(const engine::Table&, std::uint32_t recno)> value;
    // The characters a computed column needs (a field column takes its
    // field's width).
    int chars = 0;
    // What a field column shows for the field's text (not set: the text).
    std::function<QString(const QString&)> shown;
};

struct BrowseConfig {
    QString name;                   // "TBetegkep"
    engine::Table* table = nullptr; // one of the main window's table objects
    QString gridName;               // "DBGBeteg"
    QString gridTitle;              // what the grid lists, its accessible name: "Betegek"
    QString gridHint;               // hint of the grid; may be empty
    QString panelHint;              // hint of the panel; may be empty
    std::vector<BrowseColumn> columns;
    // Searchable columns: column index -> index tag (matched ignoring case).
    std::map<int, QString> searchTags;
    // The sheet list's differences: a space clears the search text, an empty
    // table answers every typed key with a warning, and only a searchable
    // column's title turns red.
    bool lapMode = false;
    // False for a plain list without type-ahead search and title ordering
    // (the remainders): entering it only moves to the first record.
    bool typeAhead = true;
};

// The panels of the master-data windows and of the sheet register.
BrowseConfig apolPanel(db::TableSet& t);   // TApolkep
BrowseConfig orvosPanel(db::TableSet& t);  // TOrvoskep
BrowseConfig betegPanel(db::TableSet& t);  // TBetegkep
BrowseConfig telepPanel(db::TableSet& t);  // TTelepkep
BrowseConfig bnoPanel(db::TableSet& t);    // TBNOkep
BrowseConfig lapPanel(db::TableSet& t);    // TLapkep

// The payment state as the sheet list shows it: the county office's "fully
// accounted" state, the character with code 251 (stored as "ű" in code page
// 852), as the check mark "√" the old program's font drew for it; any other
// state as it is stored.
QString fizetveJel(const QString& allapot);
BrowseConfig maradvPanel(db::TableSet& t); // Tmaradkep (no type-ahead search)

// A computed column value: the name of the patient whose TAJ number the
// record's `tajField` holds, looked up in `beteg` (the first live record with
// that TAJ; empty when none). The lookup keeps a small map from TAJ number to
// name that is rebuilt only when `beteg` changes, so a displayed row costs one
// hash lookup and `beteg`'s cursor never moves.
std::function<QString(const engine::Table&, std::uint32_t)>
patientNameLookup(engine::Table& beteg, const QString& tajField = QStringLiteral("TAJ"));

} // namespace masters
