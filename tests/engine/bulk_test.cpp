// The bulk paths: rows appended at once and another dBase table read straight
// into a table, appended or replacing its records.

#include "engine/dbffile.h"
#include "enginetest.h"

#include <QFileInfo>

using engine::fieldDef;
using engine::Table;
using namespace enginetest;
using testsupport::readAll;
using testsupport::TempDir;

TEST(BulkImport, AnotherTableIsReadStraightInAppendedOrReplacing) {
    TempDir dir;
    // The source: other widths, another order, a field the target lacks, a
    // deleted record.
    const QString src = dir.file("forras.dbf");
    Table::create(src, {fieldDef("DB", 'N', 6, 1), fieldDef("KOD", 'C', 5),
                        fieldDef("NEV", 'C', 12), fieldDef("MAS", 'C', 3)});
    Table s;
    s.open(src);
    s.appendRows({{2.5, "B", "Béla", "x"}, {1, "A", "Anna", "y"}, {3, "C", "Cecil", "z"}});
    s.go(3);
    s.remove();

    const QString path = dir.file("cel.dbf");
    Table::create(path, {fieldDef("KOD", 'C', 5), fieldDef("NEV", 'C', 8),
                         fieldDef("DB", 'N', 6, 1), fieldDef("NAP", 'D')});
    Table t;
    t.open(path);
    t.appendRows({{"Z", "Zoé", 9, "2024.01.02"}});
    t.addTag("kod", "kod");
    t.setActiveTag("kod");

    EXPECT_EQ(t.importFrom(s), 2u);
    EXPECT_EQ(walk(t, "kod"), QStringList({"A", "B", "Z"}));
    EXPECT_EQ(walk(t, "nev"), QStringList({"Anna", "Béla", "Zoé"}));
    EXPECT_EQ(walk(t, "db"), QStringList({"1.0", "2.5", "9.0"}));
    EXPECT_TRUE(t.locate("kod", "B"));
    EXPECT_TRUE(t.isBlank("nap"));

    // Replacing, with every write failing in turn: as before, or all replaced.
    int failed = 0;
    for (long n = 0; n < 6; ++n) {
        SCOPED_TRACE(n);
        const QByteArray before = readAll(path);
        engine::testing::failWriteAfter(n);
        failed += dbError([&] { t.importFrom(s, Table::Import::Replace); }).has_value();
        engine::testing::clearWriteFailure();
        EXPECT_FALSE(QFileInfo::exists(path + ".uj"));
        if (readAll(path) == before) continue;
        // Replaced (a failure after the rename concerns the index file only).
        EXPECT_EQ(walk(t, "kod"), QStringList({"A", "B"}));
        t.close();
        t.open(path);
        EXPECT_EQ(walk(t, "kod"), QStringList({"A", "B"}));
        break;
    }
    EXPECT_GT(failed, 0) << "no injected write failure hit the import";

    EXPECT_EQ(t.importFrom(s, Table::Import::Replace), 2u);
    EXPECT_EQ(walk(t, "kod"), QStringList({"A", "B"}));

    // A value that does not fit its field stops the import: nothing appended.
    Table::create(dir.file("szuk.dbf"), {fieldDef("NEV", 'C', 2)});
    Table narrow;
    narrow.open(dir.file("szuk.dbf"));
    EXPECT_TRUE(throwsKind(DbError::Kind::Value, [&] { narrow.importFrom(s); }));
    EXPECT_EQ(narrow.fileRecordCount(), 0u);
}
