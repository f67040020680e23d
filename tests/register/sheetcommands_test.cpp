// The register's sheet commands on a started program with a fixed clock: the
// date rules on both sides of their edges, the records left in LAP, ELREND
// and LAPB after each command, the exact messages, and the register's filter
// after the choosers.

#include "db/tableops.h"
#include "engine/database.h"
#include "register/javit.h"
#include "register/lapallapot.h"
#include "register/laploader.h"
#include "register/lapparancsok.h"
#include "register/laptorles.h"
#include "register/megtekintes.h"
#include "register/reszlap.h"
#include "register/ujlap.h"
#include "sheet/lezarido.h"
#include "sheet/zarasok.h"
#include "support/startedapp.h"

#include <gtest/gtest.h>

using testsupport::StartedApp;

namespace {

const QString kYear = QStringLiteral("idoszak>='2024.01' and idoszak<='2024.12'");

struct Lap {
    QString idoszak, sorsz, resz;
    int szviz = 2;
    QString elkuldve{};
    QString tele{};
    int elszviz = 0;
};

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<StartedApp>();
        db().exec(QStringLiteral("delete from zaras"));
        lap().setFilter(kYear);
        lap().setFiltered(true);
    }
    engine::Database& db() { return app->state.tables.dbo; }
    engine::Table& lap() { return app->state.tables.lap; }
    core::AppState& st() { return app->state; }

    // A sheet with its ELREND record and a visit row on days 3 and 5.
    void add(const Lap& l, bool elrend = true) {
        auto& t = lap();
        t.append();
        t.setValue("IDOSZAK", l.idoszak);
        t.setValue("SORSZ", l.sorsz);
        t.setValue("RESZ", l.resz);
        t.setValue("TAJ", QStringLiteral("011111110"));
        t.setValue("SZVIZ", l.szviz);
        t.setValue("ELSZVIZ", l.elszviz);
        t.setValue("ELSZAM", 1);
        t.setValue("ELKULDVE", l.elkuldve);
        t.setValue("TELE", l.tele);
        t.post();
        if (elrend) {
            auto& e = st().tables.elrend;
            e.append();
            e.setValue("IDOSZAK", l.idoszak);
            e.setValue("SORSZ", l.sorsz);
            e.setValue("RESZ", l.resz);
            e.setValue("JORVKOD", QStringLiteral("00000"));
            e.setValue("SZAKVET", QDate::fromString(l.idoszak + ".01", "yyyy.MM.dd"));
            e.setValue("ELVIZDB", 14);
            e.post();
        }
        for (int day : {3, 5}) {
            auto& b = st().tables.lapb;
            b.append();
            b.setValue("IDOSZAK", l.idoszak);
            b.setValue("SORSZ", l.sorsz);
            b.setValue("RESZ", l.resz);
            b.setValue("ELLTIP", 2);
            b.setValue("TEVKOD", QStringLiteral("1"));
            b.setValue("ONKEP", day == 3 ? 1 : 2);
            b.setValue("APTAJ", QStringLiteral("022222220"));
            b.setValue("VIZITDB", 1);
            b.setValue("APDATUM",
                       QDate::fromString(l.idoszak + ".0" + QString::number(day), "yyyy.MM.dd"));
            b.post();
        }
    }
    void select(const Lap& l) {
        ASSERT_TRUE(lap().locate("IDOSZAK;SORSZ;RESZ", {l.idoszak, l.sorsz, l.resz}));
    }
    void zaras(const QString& idoszak, QDate zarasNap) {
        db().exec(QStringLiteral("insert into zaras (idoszak, zaras) values (?, ?)"),
                  {idoszak, zarasNap.toString(Qt::ISODate)});
    }
    // "idoszak sorsz resz" of every live record of a table, sorted.
    QStringList keys(const QString& table) {
        QStringList out;
        const auto q =
            db().query("select idoszak, sorsz, resz from " + table + " order by 1, 2, 3");
        for (const auto& r : q.rows())
            out << r[0].toString() + ' ' + r[1].toString() + ' ' + r[2].toString();
        return out;
    }
    std::vector<std::string> log() { return app->msg.log(); }

    std::unique_ptr<StartedApp> app;
};

using Strings = std::vector<std::string>;

TEST(SheetRules, DateEdges) {
    // Correction limit: 4 months before 2011, 5 from it.
    EXPECT_EQ(reg::korrekciosHatar(QDate(2010, 12, 31)).text(), "2010.08");
    EXPECT_EQ(reg::korrekciosHatar(QDate(2011, 1, 1)).text(), "2010.08");
    EXPECT_EQ(reg::korrekciosHatar(QDate(2011, 1, 31)).text(), "2010.08");
    EXPECT_EQ(reg::korrekciosHatar(QDate(2024, 5, 15)).text(), "2023.12");
    // Late-report limit of new sheets: 2 months before 2016.01, 4 from it.
    EXPECT_EQ(reg::potjelentesHatar(QDate(2016, 3, 1), core::Idoszak(2015, 12)).text(), "2016.01");
    EXPECT_EQ(reg::potjelentesHatar(QDate(2016, 3, 1), core::Idoszak(2016, 1)).text(), "2015.11");

    const QDate closed(2024, 5, 2);
    const sheet::ZarasRekord z{true, "2024.04", closed};
    EXPECT_TRUE(reg::torlesKivetel(z, "2024.04", QDate(2024, 5, 10)));
    EXPECT_FALSE(reg::torlesKivetel(z, "2024.04", QDate(2024, 5, 11)));
    EXPECT_FALSE(reg::torlesKivetel(z, "2024.03", QDate(2024, 5, 10)));
    EXPECT_FALSE(reg::torlesKivetel(z, "2024.04", QDate(2024, 6, 1)));
    EXPECT_FALSE(reg::atalakitasZarolt(true, z, QDate(2024, 5, 9)));
    EXPECT_TRUE(reg::atalakitasZarolt(true, z, QDate(2024, 5, 10)));
    EXPECT_TRUE(reg::atalakitasZarolt(false, z, QDate(2024, 5, 9)));
    EXPECT_TRUE(reg::atalakitasZarolt(true, {}, QDate(2024, 5, 9)));

    EXPECT_FALSE(sheet::Lezarido::lezarasJel({2024, 4}, {2024, 4}, {2024, 4}, 19));
    EXPECT_TRUE(sheet::Lezarido::lezarasJel({2024, 4}, {2024, 4}, {2024, 4}, 20));
    EXPECT_TRUE(sheet::Lezarido::lezarasJel({2024, 4}, {2024, 5}, {2024, 4}, 1));
    EXPECT_TRUE(sheet::Lezarido::lezarasJel({2024, 5}, {2024, 6}, {2024, 4}, 1));
    EXPECT_FALSE(sheet::Lezarido::lezarasJel({2024, 3}, {2024, 4}, {2024, 4}, 25));
    EXPECT_FALSE(sheet::Lezarido::lezarasJel({2024, 4}, {}, {2024, 4}, 19));
}

TEST(SheetRules, Modification) {
    const QDate today(2024, 5, 15); // limit 2023.12
    struct Case {
        const char *e, *p;
        const char* message; // empty: allowed
    } cases[] = {
        {"", "2024.05", ""},
        {"", "2024.04", "Nem az elszámolási időszak lapja! Nem javítható!"},
        {"xxxx.xx", "2024.05", "RAV-től visszakapott adat! Nem javítható!"},
        {"2024.05", "2023.12", ""},
        {"2024.05", "2023.11", "Korrekciós időn kívül! Nem javítható!"},
        {"2024.04", "2024.05", ""},
        {"YY", "2024.05", ""},
        {"YY", "2024.04", "Nem az elszámolási időszak lapja! Nem javítható!"},
        {"2024.03", "2024.03", "Nem az elszámolási időszak lapja! Nem javítható!"},
    };
    for (const Case& c : cases) {
        ui::ScriptedMessages msg;
        EXPECT_EQ(reg::modosithato(msg, c.e, c.p, core::Idoszak(2024, 5), today), !*c.message)
            << c.e << c.p;
        EXPECT_EQ(msg.last(), QString::fromUtf8(c.message)) << c.e << c.p;
    }
}

TEST_F(Commands, NewSheetNumberingAndPeriodLimits) {
    EXPECT_EQ(reg::kovetkezoSorsz(db(), core::Idoszak(2024, 5)), "00001");
    add({"2023.12", "00090", ""});
    add({"2024.02", "00007", "A"});
    add({"2024.03", "00012", ""});
    EXPECT_EQ(reg::kovetkezoSorsz(db(), core::Idoszak(2024, 5)), "00013");

    sheet::LapModel m;
    m.m_taj = "x";
    reg::laptolt(st(), "E", m);
    EXPECT_EQ(m.lapsorsz, "00013");
    EXPECT_EQ(m.lapresz, "A");
    EXPECT_EQ(m.m_sorsz, "00013A");
    EXPECT_EQ(m.m_idosz, "2024.05");
    EXPECT_EQ(m.m_aztip, "1");
    EXPECT_EQ(m.m_terkat, "01");
    EXPECT_EQ(m.m_allp, "HUN");
    EXPECT_EQ(m.m_taj, "");
    EXPECT_EQ(m.m_engszam, "0");
    EXPECT_EQ(m.napokszama, 31);
    EXPECT_EQ(m.apdat[30], "2024.05.31");
    EXPECT_TRUE(m.szerkesztheto);
    EXPECT_FALSE(m.modositas);

    struct Case {
        const char* c;
        QDate today;
        const char* message;
    } cases[] = {
        {"2007.12", QDate(2008, 1, 5), "Nem lehet új lapot rögzíteni 2008.01 hó előtt!"},
        {"2015.12", QDate(2016, 2, 29), ""},
        {"2015.12", QDate(2016, 3, 1), "Nem lehet új lapot rögzíteni a pótjelentési időn kívül!"},
        {"2016.01", QDate(2016, 5, 31), ""},
        {"2016.01", QDate(2016, 6, 1), "Nem lehet új lapot rögzíteni a pótjelentési időn kívül!"},
    };
    for (const Case& c : cases) {
        app->msg.clear();
        st().id = core::Idoszak::fromText(QString::fromUtf8(c.c));
        app->clock.setToday(c.today);
        EXPECT_EQ(reg::ujlapEll(st()), !*c.message) << c.c;
        EXPECT_EQ(app->msg.last(), QString::fromUtf8(c.message)) << c.c;
    }
}

TEST_F(Commands, ModificationLoadsTheSheet) {
    add({"2024.04", "00003", ""});
    add({"2024.04", "00004", "A"});
    sheet::LapModel m;
    m.ellt[30] = "9";
    ASSERT_TRUE(reg::lapBetolt(st(), {"00004", "A", "2024.04"}, m));
    EXPECT_EQ(m.m_sorsz, "00004A");
    EXPECT_EQ(m.napokszama, 30); // April: the day-31 row is hidden
    EXPECT_EQ(m.apdat[29], "2024.04.30");
    EXPECT_EQ(m.apdat[30], "");
    EXPECT_EQ(m.ellt[30], "");
    EXPECT_EQ(m.ellt[2], "2");
    EXPECT_EQ(m.aptaj[4], "022222220");
    EXPECT_EQ(m.ellt[3], "");
    EXPECT_EQ(m.CB2, 1); // the last day's ONKEP 2
    EXPECT_EQ(m.m_jorv, "");
    EXPECT_EQ(m.m_elviz, "14");
    EXPECT_EQ(m.m_szakvet, "2024.04.01");
    EXPECT_FALSE(m.vszameVisible);

    sheet::LapModel full;
    ASSERT_TRUE(reg::lapBetolt(st(), {"00003", "", "2024.04"}, full, reg::Betoltes::Megtekintes));
    EXPECT_EQ(full.m_sorsz, "00003");
    EXPECT_EQ(full.m_jorv, "00000");
    EXPECT_EQ(full.tevk[4], "1");
    EXPECT_FALSE(reg::lapBetolt(st(), {"00003", "A", "2024.04"}, full));
}

// Viewing shows the days of the sheet's own month: April has no day-31 row.
TEST_F(Commands, ViewingShowsTheDaysOfTheSheetsMonth) {
    add({"2024.04", "00004", ""});
    select({"2024.04", "00004", ""});
    int napok = 0;
    QString utolso;
    reg::Megtekintes v(st(), {.lapuj = [&](sheet::LapModel& m, const QString&) {
                           napok = m.napokszama;
                           utolso = m.apdat[size_t(m.napokszama - 1)];
                       }});
    v.megtekintes();
    EXPECT_EQ(napok, 30);
    EXPECT_EQ(utolso, "2024.04.30");
}

TEST_F(Commands, DeleteAnUnsentSheetRemovesItsRecords) {
    add({"2024.04", "00001", ""});
    add({"2024.04", "00002", "A"});
    add({"2024.05", "00002", "B"});
    select({"2024.04", "00002", "A"});
    QStringList telenez;
    bool szamolt = false;
    reg::LapParancsok p(
        st(), {.telenez = [&](const QString& s, const QString& a) { telenez << s + '/' + a; },
               .szamol = [&] { szamolt = true; }});
    app->msg.answer(false);
    p.torles();
    EXPECT_EQ(keys("lap").size(), 3);
    app->msg.answer(true);
    p.torles();
    EXPECT_EQ(log(), (Strings{"question: Biztosan törli a beteg adatait ?",
                              "question: Biztosan törli a beteg adatait ?"}));
    const QStringList left{"2024.04 00001 ", "2024.05 00002 B"};
    EXPECT_EQ(keys("lap"), left);
    EXPECT_EQ(keys("elrend"), left);
    EXPECT_EQ(keys("lapb"), (QStringList{left[0], left[0], left[1], left[1]}));
    EXPECT_EQ(telenez, QStringList{"00002/"});
    EXPECT_TRUE(szamolt);

    // A full invoice: the blank part letter finds its own rows only.
    select({"2024.04", "00001", ""});
    app->msg.answer(true);
    p.torles();
    EXPECT_EQ(keys("lapb"), (QStringList{left[1], left[1]}));

    // The deleted records stay flagged in the files until a pack.
    engine::Table& lapb = st().tables.lapb;
    EXPECT_EQ(lapb.fileRecordCount(), 6u);
    db::packSheetTables(st().tables, 0.7); // 4 of 6 deleted
    EXPECT_EQ(lapb.fileRecordCount(), 6u);
    db::packSheetTables(st().tables, 0.0);
    EXPECT_EQ(lapb.fileRecordCount(), 2u);
    EXPECT_EQ(lap().fileRecordCount(), 1u);
    EXPECT_EQ(keys("lapb"), (QStringList{left[1], left[1]}));
}

TEST_F(Commands, DeleteOrCancelASentSheet) {
    app->clock.setToday(QDate(2024, 7, 10)); // correction limit 2024.02
    zaras("2024.06", QDate(2024, 7, 3));
    add({"2024.06", "00001", "", 2, "2024.06"}); // inside the exception
    add({"2024.02", "00002", "", 2, "2024.02"}); // cancelled
    add({"2024.01", "00003", "", 2, "2024.01"}); // outside the correction time
    reg::LapParancsok p(st(), {});

    select({"2024.01", "00003", ""});
    p.torles();
    select({"2024.02", "00002", ""});
    app->msg.answer(true);
    p.torles();
    EXPECT_EQ(log(),
              (Strings{"warning: Már elküldött lap és korrekciós időn kívüli, nem törölhető!",
                       "question: Valóban sztornózni akarja a lapot?",
                       "information: A sztornózás megtörtént! Az adatküldésnél "
                       "kiválasztható elküldésre!"}));
    const auto q = db().query("select elkuldve, modtipus from lap where sorsz='00002'");
    EXPECT_EQ(q.value(0, 0).toString() + q.value(0, 1).toString(), "YYS");

    // Day 10 of the closing month: the sent sheet of the closed period is
    // deleted outright; day 11 offers the cancellation.
    app->msg.clear();
    app->clock.setToday(QDate(2024, 7, 11));
    select({"2024.06", "00001", ""});
    app->msg.answer(false);
    p.torles();
    EXPECT_EQ(app->msg.last(), "Valóban sztornózni akarja a lapot?");
    app->clock.setToday(QDate(2024, 7, 10));
    app->msg.answer(true);
    p.torles();
    EXPECT_EQ(app->msg.last(), "Biztosan törli a beteg adatait ?");
    EXPECT_EQ(keys("lap"), (QStringList{"2024.01 00003 ", "2024.02 00002 "}));
}

TEST_F(Commands, Conversion) {
    add({"2024.05", "00001", ""});
    add({"2024.05", "00002", "A"});
    add({"2024.05", "00003", "B"});
    add({"2024.05", "00004", "A"}, false);
    add({"2024.05", "00005", "", 2, "2024.05"});
    reg::LapParancsok p(st(), {});

    select({"2024.05", "00001", ""});
    app->msg.answer(true);
    p.atalakit();
    select({"2024.05", "00002", "A"});
    app->msg.answer(true);
    p.atalakit();
    select({"2024.05", "00003", "B"});
    p.atalakit();
    select({"2024.05", "00004", "A"});
    app->msg.answer(true);
    p.atalakit();
    select({"2024.05", "00005", ""});
    p.atalakit();
    EXPECT_EQ(log(), (Strings{"question: Valóban részszámlát akar a teljes számlából?",
                              "question: Valóban teljes számlát akar a részszámlából?",
                              "error: Nem teljes, vagy nem első részszámla! Nem javítható! ",
                              "question: Valóban teljes számlát akar a részszámlából?",
                              "error: Hibás adat! A javítás nem hajtható végre!",
                              "warning: Már elküldött lap, nem javítható!"}));
    const QStringList sheets{"2024.05 00001 A", "2024.05 00002 ", "2024.05 00003 B",
                             "2024.05 00004 A", "2024.05 00005 "};
    EXPECT_EQ(keys("lap"), sheets);
    EXPECT_EQ(keys("elrend"), (QStringList{sheets[0], sheets[1], sheets[2], sheets[4]}));
    QStringList rows;
    for (const QString& s : sheets)
        rows << s << s;
    EXPECT_EQ(keys("lapb"), rows);

    // A sent sheet converts only in a closed period closed this month,
    // before day 10.
    st().zartidoszak = true;
    zaras("2024.05", QDate(2024, 5, 1));
    app->clock.setToday(QDate(2024, 5, 10));
    app->msg.clear();
    p.atalakit();
    app->clock.setToday(QDate(2024, 5, 9));
    app->msg.answer(true);
    p.atalakit();
    EXPECT_EQ(log(), (Strings{"warning: Már elküldött lap, nem javítható!",
                              "question: Valóban részszámlát akar a teljes számlából?"}));
    EXPECT_EQ(keys("lapb").last(), "2024.05 00005 A");
}

TEST_F(Commands, NextPartialInvoice) {
    add({"2024.03", "00001", "A", 3, "", "", 2});
    add({"2024.04", "00001", "B", 4});
    add({"2024.04", "00002", "A", 5, "", "*"});
    add({"2024.05", "00003", ""});
    select({"2024.05", "00003", ""});
    const std::uint32_t before = lap().recno();
    QStringList listed;
    sheet::LapModel shown;
    reg::LapParancsok* self = nullptr;
    reg::LapParancsok p(st(), {.lapuj = [&](sheet::LapModel& m, const QString&) { shown = m; },
                               .reszlapAblak =
                                   [&](const QString&) {
                                       for (lap().first(); !lap().eof(); lap().next())
                                           listed << lap().text("SORSZ") + lap().text("RESZ");
                                       lap().first();
                                       EXPECT_TRUE(self->reszlapValasztas());
                                   }});
    self = &p;
    p.kovetkezoreszszamla();
    EXPECT_EQ(listed, QStringList{"00001A"});
    EXPECT_EQ(lap().filter(), kYear);
    EXPECT_EQ(lap().recno(), before);
    EXPECT_EQ(shown.m_sorsz, "00001C");
    EXPECT_EQ(shown.lapresz, "C");
    EXPECT_EQ(shown.m_idosz, "2024.05");
    EXPECT_EQ(shown.m_elszviz, "7"); // the series total alone outside February
    EXPECT_TRUE(shown.vszameVisible);
    EXPECT_EQ(shown.CB2, 0);
    EXPECT_EQ(shown.m_jorv, "00000");
    EXPECT_EQ(shown.ellt[2], "");
    EXPECT_EQ(shown.apdat[0], "2024.05.01");

    // In February the first part's accounted visits come on top.
    st().id = core::Idoszak(2024, 2);
    select({"2024.03", "00001", "A"});
    sheet::LapModel feb;
    ASSERT_TRUE(reg::Reszlap(st()).valasztas(feb));
    EXPECT_EQ(feb.m_elszviz, "9");
    EXPECT_EQ(feb.napokszama, 29);

    // January is refused; an empty list chooses nothing.
    st().id = core::Idoszak(2024, 1);
    app->msg.clear();
    p.kovetkezoreszszamla();
    EXPECT_EQ(log(), Strings{"error: Januárban nincs következő részszámla!"});
    lap().setFilter("sorsz='99999'");
    lap().first();
    sheet::LapModel none;
    none.m_taj = "marad";
    EXPECT_FALSE(reg::Reszlap(st()).valasztas(none));
    EXPECT_EQ(none.m_taj, "marad");
}

TEST_F(Commands, ReopenASeries) {
    add({"2024.03", "00001", "A", 7, "", "*"});
    add({"2024.04", "00001", "B", 7});
    add({"2024.03", "00002", "A", 13, "", "*"});
    select({"2024.03", "00002", "A"});
    const QString before = lap().text("SORSZ");
    reg::LapParancsok p(st(), {.javitAblak = [&](const QString&) {
                            reg::Javit j(st());
                            lap().first(); // 00001A: 14 visits
                            EXPECT_FALSE(j.javitas());
                            lap().next();
                            app->msg.answer(true);
                            EXPECT_TRUE(j.javitas());
                        }});
    p.reszszamlafeloldas();
    EXPECT_EQ(log(), Strings{"error: Nincs lezárt időszak!"});
    zaras("2024.04", QDate(2024, 5, 2));
    app->msg.clear();
    p.reszszamlafeloldas();
    EXPECT_EQ(log(), (Strings{"error: Erre a lapsorszámra 14 vizitet rögzített, nem javítható",
                              "question: Valóban javítja a részszámla első lapját ?",
                              "information: A javítás megtörtént! "}));
    EXPECT_EQ(lap().filter(), kYear);
    EXPECT_EQ(lap().text("SORSZ"), before);
    const auto q = db().query("select sorsz, tele from lap where resz='A' order by sorsz");
    EXPECT_EQ(q.value(0, 1).toString(), "*");
    EXPECT_TRUE(q.value(1, 1).isNull());
    db().exec("update lap set tele=null");
    app->msg.clear();
    p.reszszamlafeloldas();
    EXPECT_EQ(log(), Strings{"error: Nincs javítható első részszámla!"});
}

TEST_F(Commands, ClosingDate) {
    add({"2024.04", "00001", ""}); // visits on the 3rd and 5th
    add({"2024.04", "00002", ""});
    db().exec("delete from lapb where sorsz='00002'");
    zaras("2024.04", QDate(2024, 4, 30));
    QStringList checked;
    sheet::Lezarido dlg(st(), [&](const QString& d, const QString& sz, const QString& p) {
        checked << d + '|' + sz + '|' + p;
        return true;
    });
    QString szakvet;
    reg::LapParancsok p(st(), {.leidoAblak = [&](const QString& s) { szakvet = s; }});
    select({"2024.04", "00001", ""});
    p.lezaras();
    EXPECT_EQ(szakvet, "2024.04.01");
    dlg.elokeszit(szakvet);

    app->clock.setToday(QDate(2024, 5, 19));
    EXPECT_FALSE(dlg.rogzites("    .  .  "));
    EXPECT_FALSE(dlg.rogzites("2024.02.30"));
    EXPECT_EQ(dlg.me1Exit("2024.04.04").focus, "ME1");
    EXPECT_TRUE(dlg.me1Exit("2024.04.05").ok);
    app->msg.answer(false);
    EXPECT_TRUE(dlg.rogzites("2024.04.05"));
    auto row = [&](const char* s) {
        const auto q = db().query("select lezdat, elkuldve, modtipus from lap where sorsz=?", {s});
        return q.value(0, 0).toString() + '|' + q.value(0, 1).toString() + '|' +
               q.value(0, 2).toString();
    };
    EXPECT_EQ(row("00001"), "||");
    app->msg.answer(true);
    EXPECT_TRUE(dlg.rogzites("2024.04.05"));
    EXPECT_EQ(row("00001"), "2024-04-05||"); // day 19, closed in its own month
    app->clock.setToday(QDate(2024, 5, 20));
    app->msg.answer(true);
    EXPECT_TRUE(dlg.rogzites("2024.04.06"));
    EXPECT_EQ(row("00001"), "2024-04-06|YY|L");
    EXPECT_EQ(log(),
              (Strings{"error: A mező kitöltése kötelező!", "error: Érvénytelen dátum!",
                       "error: A lezárás dátuma nem lehet kisebb a teljesítés dátumánál!",
                       "question: Rendben van a lezárás ?", "error: Nem történt lezárás!",
                       "question: Rendben van a lezárás ?", "question: Rendben van a lezárás ?"}));
    EXPECT_EQ(checked.first(), "2024.04.04|2024.04.01|2024.04");

    // A sheet without visits, with a closed period without closing date.
    db().exec("delete from zaras");
    db().exec("insert into zaras (idoszak) values ('2024.04')");
    select({"2024.04", "00002", ""});
    dlg.elokeszit(QString());
    app->clock.setToday(QDate(2024, 5, 19));
    app->msg.answer(true);
    EXPECT_TRUE(dlg.rogzites("2024.04.01"));
    EXPECT_EQ(row("00002"), "2024-04-01||");
}

} // namespace
