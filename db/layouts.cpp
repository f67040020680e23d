#include "db/layouts.h"

#include <QFileInfo>
#include <stdexcept>

namespace db {

namespace {

using engine::FieldDef;

FieldDef c(const char* name, int width) {
    return engine::fieldDef(QLatin1String(name), 'C', width);
}
FieldDef n(const char* name, int width, int decimals = 0) {
    return engine::fieldDef(QLatin1String(name), 'N', width, decimals);
}
FieldDef d(const char* name) {
    return engine::fieldDef(QLatin1String(name), 'D');
}

std::vector<FieldDef> zarasFields() {
    return {c("IDOSZAK", 7), d("ZARAS"),          n("LAPOKSZ", 5),
            d("RAVKULD"),    n("ALAPDIJ", 10, 5), n("ELOLEG", 10, 1)};
}

std::vector<FieldDef> betegFields() {
    return {c("TAJ", 9),    c("NEV", 25),   c("NEME", 1),   c("AZTIP", 1), c("KOZIGKOD", 7),
            c("CIME1", 25), c("CIME2", 25), c("SZULH", 25), d("SZULI")};
}

std::vector<FieldDef> elrendFields() {
    return {c("IDOSZAK", 7), c("INTKOD", 4), c("FINKOD", 9),  c("SORSZ", 5),   c("RESZ", 1),
            c("JORVKOD", 5), d("ELREND"),    d("SZAKVET"),    c("GYAK", 15),   n("ELVIZDB", 3),
            n("ENGSZAM", 4), d("ENGDAT"),    c("JELOLES", 1), c("ELKULDVE", 7)};
}

std::vector<FieldDef> lapFields() {
    return {c("IDOSZAK", 7),  c("INTKOD", 4),  c("FINKOD", 9),   c("SORSZ", 5),
            c("RESZ", 1),     c("TAJ", 9),     c("KOZIGKOD", 7), c("TPOTL", 1),
            c("BNOKI", 5),    c("BNOROV", 5),  d("ELB"),         n("APNAP", 3),
            c("BNOFO", 5),    c("BNOMELL", 5), c("BNOELL", 5),   c("ORVOSKOD", 5),
            n("ELSZVIZ", 3),  n("ELSZAM", 3),  d("LEZDAT"),      c("TEVKODOK", 34),
            c("APTAJ1", 9),   c("APTAJ2", 9),  c("AZTIP", 1),    c("TERKAT", 2),
            c("ALLAMP", 3),   n("SZVIZ", 2),   c("TELE", 1),     c("JELOLES", 1),
            c("ELKULDVE", 7), c("ALLAPOT", 1), c("MODTIPUS", 1)};
}

std::vector<FieldDef> lapbFields() {
    return {c("IDOSZAK", 7), c("INTKOD", 4), c("FINKOD", 9),  c("SORSZ", 5),   c("RESZ", 1),
            c("TEVKOD", 2),  n("ELLTIP", 2), n("ONKEP", 2),   d("APDATUM"),    c("APTAJ", 9),
            n("VIZITDB", 2), c("ELIDO", 7),  c("JELOLES", 1), c("ELKULDVE", 7)};
}

// The sheet layout before 2005.02: the visits were columns of the sheet, in
// eighteen groups of from, to, count and accounted-in period.
std::vector<FieldDef> lapoldFields() {
    std::vector<FieldDef> f = {
        c("IDOSZAK", 7),  c("INTKOD", 4), c("SORSZ", 5),   c("RESZ", 1),      c("TAJ", 9),
        c("KOZIGKOD", 7), c("TPOTL", 1),  c("BNOKI", 5),   c("BNOROV", 5),    d("ELB"),
        n("APNAP", 3),    c("BNOFO", 5),  c("BNOMELL", 5), c("BNOELL", 5),    c("ORVOSKOD", 5),
        n("ELSZVIZ", 3),  n("ELSZAM", 3), d("LEZDAT"),     c("TEVKODOK", 34), c("APTAJ1", 9),
        c("APTAJ2", 9),   c("TEV1", 2),   c("TEV2", 2)};
    for (int i = 1; i <= 18; ++i) {
        const QString k = QString::number(i);
        f.push_back(engine::fieldDef(QStringLiteral("TOL") + k, 'D'));
        f.push_back(engine::fieldDef(QStringLiteral("IG") + k, 'D'));
        f.push_back(engine::fieldDef(QStringLiteral("VIZ") + k, 'N', 2));
        f.push_back(engine::fieldDef(QStringLiteral("ELI") + k, 'C', 7));
    }
    for (FieldDef x : {n("SZVIZ", 2), c("TELE", 1), c("JELOLES", 1), c("ELKULDVE", 7),
                       c("ALLAPOT", 1), c("MODTIPUS", 1)})
        f.push_back(x);
    return f;
}

std::vector<TableDef> buildLayouts() {
    std::vector<TableDef> t;
    t.push_back(
        {TableId::Zaras, "Zaras.dbf", zarasFields(), {{"Zaras", "Idoszak+dtos(Zaras)"}}, {}});
    t.push_back({TableId::Apol,
                 "Apol.dbf",
                 {c("APTAJ", 9), c("ANEV", 25)},
                 {{"Apol1", "Aptaj"}, {"Apol2", "Anev"}},
                 "Apol1"});
    t.push_back({TableId::Orvos,
                 "Orvos.dbf",
                 {c("ORVOSKOD", 5), c("ONEV", 25)},
                 {{"Orvos1", "Orvoskod"}, {"Orvos2", "Onev"}},
                 "Orvos2"});
    t.push_back({TableId::Beteg,
                 "Beteg.dbf",
                 betegFields(),
                 {{"Beteg1", "TAJ"}, {"Beteg2", "Nev"}},
                 "Beteg2"});
    t.push_back({TableId::Maradv,
                 "Maradv.dbf",
                 {c("INTKOD", 4), c("MIDOSZAK", 7), n("FT", 10)},
                 {{"Mar1", "MIdoszak"}},
                 "Mar1"});
    t.push_back({TableId::Elrend,
                 "Elrend.dbf",
                 elrendFields(),
                 {{"Rend1", "Sorsz+Resz"}, {"Rend2", "Idoszak+Sorsz+Resz"}},
                 "Rend1"});
    t.push_back({TableId::Lap,
                 "Lap.dbf",
                 lapFields(),
                 {{"Lap1", "Sorsz+Resz"}, {"Lap2", "Taj+Idoszak"}, {"Lap3", "Idoszak+Sorsz+Resz"}},
                 "Lap1"});
    t.push_back({TableId::Lapb,
                 "Lapb.dbf",
                 lapbFields(),
                 {{"Lapb1", "Sorsz+Resz"}, {"Lapb2", "Idoszak+Sorsz+Resz"}},
                 {}});
    t.push_back({TableId::Lapold, "Lapold.dbf", lapoldFields(), {}, {}});
    t.push_back({TableId::Sys, "SYS.DBF", {c("P_W", 40)}, {}, {}});

    t.push_back({TableId::Part, "Part.dbf", {}, {}, {}});
    t.push_back({TableId::Szerz, "Szerz.dbf", {}, {{"Szerz1", "szkezd"}}, "Szerz1"});
    t.push_back({TableId::Szolgsz,
                 "Szolgsz.dbf",
                 {},
                 {{"Szolgsz1", "dtoc(kezd)+str(ssorszam,5)"}, {"Szolgsz2", "nev"}},
                 "Szolgsz1"});
    t.push_back(
        {TableId::Telepul, "Telepul.dbf", {}, {{"Tel1", "kozigkod"}, {"Tel2", "helynev"}}, "Tel1"});
    t.push_back({TableId::Terulet,
                 "Terulet.dbf",
                 {},
                 {{"Ter2", "kozigkod+dtoc(kezd)"}, {"Ter1", "kozigkod"}},
                 "Ter1"});
    t.push_back(
        {TableId::Thely, "Thely.dbf", {}, {{"Thely1", "str(tsorszam,5)+dtoc(kezd)"}}, "Thely1"});
    t.push_back(
        {TableId::Bnotorzs, "Bnotorzs.dbf", {}, {{"BNO1", "Kod10"}, {"BNO2", "nev"}}, "BNO1"});
    return t;
}

} // namespace

const TableDef& layout(TableId id) {
    static const std::vector<TableDef> all = buildLayouts();
    for (const TableDef& t : all)
        if (t.id == id) return t;
    throw std::logic_error("db::layout: unknown table");
}

const engine::FieldDef& column(TableId id, const QString& name) {
    for (const FieldDef& f : layout(id).fields)
        if (f.name == name) return f;
    throw std::logic_error("db::column: no field " + name.toStdString());
}

QString indexFileName(const QString& dbfFileName) {
    return QFileInfo(dbfFileName).completeBaseName() + QStringLiteral(".mdx");
}

const std::vector<ReindexEntry>& reindexOrder() {
    static const std::vector<ReindexEntry> order = {
        {TableId::Bnotorzs, QStringLiteral("BNO1")}, {TableId::Beteg, QStringLiteral("Beteg2")},
        {TableId::Apol, QStringLiteral("Apol2")}, // by name, unlike at creation
        {TableId::Orvos, QStringLiteral("Orvos2")},  {TableId::Maradv, QStringLiteral("Mar1")},
        {TableId::Szerz, QStringLiteral("Szerz1")},  {TableId::Szolgsz, QStringLiteral("Szolgsz1")},
        {TableId::Telepul, QStringLiteral("Tel1")},  {TableId::Terulet, QStringLiteral("Ter1")},
        {TableId::Thely, QStringLiteral("Thely1")},  {TableId::Zaras, std::nullopt},
        {TableId::Lap, QStringLiteral("Lap1")},      {TableId::Lapb, std::nullopt},
        {TableId::Elrend, QStringLiteral("Rend1")},
    };
    return order;
}

const std::vector<TableId>& receivedTables() {
    static const std::vector<TableId> ids = {TableId::Part,    TableId::Szerz,   TableId::Szolgsz,
                                             TableId::Telepul, TableId::Terulet, TableId::Thely,
                                             TableId::Bnotorzs};
    return ids;
}

} // namespace db
