// The two common helpers that work on tables: mezokeres (look a record up by
// one field) and dbfjeltorol (the header fix before re-indexing).

#include "dbfixture.h"

#include "core/kozos.h"
#include "engine/dberror.h"
#include "engine/table.h"

#include <gtest/gtest.h>

namespace {

class KozosTableTest : public ::testing::Test {
protected:
    testsupport::TempDir tmp;
    QString path = tmp.file("Telepul.dbf");

    void SetUp() override {
        dbfixture::writeTable(
            path, {engine::fieldDef("KOZIGKOD", 'C', 7), engine::fieldDef("HELYNEV", 'C', 25)},
            {{"3214", "Zalaegerszeg"}, {"2553", "Bak"}, {"2554", "Bak"}, {"0001", "Budapest"}});
    }
};

TEST_F(KozosTableTest, MezokeresMakesTheFirstMatchingRecordCurrent) {
    engine::Table t;
    t.open(path);
    EXPECT_TRUE(kozos::mezokeres("HELYNEV", "Bak", t));
    EXPECT_EQ(t.text("KOZIGKOD"), "2553");
    EXPECT_TRUE(kozos::mezokeres("kozigkod", "0001", t));
    EXPECT_EQ(t.text("HELYNEV"), "Budapest");
}

TEST_F(KozosTableTest, MezokeresWantsTheWholeFieldInItsCase) {
    engine::Table t;
    t.open(path);
    EXPECT_FALSE(kozos::mezokeres("HELYNEV", "Zala", t));
    EXPECT_FALSE(kozos::mezokeres("HELYNEV", "bak", t));
    EXPECT_FALSE(kozos::mezokeres("HELYNEV", "Nincs ilyen", t));
}

TEST_F(KozosTableTest, MezokeresTurnsAnyFailureIntoFalse) {
    engine::Table t;
    EXPECT_FALSE(kozos::mezokeres("HELYNEV", "Bak", t)); // closed
    t.open(path);
    EXPECT_FALSE(kozos::mezokeres("NINCSMEZO", "Bak", t));
}

TEST_F(KozosTableTest, DbfjeltorolZeroesBytes28And29Only) {
    QByteArray bytes = testsupport::readAll(path);
    bytes[28] = 1;
    bytes[29] = char(0x64);
    testsupport::writeAll(path, bytes);

    kozos::dbfjeltorol(path);
    const QByteArray after = testsupport::readAll(path);
    EXPECT_EQ(after.size(), bytes.size());
    EXPECT_EQ(after[28], 0);
    EXPECT_EQ(after[29], 0);
    bytes[28] = 0;
    bytes[29] = 0;
    EXPECT_EQ(after, bytes);
}

TEST_F(KozosTableTest, DbfjeltorolRaisesForAMissingFile) {
    try {
        kozos::dbfjeltorol(tmp.file("Nincs.dbf"));
        FAIL() << "no error";
    } catch (const engine::DbError& e) {
        EXPECT_EQ(e.kind(), engine::DbError::Kind::Io);
    }
}

} // namespace
