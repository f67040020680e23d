// Change units and their rollback journal: a save over three tables is all
// or nothing when it fails at any write, when the disk dies half-way and when
// the process is killed at any instant (journaltool is the child that dies).

#include "enginetest.h"

#include "engine/changeunit.h"
#include "engine/dbffile.h"
#include "engine/tableraw.h"
#include "engine/sysfile.h"
#include "support/childrun.h"
#include "tools/journalwork.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <random>
#include <set>

using namespace enginetest;
using journalwork::Tables;

namespace {

const QStringList kFiles = {"lap.dbf", "lapb.dbf", "elrend.dbf"};

// Empty when the file is a whole dBase III table: a valid header, records
// filling the file exactly up to the end mark.
QString validTable(const QString& path) {
    const QByteArray b = testsupport::readAll(path);
    try {
        const engine::DbfHeader h = engine::parseDbfHeader(b, b.size(), path);
        const qint64 want = qint64(h.headerLength) + qint64(h.recordCount) * h.recordLength + 1;
        if (b.size() != want || b.back() != char(0x1A))
            return path +
                   QStringLiteral(": %1 bytes for %2 records").arg(b.size()).arg(h.recordCount);
    } catch (const DbError& e) {
        return e.text();
    }
    return {};
}

// Empty when every tag of the open table holds exactly one entry per record,
// each with its record's key, in order.
QString indexAgrees(const Table& t) {
    for (const Table::Tag& tag : t.tags()) {
        const engine::TagIndex& ix = tag.index;
        if (ix.size() != t.fileRecordCount())
            return QStringLiteral("%1 %2: %3 entries, %4 records")
                .arg(t.name(), tag.name)
                .arg(ix.size())
                .arg(t.fileRecordCount());
        std::set<std::uint32_t> seen;
        std::vector<char> key(size_t(ix.keyLength())), prev;
        for (auto p = ix.begin(); !ix.atEnd(p); ix.next(p)) {
            const std::uint32_t r = ix.recnoAt(p);
            if (r == 0 || r > t.fileRecordCount() || !seen.insert(r).second)
                return QStringLiteral("%1 %2: bad record %3").arg(t.name(), tag.name).arg(r);
            tag.expr.build(engine::TableRaw::record(t, r), t.fields(), key.data());
            if (memcmp(key.data(), ix.keyAt(p), key.size()) != 0)
                return QStringLiteral("%1 %2: stale key of record %3")
                    .arg(t.name(), tag.name)
                    .arg(r);
            if (!prev.empty() && memcmp(prev.data(), key.data(), key.size()) > 0)
                return QStringLiteral("%1 %2: out of order").arg(t.name(), tag.name);
            prev = key;
        }
    }
    return {};
}

QString indexesAgree(Tables& t) {
    QStringList out;
    for (Table* table : t.all())
        if (const QString e = indexAgrees(*table); !e.isEmpty()) out << e;
    return out.join("; ");
}

// A fresh folder on the disk, or in memory where the test is about killed
// processes only (the page cache outlives them, and flushes there cost
// nothing, so hundreds of trials stay quick). A kill trial's child makes
// its own in its temporary folder, which goes with the test's Child object.
class Folder {
public:
    explicit Folder(bool inMemory)
        : dir_((inMemory && testsupport::childRole().isEmpty() &&
                        QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                    ? QStringLiteral("/dev/shm")
                    : QDir::tempPath()) +
               QStringLiteral("/szjournal-XXXXXX")) {}
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

class JournalTest : public ::testing::Test {
protected:
    explicit JournalTest(bool inMemory = false) : dir(inMemory) {}
    void SetUp() override {
        // A kill trial's child works on the test's tables, not on its own.
        if (!testsupport::childRole().isEmpty()) return;
        journalwork::init(dir.path());
        t.open(dir.path());
    }
    void TearDown() override { engine::testing::setIoHook(nullptr); }

    QString journal() const { return engine::journalPath(dir.path()); }
    std::vector<QByteArray> files() const {
        std::vector<QByteArray> out;
        for (const QString& f : kFiles)
            out.push_back(testsupport::readAll(dir.file(f)));
        return out;
    }
    // What a restart finds: the journal rolled back, then every table whole,
    // its indexes agreeing with it and the content of exactly c saves.
    void restartAndExpect(long c, const std::string& where) {
        SCOPED_TRACE(where);
        t.close();
        engine::recoverJournal(dir.path());
        EXPECT_FALSE(QFile::exists(journal()));
        for (const QString& f : kFiles)
            EXPECT_EQ(validTable(dir.file(f)), QString());
        t.open(dir.path());
        EXPECT_EQ(indexesAgree(t), QString());
        EXPECT_EQ(journalwork::check(t, c), QString());
    }

    Folder dir;
    Tables t;
};

TEST_F(JournalTest, CommittedSavesAreInTheFilesAndLeaveNoJournal) {
    for (long i = 1; i <= 4; ++i) {
        journalwork::save(t, i);
        EXPECT_FALSE(QFile::exists(journal()));
        EXPECT_EQ(engine::ChangeUnit::openUnits(), 0);
        EXPECT_EQ(t.lap.changeUnit(), nullptr);
    }
    EXPECT_EQ(indexesAgree(t), QString());
    restartAndExpect(4, "after four saves");
}

TEST_F(JournalTest, UnitHoldsItsWritesAndForgetsThemWhenAbandoned) {
    journalwork::save(t, 1);
    const auto before = files();
    EXPECT_THROW(
        {
            engine::ChangeUnit unit(t.all());
            ASSERT_TRUE(t.lap.locate("SORSZ", journalwork::sheetKey(3)));
            t.lap.edit();
            t.lap.setValue("GEN", 77);
            t.lap.post();
            while (t.lapb.locate("SORSZ", journalwork::sheetKey(3)))
                t.lapb.remove();
            t.lapb.appendRows({{journalwork::sheetKey(3), 1, 77}});
            // Reads and tags see the held records; the files do not change.
            ASSERT_TRUE(t.lap.locate("GEN", QVariant(77)));
            EXPECT_EQ(t.lapb.fileRecordCount(), 21u); // 16 + 4 of the first save + 1
            EXPECT_EQ(indexesAgree(t), QString());
            EXPECT_EQ(files(), before);
            EXPECT_THROW(t.lapb.pack(), DbError); // no pack inside a unit
            throw std::runtime_error("the save fails");
        },
        std::runtime_error);
    EXPECT_EQ(files(), before);
    EXPECT_EQ(indexesAgree(t), QString());
    EXPECT_EQ(journalwork::check(t, 1), QString());
    restartAndExpect(1, "after the abandoned unit");
}

TEST_F(JournalTest, InnerUnitsJoinAndClosingATableDoomsTheUnit) {
    const auto before = files();
    { // an inner unit that fails dooms the outer one
        engine::ChangeUnit outer(t.all());
        {
            engine::ChangeUnit inner({&t.lap});
            t.lap.first();
            t.lap.edit();
            t.lap.setValue("GEN", 5);
            t.lap.post();
            EXPECT_EQ(engine::ChangeUnit::openUnits(), 2);
        }
        EXPECT_TRUE(throwsKind(DbError::Kind::Usage, [&] { outer.commit(); }));
    }
    { // closing a table of the unit
        engine::ChangeUnit unit({&t.lap, &t.lapb});
        t.lapb.appendRows({{"X", 1, 1}});
        t.lap.first();
        t.lap.edit();
        t.lap.setValue("GEN", 6);
        t.lap.post();
        t.lapb.close();
        EXPECT_TRUE(throwsKind(DbError::Kind::Usage, [&] { unit.commit(); }));
    }
    EXPECT_EQ(files(), before);
    t.close();
    t.open(dir.path());
    { // an inner unit that commits leaves the work to the outer one
        engine::ChangeUnit outer(t.all());
        {
            engine::ChangeUnit inner({&t.lapb, &t.lap});
            journalwork::save(t, 1); // a third level
            inner.commit();
        }
        EXPECT_EQ(files(), before);
        outer.commit();
    }
    EXPECT_EQ(engine::ChangeUnit::openUnits(), 0);
    restartAndExpect(1, "after the nested units");
}

// The save's Nth I/O operation fails, for every N until the save runs out of
// operations: the save either throws and changed nothing, or (only when the
// very last operation, flushing the folder after the journal went, fails)
// stands whole.
TEST_F(JournalTest, EachIoOfASaveFailingInTurn) {
    long c = 0;
    for (long k = 1; k < 200; ++k) {
        SCOPED_TRACE(k);
        bool fired = false, afterRemoval = false;
        engine::testing::IoOp previous{};
        engine::testing::setIoHook([&](engine::testing::IoOp op, long i) {
            const bool removed = previous == engine::testing::IoOp::Remove;
            previous = op;
            if (i != k) return engine::testing::IoAction::Proceed;
            fired = true;
            afterRemoval = removed;
            return engine::testing::IoAction::Fail;
        });
        bool threw = false;
        try {
            journalwork::save(t, c + 1);
        } catch (const DbError& e) {
            threw = true;
            EXPECT_EQ(e.kind(), DbError::Kind::Io) << e.what();
        }
        engine::testing::setIoHook(nullptr);
        EXPECT_EQ(threw, fired && !afterRemoval);
        if (!threw) ++c;
        EXPECT_FALSE(QFile::exists(journal()));
        EXPECT_EQ(indexesAgree(t), QString());
        EXPECT_EQ(journalwork::check(t, c), QString());
        restartAndExpect(c, "restart");
        if (!fired) {
            EXPECT_GE(k, 15);
            return;
        }
    }
    FAIL() << "the save never ran out of operations";
}

// The disk dies at the save's Nth operation and refuses every later one,
// the rollback's too: the next start finds the journal and rolls back.
TEST_F(JournalTest, DeadDiskFromEachIoOnIsRolledBackAtNextStart) {
    long c = 0;
    int leftJournal = 0;
    for (long k = 1; k < 200; ++k) {
        SCOPED_TRACE(k);
        engine::testing::setIoHook([k](engine::testing::IoOp, long i) {
            return i >= k ? engine::testing::IoAction::Fail : engine::testing::IoAction::Proceed;
        });
        bool threw = false;
        try {
            journalwork::save(t, c + 1);
        } catch (const DbError&) {
            threw = true;
        }
        const bool fired = engine::testing::ioCount() >= k;
        engine::testing::setIoHook(nullptr);
        if (!threw) ++c;
        if (QFile::exists(journal())) {
            // Until the next start rolls it back, the tables take no writes
            // and no new unit begins.
            ++leftJournal;
            EXPECT_TRUE(throwsKind(DbError::Kind::Io, [&] { engine::TableRaw::remove(t.lap, 1); }));
            EXPECT_TRUE(throwsKind(DbError::Kind::Io, [&] { engine::ChangeUnit u({&t.elrend}); }));
            EXPECT_TRUE(throwsKind(DbError::Kind::Io, [&] { t.lapb.pack(); }));
            // Nothing of the half-written save shows, to the tables or to
            // their tags, and they cannot be read afresh from the files.
            EXPECT_EQ(journalwork::check(t, c), QString());
            EXPECT_EQ(indexesAgree(t), QString());
            EXPECT_TRUE(
                throwsKind(DbError::Kind::Io, [&] { t.elrend.open(dir.file("elrend.dbf")); }));
        }
        restartAndExpect(c, "restart");
        if (!fired) {
            EXPECT_GT(leftJournal, 5);
            return;
        }
    }
    FAIL() << "the save never ran out of operations";
}

// A journal that cannot be read whole is kept aside under a name of its own
// (the error names it) and touches no table; one that was never sealed (a
// kill before any table changed) goes.
TEST_F(JournalTest, AJournalThatCannotBeReadIsKeptAsideNeverLost) {
    // A dead disk right after the journal was sealed leaves it behind.
    engine::testing::setIoHook([](engine::testing::IoOp, long i) {
        return i > 5 ? engine::testing::IoAction::Fail : engine::testing::IoAction::Proceed;
    });
    EXPECT_THROW(journalwork::save(t, 1), DbError);
    engine::testing::setIoHook(nullptr);
    t.close();
    const QByteArray sealed = testsupport::readAll(journal());
    ASSERT_GT(sealed.size(), 64);
    ASSERT_EQ(sealed[8], 1);
    const auto before = files();
    QByteArray flipped = sealed;
    flipped[40] = char(flipped[40] ^ 0x55);
    for (const QByteArray& bad :
         {QByteArray(), sealed.left(7), sealed.left(20), sealed.left(23),
          sealed.left(sealed.size() / 2), sealed.left(sealed.size() - 1), flipped}) {
        SCOPED_TRACE(bad.size());
        testsupport::writeAll(journal(), bad);
        const auto e = dbError([&] { engine::recoverJournal(dir.path()); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->kind(), DbError::Kind::Damaged);
        EXPECT_FALSE(QFile::exists(journal()));
        EXPECT_TRUE(QFileInfo(e->file()).fileName().startsWith("rollback-")) << e->what();
        EXPECT_EQ(testsupport::readAll(e->file()), bad);
        EXPECT_EQ(files(), before);
        QFile::remove(e->file());
    }
    // Not sealed: no table changed, and the journal goes without a word.
    QByteArray unsealed = sealed;
    unsealed.replace(8, 8, QByteArray(8, '\0'));
    testsupport::writeAll(journal(), unsealed);
    EXPECT_TRUE(engine::recoverJournal(dir.path()));
    EXPECT_EQ(QDir(dir.path()).entryList({"rollback*"}, QDir::Files), QStringList());
    EXPECT_EQ(files(), before);
    // The sound one is rolled back.
    testsupport::writeAll(journal(), sealed);
    EXPECT_TRUE(engine::recoverJournal(dir.path()));
    t.open(dir.path());
    EXPECT_EQ(journalwork::check(t, 0), QString());
}

// --- power loss

// The power is cut before each I/O operation of a save in turn, several times
// with different luck: of the writes not yet flushed some reach the disk and
// some do not, in any mix (the page cache is lost, unlike with a kill). The
// next start finds whole tables with the saves before the cut, or with the
// cut one too when its commit had become durable.
class JournalPowerTest : public JournalTest {
protected:
    JournalPowerTest() : JournalTest(true) {}
    void TearDown() override {
        engine::testing::powerRestored();
        JournalTest::TearDown();
    }
};

TEST_F(JournalPowerTest, PowerCutAtEachIoKeepsOnlyARandomPartOfTheUnflushedWrites) {
    long c = 0;
    long cuts = 0, cutsLosingWrites = 0, cutsKeepingWrites = 0;
    std::mt19937 seeds(19);
    for (long k = 1; k < 200; ++k) {
        bool ranThrough = false;
        for (int trial = 0; trial < 6 && !ranThrough; ++trial) {
            SCOPED_TRACE(testing::Message() << "cut at " << k << ", trial " << trial);
            engine::testing::powerCutAt(k, std::uint32_t(seeds()));
            try {
                journalwork::save(t, c + 1);
            } catch (const DbError&) {
            }
            ranThrough = !engine::testing::powerIsOff();
            if (!ranThrough) {
                ++cuts;
                if (engine::testing::powerCutLost() > 0) ++cutsLosingWrites;
                if (engine::testing::powerCutKept() > 0) ++cutsKeepingWrites;
            }
            t.close(); // with the power off nothing of this reaches the disk
            engine::testing::powerRestored();
            engine::recoverJournal(dir.path());
            t.open(dir.path());
            if (ranThrough || journalwork::check(t, c + 1).isEmpty()) ++c;
            ASSERT_NO_FATAL_FAILURE(restartAndExpect(c, "after the cut"));
        }
        if (ranThrough) {
            EXPECT_GT(cuts, 15);
            EXPECT_GT(cutsLosingWrites, 5);
            EXPECT_GT(cutsKeepingWrites, 5);
            return;
        }
    }
    FAIL() << "the save never ran out of operations";
}

// --- the child process

struct Child {
    int exitCode = -1;
    bool killed = false;
    QString out;
};

Child runTool(const QStringList& args, int killAfterMs = -1) {
    QProcess p;
    p.start(QStringLiteral(SZ_JOURNALTOOL), args);
    Child c;
    if (!p.waitForStarted(10000)) return c;
    if (killAfterMs >= 0) {
        p.waitForReadyRead(10000);
        QThread::usleep(unsigned(killAfterMs) * 1000u);
        engine::sys::killProcess(p.processId());
    }
    p.waitForFinished(30000);
    c.killed = engine::sys::endedByKill(p.exitStatus() == QProcess::CrashExit, p.exitCode());
    c.exitCode = p.exitCode();
    c.out = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
    return c;
}

class JournalKillTest : public JournalTest {
protected:
    JournalKillTest() : JournalTest(true) {}
    // Runs `saves` saves in the child killed before its I/O operation killAt.
    Child child(long saves, long killAt, bool sync = false) {
        t.close();
        return runTool(
            {"run", dir.path(), QString::number(saves), QString::number(killAt), sync ? "1" : "0"});
    }
};

// The child is killed before each I/O operation of a save in turn (with real
// flushes), until a save runs out of operations.
TEST_F(JournalKillTest, KillBeforeEachIoOfASave) {
    long c = 0;
    bool damagedTried = false;
    for (long k = 1; k < 200; ++k) {
        SCOPED_TRACE(k);
        const Child r = child(1, k, true);
        if (!r.killed) {
            EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
            restartAndExpect(c + 1, "after a whole save");
            EXPECT_GE(k, 15);
            EXPECT_TRUE(damagedTried);
            return;
        }
        const QByteArray j = QFile::exists(journal()) ? testsupport::readAll(journal()) : "";
        if (!damagedTried && j.size() > 64 && j[8] == 1) {
            // A sealed journal that is damaged stops the recovery, and so does
            // a table that another program holds; both touch nothing.
            damagedTried = true;
            const auto before = files();
            QByteArray bad = j;
            bad[40] = char(bad[40] ^ 0x55);
            testsupport::writeAll(journal(), bad);
            EXPECT_TRUE(
                throwsKind(DbError::Kind::Damaged, [&] { engine::recoverJournal(dir.path()); }));
            testsupport::writeAll(journal(), j);
            QProcess holder;
            holder.start(QStringLiteral(SZ_LOCKHOLDER), {dir.file("lapb.dbf")});
            ASSERT_TRUE(holder.waitForReadyRead(10000));
            EXPECT_TRUE(
                throwsKind(DbError::Kind::Locked, [&] { engine::recoverJournal(dir.path()); }));
            holder.kill();
            holder.waitForFinished();
            EXPECT_EQ(files(), before);
            EXPECT_EQ(testsupport::readAll(journal()), j);
        }
        engine::recoverJournal(dir.path());
        t.open(dir.path());
        const long now = journalwork::committed(t);
        EXPECT_TRUE(now == c || now == c + 1) << now;
        c = now;
        restartAndExpect(c, "after the kill");
    }
    FAIL() << "the save never ran out of operations";
}

// Saves run in a child that dies before a random I/O operation or at a
// random moment; after each death the next start must find all of every save
// or nothing of it.
TEST_F(JournalKillTest, HundredsOfRandomKills) {
    if (testsupport::childRole() == "saves") {
        const QStringList a = testsupport::childArgs();
        const long killAt = a.value(1).toLong();
        try {
            Tables ct;
            ct.open(a.value(0));
            long done = journalwork::committed(ct);
            engine::testing::setIoHook([killAt](engine::testing::IoOp op, long n) {
                if (n == killAt) engine::sys::killSelf();
                return op == engine::testing::IoOp::Sync ? engine::testing::IoAction::Skip
                                                         : engine::testing::IoAction::Proceed;
            });
            testsupport::tell("r");
            for (long k = 1;; ++k) {
                journalwork::save(ct, ++done);
                if (k % 3 == 0) {
                    ct.close();
                    ct.open(a.value(0));
                }
            }
        } catch (...) {
        }
        testsupport::childExit(3);
    }
    std::mt19937 rng(20261208);
    long c = 0;
    int rolledBack = 0;
#ifdef _WIN32
    // A child starts in seconds under Wine, not in milliseconds: a quarter
    // of the trials.
    const int trials = 60;
#else
    const int trials = 240;
#endif
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE(trial);
        t.close();
        const bool timed = trial % 2 == 1;
        const long killAt = timed ? 0 : std::uniform_int_distribution<long>(1, 60)(rng);
        testsupport::Child child("saves", {dir.path(), QString::number(killAt)});
        ASSERT_TRUE(child.started());
        EXPECT_TRUE(child.waitTold(1));
        if (timed) {
            QThread::usleep(std::uniform_int_distribution<unsigned>(0, 15000)(rng));
            child.kill();
        }
        const testsupport::Child::End end = child.wait();
        ASSERT_TRUE(end.killed) << end.code;
        if (QFile::exists(journal())) ++rolledBack;
        engine::recoverJournal(dir.path());
        t.open(dir.path());
        const long now = journalwork::committed(t);
        ASSERT_GE(now, c);
        c = now;
        ASSERT_NO_FATAL_FAILURE(restartAndExpect(c, "after the kill"));
        if (HasFailure()) break;
    }
    EXPECT_GT(rolledBack, trials / 6);
    EXPECT_GT(c, trials / 2);
}

} // namespace
