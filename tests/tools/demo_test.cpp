// The demo folder: the county office's seven tables written by szdemolib open
// with our engine, carry the fields the program reads, hang together (contract
// year, TAJ check digits, settlement codes, staff numbers) and come out the
// same for the same day.

#include "engine/table.h"
#include "support/testsupport.h"
#include "tools/demo/demodata.h"
#include "tools/demo/demotool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>
#include <gtest/gtest.h>

#include <iostream>
#include <map>

// Readable failure messages for Qt strings.
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

using testsupport::readAll;
using testsupport::TempDir;
using testsupport::writeAll;

namespace {

const QDate kToday(2025, 3, 14);

QString dataFile(const TempDir& dir, const QString& name) {
    return dir.file(QStringLiteral("DATA/") + name);
}

QString dataFile(const TempDir& dir, demo::CountyTable t) {
    return dataFile(dir, demo::fileName(t));
}

// The fields the program reads from each table.
const std::map<demo::CountyTable, QStringList>& requiredFields() {
    using demo::CountyTable;
    static const std::map<CountyTable, QStringList> m = {
        {CountyTable::Part, {"INTKOD", "INTE", "MEGYE", "IRSZAM", "HELY", "UTCA"}},
        {CountyTable::Szerz,
         {"SZKEZD",  "SZVEG",  "SZSZAM",   "FINKOD", "TERVVIZ", "APTVIZ", "SZAKTVIZ",
          "NORMVIZ", "PAPVIZ", "PSZAKVIZ", "POTVIZ", "TELEP",   "DIPL",   "SZAKAP",
          "GYOGYT",  "FIZIO",  "LOGOP",    "D_OKT",  "MENTO",   "OSSZD"}},
        {CountyTable::Szolgsz,
         {"INTKOD",  "SSORSZAM", "KEZD",   "VEG",     "TAJ",     "NEV",    "SZHELY",
          "SZIDO",   "SZAKA",    "SZAKB1", "SZAKB2",  "SZAKBR",  "TEVA",   "TEVSZ",
          "SZAKAPO", "SZAKIRO",  "OSSZO",  "MASFOGL", "FOGLMIN", "MASHOL", "HETIO"}},
        {CountyTable::Telepul, {"KOZIGKOD", "HELYNEV"}},
        {CountyTable::Terulet,
         {"TSORSZAM", "KEZD", "VEG", "KOZIGKOD", "HELYNEV", "LETSZAM", "KULTER"}},
        {CountyTable::Thely, {"TSORSZAM", "KEZD", "VEG", "KOZIGKOD", "HELYNEV", "CIM", "NAP"}},
        {CountyTable::Bnotorzs, {"KOD10", "NEV"}},
    };
    return m;
}

// Every record's values of some fields, in record order.
std::vector<QStringList> rows(const QString& path, const QStringList& fields) {
    engine::Table t;
    t.open(path, engine::Table::Mode::ReadOnly);
    std::vector<QStringList> out;
    for (t.first(); !t.eof(); t.next()) {
        QStringList r;
        for (const QString& f : fields)
            r << t.text(f);
        out.push_back(r);
    }
    return out;
}

QString pad9(const QString& taj) {
    return taj.rightJustified(9, QLatin1Char('0'));
}

class DemoData : public ::testing::Test {
protected:
    void SetUp() override { result = demo::makeDemoData(dir.path(), kToday); }
    TempDir dir;
    demo::Result result;
};

} // namespace

TEST(DemoCodes, TajCheckDigit) {
    EXPECT_TRUE(demo::tajValid("111111110")); // 3+7+3+7+3+7+3+7 = 40
    EXPECT_FALSE(demo::tajValid("111111111"));
    EXPECT_FALSE(demo::tajValid("11111111"));
    EXPECT_FALSE(demo::tajValid("11111111a"));
    EXPECT_EQ(demo::tajWithCheckDigit("12345678"), "123456788"); // 3+14+9+28+15+42+21+56 = 188
    EXPECT_TRUE(demo::tajValid(demo::tajWithCheckDigit("08007088")));
}

TEST(DemoCodes, SettlementCode) {
    EXPECT_EQ(demo::kshCountyCode("Budapest"), 1);
    EXPECT_EQ(demo::kshCountyCode("Baranya"), 2);
    EXPECT_EQ(demo::kshCountyCode("Jász-Nagykun-Szolnok"), 16);
    EXPECT_EQ(demo::kshCountyCode("Veszprém"), 19);
    EXPECT_EQ(demo::kshCountyCode("Zala"), 20);
    EXPECT_EQ(demo::kshCountyCode("Atlantisz"), 0);
    EXPECT_EQ(demo::kozigkod("31945", 19), "3194519");
    EXPECT_EQ(demo::kozigkod("09566", 1), "0956601");
}

TEST_F(DemoData, WritesTheSevenTablesUnderTheirNames) {
    EXPECT_EQ(result.dataDir, QDir::cleanPath(dir.file("DATA")));
    QStringList names;
    for (const demo::MadeFile& f : result.files)
        names << f.name;
    EXPECT_EQ(names, QStringList({"PART.DBF", "SZERZ.DBF", "SZOLGSZ.DBF", "TELEPUL.DBF",
                                  "TERULET.DBF", "THELY.DBF", "BNOTORZS.DBF"}));
    const QStringList onDisk = QDir(result.dataDir).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(onDisk, QStringList({"BNOTORZS.DBF", "PART.DBF", "SZERZ.DBF", "SZOLGSZ.DBF",
                                   "TELEPUL.DBF", "TERULET.DBF", "THELY.DBF"}));
}

TEST_F(DemoData, TablesOpenAndCarryTheFieldsTheProgramReads) {
    for (demo::CountyTable t : demo::countyTables()) {
        SCOPED_TRACE(demo::fileName(t).toStdString());
        engine::Table table;
        ASSERT_NO_THROW(table.open(dataFile(dir, t)));
        for (const QString& f : requiredFields().at(t))
            EXPECT_TRUE(table.hasField(f)) << f.toStdString();
        EXPECT_GT(table.recordCount(), 0u);
        // Written by the county office's program: code page 852 marked in byte 29.
        EXPECT_EQ(table.header().languageDriver, 0x64);
    }
    for (const demo::MadeFile& f : result.files) {
        engine::Table table;
        table.open(dataFile(dir, f.name), engine::Table::Mode::ReadOnly);
        EXPECT_EQ(int(table.fileRecordCount()), f.records) << f.name.toStdString();
    }
}

TEST_F(DemoData, FieldTypesSuitTheirUse) {
    auto typeOf = [&](demo::CountyTable t, const QString& field) {
        engine::Table table;
        table.open(dataFile(dir, t), engine::Table::Mode::ReadOnly);
        const engine::FieldDef& f = table.fields()[size_t(table.fieldIndex(field))];
        return QStringLiteral("%1%2").arg(QChar(f.type)).arg(f.width);
    };
    using demo::CountyTable;
    EXPECT_EQ(typeOf(CountyTable::Part, "INTKOD"), "C4");
    EXPECT_EQ(typeOf(CountyTable::Part, "MEGYE"), "N2");
    EXPECT_EQ(typeOf(CountyTable::Szerz, "SZKEZD"), "D8");
    EXPECT_EQ(typeOf(CountyTable::Szerz, "FINKOD"), "C9");
    EXPECT_EQ(typeOf(CountyTable::Szolgsz, "KEZD"), "D8");
    EXPECT_EQ(typeOf(CountyTable::Szolgsz, "TAJ"), "N9");
    EXPECT_EQ(typeOf(CountyTable::Telepul, "KOZIGKOD"), "C7");
    EXPECT_EQ(typeOf(CountyTable::Terulet, "KOZIGKOD"), "C7");
    EXPECT_EQ(typeOf(CountyTable::Thely, "KOZIGKOD"), "C7");
    EXPECT_EQ(typeOf(CountyTable::Thely, "TSORSZAM"), "N5");
}

TEST_F(DemoData, TheProvider) {
    const auto r = rows(dataFile(dir, demo::CountyTable::Part),
                        {"INTKOD", "INTE", "MEGYE", "IRSZAM", "HELY", "UTCA"});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0][0], demo::providerCode());
    EXPECT_EQ(r[0][0].size(), 4);
    EXPECT_EQ(r[0][1], demo::providerName());
    EXPECT_EQ(r[0][2].toInt(), demo::providerCounty());
    EXPECT_GE(r[0][2].toInt(), 1);
    EXPECT_LE(r[0][2].toInt(), 20);
    EXPECT_EQ(r[0][3], "8500");
    EXPECT_EQ(r[0][4], "Pápa");
    EXPECT_FALSE(r[0][5].isEmpty());
}

TEST_F(DemoData, TheLastContractCoversTodaysYear) {
    engine::Table szerz;
    szerz.open(dataFile(dir, demo::CountyTable::Szerz), engine::Table::Mode::ReadOnly);
    EXPECT_EQ(szerz.recordCount(), 2u);
    szerz.first();
    EXPECT_EQ(szerz.date("SZKEZD"), QDate(2024, 1, 1));
    EXPECT_EQ(szerz.date("SZVEG"), QDate(2024, 12, 31));
    szerz.last();
    EXPECT_EQ(szerz.date("SZKEZD"), QDate(2025, 1, 1));
    EXPECT_EQ(szerz.date("SZVEG"), QDate(2025, 12, 31));
    EXPECT_EQ(szerz.text("FINKOD"), demo::financingCode());
    EXPECT_EQ(szerz.text("FINKOD").size(), 9);
    EXPECT_EQ(szerz.text("SZSZAM"), demo::contractNumber(2025));
    EXPECT_EQ(szerz.text("INTKOD"), demo::providerCode());
    // The quotas add up and fit the staff's capacity (132 visits a month for
    // a 40-hour week).
    auto n = [&](const char* f) { return int(szerz.number(f)); };
    EXPECT_EQ(n("NORMVIZ"), n("APTVIZ") + n("SZAKTVIZ"));
    EXPECT_EQ(n("POTVIZ"), n("PAPVIZ") + n("PSZAKVIZ"));
    EXPECT_EQ(n("TERVVIZ"), n("NORMVIZ") + n("POTVIZ"));
    EXPECT_GT(n("APTVIZ"), 0);
    EXPECT_GT(n("SZAKTVIZ"), 0);
    EXPECT_EQ(n("OSSZD"), n("DIPL") + n("SZAKAP") + n("GYOGYT") + n("FIZIO") + n("LOGOP") +
                              n("D_OKT") + n("MENTO"));
    EXPECT_EQ(n("TELEP"), 2);
}

TEST_F(DemoData, StaffNumbersMatchTheWorkersUnderContract) {
    engine::Table szerz, szolgsz, thely;
    szerz.open(dataFile(dir, demo::CountyTable::Szerz), engine::Table::Mode::ReadOnly);
    szolgsz.open(dataFile(dir, demo::CountyTable::Szolgsz), engine::Table::Mode::ReadOnly);
    thely.open(dataFile(dir, demo::CountyTable::Thely), engine::Table::Mode::ReadOnly);
    for (szerz.first(); !szerz.eof(); szerz.next()) {
        const QString start = szerz.text("SZKEZD");
        SCOPED_TRACE(start.toStdString());
        const QString f = QStringLiteral("kezd<='%1' and (veg>='%1' or veg=null)").arg(start);
        szolgsz.setFilter(f);
        szolgsz.setFiltered(true);
        thely.setFilter(f);
        thely.setFiltered(true);
        EXPECT_EQ(int(szolgsz.recordCount()), int(szerz.number("OSSZD")));
        EXPECT_EQ(int(thely.recordCount()), int(szerz.number("TELEP")));
        int nursing = 0;
        for (szolgsz.first(); !szolgsz.eof(); szolgsz.next())
            nursing += int(szolgsz.number("SZAKAPO"));
        EXPECT_EQ(int(szerz.number("APTVIZ")), nursing * 132 / 40 / 10 * 10);
    }
}

TEST_F(DemoData, WorkersHaveValidTajNumbers) {
    const auto r = rows(dataFile(dir, demo::CountyTable::Szolgsz), {"TAJ", "NEV", "INTKOD"});
    ASSERT_GE(r.size(), 8u);
    bool leadingZeroDropped = false;
    for (const QStringList& w : r) {
        EXPECT_TRUE(demo::tajValid(pad9(w[0]))) << w[0].toStdString();
        EXPECT_FALSE(w[1].isEmpty());
        EXPECT_EQ(w[2], demo::providerCode());
        if (w[0].size() < 9) leadingZeroDropped = true;
    }
    // The county office's numeric field keeps no leading zero: the program
    // pads the number back to nine digits, and the demo data makes it do so.
    EXPECT_TRUE(leadingZeroDropped);
}

TEST_F(DemoData, WorkersUnderContractByMonth) {
    // The capacity check's filter: workers under contract in the month.
    engine::Table szolgsz;
    szolgsz.open(dataFile(dir, demo::CountyTable::Szolgsz), engine::Table::Mode::ReadOnly);
    auto serials = [&](const QString& filter) {
        szolgsz.setFilter(filter);
        szolgsz.setFiltered(true);
        QList<int> s;
        for (szolgsz.first(); !szolgsz.eof(); szolgsz.next())
            s << int(szolgsz.number("SSORSZAM"));
        std::sort(s.begin(), s.end());
        return s;
    };
    EXPECT_EQ(serials("kezd<='2025.03.31' and (veg >='2025.03.01' or veg=null)"),
              QList<int>({1, 2, 3, 4, 6, 7, 8, 9, 10}));
    EXPECT_EQ(serials("kezd<='2025.07.31' and (veg >='2025.07.01' or veg=null)"),
              QList<int>({1, 2, 3, 4, 6, 7, 8, 10}));
    EXPECT_EQ(serials("kezd<='2024.05.31' and (veg >='2024.05.01' or veg=null)"),
              QList<int>({1, 2, 3, 4, 5, 6, 10}));
    // The contract view's filter for this year's contract.
    EXPECT_EQ(serials("kezd<='2025.01.01' and (veg >='2025.12.31' or veg=null)"),
              QList<int>({1, 2, 3, 4, 6, 7, 8, 10}));
}

TEST_F(DemoData, StartUpIndexesBuildOnTheTables) {
    struct StartupTag {
        demo::CountyTable table;
        const char* name;
        const char* expr;
    };
    const StartupTag tags[] = {
        {demo::CountyTable::Szerz, "Szerz1", "szkezd"},
        {demo::CountyTable::Szolgsz, "Szolgsz1", "dtoc(kezd)+str(ssorszam,5)"},
        {demo::CountyTable::Szolgsz, "Szolgsz2", "nev"},
        {demo::CountyTable::Telepul, "Tel1", "kozigkod"},
        {demo::CountyTable::Telepul, "Tel2", "helynev"},
        {demo::CountyTable::Terulet, "Ter2", "kozigkod+dtoc(kezd)"},
        {demo::CountyTable::Terulet, "Ter1", "kozigkod"},
        {demo::CountyTable::Thely, "Thely1", "str(tsorszam,5)+dtoc(kezd)"},
        {demo::CountyTable::Bnotorzs, "BNO1", "Kod10"},
        {demo::CountyTable::Bnotorzs, "BNO2", "nev"},
    };
    for (const StartupTag& s : tags) {
        SCOPED_TRACE(s.name);
        engine::Table t;
        t.open(dataFile(dir, s.table));
        EXPECT_NO_THROW(t.addTag(s.name, s.expr));
        t.setActiveTag(s.name);
        t.first();
        EXPECT_FALSE(t.eof());
    }
    engine::Table szolgsz;
    szolgsz.open(dataFile(dir, demo::CountyTable::Szolgsz));
    szolgsz.setActiveTag("Szolgsz1");
    szolgsz.last();
    EXPECT_EQ(szolgsz.date("KEZD"), QDate(2025, 1, 1));
    EXPECT_EQ(int(szolgsz.number("SSORSZAM")), 9);
}

TEST_F(DemoData, EverySettlementCodeIsInTelepul) {
    QSet<QString> codes;
    for (const QStringList& r :
         rows(dataFile(dir, demo::CountyTable::Telepul), {"KOZIGKOD", "HELYNEV"})) {
        EXPECT_EQ(r[0].size(), 7) << r[0].toStdString();
        EXPECT_FALSE(r[1].isEmpty());
        EXPECT_FALSE(codes.contains(r[0])) << "twice: " << r[0].toStdString();
        codes.insert(r[0]);
    }
    EXPECT_EQ(codes.size(), 3155 + 23);
    EXPECT_TRUE(codes.contains("3194519")); // Pápa, Veszprém county
    EXPECT_TRUE(codes.contains("1357801")); // Budapest
    EXPECT_TRUE(codes.contains("0956601")); // Budapest 01. kerület

    std::map<QString, QString> names;
    for (const QStringList& r :
         rows(dataFile(dir, demo::CountyTable::Telepul), {"KOZIGKOD", "HELYNEV"}))
        names[r[0]] = r[1];
    for (demo::CountyTable t : {demo::CountyTable::Terulet, demo::CountyTable::Thely}) {
        const auto r = rows(dataFile(dir, t), {"KOZIGKOD", "HELYNEV"});
        EXPECT_FALSE(r.empty());
        for (const QStringList& x : r) {
            ASSERT_TRUE(codes.contains(x[0])) << x[0].toStdString();
            EXPECT_EQ(names[x[0]], x[1]);
        }
    }
}

TEST_F(DemoData, ServiceAreaAndSites) {
    const auto sites = rows(dataFile(dir, demo::CountyTable::Thely),
                            {"TSORSZAM", "KEZD", "VEG", "HELYNEV", "CIM", "NAP"});
    ASSERT_EQ(sites.size(), 2u);
    EXPECT_EQ(sites[0],
              QStringList({"1", "2024.01.01", "", "Pápa", "Petőfi Sándor utca 12.", "5"}));
    EXPECT_EQ(sites[1][0], "2");
    EXPECT_EQ(sites[1][1], "2025.01.01");
    const auto areas = rows(dataFile(dir, demo::CountyTable::Terulet),
                            {"TSORSZAM", "KEZD", "VEG", "LETSZAM", "KULTER"});
    ASSERT_GE(areas.size(), 10u);
    for (const QStringList& a : areas) {
        EXPECT_TRUE(a[0] == "1" || a[0] == "2");
        EXPECT_GT(a[3].toInt(), 0);
        EXPECT_TRUE(a[4].isEmpty() || a[4] == "K");
    }
}

TEST_F(DemoData, BnoTableIsTheFundsOwn) {
    engine::Table bno;
    bno.open(dataFile(dir, demo::CountyTable::Bnotorzs), engine::Table::Mode::ReadOnly);
    EXPECT_EQ(bno.fileRecordCount(), 11681u);
    EXPECT_EQ(bno.fields().size(), 8u);
    EXPECT_EQ(bno.header().year, 2023);
    ASSERT_TRUE(bno.locate("KOD10", "I10H0"));
    EXPECT_EQ(bno.text("NEV"), "Magasvérnyomás-betegség (elsődleges)");
}

TEST(DemoDataRepeat, SameDaySameBytes) {
    TempDir a, b, c;
    demo::makeDemoData(a.path(), kToday);
    demo::makeDemoData(b.path(), kToday);
    demo::makeDemoData(c.path(), QDate(2025, 11, 2));
    for (demo::CountyTable t : demo::countyTables()) {
        SCOPED_TRACE(demo::fileName(t).toStdString());
        const QByteArray x = readAll(dataFile(a, t));
        EXPECT_EQ(x, readAll(dataFile(b, t)));
        // Another day of the same year: only the header's date differs.
        QByteArray y = readAll(dataFile(c, t));
        ASSERT_EQ(x.size(), y.size());
        if (t != demo::CountyTable::Bnotorzs) {
            EXPECT_EQ(int(y[1]), 25);
            EXPECT_EQ(int(y[2]), 11);
            EXPECT_EQ(int(y[3]), 2);
        }
        y.replace(1, 3, x.mid(1, 3));
        EXPECT_EQ(x, y);
    }
}

TEST(DemoDataOptions, LeavingOutTables) {
    using demo::CountyTable;
    for (CountyTable left : demo::countyTables()) {
        SCOPED_TRACE(demo::fileName(left).toStdString());
        TempDir dir;
        demo::Options o;
        o.leaveOut = {left};
        const demo::Result r = demo::makeDemoData(dir.path(), kToday, o);
        EXPECT_EQ(r.files.size(), 6u);
        for (CountyTable t : demo::countyTables())
            EXPECT_EQ(QFileInfo::exists(dataFile(dir, t)), t != left)
                << demo::fileName(t).toStdString();
    }
    TempDir dir;
    demo::Options o;
    o.leaveOut = {CountyTable::Part, CountyTable::Bnotorzs};
    demo::makeDemoData(dir.path(), kToday, o);
    EXPECT_FALSE(demo::hasCountyData(dir.path()));
    EXPECT_FALSE(QFileInfo::exists(dataFile(dir, CountyTable::Bnotorzs)));
    EXPECT_TRUE(QFileInfo::exists(dataFile(dir, CountyTable::Szerz)));
}

TEST(DemoDataOptions, ContractWithoutFinkod) {
    TempDir dir;
    demo::Options o;
    o.finkodField = false;
    demo::makeDemoData(dir.path(), kToday, o);
    engine::Table szerz;
    szerz.open(dataFile(dir, demo::CountyTable::Szerz), engine::Table::Mode::ReadOnly);
    EXPECT_FALSE(szerz.hasField("FINKOD"));
    EXPECT_TRUE(szerz.hasField("SZKEZD"));
    szerz.last();
    EXPECT_EQ(szerz.date("SZKEZD"), QDate(2025, 1, 1));
}

TEST(DemoDataOptions, OnlyThisYearsContract) {
    TempDir dir;
    demo::Options o;
    o.previousContract = false;
    demo::makeDemoData(dir.path(), QDate(2026, 1, 5), o);
    const auto contracts =
        rows(dataFile(dir, demo::CountyTable::Szerz), {"SZKEZD", "SZVEG", "OSSZD"});
    ASSERT_EQ(contracts.size(), 1u);
    EXPECT_EQ(contracts[0][0], "2026.01.01");
    EXPECT_EQ(contracts[0][1], "2026.12.31");
    for (demo::CountyTable t :
         {demo::CountyTable::Szolgsz, demo::CountyTable::Terulet, demo::CountyTable::Thely})
        for (const QStringList& r : rows(dataFile(dir, t), {"KEZD", "VEG"})) {
            EXPECT_GE(r[0], "2026.01.01");
            EXPECT_TRUE(r[1].isEmpty() || r[1] >= "2026.01.01");
        }
}

TEST(DemoDataOptions, WorkerTajAsText) {
    TempDir dir;
    demo::Options o;
    o.workerTajAsNumber = false;
    demo::makeDemoData(dir.path(), kToday, o);
    engine::Table szolgsz;
    szolgsz.open(dataFile(dir, demo::CountyTable::Szolgsz), engine::Table::Mode::ReadOnly);
    EXPECT_EQ(szolgsz.fields()[size_t(szolgsz.fieldIndex("TAJ"))].type, 'C');
    for (szolgsz.first(); !szolgsz.eof(); szolgsz.next()) {
        EXPECT_EQ(szolgsz.text("TAJ").size(), 9);
        EXPECT_TRUE(demo::tajValid(szolgsz.text("TAJ")));
    }
}

TEST(DemoDataOptions, LocalData) {
    TempDir dir;
    demo::Options o;
    o.localData = true;
    const demo::Result r = demo::makeDemoData(dir.path(), kToday, o);
    ASSERT_EQ(r.files.size(), 10u);
    QSet<QString> places;
    for (const QStringList& x : rows(dataFile(dir, "TELEPUL.DBF"), {"KOZIGKOD"}))
        places.insert(x[0]);
    QSet<QString> workers;
    for (const QStringList& x : rows(dataFile(dir, "SZOLGSZ.DBF"), {"TAJ"}))
        workers.insert(pad9(x[0]));

    const auto nurses = rows(dataFile(dir, "Apol.dbf"), {"APTAJ", "ANEV"});
    EXPECT_FALSE(nurses.empty());
    for (const QStringList& n : nurses) {
        EXPECT_TRUE(demo::tajValid(n[0]));
        EXPECT_TRUE(workers.contains(n[0])) << n[0].toStdString();
    }
    const auto doctors = rows(dataFile(dir, "Orvos.dbf"), {"ORVOSKOD", "ONEV"});
    EXPECT_FALSE(doctors.empty());
    for (const QStringList& d : doctors) {
        EXPECT_EQ(d[0].size(), 5);
        EXPECT_TRUE(d[1].startsWith("Dr. "));
    }
    const auto patients =
        rows(dataFile(dir, "Beteg.dbf"), {"TAJ", "NEV", "NEME", "AZTIP", "KOZIGKOD", "SZULI"});
    EXPECT_FALSE(patients.empty());
    for (const QStringList& p : patients) {
        EXPECT_TRUE(demo::tajValid(p[0]));
        EXPECT_TRUE(p[2] == "F" || p[2] == "N");
        EXPECT_EQ(p[3], "1");
        EXPECT_TRUE(places.contains(p[4])) << p[4].toStdString();
        EXPECT_FALSE(p[5].isEmpty());
    }
}

// --- the szdemo command ----------------------------------------------------

namespace {

struct ToolRun {
    int rc;
    QString out, err;
};

ToolRun runTool(const QStringList& args) {
    QString out, err;
    QTextStream o(&out), e(&err);
    ToolRun r;
    r.rc = demo::runTool(args, kToday, o, e);
    o.flush();
    e.flush();
    r.out = out;
    r.err = err;
    return r;
}

} // namespace

TEST(DemoTool, MakesTheFolderAndSaysWhat) {
    TempDir dir;
    const ToolRun r = runTool({dir.path()});
    EXPECT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("SZOLGSZ.DBF")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("11681 rekord")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(demo::financingCode()));
    EXPECT_TRUE(demo::hasCountyData(dir.path()));
}

TEST(DemoTool, RefusesAnExistingFolderWithoutForce) {
    TempDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.file("DATA")));
    writeAll(dir.file("DATA/Part.dbf"), "not ours");
    const ToolRun r = runTool({dir.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("PART.DBF")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("--force")) << r.err.toStdString();
    EXPECT_EQ(readAll(dir.file("DATA/Part.dbf")), "not ours");
    EXPECT_FALSE(QFileInfo::exists(dir.file("DATA/SZERZ.DBF")));

    // --force replaces it: one file under the county office's name, no
    // leftover of another letter case, no stale index.
    writeAll(dir.file("DATA/Szerz.mdx"), "stale");
    const ToolRun f = runTool({"--force", dir.path()});
    EXPECT_EQ(f.rc, 0) << f.err.toStdString();
    const QStringList files = QDir(dir.file("DATA")).entryList(QDir::Files, QDir::Name);
    EXPECT_TRUE(files.contains("PART.DBF"));
    EXPECT_FALSE(files.contains("Part.dbf"));
    EXPECT_FALSE(files.contains("Szerz.mdx"));
    engine::Table part;
    part.open(dir.file("DATA/PART.DBF"), engine::Table::Mode::ReadOnly);
    EXPECT_EQ(part.recordCount(), 1u);
}

TEST(DemoTool, NeverOverwritesLocalData) {
    TempDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.file("DATA")));
    writeAll(dir.file("DATA/BETEG.DBF"), "patients");
    const ToolRun r = runTool({"--force", "--local-data", dir.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("Beteg.dbf")) << r.err.toStdString();
    EXPECT_EQ(readAll(dir.file("DATA/BETEG.DBF")), "patients");
    EXPECT_FALSE(demo::hasCountyData(dir.path()));
}

TEST(DemoTool, DateAndArguments) {
    TempDir dir;
    const ToolRun r = runTool({"--date", "2027.06.30", dir.path()});
    EXPECT_EQ(r.rc, 0) << r.err.toStdString();
    engine::Table szerz;
    szerz.open(dir.file("DATA/SZERZ.DBF"), engine::Table::Mode::ReadOnly);
    szerz.last();
    EXPECT_EQ(szerz.date("SZKEZD"), QDate(2027, 1, 1));
    EXPECT_EQ(szerz.header().year, 2027);
    EXPECT_EQ(szerz.header().month, 6);
    EXPECT_EQ(szerz.header().day, 30);

    EXPECT_EQ(runTool({}).rc, 2);
    EXPECT_EQ(runTool({"--date", "30.06.2027", dir.path()}).rc, 2);
    EXPECT_EQ(runTool({"--bogus", dir.path()}).rc, 2);
    EXPECT_EQ(runTool({dir.path(), dir.path()}).rc, 2);
    const ToolRun h = runTool({"--help"});
    EXPECT_EQ(h.rc, 0);
    EXPECT_TRUE(h.out.contains("Használat")) << h.out.toStdString();
}
