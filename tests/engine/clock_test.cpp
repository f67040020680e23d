// The program's clock: the one a Clock made last stands for today, and the
// dates the engine writes into table headers follow it.

#include "engine/clock.h"
#include "enginetest.h"

using engine::fieldDef;
using engine::Table;
using testsupport::readAll;
using testsupport::TempDir;

TEST(Clock, LatestClockIsTheProgramsToday) {
    engine::Clock outer(QDate(2023, 3, 4));
    EXPECT_EQ(engine::today(), QDate(2023, 3, 4));
    {
        engine::Clock inner(QDate(2021, 11, 12));
        EXPECT_EQ(engine::today(), QDate(2021, 11, 12));
        inner.setToday(QDate(2022, 1, 2));
        EXPECT_EQ(engine::today(), QDate(2022, 1, 2));
    }
    EXPECT_EQ(engine::today(), QDate(2023, 3, 4));
}

TEST(Clock, FixedClockFixesHeaderDates) {
    engine::Clock clock(QDate(2019, 8, 7));
    TempDir dir;
    const QString path = dir.file("ora.dbf");
    Table::create(path, {fieldDef("NEV", 'C', 5)});
    QByteArray h = readAll(path);
    EXPECT_EQ(int(h[1]), 19);
    EXPECT_EQ(int(h[2]), 8);
    EXPECT_EQ(int(h[3]), 7);
    clock.setToday(QDate(2020, 2, 3));
    Table t;
    t.open(path);
    t.append();
    t.setValue(0, QStringLiteral("a"));
    t.post();
    t.close();
    h = readAll(path);
    EXPECT_EQ(int(h[1]), 20);
    EXPECT_EQ(int(h[2]), 2);
    EXPECT_EQ(int(h[3]), 3);
}
