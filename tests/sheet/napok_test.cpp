// The day grid: the exit checks of the care-type, main-activity and nurse
// fields, the complete day-grid check with the overlap test, the capacity
// frames and the completed-series mark.

#include "sheet/kapacitas.h"
#include "sheet/lapmentes.h"
#include "sheet/napok.h"
#include "sheet/telenez.h"
#include "support/lapfixture.h"

#include <gtest/gtest.h>

using namespace sheet;
using Log = std::vector<std::string>;
using testsupport::LapFixture;

namespace {

const std::string csak2456 = "error: Csak 2,4,5,6 írható a mezőbe!";

class NapokTest : public ::testing::Test {
protected:
    LapFixture f;
    LapModel m = f.lap();
    Log log() { return f.msg().log(); }
};

} // namespace

TEST(Fotevjo, IncompleteAndNonDigitCodes) {
    for (const char* ok : {"1", "3a", "8b", "9a", "10", "11", " 7 "})
        EXPECT_TRUE(fotevjo(ok)) << ok;
    for (const char* bad : {"3", "8", "9", " 3 ", "a1", ""})
        EXPECT_FALSE(fotevjo(bad)) << bad;
}

TEST(Vizitszamjo, WithinFourteenAndWithinTheOrder) {
    EXPECT_TRUE(vizitszamjo(14, 14, 0));
    EXPECT_FALSE(vizitszamjo(10, 14, 5));
    EXPECT_FALSE(vizitszamjo(8, 10, 3));
    EXPECT_TRUE(vizitszamjo(7, "10", "3"));
    EXPECT_FALSE(vizitszamjo(15, "20", ""));
    // A negative count of earlier visits lets nothing past the limit.
    EXPECT_FALSE(vizitszamjo(16, 14, -3));
    EXPECT_FALSE(vizitszamjo(16, "14", "-3"));
    EXPECT_FALSE(vizitszamjo(1, "14", "x"));
}

TEST(Keret, FramesByPeriodRoundedDown) {
    KapacSor s;
    Kapacitas::keretek(core::Idoszak(2012, 1), 20, 0, s);
    EXPECT_EQ(s.keret, 66);
    Kapacitas::keretek(core::Idoszak(2013, 3), 15, 0, s); // 49.5
    EXPECT_EQ(s.keret, 49);
    EXPECT_DOUBLE_EQ(s.akeret, 49.5);
    Kapacitas::keretek(core::Idoszak(2011, 12), 40, 20, s); // 110 + 44
    EXPECT_EQ(s.keret, 154);
    EXPECT_DOUBLE_EQ(s.ikeret, 44);
    Kapacitas::keretek(core::Idoszak(2012, 1), 40, 20, s);
    EXPECT_EQ(s.keret, 198);
}

TEST_F(NapokTest, CareTypeExit) {
    m.ellt[1] = "3";
    EXPECT_EQ(ellt1Exit(m, f.st()).focus, "ellt2");
    m.ellt[1] = "a"; // a letter gives the message twice
    m.ellt[2] = "4";
    EXPECT_FALSE(ellt1Exit(m, f.st()).ok);
    EXPECT_EQ(log(), (Log{csak2456, csak2456, csak2456}));
    f.msg().clear();
    m.ellt[1] = "5";
    m.ellt[0] = "2"; // day 1 lies before the start of care (day 2)
    const CheckResult r = ellt1Exit(m, f.st());
    EXPECT_EQ(r.focus, "ellt1");
    EXPECT_TRUE(m.ellt[0].isEmpty());
    EXPECT_EQ(log(), Log{"error: Az ápolás dátuma nem lehet kisebb a szakápolásba vételnél!"});
}

TEST_F(NapokTest, MainActivityExit) {
    struct Case {
        const char* period;
        const char* code;
        Log expected;
    } cases[] = {
        {"2024.05", "7", {}},
        {"2024.05",
         "3a",
         {"error: A fő tevékenység nem szerepel a felsorolt tevékenységek között!"}},
        {"2024.05",
         "8",
         {"error: A fő tevékenység nem szerepel a felsorolt tevékenységek között!",
          "error: A fô tevékenység kódnál a 8 nem állhat egyedül"}},
        {"2024.05", "9b", {"error: A fô tevékenység nem lehet 9-es"}},
        {"2009.08", "9b", {}},
    };
    m.Etev += "9b";
    for (const Case& c : cases) {
        f.msg().clear();
        f.st().id = core::Idoszak::fromText(QString::fromUtf8(c.period));
        m.tevk[3] = c.code;
        const CheckResult r = tevk1Exit(m, f.st(), 4);
        EXPECT_EQ(log(), c.expected) << c.code << " " << c.period;
        EXPECT_EQ(r.ok, c.expected.empty());
        if (!r.ok) {
            EXPECT_EQ(r.focus, "tevk4");
        }
    }
}

TEST_F(NapokTest, NurseExitRulesCountAndClipboard) {
    QString clip;
    EXPECT_TRUE(aptaj1Exit(m, f.st(), 3, &clip).ok);
    EXPECT_EQ(clip, f.nurse);
    EXPECT_EQ(m.vszam, "5");

    struct Case {
        const char* ellt;
        const char* tevk;
        const char* aptaj;
        const char* focus;
        std::string message;
    } cases[] = {
        {"2", "11", nullptr, "tevk10", "error: A tevékenység kódja szakápolásnál nem lehet 11!"},
        {"4", "7", nullptr, "tevk10",
         "error: A tevékenység kódja szakirányú ellátásnál csak 11 lehet!"},
        {"5", "11", nullptr, "", ""},
        {"2", "", nullptr, "ellt10", "error: A 10. napi adatokat ki kell tölteni!"},
        {"2", "7", "123456788", "aptaj10", "error: Nem szerepel az ápoló a törzsben!"},
    };
    for (const Case& c : cases) {
        f.msg().clear();
        LapFixture::visit(m, 10, c.ellt, c.tevk, c.aptaj ? QString(c.aptaj) : f.nurse);
        const CheckResult r = aptaj1Exit(m, f.st(), 10);
        EXPECT_EQ(r.focus, c.focus) << c.ellt << c.tevk;
        EXPECT_EQ(log(), c.message.empty() ? Log{} : Log{c.message});
    }
    EXPECT_EQ(m.vszam, "6");
    LapFixture::visit(m, 10, "2", "7", f.nurse);
    for (int d = 12; d <= 20; ++d)
        LapFixture::visit(m, d, "2", "7", f.nurse);
    f.msg().clear();
    aptaj1Exit(m, f.st(), 20);
    EXPECT_EQ(log(),
              Log{"error: A vizitek száma nem lehet több 14-nél, és az elrendelt viziteknél!"});
}

TEST_F(NapokTest, GridCheckReportsEveryRowAndSetsTheVisitCount) {
    LapFixture::visit(m, 20, "3", "7", f.nurse);
    LapFixture::visit(m, 21, "2", "", "");
    m.m_lezdat = "2024.05.19";
    m.CB2 = 2;
    LapFixture::visit(m, 22, "6", "11", f.nurse);
    Kapacitas k;
    EXPECT_FALSE(napokell(m, f.st(), k));
    EXPECT_EQ(log(), (Log{"error: A tevékenység kódja szakirányú ellátásnál csak 11 lehet!",
                          csak2456, "error: A 21. napi adatokat ki kell tölteni!",
                          "error: Az ápolás dátuma nem lehet nagyobb az ápolási eset lezárásánál !",
                          "error: Hibás az önellátó képesség!"}));
    EXPECT_EQ(m.vizitszam, 7);

    f.msg().clear();
    LapModel ures = f.lap("00002", "", 0);
    EXPECT_FALSE(napokell(ures, f.st(), k));
    EXPECT_EQ(log(), Log{"error: Az ápolás dátuma nem lehet kisebb a szakápolásba vételnél!"});
}

TEST_F(NapokTest, OverlapWithOtherSheetsButNotWithItself) {
    f.msg().answer(true);
    ASSERT_EQ(LapMentes::mentes(m, f.st()), LapMentes::Eredmeny::Mentve);

    // Another sheet of the same patient and period on day 3.
    LapModel masik = f.lap("00002", "", 0);
    LapFixture::visit(masik, 3, "2", "7", f.nurse);
    Kapacitas k;
    EXPECT_FALSE(napokell(masik, f.st(), k));
    EXPECT_EQ(log().back(),
              "error: Az ápolás dátuma 2024.05.03 időben átfed egy másik teljesítést");

    // The saved sheet, changed, does not collide with its own visits, but a
    // visit of another sheet of the same period still counts.
    m.modositas = true;
    f.msg().clear();
    EXPECT_TRUE(napokell(m, f.st(), k)) << log().size();
    masik.modositas = false;
    LapFixture::visit(masik, 3, "", "", "");
    LapFixture::visit(masik, 20, "2", "7", f.nurse);
    f.msg().answer(true);
    ASSERT_EQ(LapMentes::mentes(masik, f.st()), LapMentes::Eredmeny::Mentve);
    LapFixture::visit(m, 20, "2", "7", f.nurse);
    f.msg().clear();
    EXPECT_FALSE(napokell(m, f.st(), k));
    EXPECT_EQ(log(), Log{"error: Az ápolás dátuma 2024.05.20 időben átfed egy másik teljesítést"});
}

TEST_F(NapokTest, CapacityOverrunWarnsButTheSheetIsSaved) {
    Kapacitas k;
    k.kapacnez(f.st(), m);
    const KapacSor* s = k.sor(f.nurse);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(s->szerzodott);
    const int keret = s->keret;
    EXPECT_TRUE(QFile::exists(Kapacitas::tempPath(f.st())));
    k.felszabadit();

    // Other sheets already hold frame - 4 visits of the nurse this month:
    // the fifth visit of this sheet passes the frame.
    engine::Table& lapb = f.st().tables.lapb;
    for (int i = 0; i < keret - 4; ++i) {
        lapb.append();
        lapb.setValue("IDOSZAK", "2024.05");
        lapb.setValue("SORSZ", "00900");
        lapb.setValue("APTAJ", f.nurse);
        lapb.setValue("APDATUM", QDate(2024, 5, 1));
        lapb.setValue("VIZITDB", 1);
        lapb.post();
    }
    LapModel negy = f.lap("00002", "", 4);
    EXPECT_TRUE(napokell(negy, f.st(), k));
    EXPECT_TRUE(log().empty());

    f.msg().answer(true);
    EXPECT_EQ(LapMentes::mentes(m, f.st()), LapMentes::Eredmeny::Mentve);
    EXPECT_EQ(log(), (Log{"warning: Dolgozói kapacitás túllépés a " + f.nurse.toStdString() +
                              " TAJ számú dolgozónál!",
                          "question: Adatok ellenőrzése rendben! Elmenthetők ?"}));
    EXPECT_FALSE(QFile::exists(Kapacitas::tempPath(f.st())));
}

TEST_F(NapokTest, SeriesCompleteAtExactlyFourteenVisits) {
    engine::Table& lap = f.st().tables.lap;
    auto part = [&](const char* resz, const char* idoszak) {
        lap.append();
        lap.setValue("IDOSZAK", idoszak);
        lap.setValue("SORSZ", "00007");
        lap.setValue("RESZ", resz);
        lap.setValue("SZVIZ", 6);
        lap.post();
    };
    part("A", "2024.04");
    part("B", "2024.05");
    auto marked = [&] {
        return f.st()
            .tables.dbo.query("select count(*) from lap where tele='*'")
            .value(0, 0)
            .toInt();
    };
    for (const auto& [szviz, expected] : std::vector<std::pair<int, int>>{{8, 2}, {7, 0}, {9, 0}}) {
        f.st().tables.dbo.exec("update lap set szviz=? where resz='B'", {szviz});
        telenez(f.st(), "00007", "");
        EXPECT_EQ(marked(), expected) << "6 + " << szviz;
    }
    f.st().tables.dbo.exec("update lap set szviz=8 where resz='B'");
    telenez(f.st(), "00007", "");
    telenez(f.st(), "00007", "S"); // cancelling the series clears the mark
    EXPECT_EQ(marked(), 0);
    telenez(f.st(), "00008", ""); // not a series: nothing happens
    EXPECT_TRUE(log().empty());
}
