#include "core/idoszak.h"

#include <gtest/gtest.h>

using core::Idoszak;

TEST(Idoszak, ReadsBothFormsAndRefusesTheRest) {
    EXPECT_EQ(Idoszak::parse(u"2016.01")->text(), QStringLiteral("2016.01"));
    EXPECT_EQ(Idoszak::parseCompact(u"201603")->text(), QStringLiteral("2016.03"));
    EXPECT_EQ(Idoszak::parseAny(u"201603"), Idoszak::parse(u"2016.03"));
    EXPECT_EQ(Idoszak(2009, 9).compactText(), QStringLiteral("200909"));
    for (const char16_t* bad : {u"", u"2016.13", u"2016.00", u"20a6.01", u"2016.1", u"1998-12x"})
        EXPECT_FALSE(Idoszak::parseAny(bad)) << QString::fromUtf16(bad).toStdString();
    EXPECT_TRUE(Idoszak().text().isEmpty());
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
