// Hungarian number formatting, independent of the machine's locale.

#include "ui/numberformat.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <climits>
#include <string>

using ui::formatNumber;

namespace {

std::string s(const QString& text) {
    return text.toStdString();
}

} // namespace

TEST(FormatNumber, DecimalCommaAndBlankGroupedThousands) {
    EXPECT_EQ(s(formatNumber(1234.5, 2)), "1 234,50");
    EXPECT_EQ(s(formatNumber(1234567.0, 0)), "1 234 567");
    EXPECT_EQ(s(formatNumber(123456.789, 1)), "123 456,8");
    EXPECT_EQ(s(formatNumber(999.0, 0)), "999");
    EXPECT_EQ(s(formatNumber(1000.0, 0)), "1 000");
    EXPECT_EQ(s(formatNumber(0.25, 2)), "0,25");
}

TEST(FormatNumber, EmptyRemainderShowsZeroWithDecimals) {
    EXPECT_EQ(s(formatNumber(0.0, 1)), "0,0");
    EXPECT_EQ(s(formatNumber(0.0, 0)), "0");
}

TEST(FormatNumber, NegativeNumbersAndNoNegativeZero) {
    EXPECT_EQ(s(formatNumber(-1234.0, 0)), "-1 234");
    EXPECT_EQ(s(formatNumber(-0.5, 0)), "-1");
    EXPECT_EQ(s(formatNumber(-0.004, 2)), "0,00");
    EXPECT_EQ(s(formatNumber(-0.0, 1)), "0,0");
}

TEST(FormatNumber, RoundsHalfAwayFromZeroAsWritten) {
    // 2.675 and 1.005 lie a hair below their decimal text as doubles.
    EXPECT_EQ(s(formatNumber(2.675, 2)), "2,68");
    EXPECT_EQ(s(formatNumber(1.005, 2)), "1,01");
    EXPECT_EQ(s(formatNumber(0.5, 0)), "1");
    EXPECT_EQ(s(formatNumber(999.995, 2)), "1 000,00");
    // Fee arithmetic: 4000 * 0.9 * 1.1 is 3960.0000000000005 as a double.
    EXPECT_EQ(s(formatNumber(4000 * 0.9 * 1.1, 2)), "3 960,00");
    EXPECT_EQ(s(formatNumber(0.000123, 4)), "0,0001");
    EXPECT_EQ(s(formatNumber(1e15, 0)), "1 000 000 000 000 000");
}

TEST(FormatNumber, IntegersOfAnyWidth) {
    EXPECT_EQ(s(formatNumber(0)), "0");
    EXPECT_EQ(s(formatNumber(12)), "12");
    EXPECT_EQ(s(formatNumber(-1234)), "-1 234");
    EXPECT_EQ(s(formatNumber(qsizetype(1234567))), "1 234 567");
    EXPECT_EQ(s(formatNumber(LLONG_MIN)), "-9 223 372 036 854 775 808");
}

TEST(FormatNumber, IgnoresTheDefaultLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(s(formatNumber(1234.5, 2)), "1 234,50");
    EXPECT_EQ(s(formatNumber(1234)), "1 234");
    QLocale::setDefault(saved);
}
