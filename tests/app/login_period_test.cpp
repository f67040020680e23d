// The login and the accounting period, driven without windows.

#include "app/login.h"
#include "app/period.h"
#include "core/appstate.h"
#include "engine/table.h"
#include "support/testsupport.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <gtest/gtest.h>

using app::Login;
using app::Period;

namespace {

struct Fixture : ::testing::Test {
    testsupport::TempDir dir;
    ui::ScriptedMessages msg;
    core::Clock clock{QDate(2024, 5, 15)};
    core::AppState st{msg, clock};

    void SetUp() override { st.tables.dbo.setDirectory(dir.path() + "/"); }

    QString storedCode() {
        engine::Table sys;
        sys.open(dir.file("SYS.DBF"), engine::Table::Mode::ReadOnly);
        return sys.value("P_W").toString();
    }

    // ZARAS with the given periods and closing dates ("" = no date).
    void makeZaras(const std::vector<std::pair<QString, QString>>& rows) {
        engine::Table::create(dir.file("Zaras.dbf"),
                              {engine::fieldDef("IDOSZAK", 'C', 7), engine::fieldDef("ZARAS", 'D'),
                               engine::fieldDef("LAPOKSZ", 'N', 5)});
        engine::Table& z = st.tables.zaras;
        z.open(dir.file("Zaras.dbf"));
        for (const auto& [p, d] : rows) {
            z.append();
            z.setValue("IDOSZAK", p);
            z.setValue("ZARAS", d);
            z.post();
        }
    }
};

using LoginTest = Fixture;
using PeriodTest = Fixture;

} // namespace

TEST(LoginEncoding, TakesWindowsCodesTimesThreeHalved) {
    EXPECT_EQ(Login::encode("abc").value(), "145147148");
    // Upper and lower case differ, so the password is case-sensitive.
    EXPECT_NE(Login::encode("Titok").value(), Login::encode("titok").value());
    // "ő" is 0xF5 in cp1250: 245 * 3 / 2 = 367.
    EXPECT_EQ(Login::encode(QString::fromUtf8("ő")).value(), "367");
    EXPECT_FALSE(Login::encode(QString::fromUtf8("漢")).has_value());
}

TEST_F(LoginTest, FirstStartStoresThePasswordAndTheNextStartAsksForIt) {
    ASSERT_FALSE(QFile::exists(dir.file("SYS.DBF")));
    {
        Login first(st, false);
        ASSERT_TRUE(first.prepare());
        EXPECT_EQ(first.ok("Titok1"), Login::Result::Accepted);
    }
    st.tables.sys.close();
    EXPECT_EQ(storedCode(), Login::encode("Titok1").value());

    Login again(st, false);
    ASSERT_TRUE(again.prepare());
    EXPECT_EQ(again.ok("Titok1"), Login::Result::Accepted);
    EXPECT_TRUE(msg.isEmpty());
    EXPECT_EQ(again.ok("titok1"), Login::Result::EndProgram);
    EXPECT_EQ(msg.last(), QString::fromUtf8("Érvénytelen jelszó!"));
}

TEST_F(LoginTest, SecondCopyIsRefusedNamingTheTableAsTheSystemWritesIt) {
    {
        Login first(st, false);
        ASSERT_TRUE(first.prepare());
        ASSERT_EQ(first.ok("Titok1"), Login::Result::Accepted);
    }
    // The other copy of the program: SYS.DBF held open, exclusively.
    ui::ScriptedMessages otherMsg;
    core::AppState other{otherMsg, clock};
    other.tables.dbo.setDirectory(dir.path() + "/");
    Login second(other, false);
    EXPECT_FALSE(second.prepare());
    EXPECT_EQ(otherMsg.log(),
              (std::vector<std::string>{
                  "error: " + QDir::toNativeSeparators(dir.file("SYS.DBF")).toStdString() +
                  ": az állományt egy másik program használja"}));
    st.tables.sys.close();
    EXPECT_EQ(storedCode(), Login::encode("Titok1").value());
}

TEST_F(LoginTest, EmptyTextEndsTheStartButOnlyClosesThePasswordChange) {
    {
        Login first(st, false);
        ASSERT_TRUE(first.prepare());
        ASSERT_EQ(first.ok("regi"), Login::Result::Accepted);
    }
    Login start(st, false);
    ASSERT_TRUE(start.prepare());
    EXPECT_EQ(start.ok(""), Login::Result::EndProgram);
    EXPECT_EQ(msg.last(), QString::fromUtf8("Kötelező kitölteni!"));

    Login change(st, true);
    ASSERT_TRUE(change.prepare());
    EXPECT_EQ(change.ok(""), Login::Result::Closed);
    EXPECT_EQ(change.cancel(), Login::Result::Closed);
    st.tables.sys.close();
    EXPECT_EQ(storedCode(), Login::encode("regi").value());
}

TEST_F(LoginTest, PasswordChangeTakesWhateverIsTyped) {
    {
        Login first(st, false);
        ASSERT_TRUE(first.prepare());
        ASSERT_EQ(first.ok("regi"), Login::Result::Accepted);
    }
    Login change(st, true);
    ASSERT_TRUE(change.prepare());
    EXPECT_EQ(change.ok(QString::fromUtf8("újjelszó")), Login::Result::Accepted);
    st.tables.sys.close();
    EXPECT_EQ(storedCode(), Login::encode(QString::fromUtf8("újjelszó")).value());
    Login start(st, false);
    ASSERT_TRUE(start.prepare());
    EXPECT_EQ(start.ok(QString::fromUtf8("újjelszó")), Login::Result::Accepted);
}

TEST_F(LoginTest, PasswordTooLongToStoreIsRefusedAndNothingIsWritten) {
    Login first(st, false);
    ASSERT_TRUE(first.prepare());
    // 14 letters of three digits each: 42 digits, two more than P_W holds.
    EXPECT_EQ(first.ok(QString(14, 'z')), Login::Result::StayOpen);
    EXPECT_EQ(msg.count(), 1);
    EXPECT_EQ(first.ok(QString(13, 'z')), Login::Result::Accepted);
    st.tables.sys.close();
    EXPECT_EQ(storedCode().size(), 39);
}

TEST_F(LoginTest, CancelAtStartEndsTheProgram) {
    Login start(st, false);
    ASSERT_TRUE(start.prepare());
    EXPECT_EQ(start.cancel(), Login::Result::EndProgram);
}

TEST(PeriodDays, NapokszamolGivesBothForms) {
    ui::ScriptedMessages msg;
    core::Clock clock;
    core::AppState st(msg, clock);
    app::napokszamol(st, core::Idoszak(2024, 2));
    EXPECT_EQ(st.kezdnap, "2024.02.01");
    EXPECT_EQ(st.vegnap, "2024.02.29");
    EXPECT_EQ(st.kezdnaprev, "01.02.2024");
    EXPECT_EQ(st.vegnaprev, "29.02.2024");
    app::napokszamol(st, core::Idoszak(2023, 12));
    EXPECT_EQ(st.kezdnaprev, "01.12.2023");
    EXPECT_EQ(st.vegnap, "2023.12.31");
}

TEST(PeriodFee, ErtadFollowsThePeriod) {
    ui::ScriptedMessages msg;
    core::Clock clock;
    core::AppState st(msg, clock);
    const std::vector<std::pair<QString, int>> cases = {
        {"2016.11", 3700}, {"2016.10", 3380}, {"2000.02", 1800},
        {"1999.03", 1600}, {"1999.04", 1800}, {"2000.03", 1900},
        {"2004.10", 3000}, {"2012.11", 3380}, {"2026.12", 3700}};
    for (const auto& [p, fee] : cases) {
        st.id = core::Idoszak::fromText(p);
        app::ertad(st);
        EXPECT_EQ(st.alapdij, fee) << p.toStdString();
        EXPECT_EQ(st.tajalap, 910000000);
    }
}

TEST_F(PeriodTest, CurrentMonthPassesAndTheNextIsRefused) {
    makeZaras({});
    Period pc(st);
    EXPECT_EQ(pc.ok("2024.06"), Period::Result::StayOpen);
    EXPECT_EQ(msg.last(), QString::fromUtf8("Nem adhat meg előre időszakot!"));
    EXPECT_EQ(st.id.text(), "2004.01");
    EXPECT_EQ(pc.ok("2024.05"), Period::Result::Accepted);
    EXPECT_EQ(st.id.text(), "2024.05");
    EXPECT_EQ(st.vegnap, "2024.05.31");
    EXPECT_FALSE(st.zartidoszak);
}

TEST_F(PeriodTest, ClosedPeriodNeedsConfirmation) {
    makeZaras({{"2024.03", "2024.04.05"}, {"2024.04", ""}});
    Period pc(st);

    // A record without a closing date is open: no question.
    EXPECT_EQ(pc.ok("2024.04"), Period::Result::Accepted);
    EXPECT_TRUE(msg.isEmpty());
    EXPECT_FALSE(st.zartidoszak);

    msg.answer(true);
    EXPECT_EQ(pc.ok("2024.03"), Period::Result::Accepted);
    EXPECT_EQ(msg.last(), QString::fromUtf8("Lezárt időszak! Mégis ezzel akar foglalkozni?"));
    EXPECT_EQ(msg.kinds().back(), ui::MessageKind::Confirm);
    EXPECT_TRUE(st.zartidoszak);
    EXPECT_EQ(st.id.text(), "2024.03");

    // From the menu an open period clears the flag again.
    st.idoszakmenu = true;
    EXPECT_EQ(pc.ok("2024.05"), Period::Result::Accepted);
    EXPECT_FALSE(st.zartidoszak);

    // "No" from the menu keeps the period; at start-up it ends the program.
    msg.answer(false);
    EXPECT_EQ(pc.ok("2024.03"), Period::Result::Closed);
    EXPECT_EQ(st.id.text(), "2024.05");
    EXPECT_FALSE(st.zartidoszak);
    st.idoszakmenu = false;
    msg.answer(false);
    EXPECT_EQ(pc.ok("2024.03"), Period::Result::EndProgram);
}

TEST_F(PeriodTest, CancelEndsOnlyAtStartUp) {
    makeZaras({});
    Period pc(st);
    EXPECT_EQ(pc.cancel(), Period::Result::EndProgram);
    EXPECT_EQ(pc.closeBox(), Period::Result::EndProgram);
    st.idoszakmenu = true;
    EXPECT_EQ(pc.cancel(), Period::Result::Closed);
    EXPECT_EQ(st.id.text(), "2004.01");
}
