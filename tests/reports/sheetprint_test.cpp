// The printed sheets Telszl and Telszlr and the "Nyomtatás" command, on a
// started program with sheets written through the table objects.

#include "app/programinfo.h"
#include "db/layouts.h"

#include "engine/table.h"
#include "reports/counties.h"
#include "reports/elszlap.h"
#include "print/pagemodel.h"
#include "reports/sheetprint.h"
#include "support/startedapp.h"
#include "tools/demo/demodata.h"

#include <gtest/gtest.h>

using namespace reports;

namespace {

const ProgramText kProgram{app::programTitle(), app::programVersion()};

struct Visit {
    int day;
    QString aptaj;
    int elltip = 2;
    QString tevkod = QStringLiteral("1");
    int onkep = 2;
};

class Sheets {
public:
    explicit Sheets(core::AppState& st) : st_(st) {
        add(st.tables.apol, {{"APTAJ", "111111110"}, {"ANEV", "Kiss Anna"}});
        add(st.tables.apol, {{"APTAJ", "222222220"}, {"ANEV", "Nagy Éva"}});
        add(st.tables.orvos, {{"ORVOSKOD", "12345"}, {"ONEV", "Dr. Orvos Ödön"}});
        add(st.tables.orvos, {{"ORVOSKOD", "54321"}, {"ONEV", "Dr. Javasló Jenő"}});
        add(st.tables.beteg, {{"TAJ", "123456788"},
                              {"NEV", "Beteg Borbála"},
                              {"NEME", "N"},
                              {"KOZIGKOD", "1234567"},
                              {"CIME1", "Veszprém"},
                              {"CIME2", "Fő utca 1."},
                              {"SZULH", "Pápa"},
                              {"SZULI", QDate(1940, 2, 3)}});
    }

    // A sheet with its ELREND record (unless `withElrend` is false) and visits.
    void sheet(const QString& idoszak, const QString& sorsz, const QString& resz,
               const std::vector<Visit>& visits, bool marked = true, bool withElrend = true) {
        add(st_.tables.lap, {{"IDOSZAK", idoszak},
                             {"INTKOD", demo::providerCode()},
                             {"FINKOD", "189042701"},
                             {"SORSZ", sorsz},
                             {"RESZ", resz},
                             {"TAJ", "123456788"},
                             {"TPOTL", "I"},
                             {"BNOFO", "I10H0"},
                             {"ORVOSKOD", "12345"},
                             {"ELSZAM", 1},
                             {"AZTIP", "1"},
                             {"TERKAT", "01"},
                             {"ALLAMP", "HUN"},
                             {"SZVIZ", int(visits.size())},
                             {"JELOLES", marked ? "*" : ""}});
        if (withElrend)
            add(st_.tables.elrend, {{"IDOSZAK", idoszak},
                                    {"INTKOD", demo::providerCode()},
                                    {"SORSZ", sorsz},
                                    {"RESZ", resz},
                                    {"JORVKOD", "54321"},
                                    {"SZAKVET", QDate(2000, 1, 1)},
                                    {"ELVIZDB", 20}});
        const QDate first = QDate::fromString(idoszak + ".01", "yyyy.MM.dd");
        for (const Visit& v : visits)
            add(st_.tables.lapb, {{"IDOSZAK", idoszak},
                                  {"INTKOD", demo::providerCode()},
                                  {"SORSZ", sorsz},
                                  {"RESZ", resz},
                                  {"TEVKOD", v.tevkod},
                                  {"ELLTIP", v.elltip},
                                  {"ONKEP", v.onkep},
                                  {"APDATUM", first.addDays(v.day - 1)},
                                  {"APTAJ", v.aptaj},
                                  {"VIZITDB", 1}});
    }

    int marks() {
        return st_.tables.dbo.query("select count(*) from lap where jeloles='*'")
            .value(0, 0)
            .toInt();
    }

private:
    static void add(engine::Table& t,
                    std::initializer_list<std::pair<const char*, QVariant>> values) {
        t.append();
        for (const auto& [field, value] : values)
            t.setValue(QLatin1String(field), value);
        t.post();
    }
    core::AppState& st_;
};

// True when `expected` appear in `texts` in this order (others may lie between).
bool inOrder(const QStringList& texts, const QStringList& expected) {
    int at = 0;
    for (const QString& t : texts)
        if (at < expected.size() && t == expected[at]) ++at;
    return at == expected.size();
}

std::unique_ptr<testsupport::StartedApp> started(QDate today, const QString& period) {
    return std::make_unique<testsupport::StartedApp>(demo::Options{}, today, period);
}

} // namespace

TEST(SheetPrint, TelszlShowsTheSheetsLabelsValuesAndDayGridInOrder) {
    auto a = started(QDate(2016, 3, 15), "2016.03");
    Sheets s(a->state);
    s.sheet("2016.03", "00007", "", {{1, "111111110"}, {3, "222222220"}, {5, "111111110"}});
    SheetPrint p(a->state, kProgram);
    const PageModel m = p.pages("Telszl");
    ASSERT_EQ(m.pageCount(), 1);
    const QStringList t = m.texts(0);
    EXPECT_TRUE(inOrder(t, {"Otthoni szakápolás",
                            "Verzió:",
                            "v 3.61",
                            "SZAKÁPOLÁSI EGYÉNI ELSZÁMOLÓ LAP",
                            "Sorszám:",
                            "00007",
                            "Jelentési időszak:",
                            "2016.03",
                            "Szolgáltató ULV kódja:",
                            "1890",
                            "Megyekód és megnevezése:",
                            "18",
                            countyName(18),
                            "Szolgáltató ULV szerződésszáma:",
                            demo::contractNumber(2016),
                            "A beteg neve:",
                            "Beteg Borbála",
                            "Neme:",
                            "Nő",
                            "címe:",
                            "1234567 Veszprém, Fő utca 1.",
                            "születési helye, ideje:",
                            "Pápa",
                            "1940.02.03",
                            "társadalombiztosítási azonosítója:",
                            "123456788",
                            "Területi pótlék:",
                            "igen",
                            "finanszírozási kód:",
                            "189042701",
                            "Azonosító típus:",
                            "1",
                            "Térítési kategória:",
                            "01",
                            "Állampolgárság:",
                            "HUN",
                            "Szakápolást indokló fődiagnózis",
                            "I10H0",
                            "Magasvérnyomás-betegség (elsődleges)",
                            "A szakápolásba vételének időpontja:",
                            "2000.01.01",
                            "Elrendelt vizitek száma:",
                            "20",
                            "Elrendelő orvos neve:",
                            "Dr. Orvos Ödön",
                            "Pecsétszáma:",
                            "12345",
                            "Javaslatot tevő orvos neve:",
                            "Dr. Javasló Jenő",
                            "Pecsétszáma:",
                            "54321",
                            "Ellátást végző(k) neve",
                            "Kiss Anna, Nagy Éva",
                            "A beteg állapota:",
                            "2",
                            "Részleges ápolásra szoruló beteg",
                            "Nap",
                            "Ellátás típusa",
                            "Fő tevékenység",
                            "Ápoló TAJ száma",
                            "2016.03.01",
                            "2",
                            "1",
                            "111111110",
                            "2016.03.02",
                            "2016.03.03",
                            "2",
                            "1",
                            "222222220",
                            "2016.03.31",
                            "A vizitek száma összesen:",
                            "3",
                            "Dátum:",
                            "2016.03.15",
                            "Szolgáltató cégszerű aláírása",
                            "Ellátást végző(k) aláírása",
                            "Oldal:",
                            "1"}))
        << t.join(" | ").toStdString();
    EXPECT_EQ(t.count("Kiss Anna, Nagy Éva"), 1);
}

TEST(SheetPrint, PeriodDecidesCodeFieldsAndProviderCaptions) {
    struct Case {
        QString period, c;
        QDate today;
        bool codes, zapo;
    };
    const Case cases[] = {{"2016.03", "2016.03", {2016, 3, 15}, true, false},
                          {"2015.12", "2016.03", {2016, 3, 15}, false, false},
                          {"2016.12", "2017.01", {2017, 1, 15}, true, false},
                          {"2017.01", "2017.01", {2017, 1, 15}, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.period.toStdString());
        auto a = started(c.today, c.c);
        Sheets s(a->state);
        s.sheet(c.period, "00001", "A", {{2, "111111110"}});
        const QStringList t = SheetPrint(a->state, kProgram).pages("Telszl").texts(0);
        EXPECT_EQ(t.contains("finanszírozási kód:"), c.codes);
        EXPECT_EQ(t.contains("Állampolgárság:"), c.codes);
        EXPECT_EQ(t.contains("Szolgáltató ZAPO kódja:"), c.zapo);
        EXPECT_EQ(t.contains("Szolgáltató ZAPO szerződésszáma:"), c.zapo);
        EXPECT_EQ(t.contains("Szolgáltató ULV kódja:"), !c.zapo);
        // A partial invoice finds its visit by its part letter too.
        EXPECT_TRUE(inOrder(t, {c.period + ".02", "2", "1", "111111110"}));
    }
}

TEST(SheetPrint, StrictJoinsLeaveSheetsOutAndEachSheetGetsItsPage) {
    auto a = started(QDate(2016, 3, 15), "2016.03");
    Sheets s(a->state);
    s.sheet("2016.03", "00001", "", {{1, "111111110"}});
    s.sheet("2016.03", "00002", "", {{1, "111111110"}}, true, false); // no ELREND
    s.sheet("2016.03", "00003", "", {});                              // no visit row
    s.sheet("2016.03", "00004", "", {{1, "999999999"}});              // unknown nurse
    s.sheet("2016.03", "00005", "", {{1, "222222220"}, {2, "111111110"}});
    s.sheet("2016.03", "00006", "", {{1, "222222220"}}, false); // not marked
    const PageModel m = SheetPrint(a->state, kProgram).pages("Telszl");
    ASSERT_EQ(m.pageCount(), 2);
    EXPECT_TRUE(m.texts(0).contains("00001"));
    EXPECT_TRUE(m.texts(1).contains("00005"));
    EXPECT_TRUE(m.texts(1).contains("Nagy Éva, Kiss Anna"));
}

TEST(SheetPrint, Before2006BothLayoutsRunAndEveryMarkIsCleared) {
    auto a = started(QDate(2005, 12, 10), "2005.12");
    Sheets s(a->state);
    s.sheet("2005.01", "00001", "", {});
    s.sheet("2005.03", "00002", "", {{4, "111111110"}});
    s.sheet("2005.04", "00003", "", {{4, "111111110"}}, true, false); // left out: no ELREND
    QStringList shown;
    QStringList firstTexts;
    SheetPrint p(a->state, kProgram);
    p.nyomtat([&](const PageModel& m) {
        shown << m.name;
        firstTexts << m.texts(0).join("|");
    });
    EXPECT_EQ(shown, (QStringList{"Telszlr", "Telszl"}));
    EXPECT_TRUE(firstTexts[0].contains("ELSZÁMOLÁSI LAP|") && firstTexts[0].contains("|00001|"));
    EXPECT_TRUE(firstTexts[0].contains("Szolgáltató ULV kódja|"));
    EXPECT_TRUE(firstTexts[1].contains("|00002|"));
    EXPECT_TRUE(a->msg.log().empty());
    EXPECT_EQ(s.marks(), 0);
    EXPECT_EQ(SheetPrint::layoutsFor(core::Idoszak(2006, 1)), QStringList{"Telszl"});
}

TEST(SheetPrint, NothingPrintableGivesTheMessageAndClearsTheMarks) {
    auto a = started(QDate(2016, 3, 15), "2016.03");
    Sheets s(a->state);
    s.sheet("2016.03", "00001", "", {{1, "111111110"}}, true, false);
    int previews = 0;
    SheetPrint(a->state, kProgram).nyomtat([&](const PageModel&) { ++previews; });
    EXPECT_EQ(previews, 0);
    EXPECT_EQ(a->msg.log(),
              (std::vector<std::string>{"error: Nincs kiválasztva elszámolási lap!"}));
    EXPECT_EQ(s.marks(), 0);
}

TEST(SheetPrint, TelszlrShowsTheOldSlotsFromLapold) {
    auto a = started(QDate(2005, 12, 10), "2005.12");
    Sheets s(a->state);
    s.sheet("2004.11", "00009", "", {});
    // The conversion keeps the old sheet's slots in LAPOLD.
    engine::Table old;
    const db::TableDef& def = db::layout(db::TableId::Lapold);
    engine::Table::create(a->data(def.fileName), def.fields);
    old.open(a->data(def.fileName));
    old.append();
    old.setValue("IDOSZAK", "2004.11");
    old.setValue("SORSZ", "00009");
    old.setValue("TEV1", "3a");
    old.setValue("TOL2", QDate(2004, 11, 3));
    old.setValue("IG2", QDate(2004, 11, 9));
    old.setValue("VIZ2", 4);
    old.setValue("VIZ11", 2);
    old.setValue("VIZ12", 1);
    old.post();
    old.close();
    const QStringList t = SheetPrint(a->state, kProgram).pages("Telszlr").texts(0);
    EXPECT_TRUE(inOrder(t, {"ELSZÁMOLÁSI LAP", "Ellátást végző(k) TAJ-száma", "-tól", "-ig",
                            "vizitszám", "Szakápolás", "A beteg segítségre szorult", "2004.11.03",
                            "2004.11.09", "4", "2", "A beteg önellátó", "1", "4", "3",
                            "Fő tevékenységi kód", "3a", "A vizitek száma összesen:"}))
        << t.join(" | ").toStdString();
}

// Every label of the sheet's header is as wide as its text, and nothing else
// stands in its box: "Szolgáltató ZAPO szerződésszáma:" and
// "társadalombiztosítási azonosítója:" do not run into their values.
TEST(SheetPrint, LabelsAreSizedToTheirTexts) {
    auto a = started(QDate(2017, 1, 15), "2017.01");
    Sheets s(a->state);
    s.sheet("2017.01", "00001", "", {{2, "111111110"}});
    const PageModel m = SheetPrint(a->state, kProgram).pages("Telszl");
    ASSERT_GE(m.pageCount(), 1);
    const auto& texts = m.pages[0].texts();
    int checked = 0;
    for (const PageText& l : texts) {
        if (l.font.bold || l.text.isEmpty() || !l.text.endsWith(u':')) continue;
        ++checked;
        EXPECT_LE(textWidth(l.text, l.font), l.rect.width() + 0.01) << l.text.toStdString();
        // Rows meet edge to edge; a hair's breadth of rounding is no overlap.
        const QRectF box = l.rect.adjusted(0.05, 0.05, -0.05, -0.05);
        for (const PageText& o : texts)
            if (&o != &l && !o.text.isEmpty()) {
                EXPECT_FALSE(box.intersects(o.rect))
                    << l.text.toStdString() << " / " << o.text.toStdString();
            }
    }
    EXPECT_GT(checked, 30);
}
