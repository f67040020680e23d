// Stale and cut index files, tables other tools write, leftovers of a killed
// run, and writes that fail part way (the write-failure hook).

#include "engine/changeunit.h"
#include "engine/dbffile.h"
#include "engine/mdxfile.h"
#include "engine/sysfile.h"
#include "engine/tablebuilder.h"
#include "enginetest.h"

#include <QFile>
#include <QFileInfo>

using engine::fieldDef;
using engine::Table;
using namespace enginetest;
using testsupport::readAll;
using testsupport::TempDir;
using testsupport::writeAll;

namespace {

// KOD C5, DB N4; rows K1/10, K2/20, K3/30 and a tag on KOD.
QString tableWithTag(const TempDir& dir) {
    const QString path = dir.file("t.dbf");
    Table::create(path, {fieldDef("KOD", 'C', 5), fieldDef("DB", 'N', 4)});
    Table t;
    t.open(path);
    t.appendRows({{"K1", 10}, {"K2", 20}, {"K3", 30}});
    t.addTag("kod", "kod");
    t.setActiveTag("kod");
    t.close();
    return path;
}

// Writes `bytes` at `at` of the file like another program would, and with
// keepTime puts the file's modification time back as it was.
void patchBehind(const QString& path, int at, const QByteArray& bytes, bool keepTime) {
    const std::int64_t modified = testsupport::modifiedNs(path);
    QByteArray b = readAll(path);
    b.replace(at, bytes.size(), bytes);
    writeAll(path, b);
    if (keepTime) engine::sys::setModifiedTime(path, modified);
}

constexpr int kHeader = 32 + 2 * 32 + 1, kRecord = 1 + 5 + 4;

} // namespace

TEST(StaleIndex, AChangedTableIsNeverFollowedThroughItsOldIndex) {
    for (bool keepTime : {false, true}) {
        SCOPED_TRACE(keepTime ? "modification time put back" : "modification time changed");
        TempDir dir;
        const QString path = tableWithTag(dir);
        // Another dBase program renames K2 to K9 in place: same size, count, index.
        patchBehind(path, kHeader + kRecord + 1, "K9   ", keepTime);
        Table t;
        t.open(path);
        ASSERT_EQ(t.activeTag(), "kod");
        // Through the whole table: this walk used to start over forever.
        EXPECT_TRUE(t.locate("db", 30));
        EXPECT_EQ(t.text("kod"), "K3");
        EXPECT_TRUE(t.locate("kod", "K9"));
        EXPECT_EQ(t.number("db"), 20);
        EXPECT_EQ(walk(t, "kod"), QStringList({"K1", "K3", "K9"}));
        EXPECT_EQ(walkBack(t, "kod"), QStringList({"K9", "K3", "K1"}));
    }
}

TEST(StaleIndex, WhatTheProgramClosedCleanlyIsTrustedAtTheNextOpen) {
    TempDir dir;
    const QString path = tableWithTag(dir);
    {
        // A session: a key changed, a record deleted, one appended in a unit.
        Table t;
        t.open(path);
        ASSERT_TRUE(t.locate("kod", "K2"));
        t.edit();
        t.setValue("kod", "K5");
        t.post();
        ASSERT_TRUE(t.locate("kod", "K1"));
        t.remove();
        engine::ChangeUnit unit({&t});
        t.appendRows({{"K4", 40}});
        unit.commit();
    }
    Table t;
    t.open(path);
    EXPECT_EQ(t.recordChecks(), 0u);
    EXPECT_EQ(t.deletedCount(), 1u);
    EXPECT_EQ(walk(t, "kod"), QStringList({"K3", "K4", "K5"}));
    t.pack();
    t.close();
    // A table that took a new file (a pack, an import) keeps its deleted
    // count in the index file too: the next start reads no record for it.
    engine::MdxDirectory d;
    ASSERT_TRUE(engine::readMdxDirectory(dir.file("t.mdx"), d));
    EXPECT_EQ(d.deletedCount, 0);
    t.open(path);
    EXPECT_EQ(t.recordChecks(), 0u);
    EXPECT_EQ(walk(t, "kod"), QStringList({"K3", "K4", "K5"}));
    t.close();
    t.open(path);
    EXPECT_EQ(t.recordChecks(), 0u);
    t.close();

    // Another program deletes the first record (K5) and renames the second
    // (K3): the keys are checked, and the deleted count is the file's.
    patchBehind(path, kHeader, "*", false);
    patchBehind(path, kHeader + kRecord + 1, "K0   ", false);
    t.open(path);
    EXPECT_EQ(t.recordChecks(), 1u);
    EXPECT_EQ(t.deletedCount(), 1u);
    EXPECT_EQ(walk(t, "kod"), QStringList({"K0", "K4"}));
}

TEST(StaleIndex, AReplacedFileOfTheSameSizeGetsItsOwnOrder) {
    TempDir dir;
    const QString path = tableWithTag(dir);
    QByteArray b = readAll(path);
    b.replace(kHeader + 1, 5, "Z1   ");
    b.replace(kHeader + 2 * kRecord + 1, 5, "A3   ");
    writeAll(path, b);
    Table t;
    t.open(path);
    EXPECT_EQ(walk(t, "kod"), QStringList({"A3", "K2", "Z1"}));
    EXPECT_TRUE(t.locate("kod", "A3"));
    EXPECT_EQ(t.number("db"), 30);
}

TEST(StaleIndex, AnIndexFileThatCannotBeReadWholeIsNotOk) {
    TempDir dir;
    const QString path = tableWithTag(dir);
    const QByteArray mdx = readAll(dir.file("t.mdx"));
    EXPECT_TRUE(Table::indexFileOk(path));
    for (int len : {10, 30, int(mdx.size()) - 1}) {
        SCOPED_TRACE(len);
        writeAll(dir.file("t.mdx"), mdx.left(len));
        EXPECT_FALSE(Table::indexFileOk(path));
    }
}

TEST(ForeignTables, WhatOtherToolsWriteIsRead) {
    TempDir dir;
    const QString path = dir.file("f.dbf");
    Table::create(path, {fieldDef("NEV", 'C', 5), fieldDef("DB", 'N', 4)});
    {
        Table t;
        t.open(path);
        t.appendRows({{"Béla", 7}});
    }
    const QByteArray good = readAll(path);
    struct Case {
        const char* what;
        int at;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"field list ends in 0x00", kHeader - 1, QByteArray(1, '\0')},
        {"field list ends in a blank", kHeader - 1, " "},
        {"character field with a decimal count (Excel)", 32 + 17, QByteArray(1, '\2')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray b = good;
        b.replace(c.at, c.bytes.size(), c.bytes);
        writeAll(path, b);
        Table t;
        ASSERT_NO_THROW(t.open(path, Table::Mode::ReadOnly));
        EXPECT_EQ(t.text("nev"), "Béla");
        EXPECT_EQ(t.number("db"), 7);
    }
    // No fields at all: a header and nothing else.
    QByteArray empty(33, '\0');
    empty[0] = 0x03;
    empty[8] = 33;
    empty[10] = 1;
    empty[32] = 0x0D;
    writeAll(path, empty);
    Table t;
    ASSERT_NO_THROW(t.open(path, Table::Mode::ReadOnly));
    EXPECT_TRUE(t.fields().empty());
    EXPECT_TRUE(t.isEmpty());
    t.close();
    // Still refused: fields but records announced without room, and records
    // announced in a table without fields.
    empty[4] = 1;
    writeAll(path, empty);
    EXPECT_TRUE(throwsKind(DbError::Kind::Damaged, [&] { t.open(path); }));
    QByteArray wrongLength = good;
    wrongLength[10] = char(kRecord + 3);
    writeAll(path, wrongLength);
    EXPECT_TRUE(throwsKind(DbError::Kind::Damaged, [&] { t.open(path); }));
}

TEST(FieldCodec, PaddingIsTrimmedTheSameWayEverywhere) {
    Table t;
    t.open(testsupport::testData("dbf-real/dbasers-contain_null_padded_numeric.dbf"),
           Table::Mode::ReadOnly);
    const QString name = t.fields()[0].name;
    EXPECT_FALSE(t.text(name).contains(QChar(0)));
    EXPECT_EQ(t.text(name), t.record(t.recno()).text(0));
    EXPECT_FALSE(t.text(name).isEmpty());
}

TEST(Leftovers, WhatAKilledRunLeftIsRemoved) {
    TempDir dir;
    for (const char* n : {"LAP.DBF.pack-tmp", "lapb.dbf.uj", "lap.mdx.tmp", "lap.dbf", "lap.mdx"})
        writeAll(dir.file(n), "x");
    EXPECT_EQ(engine::removeLeftoverFiles(dir.path()), 3);
    EXPECT_TRUE(QFileInfo::exists(dir.file("lap.dbf")));
    EXPECT_TRUE(QFileInfo::exists(dir.file("lap.mdx")));
}

// Every write of a multi-step change failing in turn: the table is as before
// or as after, never in between, and no temporary file stays.
TEST(WriteFailure, PackAndBuilderLeaveNothingHalfDone) {
    struct HookReset {
        ~HookReset() { engine::testing::clearWriteFailure(); }
    } reset;
    int packFailed = 0, builderFailed = 0;
    for (long n = 0; n < 12; ++n) {
        SCOPED_TRACE(n);
        TempDir dir;
        const QString path = tableWithTag(dir);
        {
            Table t;
            t.open(path);
            t.setActiveTag("");
            t.go(2);
            t.remove();
            engine::testing::failWriteAfter(n);
            const bool failed = dbError([&] { t.pack(); }).has_value();
            engine::testing::clearWriteFailure();
            packFailed += failed;
            t.close();
            Table r;
            r.open(path);
            // Packed or not: the dbf is replaced whole; a failure after it
            // (the index file) leaves an index the next open rebuilds.
            EXPECT_EQ(walk(r, "kod"), QStringList({"K1", "K3"}));
            if (!failed) {
                EXPECT_EQ(r.fileRecordCount(), 2u);
            }
            EXPECT_TRUE(r.fileRecordCount() == 2u || r.fileRecordCount() == 3u);
        }
        EXPECT_FALSE(QFileInfo::exists(path + ".pack-tmp"));

        const QByteArray before = readAll(path);
        bool failed = false;
        engine::testing::failWriteAfter(n);
        try {
            engine::TableBuilder b(path, {fieldDef("KOD", 'C', 5)});
            b.addRow({"Új"});
            b.commit();
        } catch (const DbError& e) {
            failed = true;
            EXPECT_EQ(e.kind(), DbError::Kind::Io);
        }
        engine::testing::clearWriteFailure();
        builderFailed += failed;
        if (failed) {
            EXPECT_EQ(readAll(path), before);
        }
        EXPECT_FALSE(QFileInfo::exists(path + ".uj"));
    }
    // The injected failures really hit both operations.
    EXPECT_GT(packFailed, 2);
    EXPECT_GT(builderFailed, 1);
}
