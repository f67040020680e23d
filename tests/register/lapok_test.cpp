// The sheet register's logic: the mode set-ups, the figures under each period
// rule (with full and partial invoices in every join), marking and its
// toggle, row colours.

#include "register/lapok.h"
#include "register/registerdata.h"

#include <gtest/gtest.h>

namespace {

using regtest::Sheet;

class LapokTest : public ::testing::Test {
protected:
    void SetUp() override {
        a = std::make_unique<regtest::RegisterApp>();
        l = std::make_unique<reg::Lapok>(a->state);
    }
    std::vector<std::string> log() const { return a->msg.log(); }
    const reg::Figures& fig() const { return l->figures(); }

    // C = 2024.05 (base fee 3700): a full invoice and the first partial
    // invoice of the same number, both with visits; a sheet of 2024.04 and
    // one of 2023.12.
    void mixedSheets() {
        a->period("2024.05");
        a->sheet({.idoszak = "2024.05", .sorsz = "00001", .elszam = 1, .tpotl = "I"});
        a->visits("2024.05", "00001", "", 2, 1, 3);
        a->visits("2024.05", "00001", "", 2, 3, 2);
        a->visits("2024.05", "00001", "", 4, 2, 1);
        a->sheet({.idoszak = "2024.05", .sorsz = "00001", .resz = "A", .elszam = 2});
        a->visits("2024.05", "00001", "A", 2, 2, 4);
        a->visits("2024.05", "00001", "A", 5, 1, 2);
        a->visits("2024.05", "00001", "A", 4, 3, 1); // therapy, ONKEP 3: no weight
        a->sheet({.idoszak = "2024.04", .sorsz = "00002"});
        a->visits("2024.04", "00002", "", 2, 1, 5);
        a->sheet({.idoszak = "2023.12", .sorsz = "00003"});
        a->visits("2023.12", "00003", "", 2, 1, 7);
    }
    void mark(const QString& idoszak, const QString& sorsz, const QString& resz,
              const QString& modtipus = {}) {
        a->state.tables.dbo.exec("update lap set jeloles='*', modtipus=? where idoszak=? and "
                                 "sorsz=? and resz is ?",
                                 {modtipus.isEmpty() ? QVariant() : QVariant(modtipus), idoszak,
                                  sorsz, resz.isEmpty() ? QVariant() : QVariant(resz)});
    }

    std::unique_ptr<regtest::RegisterApp> a;
    std::unique_ptr<reg::Lapok> l;
};

TEST(LapokPeriods, FourMonthsBackAndFilters) {
    EXPECT_EQ(reg::Lapok::negyHonappalKorabban(core::Idoszak(2016, 3)).text(), "2015.11");
    EXPECT_EQ(reg::Lapok::negyHonappalKorabban(core::Idoszak(2024, 5)).text(), "2024.01");
    EXPECT_EQ(reg::Lapok::negyHonappalKorabban(core::Idoszak(2024, 12)).text(), "2024.08");
    EXPECT_EQ(reg::Lapok::rogzitesSzuro(core::Idoszak(1999, 11)),
              "idoszak>='1999.06' and idoszak<='1999.12'");
    EXPECT_EQ(reg::Lapok::rogzitesSzuro(core::Idoszak(2024, 5)),
              "idoszak>='2024.01' and idoszak<='2024.12'");
    EXPECT_EQ(reg::Lapok::nyomtatasSzuro(core::Idoszak(2024, 5)),
              "idoszak>='2024.01' and idoszak<='2024.12' ");
    EXPECT_EQ(reg::Lapok::kuldesSzuro(core::Idoszak(2016, 3)),
              "(idoszak>='2015.11' and idoszak<='2016.03' and (elkuldve is null or "
              "elkuldve='2016.03')) or (elkuldve='YY' and modtipus<>null) or "
              "(elkuldve='2016.03' and modtipus<>null)");
    EXPECT_EQ(reg::Lapok::honapSzuro(core::Idoszak(2024, 5), false),
              "idoszak='2024.05' and (elkuldve is null or elkuldve= '2024.05') ");
    EXPECT_EQ(reg::Lapok::honapSzuro(core::Idoszak(2024, 5), true),
              "(elkuldve= '2024.05' or idoszak='2024.05') ");
}

// Full and partial invoices of the same number are different sheets in every
// join; other periods stay out.
TEST_F(LapokTest, RecordedFiguresOfThePeriod) {
    mixedSheets();
    ASSERT_TRUE(l->eddigi(""));
    ASSERT_TRUE(l->eddigift(""));
    EXPECT_EQ(fig().STav, "9");
    EXPECT_EQ(fig().STiv, "4");
    // full: (3*1.0 + 2*0.8 + 1*0.8) * 3700 = 19980, supplement 1998;
    // partial (repeated order): (4*0.7 + 2*0.9) * 3700 = 17020.
    EXPECT_NEAR(l->osszegek().osszeg, 37000, 1e-6);
    EXPECT_NEAR(l->osszegek().potlek, 1998, 1e-6);
    EXPECT_NEAR(l->osszegek().apolas, (4.6 + 2.8) * 3700, 1e-6);
    EXPECT_NEAR(l->osszegek().szakirany, (0.8 + 1.8) * 3700, 1e-6);
    EXPECT_EQ(fig().STtf, "37,0");
    EXPECT_EQ(fig().STtp, "2,0");
    EXPECT_TRUE(fig().p1);
    EXPECT_EQ(fig().STAe, "27,4");
    EXPECT_EQ(fig().STse, "9,6");
    EXPECT_TRUE(log().empty());
}

// Mode "M": the marked sheets from four months back to C, not those closed
// afterwards ("L").
TEST_F(LapokTest, MarkedFigures) {
    mixedSheets();
    mark("2024.05", "00001", "");
    mark("2024.05", "00001", "A", "L");
    mark("2024.04", "00002", "");
    mark("2023.12", "00003", ""); // before 2024.01
    ASSERT_TRUE(l->eddigi("M"));
    ASSERT_TRUE(l->eddigift("M"));
    EXPECT_EQ(fig().STav, "10");
    EXPECT_EQ(fig().STiv, "1");
    EXPECT_NEAR(l->osszegek().osszeg, 19980 + 18500, 1e-6);
    EXPECT_EQ(fig().STtf, "38,5");
    // Only the partial invoice marked: the full one of the same number stays out.
    a->state.tables.dbo.exec("update lap set jeloles=null, modtipus=null");
    mark("2024.05", "00001", "A");
    ASSERT_TRUE(l->eddigi("M"));
    EXPECT_EQ(fig().STav, "4");
    EXPECT_EQ(fig().STiv, "3");
}

// Repeated therapy orders: 0.8 / 0.7 and no therapy share before 2009.01,
// 0.9 / 0.8 from then on.
TEST_F(LapokTest, RepeatedTherapyWeightsByPeriod) {
    for (const QString c : {"2008.12", "2009.01"}) {
        a->sheet({.idoszak = c, .sorsz = "00001", .elszam = 2});
        a->visits(c, "00001", "", 4, 1, 2);
        a->visits(c, "00001", "", 6, 2, 1);
    }
    a->period("2008.12");
    ASSERT_TRUE(l->eddigift(""));
    EXPECT_NEAR(l->osszegek().osszeg, (1.6 + 0.7) * 3200, 1e-6);
    EXPECT_NEAR(l->osszegek().szakirany, 0, 1e-6);
    a->period("2009.01");
    ASSERT_TRUE(l->eddigift(""));
    EXPECT_NEAR(l->osszegek().osszeg, (1.8 + 0.8) * 3200, 1e-6);
    EXPECT_NEAR(l->osszegek().szakirany, (1.8 + 0.8) * 3200, 1e-6);
}

// Contract figures and panel p1 around 2012.05 and 2012.12 (contract: 500
// visits, 300 + 30 nursing, 100 + 10 therapy).
TEST_F(LapokTest, ContractFiguresAndPanelP1) {
    struct Case {
        const char* c;
        bool p1, keret;
        const char *STszf, *STak, *STsk;
    };
    for (const Case& k : {Case{"2012.04", false, false, "1 600,0", "", ""},
                          Case{"2012.11", true, false, "1 690,0", "1 115,4", "371,8"},
                          Case{"2012.12", true, true, "1 690,0", "1 183,0", "845,0"}}) {
        SCOPED_TRACE(k.c);
        l = std::make_unique<reg::Lapok>(a->state);
        a->period(k.c);
        ASSERT_TRUE(l->rogzitesMod());
        EXPECT_EQ(fig().STszv, "330");
        EXPECT_EQ(fig().STszv2, "110");
        EXPECT_EQ(fig().STszf, k.STszf);
        EXPECT_EQ(fig().p1, k.p1);
        EXPECT_EQ(fig().keret, k.keret);
        EXPECT_EQ(fig().STak, k.STak);
        EXPECT_EQ(fig().STsk, k.STsk);
        EXPECT_FALSE(a->state.tables.szerz.filtered());
    }
    EXPECT_TRUE(log().empty());
}

// Before 2005.02 the visits are columns of the old layout; blank columns
// count as no visit. Up to 2003.12 the supplement is part of the amount.
TEST_F(LapokTest, OldLayoutFigures) {
    for (const QString c : {"2004.06", "2003.12"}) {
        a->oldSheet({.idoszak = c, .sorsz = "00001", .elszam = 1, .tpotl = "I", .jeloles = "*"},
                    {{1, 2}, {10, 1}, {2, 1}, {4, 2}});
        a->oldSheet({.idoszak = c, .sorsz = "00002", .elszam = 2}, {{3, 4}, {5, 1}});
        a->oldSheet({.idoszak = c, .sorsz = "00003", .jeloles = "*", .modtipus = "L"}, {{1, 9}});
    }
    a->oldSheet({.idoszak = "2004.05", .sorsz = "00009"}, {{1, 9}});
    a->period("2004.06");
    ASSERT_TRUE(l->rogzitesMod());
    EXPECT_EQ(fig().STav, "17");
    EXPECT_EQ(fig().STiv, "3");
    // (3*1.0 + 1*0.9 + 2*0.9) + (4*0.5 + 1*0.7) + 9*1.0, base fee 2850
    EXPECT_NEAR(l->osszegek().osszeg, (5.7 + 2.7 + 9) * 2850, 1e-6);
    EXPECT_NEAR(l->osszegek().potlek, 5.7 * 2850 * 0.1, 1e-6);
    EXPECT_EQ(fig().STtf, "49,6");
    EXPECT_EQ(fig().STtp, "1,6");
    EXPECT_TRUE(fig().potlek);
    EXPECT_FALSE(fig().p1);
    ASSERT_TRUE(l->eddigift("M"));
    EXPECT_NEAR(l->osszegek().osszeg, 5.7 * 2850, 1e-6);

    a->period("2003.12");
    ASSERT_TRUE(l->rogzitesMod());
    EXPECT_EQ(fig().STtf, "51,2"); // 49 590 + 1 624,5
    EXPECT_FALSE(fig().potlek);
    EXPECT_TRUE(fig().maradvany);
    a->period("2003.02");
    ASSERT_TRUE(l->rogzitesMod());
    EXPECT_FALSE(fig().maradvany);
    EXPECT_EQ(fig().STav, "0");
    EXPECT_TRUE(log().empty());
}

TEST_F(LapokTest, RemainderOfThePeriod) {
    a->period("2012.06");
    ASSERT_TRUE(l->rogzitesMod());
    EXPECT_EQ(fig().STm, "0,0");
    a->remainder("2012.06", 1234567);
    ASSERT_TRUE(l->rogzitesMod());
    EXPECT_EQ(fig().STm, "1 234,6");
}

TEST_F(LapokTest, NoContractNoRecordMode) {
    a->period("1999.06");
    a->sheet({.idoszak = "1999.06", .sorsz = "00001"});
    a->period("1999.05");
    EXPECT_FALSE(l->rogzitesMod());
    EXPECT_EQ(log(), (std::vector<std::string>{
                         "error: Nincs a 1999.05 hónapra szerződés, elszámolási lap sem "
                         "rögzíthető!"}));
    EXPECT_FALSE(a->state.tables.lap.filtered());
    EXPECT_FALSE(l->szerzvan());
    a->msg.clear();
    l->nyomtatasMod(); // the selection modes open all the same
    EXPECT_EQ(a->msg.log().size(), 1u);
    EXPECT_TRUE(a->state.tables.lap.filtered());
}

TEST_F(LapokTest, FailingQueryKeepsTheFigures) {
    mixedSheets();
    ASSERT_TRUE(l->eddigi(""));
    ASSERT_TRUE(l->eddigift(""));
    a->state.tables.lapb.close();
    EXPECT_FALSE(l->eddigi(""));
    EXPECT_FALSE(l->eddigift(""));
    EXPECT_EQ(log(), (std::vector<std::string>{"warning: Hiba a lefutásban",
                                               "warning: Hiba a lefutásban"}));
    EXPECT_EQ(fig().STav, "9");
    EXPECT_EQ(fig().STtf, "37,0");
}

TEST_F(LapokTest, ModeSetUps) {
    mixedSheets();
    engine::Table& lap = a->state.tables.lap;
    const QString name = "18 1890 " + demo::providerName().trimmed();

    ASSERT_TRUE(l->rogzitesMod());
    EXPECT_EQ(l->caption(), name + " Elszámolási lapjai");
    EXPECT_FALSE(l->jelolomod());
    EXPECT_EQ(lap.filter(), reg::Lapok::rogzitesSzuro(core::Idoszak(2024, 5)));
    EXPECT_EQ(lap.recordCount(), 3u);
    EXPECT_EQ(a->msg.statusText(0), "Elszámolási lapok rögzítése");
    l->bezaras();
    EXPECT_FALSE(lap.filtered());

    l->nyomtatasMod();
    EXPECT_EQ(l->caption(), name + " Elszámolási lapok nyomtatása");
    EXPECT_TRUE(l->jelolomod());
    EXPECT_TRUE(l->nyomtatomod());
    EXPECT_EQ(l->hint(), "Elszámolási lapok jelölése nyomtatásra");
    EXPECT_EQ(a->msg.statusText(0), "Elszámolási lapok nyomtatása");

    // Send selection: every mark goes first; unsent sheets of 2024.01 to
    // 2024.05, and the changed ones waiting.
    mark("2023.12", "00003", "");
    a->sheet({.idoszak = "2023.06", .sorsz = "00007", .elkuldve = "YY", .modtipus = "S"});
    a->sheet({.idoszak = "2024.03", .sorsz = "00008", .elkuldve = "2024.03"});
    ASSERT_TRUE(l->kuldesMod());
    EXPECT_EQ(a->marked(), 0);
    EXPECT_EQ(l->caption(), name + " Elszámolási lapok küldése");
    EXPECT_FALSE(l->nyomtatomod());
    EXPECT_EQ(l->hint(), "Elszámolási időszak lapjainak jelölése elküldésre");
    EXPECT_EQ(lap.filter(), reg::Lapok::kuldesSzuro(core::Idoszak(2024, 5)));
    EXPECT_EQ(lap.recordCount(), 4u);
    EXPECT_EQ(fig().STav, "0"); // nothing marked
    EXPECT_EQ(a->msg.statusText(0), "Elszámolási lapok küldése RAV-felé");
}

TEST_F(LapokTest, RowColours) {
    mixedSheets();
    engine::Table& lap = a->state.tables.lap;
    auto colourOf = [&](const QString& idoszak) {
        EXPECT_TRUE(lap.locate("IDOSZAK", idoszak));
        return l->sorSzin(lap.recno());
    };
    ASSERT_TRUE(l->rogzitesMod());
    EXPECT_EQ(colourOf("2024.05"), reg::SorSzin::Normal);
    EXPECT_EQ(colourOf("2024.04"), reg::SorSzin::Ezust);
    ASSERT_TRUE(l->kuldesMod());
    EXPECT_EQ(colourOf("2024.04"), reg::SorSzin::Piros);
    EXPECT_EQ(colourOf("2024.05"), reg::SorSzin::Normal);
}

// The one toggle of the two bulk commands; the single mark leaves it alone;
// the cursor stays; the print selection changes no figures.
TEST_F(LapokTest, MarkingAndTheToggle) {
    mixedSheets();
    a->sheet({.idoszak = "2024.05", .sorsz = "00004", .elkuldve = "2024.04"});
    engine::Table& lap = a->state.tables.lap;
    l->nyomtatasMod();
    const QString before = fig().STav;
    ASSERT_TRUE(l->keres({"00002", "", "2024.04"}));
    const reg::LapKulcs here = *l->aktualis();

    ASSERT_TRUE(l->jelol('A')); // the month's unsent sheets: 00001 and 00001A
    EXPECT_TRUE(l->jelolKapcsolo());
    EXPECT_EQ(a->marked(), 2);
    EXPECT_EQ(*l->aktualis(), here);
    EXPECT_EQ(lap.filter(), reg::Lapok::nyomtatasSzuro(core::Idoszak(2024, 5)));
    EXPECT_EQ(fig().STav, before);
    ASSERT_TRUE(l->jelol('A'));
    EXPECT_FALSE(l->jelolKapcsolo());
    EXPECT_EQ(a->marked(), 0);

    ASSERT_TRUE(l->jelol('E'));
    EXPECT_EQ(a->marked(), 1);
    EXPECT_FALSE(l->jelolKapcsolo());
    ASSERT_TRUE(l->jelol('A'));
    EXPECT_EQ(a->marked(), 3);
    ASSERT_TRUE(l->jelol('O')); // unmarks every listed sheet, the month's too
    EXPECT_EQ(a->marked(), 0);
    EXPECT_FALSE(l->jelolKapcsolo());
    ASSERT_TRUE(l->jelol('O'));
    EXPECT_EQ(a->marked(), 4);
    ASSERT_TRUE(l->jelol('E')); // on a marked sheet: unmarks it
    EXPECT_EQ(a->marked(), 3);
    EXPECT_TRUE(l->jelolKapcsolo());
    EXPECT_EQ(*l->aktualis(), here);

    // A closed period: the month's filter takes what was sent in it too.
    a->state.tables.dbo.exec("update lap set jeloles=null");
    a->state.zartidoszak = true;
    l = std::make_unique<reg::Lapok>(a->state);
    ASSERT_TRUE(l->kuldesMod());
    ASSERT_TRUE(l->jelol('A'));
    EXPECT_EQ(a->marked(), 3);
    EXPECT_EQ(fig().STav, "9"); // send selection: the marked sheets' figures
    EXPECT_TRUE(log().empty());
}

TEST_F(LapokTest, FindsFullAndPartialInvoices) {
    mixedSheets();
    ASSERT_TRUE(l->rogzitesMod());
    ASSERT_TRUE(l->keres({"00001", "A", "2024.05"}));
    EXPECT_EQ(l->aktualis()->resz, "A");
    ASSERT_TRUE(l->keres({"00001", "", "2024.05"}));
    EXPECT_EQ(l->aktualis()->resz, "");
    EXPECT_FALSE(l->keres({"00003", "", "2023.12"})); // filtered out
}

} // namespace
