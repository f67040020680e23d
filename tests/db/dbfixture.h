#pragma once
// Data folders for the table tests, built with the engine itself: the county
// office's seven tables in a minimal form (the fields the program reads), the
// older layouts of BETEG, ELREND, LAPB and LAP that the start-up upgrades, and
// a table set whose database points at the folder.

#include "db/layouts.h"
#include "db/tableset.h"
#include "engine/dbfheader.h"
#include "support/testsupport.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace dbfixture {

// A temporary data folder and a table set on it. The table set can be thrown
// away and made anew, as a new start of the program would.
class DataFolder {
public:
    DataFolder();
    QString dir() const { return tmp_.path(); }
    QString file(const QString& name) const { return tmp_.file(name); }
    db::TableSet& tables() { return *tables_; }
    // Closes every table and starts with fresh table objects.
    void restart();

private:
    testsupport::TempDir tmp_;
    std::unique_ptr<db::TableSet> tables_;
};

// The county office's tables, one or two records each. `without` lists the
// file names to leave out ("Part.dbf", "Bnotorzs.dbf", ...). The last SZERZ
// record carries the financing code `finkod`.
void writeReceivedTables(const QString& dir, const QStringList& without = {},
                         const QString& finkod = QStringLiteral("FIN000042"));

// A table file with the given fields and rows (values by field position).
void writeTable(const QString& path, std::vector<engine::FieldDef> fields,
                const std::vector<QVariantList>& rows = {});

// The old layouts found in older data folders.
std::vector<engine::FieldDef> oldBetegFields();  // without AZTIP
std::vector<engine::FieldDef> oldElrendFields(); // without FINKOD
std::vector<engine::FieldDef> oldLapbFields();   // without FINKOD
// LAP before FINKOD: the layout LAPOLD keeps.
std::vector<engine::FieldDef> oldLapFields();

// A row of the old LAP layout: the sheet key, the patient, a discharge date,
// the activity codes and the first visit group (from, to, count).
QVariantList oldLapRow(const QString& idoszak, const QString& sorsz, const QString& resz,
                       const QString& taj, int viz1);

// Names of the fields of an open table, in order.
QStringList fieldNames(const engine::Table& table);
QStringList fieldNames(const std::vector<engine::FieldDef>& fields);

// Every visible record of the table in record order (the active tag is set
// aside for the walk and put back), one field's text per record.
QStringList column(engine::Table& table, const QString& field);

// The files of the folder, sorted.
QStringList files(const QString& dir);

} // namespace dbfixture
