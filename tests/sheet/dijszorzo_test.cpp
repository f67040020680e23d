// The fee multiplier table: every cell, and the row a sheet's order ordinal,
// a visit's care type and the period choose.

#include "sheet/dijszorzo.h"

#include <gtest/gtest.h>

namespace {

using sheet::DijSor;

TEST(Dijszorzo, EveryCell) {
    const std::optional<double> none;
    const struct {
        DijSor sor;
        std::optional<double> w[3];
    } table[] = {{DijSor::ElsoApolas, {1.0, 0.9, 0.8}},
                 {DijSor::IsmeteltApolas, {0.9, 0.7, 0.5}},
                 {DijSor::ElsoSzakirany, {0.9, 0.8, none}},
                 {DijSor::IsmeteltSzakiranyRegi, {0.8, 0.7, none}},
                 {DijSor::IsmeteltSzakiranyUj, {0.9, 0.8, none}}};
    for (const auto& row : table) {
        SCOPED_TRACE(int(row.sor));
        for (int onkep = 1; onkep <= 3; ++onkep)
            EXPECT_EQ(sheet::dijszorzo(row.sor, onkep), row.w[onkep - 1]) << onkep;
        EXPECT_EQ(sheet::dijszorzo(row.sor, 0), none);
        EXPECT_EQ(sheet::dijszorzo(row.sor, 4), none);
    }
}

TEST(Dijszorzo, RowByOrderCareTypeAndPeriod) {
    const QVariant blank;
    const struct {
        QVariant elszam, elltip;
        const char* idoszak;
        std::optional<DijSor> sor;
    } cases[] = {
        {1, 2, "2024.05", DijSor::ElsoApolas},
        {2, 2, "2024.05", DijSor::IsmeteltApolas},
        {blank, 2, "2024.05", DijSor::IsmeteltApolas}, // a blank ordinal is not the first
        {QStringLiteral("1"), QStringLiteral("2"), "2024.05", DijSor::ElsoApolas},
        {1, 4, "2008.12", DijSor::ElsoSzakirany},
        {3, 4, "2008.12", DijSor::IsmeteltSzakiranyRegi},
        {3, 5, "2009.01", DijSor::IsmeteltSzakiranyUj},
        {2, 3, "2009.01", DijSor::IsmeteltSzakiranyUj}, // above 2 is therapy
        {1, 1, "2024.05", std::nullopt},
        {1, blank, "2024.05", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elszam.toString().toStdString() + "/" + c.elltip.toString().toStdString() +
                     "/" + c.idoszak);
        EXPECT_EQ(sheet::dijsor(c.elszam, c.elltip, c.idoszak), c.sor);
    }
    EXPECT_EQ(sheet::dijszorzo(2, 6, 2, "2008.12"), 0.7);
    EXPECT_EQ(sheet::dijszorzo(2, 6, 2, "2009.01"), 0.8);
    EXPECT_EQ(sheet::dijszorzo(1, 4, 3, "2024.05"), std::nullopt);
    EXPECT_EQ(sheet::dijszorzo(1, 2, QVariant(), "2024.05"), std::nullopt);
}

} // namespace
