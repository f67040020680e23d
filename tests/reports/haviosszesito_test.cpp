// The monthly summary that goes with the shipment: its figures counted
// without fonts, its two layouts read from the page model, the query over
// the sent sheets, and the check against the shipment files still in KULD.

#include "app/programinfo.h"
#include "engine/table.h"
#include "register/registerdata.h"
#include "reports/counties.h"
#include "reports/haviadatok.h"
#include "reports/havikuld.h"
#include "reports/haviosszesito.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace reports;

namespace {

const ProgramText kProgram{app::programTitle(), app::programVersion()};

core::Idoszak per(const char* p) {
    return *core::Idoszak::parse(QString::fromLatin1(p));
}

HaviSor sor(int elszam, const char* tpotl, const char* tevkod, int elltip, int onkep, qint64 vizit,
            const char* mod = "") {
    return HaviSor{"1890", elszam, tpotl, tevkod, elltip, onkep, vizit, mod};
}

const HaviCella& cella(const HaviAdatok& a, const QString& jel, int onkep) {
    for (const HaviKategoria& k : a.kategoriak())
        for (const HaviCella& c : k.cellak)
            if (k.jel == jel && c.onkep == onkep) return c;
    throw std::out_of_range("no cell " + jel.toStdString());
}

// The text after `label` in the page's placing order.
QString after(const QStringList& t, const QString& label, int skip = 0) {
    const int i = int(t.indexOf(label));
    return i < 0 || i + 1 + skip >= t.size() ? QStringLiteral("<none>") : t[i + 1 + skip];
}

// The texts of a laid-out summary.
QStringList texts(const HaviFej& fej, std::shared_ptr<HaviAdatok> a) {
    Report r = makeThavil(fej, std::move(a), kProgram);
    const PageModel m = layout(r, QDateTime(QDate(2009, 2, 3), QTime(10, 0)));
    EXPECT_EQ(m.pageCount(), 1);
    return m.texts(0);
}

} // namespace

// ---------------------------------------------------------------- figures

TEST(HaviAdatok, WorkedExampleKeepsTheFractionUntilShown) {
    HaviAdatok a(per("2009.01"), 3380);
    a.add(sor(2, "N", "1", 2, 2, 10));
    a.add(sor(3, "I", "1", 2, 2, 4));
    const HaviCella& c = cella(a, "22", 2);
    EXPECT_EQ(c.n, 10);
    EXPECT_EQ(c.t, 4);
    EXPECT_DOUBLE_EQ(c.szorzo, 0.7);
    EXPECT_NEAR(c.ft, 34070.4, 1e-9);
    EXPECT_NEAR(a.vizft(), 33124.0, 1e-9);
    EXPECT_NEAR(a.tpft(), 946.4, 1e-9);
    EXPECT_NEAR(a.osszft(), a.vizft() + a.tpft(), 1e-9);

    HaviFej fej;
    fej.idoszak = "2009.01";
    const QStringList t = texts(fej, std::make_shared<HaviAdatok>(a));
    // The row "Szakápolás 15 vizittől" / ONKEP 2: multiplier, n, t, forints.
    const int row = int(t.indexOf("Szakápolás 15 vizittől"));
    ASSERT_GE(row, 0);
    const QStringList cells = t.mid(row, 14);
    const int at = int(cells.indexOf("A beteg segítségre szorult"));
    EXPECT_EQ(cells.mid(at + 1, 4), (QStringList{"0,7", "10", "4", "34 070"}));
    EXPECT_EQ(after(t, "ebből vizitdíj:"), "33,1");
    EXPECT_EQ(after(t, "területi pótlék:"), "0,9");
    EXPECT_EQ(after(t, "eFt:"), "34,1");
    EXPECT_EQ(after(t, "Mindösszesen vizitszám:"), "14");
}

TEST(HaviAdatok, BoxesTakeOnlyUnchangedRowsAndChangesGoToTheirTotals) {
    HaviAdatok a(per("2009.01"), 1000);
    a.add(sor(1, "N", "3b", 2, 1, 2));
    a.add(sor(1, "N", "3a", 2, 1, 1));
    a.add(sor(1, "N", "12", 2, 1, 5)); // no box, still a visit of its category
    a.add(sor(1, "N", "10", 2, 1, 7));
    a.add(sor(1, "N", "1", 2, 1, 3, "K"));
    a.add(sor(1, "N", "1", 2, 1, 4, "S"));
    a.add(sor(1, "I", "1", 2, 1, 6, "P"));
    a.add(sor(1, "N", "1", 2, 1, 9, "L")); // counted nowhere
    a.add(sor(1, "X", "1", 2, 1, 8));      // neither with nor without supplement
    a.add(sor(1, "N", "1", 1, 1, 8));      // care type below nursing
    a.add(sor(1, "N", "1", 4, 3, 8));      // therapy has no self-care column 3
    EXPECT_EQ(a.doboz(3), 3 + 0);
    EXPECT_EQ(a.doboz(10), 7);
    EXPECT_EQ(a.doboz(1), 8 + 8 + 8);
    EXPECT_EQ(a.doboz(12), 0);
    EXPECT_EQ(a.korrekcio(), 3);
    EXPECT_EQ(a.sztorno(), -4);
    EXPECT_EQ(a.potvizit(), 6);
    EXPECT_EQ(cella(a, "12", 1).n, 2 + 1 + 5 + 7);
    EXPECT_EQ(a.ovizit(), 15);
    EXPECT_EQ(tevekenysegDoboz("3b"), 3);
    EXPECT_EQ(tevekenysegDoboz(" 9 "), 9);
    EXPECT_EQ(tevekenysegDoboz("12"), std::nullopt);
    EXPECT_EQ(tevekenysegDoboz("13"), std::nullopt);
}

TEST(HaviAdatok, RepeatedTherapyChangesCategoryAndWeightAt2009) {
    HaviAdatok regi(per("2008.12"), 1000), uj(per("2009.01"), 1000);
    for (HaviAdatok* a : {&regi, &uj}) {
        a->add(sor(2, "N", "1", 4, 1, 10));
        a->add(sor(1, "N", "1", 5, 2, 10));
    }
    EXPECT_EQ(regi.forma(), HaviForma::Thavil);
    EXPECT_EQ(regi.kategoriak().size(), 4u);
    EXPECT_EQ(cella(regi, "24", 1).n, 10);
    EXPECT_DOUBLE_EQ(cella(regi, "24", 1).ft, 8000);
    EXPECT_EQ(cella(regi, "14", 2).n, 10);
    EXPECT_EQ(uj.forma(), HaviForma::Thavil2);
    EXPECT_EQ(uj.kategoriak().size(), 3u);
    EXPECT_EQ(cella(uj, "14", 1).n, 10);
    EXPECT_DOUBLE_EQ(cella(uj, "14", 1).ft, 9000);
    EXPECT_EQ(cella(uj, "14", 2).n, 10);
    int cells = 0;
    for (const auto& k : regi.kategoriak())
        cells += int(k.cellak.size());
    EXPECT_EQ(cells, 10);
}

TEST(HaviAdatok, OrderSheetNumberTakesDigitsOnly) {
    EXPECT_EQ(elrendeloLapSzam(" 12 "), 12);
    EXPECT_EQ(elrendeloLapSzam("0"), 0);
    for (const char* bad : {"", "  ", "1a", "-3", "+3", "1,5", "1 2", "9999999999"})
        EXPECT_EQ(elrendeloLapSzam(QLatin1String(bad)), std::nullopt) << bad;
}

// ---------------------------------------------------------------- layouts

TEST(Thavil, LayoutsAndCaptionsFollowThePeriod) {
    struct Case {
        const char* p;
        const char* name;
        const char* kod;
        int categories;
        bool subtotals;
    };
    const Case cases[] = {{"2008.12", "Thavil", "Szolgáltató ULV kódja", 4, false},
                          {"2009.01", "Thavil2", "Szolgáltató ULV kódja:", 3, true},
                          {"2016.12", "Thavil2", "Szolgáltató ULV kódja:", 3, true},
                          {"2017.01", "Thavil2", "Szolgáltató ZAPO kódja:", 3, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p);
        auto a = std::make_shared<HaviAdatok>(per(c.p), 2000);
        a->add(sor(1, "N", "1", 2, 1, 3));
        HaviFej fej;
        fej.idoszak = c.p;
        fej.megye = 18;
        fej.intkod = "1890";
        fej.lapsz = 5;
        fej.elrsz = 0;
        fej.zdatum = "2009.02.01";
        Report r = makeThavil(fej, a, kProgram);
        EXPECT_EQ(r.name, QLatin1String(c.name));
        const QStringList t = layout(r, QDateTime(QDate(2017, 2, 1), QTime(9, 0))).texts(0);
        const bool zapo = QString::fromUtf8(c.kod).contains("ZAPO");
        EXPECT_EQ(after(t, c.kod), "1890");
        EXPECT_EQ(t.contains(zapo ? "Szolgáltató ZAPO szerződésszáma:"
                                  : "Szolgáltató ULV szerződésszáma:"),
                  true);
        EXPECT_EQ(after(t, "Megyekód és megnevezése:", 1), countyName(18));
        EXPECT_EQ(after(t, "Elszámolási időszak:"), QString(c.p) + ".");
        EXPECT_EQ(after(t, "\"Egyéni elszámolási lap\"-ok száma:"), "5");
        EXPECT_EQ(after(t, "\"Szakápolási elrendelő lap\"-ok száma:"), "0");
        EXPECT_EQ(t.count("Összesen:"), c.subtotals ? 3 : 0);
        EXPECT_EQ(t.contains("Szakirányú tevékenységi vizit"), c.subtotals);
        EXPECT_EQ(t.contains("Szakirányú 15 vizittől"), !c.subtotals);
        EXPECT_EQ(after(t, "Dátum:"), "2009.02.01");
        EXPECT_TRUE(t.contains("Szolgáltató cégszerű aláírása"));
        EXPECT_EQ(after(t, "Oldal:"), "1");
    }
}

// ---------------------------------------------------------------- the command

namespace {

class Havi : public regtest::RegisterApp {
public:
    explicit Havi(const QString& p) {
        period(p);
        engine::Table& t = state.tables.szerz;
        t.append();
        t.setValue("INTKOD", "1890");
        t.setValue("SZKEZD", QDate(2016, 6, 1));
        t.setValue("SZSZAM", "SZ-2016");
        t.post();
    }

    void sent(const QString& idoszak, const QString& sorsz, const QString& resz,
              const QString& elkuldve, const QString& modtipus = {}, int elszam = 1,
              const QString& tpotl = "N") {
        sheet({.idoszak = idoszak,
               .sorsz = sorsz,
               .resz = resz,
               .elszam = elszam,
               .tpotl = tpotl,
               .jeloles = {},
               .elkuldve = elkuldve,
               .modtipus = modtipus});
    }
    void visits(const QString& idoszak, const QString& sorsz, const QString& resz,
                const QString& tevkod, int elltip, int onkep, int count) {
        std::vector<QVariantList> rows;
        for (int i = 0; i < count; ++i)
            rows.push_back(regtest::row(
                db::TableId::Lapb, {{"IDOSZAK", idoszak},
                                    {"INTKOD", "1890"},
                                    {"SORSZ", sorsz},
                                    {"RESZ", resz},
                                    {"TEVKOD", tevkod},
                                    {"ELLTIP", elltip},
                                    {"ONKEP", onkep},
                                    {"APDATUM", per(qPrintable(idoszak)).firstDay().addDays(i)},
                                    {"VIZITDB", 1}}));
        state.tables.lapb.appendRows(rows);
    }
    void closing(const QString& idoszak, QDate d) {
        state.tables.zaras.appendRows(
            {regtest::row(db::TableId::Zaras, {{"IDOSZAK", idoszak}, {"ZARAS", d}})});
    }

    // Runs the command; the pages shown, none when nothing was.
    std::optional<PageModel> run(int elrsz = 7) {
        std::optional<PageModel> shown;
        HaviOsszesito(state, kProgram).nyomtat(elrsz, [&](PageModel& m) { shown = m; });
        return shown;
    }
};

} // namespace

TEST(HaviOsszesito, CountsTheSheetsSentInThePeriodWhateverTheirOwn) {
    Havi h("2016.12");
    h.state.alapdij = 3380;
    h.sent("2016.12", "00001", "", "2016.12"); // own period, sent now
    h.visits("2016.12", "00001", "", "3b", 2, 1, 4);
    h.sent("2016.12", "00002", "A", "2016.12", {}, 1, "I"); // a part, with supplement
    h.visits("2016.12", "00002", "A", "12", 2, 1, 2);
    h.visits("2016.12", "00002", "", "1", 2, 1, 50); // a full invoice's rows: not A's
    h.sent("2016.11", "00099", "", "2016.12", "P");  // late, sent now
    h.visits("2016.11", "00099", "", "1", 2, 1, 3);
    h.sent("2016.10", "00050", "", "2016.12", "K"); // corrected, sent again now
    h.visits("2016.10", "00050", "", "1", 2, 1, 5);
    h.sent("2016.09", "00040", "", "2016.12", "S"); // cancelled
    h.visits("2016.09", "00040", "", "1", 2, 1, 6);
    h.sent("2016.12", "00003", "", ""); // not sent
    h.visits("2016.12", "00003", "", "1", 2, 1, 8);
    h.sent("2016.11", "00004", "", "2016.11"); // sent last month
    h.visits("2016.11", "00004", "", "1", 2, 1, 9);
    h.closing("2016.12", QDate(2017, 1, 5));

    const std::optional<PageModel> m = h.run(12);
    ASSERT_TRUE(m);
    EXPECT_TRUE(h.msg.log() == std::vector<std::string>{}) << h.msg.last().toStdString();
    EXPECT_EQ(m->name, "Thavil2");
    const QStringList t = m->texts(0);
    EXPECT_EQ(after(t, "\"Egyéni elszámolási lap\"-ok száma:"), "2");
    EXPECT_EQ(after(t, "\"Szakápolási elrendelő lap\"-ok száma:"), "12");
    // The contract in force that started last.
    EXPECT_EQ(after(t, "Szolgáltató ULV szerződésszáma:"), "SZ-2016");
    EXPECT_EQ(after(t, "Mindösszesen vizitszám:"), "6");
    EXPECT_EQ(after(t, "Korrekciós vizitszám:"), "5");
    EXPECT_EQ(after(t, "Sztornózott vizitszám:"), "-6");
    EXPECT_EQ(after(t, "Pótvizit száma:"), "3");
    EXPECT_EQ(after(t, "Dátum:"), "2017.01.05");
    // Box 3 holds the four "3b" visits; "12" counts in no box.
    const int box = int(t.indexOf("1"));
    ASSERT_GE(box, 0);
    EXPECT_EQ(t.mid(box, 22),
              (QStringList{"1", "0", "2", "0", "3", "4", "4", "0",  "5", "0",  "6",
                           "0", "7", "0", "8", "0", "9", "0", "10", "0", "11", "0"}));
    // 3380 × 4 × 1,0 + 3380 × 2 × 1,0 × 1,1 = 13 520 + 7 436
    EXPECT_EQ(after(t, "eFt:"), "21,0");
    EXPECT_EQ(h.msg.statusText(0), "Havi összesítő nyomtatása");
}

TEST(HaviOsszesito, NothingSentInThePeriodShowsNoReport) {
    Havi h("2009.01");
    h.sent("2009.01", "00001", "", "");
    h.visits("2009.01", "00001", "", "1", 2, 1, 4);
    h.sent("2008.12", "00002", "", "2008.12");
    h.visits("2008.12", "00002", "", "1", 2, 1, 4);
    EXPECT_FALSE(h.run());
    EXPECT_EQ(h.msg.log(), (std::vector<std::string>{"error: Nincs erre az időszakra zárás!"}));

    // A sent sheet whose order ordinal is blank (its group sorts first) is
    // still a shipment: a repeated order.
    h.msg.clear();
    h.sent("2009.01", "00003", "", "2009.01");
    h.visits("2009.01", "00003", "", "1", 2, 1, 2);
    h.state.tables.dbo.exec("update lap set elszam=null where sorsz='00003'");
    const std::optional<PageModel> m = h.run();
    ASSERT_TRUE(m);
    EXPECT_TRUE(h.msg.log().empty());
    EXPECT_EQ(after(m->texts(0), "Szakápolás 15 vizittől", 2), "2");
}

// ---------------------------------------------------------------- against KULD

namespace {

// The shipment files as the shipment writes them, from the sheets sent in P,
// in the current layouts (MODTIPUS "P" for a late sheet without a change).
void writeShipment(Havi& h, const QString& dir, bool oldVisitLayout = false) {
    using engine::fieldDef;
    const QString p = h.state.id.text();
    const QString compact = QString(p).remove('.');
    const QString a = dir + "/Szka1890.Dbf", b = dir + "/SZKB1890.DBF";
    engine::Table::create(a, {fieldDef("ULVKOD", 'C', 4), fieldDef("SORSZAM", 'N', 5),
                              fieldDef("RESZ", 'C', 1), fieldDef("IDOSZAK", 'C', 6),
                              fieldDef("TERPOT", 'N', 1), fieldDef("ELSZAM", 'N', 3),
                              fieldDef("MODIDO", 'C', 6), fieldDef("MODTIPUS", 'C', 1)});
    std::vector<engine::FieldDef> bf = {fieldDef("ULVKOD", 'C', 4), fieldDef("SORSZAM", 'N', 5),
                                        fieldDef("RESZ", 'C', 1),   fieldDef("IDOSZAK", 'C', 6),
                                        fieldDef("TEVKOD", 'C', 2), fieldDef("ELLTIP", 'N', 1),
                                        fieldDef("ONKEP", 'N', 1),  fieldDef("DATUMTOL", 'D')};
    // The old visit layout has no period.
    if (oldVisitLayout) bf.erase(bf.begin() + 3);
    engine::Table::create(b, bf);
    engine::Table ta, tb;
    ta.open(a);
    tb.open(b);
    const engine::Query sheets = h.state.tables.dbo.query(
        "select sorsz,resz,idoszak,tpotl,elszam,modtipus from lap where elkuldve=?"
        " order by idoszak,sorsz,resz",
        {p});
    for (const QVariantList& s : sheets.rows()) {
        ta.append();
        ta.setValue("ULVKOD", "1890");
        ta.setValue("SORSZAM", s[0].toInt());
        ta.setValue("RESZ", s[1]);
        ta.setValue("IDOSZAK", s[2].toString().remove('.'));
        ta.setValue("TERPOT", s[3].toString() == "N" ? 1 : 2);
        ta.setValue("ELSZAM", s[4]);
        ta.setValue("MODIDO", compact);
        ta.setValue("MODTIPUS", s[2].toString() != p && s[5].isNull() ? QVariant("P") : s[5]);
        ta.post();
    }
    const engine::Query visits = h.state.tables.dbo.query(
        "select b.sorsz,b.resz,b.idoszak,b.tevkod,b.elltip,b.onkep,b.apdatum from lap a, lapb b"
        " where a.sorsz=b.sorsz and a.resz is b.resz and a.idoszak=b.idoszak and a.elkuldve=?"
        " order by b.idoszak,b.sorsz,b.resz",
        {p});
    for (const QVariantList& v : visits.rows()) {
        tb.append();
        tb.setValue("ULVKOD", "1890");
        tb.setValue("SORSZAM", v[0].toInt());
        tb.setValue("RESZ", v[1]);
        if (!oldVisitLayout) tb.setValue("IDOSZAK", v[2].toString().remove('.'));
        tb.setValue("TEVKOD", v[3]);
        tb.setValue("ELLTIP", v[4]);
        tb.setValue("ONKEP", v[5]);
        tb.setValue("DATUMTOL", QDate::fromString(v[6].toString(), Qt::ISODate));
        tb.post();
    }
}

void sentMonth(Havi& h) {
    const QString p = h.state.id.text();
    h.sent(p, "00001", "", p);
    h.visits(p, "00001", "", "1", 2, 2, 4);
    h.sent(p, "00002", "B", p, {}, 2, "I");
    h.visits(p, "00002", "B", "4", 4, 1, 3);
    h.sent("2000.01", "00001", "", p, "P"); // late, the same number in another period
    h.visits("2000.01", "00001", "", "1", 2, 3, 2);
}

} // namespace

TEST(HaviOsszesito, AgreesWithTheShipmentInKuld) {
    for (bool oldLayout : {false, true}) {
        SCOPED_TRACE(oldLayout);
        Havi h(oldLayout ? "2009.08" : "2016.12");
        sentMonth(h);
        writeShipment(h, h.state.kuldkonyvtar, oldLayout);
        ASSERT_TRUE(h.run());
        EXPECT_TRUE(h.msg.log().empty()) << h.msg.last().toStdString();
    }
}

TEST(HaviOsszesito, ShowsWhereTheShipmentDiffers) {
    Havi h("2016.12");
    sentMonth(h);
    writeShipment(h, h.state.kuldkonyvtar);
    // Changed after the shipment was written: one more visit, one sheet
    // fewer in the file, and the late sheet's own rows are gone.
    h.visits("2016.12", "00001", "", "1", 2, 2, 1);
    h.sent("2016.12", "00005", "", "2016.12");
    h.visits("2016.12", "00005", "", "1", 2, 1, 2);
    ASSERT_TRUE(h.run());
    ASSERT_EQ(h.msg.log().size(), 1u);
    EXPECT_EQ(h.msg.last(), "Az összesítő eltér a KULD könyvtárban lévő küldeménytől!\r"
                            "Egyéni elszámolási lapok: összesítő 3, küldemény 2\r"
                            "Szakápolás 1-14 vizitig, teljes ápolásra szorult: összesítő 2 + 0, "
                            "küldemény 0 + 0 vizit\r"
                            "Szakápolás 1-14 vizitig, segítségre szorult: összesítő 5 + 0, "
                            "küldemény 4 + 0 vizit\r"
                            "(vizitek: területi pótlék nélkül + területi pótlékkal)\r"
                            "Aláírás előtt ellenőrizze a küldeményt!");
    EXPECT_EQ(h.msg.log()[0].rfind("warning: ", 0), 0u);
}

TEST(HaviOsszesito, LeavesOtherPeriodsShipmentsAndReportsUnreadableOnes) {
    Havi h("2016.12");
    sentMonth(h);
    writeShipment(h, h.state.kuldkonyvtar);
    h.visits("2016.12", "00001", "", "1", 2, 2, 1); // would differ
    h.period("2017.01");
    h.sent("2017.01", "00007", "", "2017.01");
    h.visits("2017.01", "00007", "", "1", 2, 2, 1);
    ASSERT_TRUE(h.run());
    EXPECT_TRUE(h.msg.log().empty()) << h.msg.last().toStdString();

    testsupport::writeAll(kuldFajl(h.state.kuldkonyvtar, "szka1890.dbf"), "nem dbf");
    ASSERT_TRUE(h.run());
    ASSERT_EQ(h.msg.log().size(), 1u);
    EXPECT_TRUE(h.msg.last().startsWith(
        "A KULD könyvtárban lévő küldemény nem olvasható, az összesítő nem ellenőrizhető vele!\r"))
        << h.msg.last().toStdString();
}
