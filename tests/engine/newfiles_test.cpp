// New files that come into being with a change unit, in a folder of their
// own (the shipment files beside the tables' changes): the file is there
// under its name exactly when the unit's changes are, after a failure at any
// operation, after a power cut at any operation and the next start's
// recovery, and never under its name half-written.

#include "enginetest.h"

#include "engine/changeunit.h"
#include "engine/dbffile.h"
#include "engine/tablebuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <random>

using namespace enginetest;

namespace {

class NewFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // In memory where there is one: the power-cut loop flushes a lot.
        const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm")
                                 : QDir::tempPath();
        data_ = std::make_unique<QTemporaryDir>(base + QStringLiteral("/szujdata-XXXXXX"));
        out_ = std::make_unique<QTemporaryDir>(base + QStringLiteral("/szujki-XXXXXX"));
        makeSheetTable(tablePath(), {Sheet("2016.03", "00001", "", "Első"),
                                     Sheet("2016.03", "00002", "", "Második")});
        t.open(tablePath());
    }
    void TearDown() override {
        engine::testing::setIoHook(nullptr);
        engine::testing::powerRestored();
    }

    QString tablePath() const { return data_->filePath(QStringLiteral("lap.dbf")); }
    QString target() const { return out_->filePath(QStringLiteral("Uj.Dbf")); }
    QStringList outFiles() const {
        return QDir(out_->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // A sealed new file of three rows beside its target.
    std::unique_ptr<engine::TableBuilder> sealed() {
        auto b = std::make_unique<engine::TableBuilder>(
            target(), std::vector<engine::FieldDef>{engine::fieldDef("X", 'C', 5)});
        for (const char* v : {"egy", "ketto", "ha"})
            b->addRow({QString::fromLatin1(v)});
        b->seal();
        return b;
    }

    // The unit: the first sheet renamed, the new file brought in.
    void work() {
        engine::ChangeUnit unit({&t});
        t.first();
        t.edit();
        t.setValue("NEV", QStringLiteral("Átírt"));
        t.post();
        unit.addNewFile(sealed());
        unit.commit();
    }

    bool changed() {
        t.first();
        return t.text("NEV").trimmed() == QStringLiteral("Átírt");
    }

    // The file under its name is whole: three records and the end mark.
    bool whole() {
        const QByteArray b = testsupport::readAll(target());
        return b.size() > 32 && b[4] == 3 && b.back() == char(0x1A);
    }

    std::unique_ptr<QTemporaryDir> data_, out_;
    Table t;
};

} // namespace

TEST_F(NewFilesTest, CommitGivesTheNameRollbackRemovesIt) {
    {
        engine::ChangeUnit unit({&t});
        t.first();
        t.edit();
        t.setValue("NEV", QStringLiteral("Átírt"));
        t.post();
        unit.addNewFile(sealed());
        // Not yet under its name.
        EXPECT_EQ(outFiles(), QStringList{"Uj.Dbf.uj"});
    } // abandoned
    EXPECT_EQ(outFiles(), QStringList());
    EXPECT_FALSE(changed());
    work();
    EXPECT_TRUE(changed());
    EXPECT_EQ(outFiles(), QStringList{"Uj.Dbf"});
    EXPECT_TRUE(whole());
    EXPECT_FALSE(QFileInfo::exists(engine::journalPath(data_->path())));

    // A target that exists already is refused; the new file goes.
    engine::ChangeUnit unit({&t});
    EXPECT_THROW(unit.addNewFile(sealed()), DbError);
    EXPECT_EQ(outFiles(), QStringList{"Uj.Dbf"});
    // So is one not sealed.
    auto open = std::make_unique<engine::TableBuilder>(
        out_->filePath("Masik.Dbf"), std::vector<engine::FieldDef>{engine::fieldDef("X", 'C', 5)});
    EXPECT_THROW(unit.addNewFile(std::move(open)), DbError);
    EXPECT_EQ(outFiles(), QStringList{"Uj.Dbf"});
}

TEST_F(NewFilesTest, EachOperationFailingInTurnLeavesBothOrNeither) {
    long n = 0;
    for (;; ++n) {
        SCOPED_TRACE(testing::Message() << "operation " << n + 1);
        std::unique_ptr<engine::TableBuilder> b = sealed();
        // Only the unit's operations count: the (n+1)th fails.
        engine::testing::setIoHook([n](engine::testing::IoOp, long k) {
            return k == n + 1 ? engine::testing::IoAction::Fail
                              : engine::testing::IoAction::Proceed;
        });
        bool failed = false;
        try {
            engine::ChangeUnit unit({&t});
            t.first();
            t.edit();
            t.setValue("NEV", QStringLiteral("Átírt"));
            t.post();
            unit.addNewFile(std::move(b));
            unit.commit();
        } catch (const DbError&) {
            failed = true;
        }
        const long ops = engine::testing::ioCount();
        engine::testing::setIoHook(nullptr);
        if (!failed) {
            // Done: the failing operation was never reached, or it was the
            // last flush after the journal went (the unit stands).
            EXPECT_TRUE(changed());
            EXPECT_EQ(outFiles(), QStringList{"Uj.Dbf"});
            if (ops <= n) break;
            t.first();
            t.edit();
            t.setValue("NEV", QStringLiteral("Első"));
            t.post();
            QFile::remove(target());
            continue;
        }
        EXPECT_GE(ops, n + 1) << "the failure fired";
        EXPECT_FALSE(changed());
        EXPECT_EQ(outFiles(), QStringList());
        // And after a new start.
        t.close();
        engine::recoverJournal(data_->path());
        t.open(tablePath());
        EXPECT_FALSE(changed());
        EXPECT_EQ(outFiles(), QStringList());
        if (HasFailure()) return;
    }
    EXPECT_GT(n, 5);
    EXPECT_TRUE(changed());
    EXPECT_EQ(outFiles(), QStringList{"Uj.Dbf"});
    EXPECT_TRUE(whole());
}

// The power is cut at each operation of the unit in turn, keeping a random
// part of the unflushed writes: after the next start (the journal rolled
// back, the temporary names swept) the file is there, whole, exactly when
// the table holds the change.
TEST_F(NewFilesTest, PowerCutAtEachOperationThenTheStart) {
    std::mt19937 seeds(27);
    int cuts = 0, rolledBack = 0, kept = 0;
    for (long k = 1; k < 200; ++k) {
        SCOPED_TRACE(testing::Message() << "cut at " << k);
        std::unique_ptr<engine::TableBuilder> b = sealed();
        engine::testing::powerCutAt(k, std::uint32_t(seeds()));
        bool ranThrough = false;
        try {
            engine::ChangeUnit unit({&t});
            t.first();
            t.edit();
            t.setValue("NEV", QStringLiteral("Átírt"));
            t.post();
            unit.addNewFile(std::move(b));
            unit.commit();
        } catch (const DbError&) {
        }
        ranThrough = !engine::testing::powerIsOff();
        t.close();
        engine::testing::powerRestored();
        if (engine::recoverJournal(data_->path())) ++rolledBack;
        engine::removeLeftoverFiles(out_->path());
        t.open(tablePath());
        const bool c = changed();
        if (c) {
            EXPECT_EQ(outFiles(), QStringList{"Uj.Dbf"});
            EXPECT_TRUE(whole());
        } else {
            EXPECT_EQ(outFiles(), QStringList());
        }
        if (HasFailure() || ranThrough) {
            EXPECT_TRUE(c);
            break;
        }
        ++cuts;
        kept += c;
        // Back to the start for the next cut.
        if (c) {
            t.first();
            t.edit();
            t.setValue("NEV", QStringLiteral("Első"));
            t.post();
            QFile::remove(target());
        }
    }
    RecordProperty("cuts_keeping_the_unit", kept);
    EXPECT_GT(cuts, 5);
    EXPECT_GT(rolledBack, 2) << "cuts inside the commit";
}
