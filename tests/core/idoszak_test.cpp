#include "core/idoszak.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

using core::Idoszak;

namespace {

std::string show(const std::optional<Idoszak>& p) {
    return p ? p->text().toStdString() : "nullopt";
}

} // namespace

TEST(Idoszak, ReadsBothFormsAndRefusesTheRest) {
    EXPECT_EQ(Idoszak::parse(u"2016.01")->text(), QStringLiteral("2016.01"));
    EXPECT_EQ(Idoszak::parseCompact(u"201603")->text(), QStringLiteral("2016.03"));
    EXPECT_EQ(Idoszak::parseAny(u"201603"), Idoszak::parse(u"2016.03"));
    EXPECT_EQ(Idoszak(2009, 9).compactText(), QStringLiteral("200909"));
    for (const char16_t* bad : {u"", u"2016.13", u"2016.00", u"20a6.01", u"2016.1", u"1998-12x"})
        EXPECT_FALSE(Idoszak::parseAny(bad)) << QString::fromUtf16(bad).toStdString();
    EXPECT_TRUE(Idoszak().text().isEmpty());
}

TEST(Idoszak, ParseTakesBlanksAroundAndAnySeparator) {
    EXPECT_EQ(Idoszak::parse(u"  2016.01 "), Idoszak(2016, 1));
    EXPECT_EQ(Idoszak::parse(u"2016-01"), Idoszak(2016, 1));
    EXPECT_EQ(Idoszak::parse(u"2016/12"), Idoszak(2016, 12));
    EXPECT_EQ(Idoszak::parseCompact(u" 201612\t"), Idoszak(2016, 12));
    EXPECT_EQ(Idoszak::parseAny(u"2016 03"), Idoszak(2016, 3));
}

TEST(Idoszak, ParseRefusesWidthsRangesAndGarbage) {
    for (const char16_t* bad :
         {u"   ", u"16.01", u"02016.01", u"2016.011", u"2016. 1", u"2016.0a", u"+016.01",
          u"0000.05", u"2016.00", u"2016.13", u"abcd.ef", u"201601"})
        EXPECT_FALSE(Idoszak::parse(bad)) << show(Idoszak::parse(bad));
    for (const char16_t* bad :
         {u"", u"20161", u"2016011", u"201600", u"201613", u"2016.3", u"000001", u"2016.03"})
        EXPECT_FALSE(Idoszak::parseCompact(bad)) << show(Idoszak::parseCompact(bad));
    EXPECT_FALSE(Idoszak::parseAny(u"2016.3"));
    EXPECT_FALSE(Idoszak::fromText(u"2016.13").isValid());
    EXPECT_EQ(Idoszak::fromText(u"2016.12"), Idoszak(2016, 12));
}

TEST(Idoszak, OutOfRangeConstructionIsInvalid) {
    EXPECT_FALSE(Idoszak(2016, 0).isValid());
    EXPECT_FALSE(Idoszak(2016, 13).isValid());
    EXPECT_FALSE(Idoszak(0, 5).isValid());
    EXPECT_FALSE(Idoszak(10000, 1).isValid());
    EXPECT_EQ(Idoszak(2016, 13), Idoszak());
    EXPECT_EQ(Idoszak(812, 3).text(), QStringLiteral("0812.03"));
}

TEST(Idoszak, ArithmeticAcrossYears) {
    const Idoszak p(2016, 3);
    EXPECT_EQ(p.plusMonths(-4), Idoszak(2015, 11));
    EXPECT_EQ(p.plusMonths(10), Idoszak(2017, 1));
    EXPECT_EQ(Idoszak(2016, 3).monthsSince(Idoszak(2015, 11)), 4);
    EXPECT_EQ(Idoszak(2016, 2).lastDay(), QDate(2016, 2, 29));
    EXPECT_EQ(Idoszak(2015, 2).dayCount(), 28);
    EXPECT_TRUE(Idoszak(2008, 12) < core::hatar::ujSzorzok);
    EXPECT_TRUE(Idoszak::of(QDate(2016, 1, 31)) >= core::hatar::azonositoTipus);
}

TEST(Idoszak, PlusMonthsAtYearEndsAndBelowYearOne) {
    EXPECT_EQ(Idoszak(2016, 12).plusMonths(1), Idoszak(2017, 1));
    EXPECT_EQ(Idoszak(2017, 1).plusMonths(-1), Idoszak(2016, 12));
    EXPECT_EQ(Idoszak(2017, 1).plusMonths(-13), Idoszak(2015, 12));
    EXPECT_EQ(Idoszak(2016, 5).plusMonths(24), Idoszak(2018, 5));
    EXPECT_EQ(Idoszak(2016, 5).plusMonths(0), Idoszak(2016, 5));
    EXPECT_EQ(Idoszak(1, 2).plusMonths(-1), Idoszak(1, 1));
    EXPECT_FALSE(Idoszak(1, 1).plusMonths(-1).isValid());
    EXPECT_FALSE(Idoszak(1, 6).plusMonths(-100).isValid());
    EXPECT_FALSE(Idoszak(9999, 12).plusMonths(1).isValid());
    EXPECT_FALSE(Idoszak().plusMonths(1).isValid());
}

TEST(Idoszak, MonthsSinceUndoesPlusMonths) {
    const Idoszak p(2011, 1);
    for (int n : {-25, -12, -1, 0, 1, 11, 12, 13})
        EXPECT_EQ(p.plusMonths(n).monthsSince(p), n) << n;
    EXPECT_EQ(Idoszak(2015, 11).monthsSince(Idoszak(2016, 3)), -4);
}

TEST(Idoszak, DaysOfTheMonth) {
    EXPECT_EQ(Idoszak(2004, 2).dayCount(), 29);
    EXPECT_EQ(Idoszak(2000, 2).dayCount(), 29);
    EXPECT_EQ(Idoszak(2100, 2).dayCount(), 28);
    EXPECT_EQ(Idoszak(2006, 4).dayCount(), 30);
    EXPECT_EQ(Idoszak(2023, 12).firstDay(), QDate(2023, 12, 1));
    EXPECT_EQ(Idoszak(2023, 12).lastDay(), QDate(2023, 12, 31));
    EXPECT_EQ(Idoszak(2000, 2).lastDay(), QDate(2000, 2, 29));
    EXPECT_EQ(Idoszak().dayCount(), 0);
    EXPECT_FALSE(Idoszak().firstDay().isValid());
    EXPECT_FALSE(Idoszak().lastDay().isValid());
    EXPECT_TRUE(Idoszak(2024, 2).contains(QDate(2024, 2, 29)));
    EXPECT_FALSE(Idoszak(2024, 2).contains(QDate(2024, 3, 1)));
    EXPECT_FALSE(Idoszak::of(QDate()).isValid());
}

TEST(Idoszak, OrderFollowsTheCalendarAndInvalidComesFirst) {
    EXPECT_LT(Idoszak(2015, 12), Idoszak(2016, 1));
    EXPECT_LT(Idoszak(2016, 9), Idoszak(2016, 10));
    EXPECT_GT(Idoszak(2016, 10), Idoszak(2015, 11));
    EXPECT_LT(Idoszak(), Idoszak(1, 1));
    EXPECT_NE(Idoszak(2016, 1), Idoszak(2016, 2));
    // The table text orders the same way.
    EXPECT_LT(Idoszak(2016, 9).text(), Idoszak(2016, 10).text());
}

TEST(Hatar, CutOversAreValidAndInOrder) {
    const Idoszak all[] = {
        core::hatar::elsoElfogadott,   core::hatar::elsoLap,        core::hatar::maradvany,
        core::hatar::potlekKulon,      core::hatar::ujLapforma,     core::hatar::regiLapNyomtatas,
        core::hatar::ujLapRogzites,    core::hatar::ujSzorzok,      core::hatar::ujKuldemeny,
        core::hatar::otHonapKorrekcio, core::hatar::ujKapacitas,    core::hatar::keretMegosztas,
        core::hatar::maximumKeret,     core::hatar::azonositoTipus, core::hatar::zapo};
    for (const Idoszak& h : all)
        EXPECT_TRUE(h.isValid());
    for (size_t i = 1; i < std::size(all); ++i)
        EXPECT_LT(all[i - 1], all[i]) << all[i].text().toStdString();
}
