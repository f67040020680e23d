// Whole files replaced through the rollback journal: a change unit that puts
// new files in place of two tables and edits a third, and replaceFiles() on
// closed tables, leave every table wholly old or wholly new when any file
// operation fails and when the process is killed at any of them.

#include "enginetest.h"

#include "engine/changeunit.h"
#include "engine/dbffile.h"
#include "engine/fileswap.h"
#include "engine/sysfile.h"
#include "engine/tablebuilder.h"
#include "support/childrun.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <memory>

using namespace enginetest;

namespace {

std::vector<engine::FieldDef> fields() {
    return {engine::fieldDef("KOD", 'C', 5), engine::fieldDef("DB", 'N', 4)};
}

// Three tables: a and b get new files, c one edited record. "Old" holds
// values 1..3, "new" 100..104 in a and b and 99 in c's first record.
struct Three {
    Table a{"a"}, b{"b"}, c{"c"};
    QString dir;
    explicit Three(const QString& d) : dir(d) {}
    static void init(const QString& dir) {
        for (const char* n : {"a.dbf", "b.dbf", "c.dbf"}) {
            const QString p = QDir(dir).filePath(n);
            Table::create(p, fields());
            Table t;
            t.open(p);
            t.addTag("KOD", "Kod");
            t.appendRows({{"x1", 1}, {"x2", 2}, {"x3", 3}});
            t.close();
        }
    }
    void open() {
        a.open(dir + "/a.dbf");
        b.open(dir + "/b.dbf");
        c.open(dir + "/c.dbf");
    }
    void close() {
        a.close();
        b.close();
        c.close();
    }
    std::unique_ptr<engine::TableBuilder> fresh(Table& t) {
        auto out = std::make_unique<engine::TableBuilder>(t.path(), fields());
        for (int i = 0; i < 5; ++i)
            out->addRow({QStringLiteral("n%1").arg(i), 100 + i});
        return out;
    }
    void change() {
        engine::ChangeUnit unit({&a, &b, &c});
        a.replaceWith(fresh(a));
        b.replaceWith(fresh(b));
        c.go(1);
        c.edit();
        c.setValue("DB", 99);
        c.post();
        // Until the commit the replaced tables read as before.
        EXPECT_EQ(a.recordCount(), 3u);
        unit.commit();
    }
    // "old", "new" or what was found.
    QString state() {
        auto sum = [](Table& t) {
            int s = 0;
            for (t.first(); !t.eof(); t.next())
                s += int(t.number("DB"));
            return QStringLiteral("%1/%2").arg(t.recordCount()).arg(s);
        };
        const QString s = sum(a) + " " + sum(b) + " " + sum(c);
        if (s == "3/6 3/6 3/6") return "old";
        if (s == "5/510 5/510 3/104") return "new";
        return s;
    }
};

class FileReplace : public ::testing::Test {
protected:
    void TearDown() override { engine::testing::setIoHook(nullptr); }
    testsupport::TempDir tmp;
    // Leftover names beside the tables (temporary and saved files, journal).
    QStringList leftovers() const {
        QStringList out;
        for (const QString& n : QDir(tmp.path()).entryList(QDir::Files))
            if (!n.endsWith(".dbf") && !n.endsWith(".mdx")) out << n;
        return out;
    }
};

TEST_F(FileReplace, UnitPutsNewFilesInPlaceWithItsEdits) {
    Three::init(tmp.path());
    Three t(tmp.path());
    t.open();
    t.change();
    EXPECT_EQ(t.state(), "new");
    // The tags follow the new file, and survive a reopen.
    EXPECT_TRUE(t.a.locate("KOD", "n3"));
    t.close();
    t.open();
    EXPECT_EQ(t.state(), "new");
    EXPECT_TRUE(t.b.locate("KOD", "n4"));
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(FileReplace, ReplacedTableTakesNoOtherWritesAndRollbackForgetsTheFile) {
    Three::init(tmp.path());
    Three t(tmp.path());
    t.open();
    {
        engine::ChangeUnit unit({&t.a, &t.b});
        t.a.replaceWith(t.fresh(t.a));
        EXPECT_TRUE(dbError([&] { t.a.appendRows({{"z", 1}}); }));
        t.b.appendRows({{"z", 1}});
        EXPECT_TRUE(dbError([&] { t.b.replaceWith(t.fresh(t.b)); }));
    } // not committed
    EXPECT_EQ(t.state(), "old");
    EXPECT_EQ(leftovers(), QStringList());
}

// A failure before the journal is removed rolls back; one after it (the
// saved names, the new index files) leaves the unit done, and says nothing.
TEST_F(FileReplace, EveryFailingOperationLeavesAllOldOrAllNew) {
    int fired = 0, rolledBack = 0;
    for (long n = 1;; ++n) {
        testsupport::TempDir d;
        Three::init(d.path());
        Three t(d.path());
        t.open();
        bool failed = false;
        engine::testing::setIoHook([&](engine::testing::IoOp, long i) {
            if (i != n) return engine::testing::IoAction::Proceed;
            failed = true;
            return engine::testing::IoAction::Fail;
        });
        const auto e = dbError([&] { t.change(); });
        engine::testing::setIoHook(nullptr);
        SCOPED_TRACE(n);
        if (!failed) {
            EXPECT_FALSE(e);
            EXPECT_EQ(t.state(), "new");
            break;
        }
        ++fired;
        const QString want = e ? "old" : "new";
        rolledBack += bool(e);
        EXPECT_EQ(t.state(), want);
        t.close();
        EXPECT_FALSE(engine::recoverJournal(d.path()));
        t.open();
        EXPECT_EQ(t.state(), want);
        t.close();
        engine::removeLeftoverFiles(d.path());
        for (const QString& n : QDir(d.path()).entryList(QDir::Files))
            EXPECT_TRUE(n.endsWith(".dbf") || n.endsWith(".mdx")) << n.toStdString();
    }
    EXPECT_GT(rolledBack, 10);
    EXPECT_GT(fired, rolledBack);
}

TEST_F(FileReplace, KilledAtAnyOperationRecoversWhollyOldOrNew) {
    if (testsupport::childRole() == "change") {
        const QStringList a = testsupport::childArgs();
        const long n = a.value(1).toLong();
        Three t(a.value(0));
        t.open();
        engine::testing::setIoHook([n](engine::testing::IoOp, long i) {
            if (i == n) engine::sys::killSelf();
            return engine::testing::IoAction::Proceed;
        });
        try {
            t.change();
        } catch (...) {
            testsupport::childExit(3);
        }
        testsupport::childExit(0);
    }
    int killed = 0, sawNew = 0;
    for (long n = 1;; ++n) {
        testsupport::TempDir d;
        Three::init(d.path());
        testsupport::Child child("change", {d.path(), QString::number(n)});
        ASSERT_TRUE(child.started());
        const testsupport::Child::End end = child.wait();
        SCOPED_TRACE(n);
        engine::recoverJournal(d.path());
        engine::removeLeftoverFiles(d.path());
        Three t(d.path());
        t.open();
        const QString s = t.state();
        EXPECT_TRUE(s == "old" || s == "new") << s.toStdString();
        sawNew += s == "new";
        if (end.killed) {
            ++killed;
            continue;
        }
        EXPECT_EQ(end.code, 0);
        EXPECT_EQ(s, "new");
        break;
    }
    EXPECT_GT(killed, 10);
    EXPECT_GE(sawNew, 2); // killed after the journal went, and the last run
}

TEST_F(FileReplace, ClosedTablesReplacedTogetherOrNotAtAll) {
    Three::init(tmp.path());
    auto stage = [&] {
        for (const char* n : {"a", "b"}) {
            engine::TableBuilder out(tmp.file(QString(n) + ".dbf.uj"), fields(), ".tmp");
            for (int i = 0; i < 5; ++i)
                out.addRow({QStringLiteral("n%1").arg(i), 100 + i});
            out.commit();
        }
    };
    const std::vector<std::pair<QString, QString>> swaps = {{tmp.file("a.dbf.uj"), "A.DBF"},
                                                            {tmp.file("b.dbf.uj"), "b.dbf"}};
    int fired = 0;
    for (long n = 1;; ++n) {
        stage();
        bool failed = false;
        engine::testing::setIoHook([&](engine::testing::IoOp, long i) {
            if (i != n) return engine::testing::IoAction::Proceed;
            failed = true;
            return engine::testing::IoAction::Fail;
        });
        const auto e = dbError([&] { engine::replaceFiles(tmp.path(), swaps); });
        engine::testing::setIoHook(nullptr);
        SCOPED_TRACE(n);
        Table a, b;
        a.open(tmp.file("a.dbf"));
        b.open(tmp.file("b.dbf"));
        if (!failed) {
            EXPECT_FALSE(e);
            EXPECT_EQ(a.recordCount(), 5u);
            EXPECT_EQ(b.recordCount(), 5u);
            break;
        }
        ++fired;
        // After the journal went the replacement stands.
        const std::uint32_t want = e ? 3 : 5;
        EXPECT_EQ(a.recordCount(), want);
        EXPECT_EQ(b.recordCount(), want);
        a.close();
        b.close();
        EXPECT_EQ(leftovers(), QStringList());
        if (!e) {
            // Back to the old files for the next round.
            Three::init(tmp.path());
        }
    }
    EXPECT_GT(fired, 3);
    EXPECT_EQ(leftovers(), QStringList());
}

} // namespace

namespace {

TEST(FileReplaceKill, ClosedTablesKilledAtAnyOperation) {
    if (testsupport::childRole() == "replace") {
        const QStringList a = testsupport::childArgs();
        const long n = a.value(1).toLong();
        const QString dir = a.value(0);
        engine::testing::setIoHook([n](engine::testing::IoOp, long i) {
            if (i == n) engine::sys::killSelf();
            return engine::testing::IoAction::Proceed;
        });
        try {
            engine::replaceFiles(
                dir, {{dir + "/a.dbf.uj", "a.dbf"}, {dir + "/b.dbf.uj", "b.dbf"}});
        } catch (...) {
            testsupport::childExit(3);
        }
        testsupport::childExit(0);
    }
    int killed = 0;
    QSet<int> seen;
    for (long n = 1;; ++n) {
        testsupport::TempDir d;
        Three::init(d.path());
        for (const char* name : {"a", "b"}) {
            engine::TableBuilder out(d.file(QString(name) + ".dbf.uj"), fields(), ".tmp");
            for (int i = 0; i < 5; ++i)
                out.addRow({QStringLiteral("n%1").arg(i), 100 + i});
            out.commit();
        }
        testsupport::Child child("replace", {d.path(), QString::number(n)});
        ASSERT_TRUE(child.started());
        const testsupport::Child::End end = child.wait();
        SCOPED_TRACE(n);
        engine::recoverJournal(d.path());
        engine::removeLeftoverFiles(d.path());
        Table a, b;
        a.open(d.file("a.dbf"));
        b.open(d.file("b.dbf"));
        EXPECT_EQ(a.recordCount(), b.recordCount());
        seen << int(a.recordCount());
        if (!end.killed) {
            EXPECT_EQ(end.code, 0);
            EXPECT_EQ(a.recordCount(), 5u);
            break;
        }
        ++killed;
    }
    EXPECT_GT(killed, 3);
    EXPECT_EQ(seen, (QSet<int>{3, 5}));
}

} // namespace
