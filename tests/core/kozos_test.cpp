// The common field checks: which texts pass, and which messages the user gets
// for the others, in the order the boxes come up.

#include "core/kozos.h"
#include "ui/scriptedmessages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kozos;
using Log = std::vector<std::string>;

namespace {

const char* const invalidPeriod = "error: Érvénytelen időszak!!";
const char* const before1999_06 = "error: Nem adhat meg 1999.06 előtti időszakot!";
const char* const futurePeriod = "error: Nem adhat meg előre időszakot!";
const char* const invalidDate = "error: Érvénytelen dátum!!";
const char* const before1895 = "error: Hibás dátum! 1895 előtti nem lehet!";
const char* const before1996_10 = "error: Hibás dátum! 1996.10.01 előtti nem lehet!";
const char* const afterPeriod = "error: Nem adhat meg az elszámolási időszakot követő dátumot!";

const QString untouchedDate = QStringLiteral("    .  .  ");

// Texts compared as UTF-8 so that a failure prints them readably.
std::string s(const QString& text) {
    return text.toStdString();
}

} // namespace

TEST(Ures, BlankIsEmptyOrOnlyBlanksNulsAndCode255) {
    EXPECT_TRUE(ures(""));
    EXPECT_TRUE(ures("   "));
    EXPECT_TRUE(ures(QString(QChar(0)) + " " + QChar(0x00A0)));
    EXPECT_FALSE(ures("  x "));
    EXPECT_FALSE(ures("\t"));
}

TEST(Kotelezo, BlankFieldIsRefusedWithOneMessage) {
    ui::ScriptedMessages msg;
    EXPECT_FALSE(kotelezo(msg, "   "));
    EXPECT_EQ(msg.log(), Log{"error: A mező kitöltése kötelező!"});

    msg.clear();
    EXPECT_TRUE(kotelezo(msg, " a"));
    EXPECT_TRUE(msg.isEmpty());
}

TEST(Datumjo, OnlyRealDaysWrittenYearMonthDay) {
    EXPECT_TRUE(datumjo("2004.02.29"));
    EXPECT_TRUE(datumjo("2000.02.29"));
    EXPECT_FALSE(datumjo("2006.02.29"));
    EXPECT_FALSE(datumjo("1900.02.29"));
    EXPECT_FALSE(datumjo("2006.04.31"));
    EXPECT_FALSE(datumjo("2006.13.01"));
    EXPECT_FALSE(datumjo("2006.00.10"));
    EXPECT_FALSE(datumjo(untouchedDate));
    EXPECT_FALSE(datumjo("2006.05.  "));
    EXPECT_FALSE(datumjo("2006-05-01"));
    EXPECT_FALSE(datumjo("2006.5.01"));
    EXPECT_FALSE(datumjo(""));
}

TEST(Tajell, BlankPassesTheCallerChecksRequired) {
    EXPECT_TRUE(tajell(""));
    EXPECT_TRUE(tajell("   "));
}

TEST(Tajell, NineDigitsWithWeightedCheckDigit) {
    // 1*3 + 2*7 + 3*3 + 4*7 + 5*3 + 6*7 + 7*3 + 8*7 = 188
    EXPECT_TRUE(tajell("123456788"));
    EXPECT_FALSE(tajell("123456789"));
    // 0 + 3*7 + 0 + ... : 21 -> 1, the weights belong to positions, not values
    EXPECT_TRUE(tajell("030000001"));
    EXPECT_FALSE(tajell("300000001"));
}

TEST(Tajell, NotANumberOrTooShortFails) {
    EXPECT_FALSE(tajell("1234A6788"));
    EXPECT_FALSE(tajell("1234"));
    EXPECT_FALSE(tajell("12345678"));
    EXPECT_FALSE(tajell("12345678 "));
}

class Idoszakell : public ::testing::Test {
protected:
    bool check(const QString& period) { return idoszakell(msg, period, today); }
    ui::ScriptedMessages msg;
    const QDate today{2006, 5, 17};
};

TEST_F(Idoszakell, FirstAcceptedPeriodIs1999_06) {
    EXPECT_FALSE(check("1999.05"));
    EXPECT_EQ(msg.log(), Log{before1999_06});

    msg.clear();
    EXPECT_TRUE(check("1999.06"));
    EXPECT_TRUE(msg.isEmpty());
}

TEST_F(Idoszakell, CurrentMonthPassesNextMonthIsRefused) {
    EXPECT_TRUE(check("2006.05"));
    EXPECT_TRUE(msg.isEmpty());

    EXPECT_FALSE(check("2006.06"));
    EXPECT_EQ(msg.log(), Log{futurePeriod});
}

TEST_F(Idoszakell, CurrentMonthPassesOnItsFirstDay) {
    EXPECT_TRUE(idoszakell(msg, "2006.06", QDate(2006, 6, 1)));
    EXPECT_TRUE(msg.isEmpty());
}

TEST_F(Idoszakell, Month13IsInvalid) {
    EXPECT_FALSE(check("2005.13"));
    EXPECT_EQ(msg.log(), Log{invalidPeriod});
}

TEST_F(Idoszakell, EveryFailedRuleShowsItsMessageInOrder) {
    EXPECT_FALSE(check("1998.13"));
    EXPECT_EQ(msg.log(), (Log{invalidPeriod, before1999_06}));

    msg.clear();
    EXPECT_FALSE(check("2007.13"));
    EXPECT_EQ(msg.log(), (Log{invalidPeriod, futurePeriod}));

    msg.clear();
    EXPECT_FALSE(check(""));
    EXPECT_EQ(msg.log(), (Log{invalidPeriod, before1999_06}));
}

TEST(Szulidoell, LowerBoundIs1895_01_01) {
    ui::ScriptedMessages msg;
    EXPECT_TRUE(szulidoell(msg, "1895.01.01", core::Idoszak(2006, 5)));
    EXPECT_TRUE(msg.isEmpty());

    EXPECT_FALSE(szulidoell(msg, "1894.12.31", core::Idoszak(2006, 5)));
    EXPECT_EQ(msg.log(), Log{before1895});
}

TEST(Szulidoell, UpperBoundIsLastDayOfCurrentPeriod) {
    ui::ScriptedMessages msg;
    EXPECT_TRUE(szulidoell(msg, "2006.05.31", core::Idoszak(2006, 5)));
    EXPECT_TRUE(msg.isEmpty());

    EXPECT_FALSE(szulidoell(msg, "2006.06.01", core::Idoszak(2006, 5)));
    EXPECT_EQ(msg.log(), Log{afterPeriod});

    msg.clear();
    EXPECT_TRUE(szulidoell(msg, "2004.02.29", core::Idoszak(2004, 2)));
    EXPECT_FALSE(szulidoell(msg, "2004.02.30", core::Idoszak(2004, 2)));
    EXPECT_EQ(msg.log(), (Log{invalidDate, afterPeriod}));
}

TEST(Szulidoell, UntouchedFieldGetsTwoMessages) {
    ui::ScriptedMessages msg;
    EXPECT_FALSE(szulidoell(msg, untouchedDate, core::Idoszak(2006, 5)));
    EXPECT_EQ(msg.log(), (Log{invalidDate, before1895}));
}

TEST(Szulidoell, InvalidCurrentPeriodRefusesSilently) {
    ui::ScriptedMessages msg;
    EXPECT_FALSE(szulidoell(msg, "2006.05.01", core::Idoszak()));
    EXPECT_TRUE(msg.isEmpty());
}

TEST(Datumell, LowerBoundIs1996_10_01) {
    ui::ScriptedMessages msg;
    EXPECT_TRUE(datumell(msg, "1996.10.01", core::Idoszak(2006, 5)));
    EXPECT_TRUE(msg.isEmpty());

    EXPECT_FALSE(datumell(msg, "1996.09.30", core::Idoszak(2006, 5)));
    EXPECT_EQ(msg.log(), Log{before1996_10});
}

TEST(Datumell, SharesTheOtherMessagesWithBirthDates) {
    ui::ScriptedMessages msg;
    EXPECT_FALSE(datumell(msg, untouchedDate, core::Idoszak(2006, 5)));
    EXPECT_EQ(msg.log(), (Log{invalidDate, before1996_10}));

    msg.clear();
    EXPECT_TRUE(datumell(msg, "2006.04.30", core::Idoszak(2006, 4)));
    EXPECT_FALSE(datumell(msg, "2006.05.01", core::Idoszak(2006, 4)));
    EXPECT_EQ(msg.log(), Log{afterPeriod});
}

TEST(Zkodell, OnlyTheFactorFieldTakesChapterZ) {
    ui::ScriptedMessages msg;
    EXPECT_TRUE(zkodell(msg, "Z7490", BnoBefolyasol));
    EXPECT_TRUE(zkodell(msg, "I6390", BnoFo));
    EXPECT_TRUE(msg.isEmpty());

    EXPECT_FALSE(zkodell(msg, "I6390", BnoBefolyasol));
    EXPECT_FALSE(zkodell(msg, "Z7490", BnoFo));
    EXPECT_FALSE(zkodell(msg, "Z7490", BnoFekvo));
    EXPECT_EQ(msg.log(),
              (Log{"error: Csak \"Z\"-s kódot beírni!", "error: Nem lehet \"Z\"-s kódot beírni!",
                   "error: Nem lehet \"Z\"-s kódot beírni!"}));
}

TEST(Zkodell, LowerCaseZIsNotChapterZ) {
    ui::ScriptedMessages msg;
    EXPECT_TRUE(zkodell(msg, "z7490", BnoAlap));
    EXPECT_FALSE(zkodell(msg, "z7490", BnoBefolyasol));
    EXPECT_EQ(msg.log(), Log{"error: Csak \"Z\"-s kódot beírni!"});
}

TEST(Ketjegyu, DayAndMonthNumbers) {
    EXPECT_EQ(s(ketjegyu(5)), "05");
    EXPECT_EQ(s(ketjegyu(0)), "00");
    EXPECT_EQ(s(ketjegyu(9)), "09");
    EXPECT_EQ(s(ketjegyu(10)), "10");
    EXPECT_EQ(s(ketjegyu(31)), "31");
}

TEST(Baltolt, PadsSerialNumbersAndCutsLongTexts) {
    EXPECT_EQ(s(baltolt("123", 5, "0")), "00123");
    EXPECT_EQ(s(baltolt("1234567", 5, "0")), "12345");
    EXPECT_EQ(s(baltolt("12345", 5, "0")), "12345");
    EXPECT_EQ(s(baltolt("4567", 9, "0")), "000004567");
    EXPECT_EQ(s(baltolt("12", 4, "")), "  12");
}

TEST(Jobbtolt, PadsLabelsWithBlanks) {
    const QString label = jobbtolt("Alapdíj: ", 30, " ");
    EXPECT_EQ(label.size(), 30);
    EXPECT_EQ(s(label), "Alapdíj: " + std::string(21, ' '));
    EXPECT_EQ(s(jobbtolt("ab", 4, "")), "ab  ");
    EXPECT_EQ(s(jobbtolt("abcdef", 4, " ")), "abcd");
}

TEST(Egyike, ExactlyOneCharacterOfTheList) {
    EXPECT_TRUE(egyike("4", "2456"));
    EXPECT_TRUE(egyike("2", "2456"));
    EXPECT_FALSE(egyike("3", "2456"));
    EXPECT_FALSE(egyike("", "2456"));
    EXPECT_FALSE(egyike("24", "2456"));
    EXPECT_FALSE(egyike("2", "456"));
}
