#include "dbfixture.h"

#include "engine/table.h"

#include <QDir>

namespace dbfixture {

using engine::FieldDef;
using engine::fieldDef;

namespace {

FieldDef c(const char* name, int width) {
    return fieldDef(QLatin1String(name), 'C', width);
}
FieldDef n(const char* name, int width, int decimals = 0) {
    return fieldDef(QLatin1String(name), 'N', width, decimals);
}
FieldDef d(const char* name) {
    return fieldDef(QLatin1String(name), 'D');
}

QDate day(int y, int m, int dd) {
    return QDate(y, m, dd);
}

} // namespace

DataFolder::DataFolder() {
    restart();
}

void DataFolder::restart() {
    tables_.reset();
    tables_ = std::make_unique<db::TableSet>();
    tables_->dbo.setDirectory(tmp_.path() + QLatin1Char('/'));
}

void writeTable(const QString& path, std::vector<FieldDef> fields,
                const std::vector<QVariantList>& rows) {
    engine::Table::create(path, std::move(fields));
    if (rows.empty()) return;
    engine::Table t;
    t.open(path);
    t.appendRows(rows);
    t.close();
}

void writeReceivedTables(const QString& dir, const QStringList& without, const QString& finkod) {
    const QDir folder(dir);
    auto wanted = [&](const char* name) { return !without.contains(QLatin1String(name)); };

    if (wanted("Part.dbf"))
        writeTable(
            folder.filePath("Part.dbf"),
            {c("INTKOD", 4), c("INTE", 40), n("MEGYE", 2), c("IRSZAM", 4), c("HELY", 25),
             c("UTCA", 30)},
            {{"0123", "Otthonápolási Szolgálat Bt.", 19, "8900", "Zalaegerszeg", "Kossuth u. 1."}});
    if (wanted("Szerz.dbf"))
        writeTable(folder.filePath("Szerz.dbf"),
                   {d("SZKEZD"),     d("SZVEG"),       c("SZSZAM", 10),  c("FINKOD", 9),
                    n("TERVVIZ", 6), n("APTVIZ", 6),   n("SZAKTVIZ", 6), n("NORMVIZ", 6),
                    n("PAPVIZ", 6),  n("PSZAKVIZ", 6), n("POTVIZ", 6),   n("TELEP", 3),
                    n("DIPL", 3),    n("SZAKAP", 3),   n("GYOGYT", 3),   n("FIZIO", 3),
                    n("LOGOP", 3),   n("D_OKT", 3),    n("MENTO", 3),    n("OSSZD", 3)},
                   {{day(2013, 1, 1),
                     day(2014, 11, 30),
                     "SZ-1",
                     "FIN000001",
                     900,
                     800,
                     100,
                     50,
                     0,
                     0,
                     0,
                     1,
                     1,
                     2,
                     1,
                     0,
                     0,
                     0,
                     0,
                     5},
                    {day(2014, 12, 1),
                     QVariant(),
                     "SZ-2",
                     finkod,
                     1000,
                     900,
                     100,
                     60,
                     0,
                     0,
                     0,
                     1,
                     1,
                     2,
                     1,
                     0,
                     0,
                     0,
                     0,
                     5}});
    if (wanted("Szolgsz.dbf"))
        writeTable(folder.filePath("Szolgsz.dbf"),
                   {c("INTKOD", 4),   n("SSORSZAM", 5), d("KEZD"),          d("VEG"),
                    c("TAJ", 9),      c("NEV", 30),     c("SZHELY", 1),     n("SZIDO", 4, 1),
                    c("SZAKA", 3),    c("SZAKB1", 3),   c("SZAKB2", 3),     c("SZAKBR", 3),
                    c("TEVA", 2),     c("TEVSZ", 2),    c("SZAKAPO", 1),    c("SZAKIRO", 1),
                    n("OSSZO", 5, 1), c("MASFOGL", 1),  n("FOGLMIN", 5, 1), c("MASHOL", 30),
                    n("HETIO", 5, 1)},
                   {{"0123",     2,           day(2014, 12, 1),
                     QVariant(), "111111110", "Kovács Anna",
                     "1",        "40",        "A1",
                     "",         "",          "",
                     "01",       "02",        "I",
                     "N",        "40",        "N",
                     "0",        "",          "40"},
                    {"0123",     1,           day(2014, 12, 1),
                     QVariant(), "222222220", "Szabó Éva",
                     "1",        "20",        "A1",
                     "",         "",          "",
                     "01",       "02",        "I",
                     "N",        "20",        "N",
                     "0",        "",          "20"}});
    if (wanted("Telepul.dbf"))
        writeTable(folder.filePath("Telepul.dbf"), {c("KOZIGKOD", 7), c("HELYNEV", 25)},
                   {{"3214", "Zalaegerszeg"}, {"2553", "Bak"}});
    if (wanted("Terulet.dbf"))
        writeTable(folder.filePath("Terulet.dbf"),
                   {n("TSORSZAM", 5), d("KEZD"), d("VEG"), c("KOZIGKOD", 7), c("HELYNEV", 25),
                    n("LETSZAM", 7), c("KULTER", 1)},
                   {{1, day(2014, 12, 1), QVariant(), "3214", "Zalaegerszeg", 59000, "N"}});
    if (wanted("Thely.dbf"))
        writeTable(
            folder.filePath("Thely.dbf"),
            {n("TSORSZAM", 5), d("KEZD"), d("VEG"), c("KOZIGKOD", 7), c("HELYNEV", 25),
             c("CIM", 30), c("NAP", 7)},
            {{1, day(2014, 12, 1), QVariant(), "3214", "Zalaegerszeg", "Kossuth u. 1.", "12345"}});
    // The county office's BNO table carries a group column the program does
    // not read.
    if (wanted("Bnotorzs.dbf"))
        writeTable(folder.filePath("Bnotorzs.dbf"), {c("KOD10", 5), c("NEV", 60), c("CSOP", 2)},
                   {{"I10", "Magasvérnyomás", "09"}, {"Z74", "Ápolásra utaltság", "21"}});
}

std::vector<FieldDef> oldBetegFields() {
    return {c("TAJ", 9),    c("NEV", 25),   c("NEME", 1),   c("KOZIGKOD", 7),
            c("CIME1", 25), c("CIME2", 25), c("SZULH", 25), d("SZULI")};
}

std::vector<FieldDef> oldElrendFields() {
    std::vector<FieldDef> f = db::layout(db::TableId::Elrend).fields;
    f.erase(f.begin() + 2); // FINKOD
    return f;
}

std::vector<FieldDef> oldLapbFields() {
    std::vector<FieldDef> f = db::layout(db::TableId::Lapb).fields;
    f.erase(f.begin() + 2); // FINKOD
    return f;
}

std::vector<FieldDef> oldLapFields() {
    return db::layout(db::TableId::Lapold).fields;
}

QVariantList oldLapRow(const QString& idoszak, const QString& sorsz, const QString& resz,
                       const QString& taj, int viz1) {
    const int nfields = int(oldLapFields().size());
    QVariantList row;
    for (int i = 0; i < nfields; ++i)
        row << QVariant();
    row[0] = idoszak;
    row[1] = "0123";
    row[2] = sorsz;
    row[3] = resz;
    row[4] = taj;
    row[5] = "3214";
    row[6] = "N";
    row[9] = QDate(2004, 11, 20); // ELB
    row[10] = 7;                  // APNAP
    row[11] = "I10";              // BNOFO
    row[15] = 0;                  // ELSZVIZ
    row[16] = 1;                  // ELSZAM
    row[18] = "1100000000";       // TEVKODOK
    row[19] = "111111110";        // APTAJ1
    // TOL1, IG1, VIZ1, ELI1 follow TEV1 and TEV2.
    row[23] = QDate(2004, 12, 1);
    row[24] = QDate(2004, 12, 10);
    row[25] = viz1;
    row[nfields - 6] = viz1; // SZVIZ
    return row;
}

QStringList fieldNames(const std::vector<FieldDef>& fields) {
    QStringList out;
    for (const FieldDef& f : fields)
        out << f.name.toUpper();
    return out;
}

QStringList fieldNames(const engine::Table& table) {
    return fieldNames(table.fields());
}

QStringList column(engine::Table& table, const QString& field) {
    const QString tag = table.activeTag();
    table.setActiveTag(QString());
    QStringList out;
    for (table.first(); !table.eof(); table.next())
        out << table.text(field);
    if (!tag.isEmpty()) table.setActiveTag(tag);
    return out;
}

QStringList files(const QString& dir) {
    QStringList names = QDir(dir).entryList(QDir::Files, QDir::Name);
    names.sort();
    return names;
}

} // namespace dbfixture
