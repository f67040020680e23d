// Exclusive use of a table file: a second table object in this process, or
// another program, cannot open or replace it while it is open.

#include "enginetest.h"

#include <QProcess>

using engine::fieldDef;
using engine::Table;
using namespace enginetest;
using testsupport::readAll;
using testsupport::TempDir;
using Kind = engine::DbError::Kind;

namespace {

// The lock helper holding `path` until the object goes.
class Holder {
public:
    explicit Holder(const QString& path, const QStringList& options = {}) {
        p_.setProgram(QStringLiteral(SZ_LOCKHOLDER));
        p_.setArguments(options + QStringList{path});
        p_.start();
    }
    ~Holder() {
        if (p_.state() != QProcess::NotRunning) {
            p_.kill();
            p_.waitForFinished(5000);
        }
    }
    // Waits for the helper to say it holds the file.
    bool waitLocked() {
        if (!p_.waitForStarted(5000)) return false;
        QByteArray out;
        while (!out.contains("locked\n")) {
            if (!p_.waitForReadyRead(10000)) return false;
            out += p_.readAllStandardOutput();
        }
        return true;
    }
    void release() {
        p_.kill();
        p_.waitForFinished(5000);
    }
    QString errors() { return QString::fromLocal8Bit(p_.readAllStandardError()); }

private:
    QProcess p_;
};

QString makeTable(const TempDir& dir) {
    const QString path = dir.file("zar.dbf");
    Table::create(path, {fieldDef("A", 'C', 3)});
    Table t;
    t.open(path);
    t.append();
    t.setValue("a", "egy");
    t.post();
    return path;
}

} // namespace

TEST(Lock, AnotherProgramHoldingTheFileMakesOpenFail) {
    TempDir dir;
    const QString path = makeTable(dir);
    const QByteArray before = readAll(path);
    {
        Holder h(path);
        ASSERT_TRUE(h.waitLocked()) << h.errors().toStdString();
        Table t;
        const auto e = dbError([&] { t.open(path); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->kind(), Kind::Locked);
        EXPECT_EQ(e->file(), path);
        EXPECT_FALSE(e->detail().isEmpty());
        EXPECT_FALSE(t.isOpen());
        // reading is refused as well, and so is replacing the file
        EXPECT_TRUE(throwsKind(Kind::Locked, [&] { t.open(path, Table::Mode::ReadOnly); }));
        EXPECT_TRUE(
            throwsKind(Kind::Locked, [&] { Table::create(path, {fieldDef("B", 'C', 1)}); }));
        EXPECT_EQ(readAll(path), before);
        // the same file by another spelling is the same file
        EXPECT_TRUE(throwsKind(Kind::Locked, [&] { t.open(dir.file("ZAR.DBF")); }));
        h.release();
    }
    // once the program is gone the file opens
    Table t;
    t.open(path);
    EXPECT_EQ(t.text("a"), "egy");
}

TEST(Lock, ARecordLockOfAnotherProgramIsRespected) {
    // Other dBase programs lock with fcntl(), not flock(): their lock keeps
    // every way of opening or replacing the table out.
    TempDir dir;
    const QString path = makeTable(dir);
    const QByteArray before = readAll(path);
    {
        Holder h(path, {QStringLiteral("--fcntl")});
        ASSERT_TRUE(h.waitLocked()) << h.errors().toStdString();
        Table t;
        const auto e = dbError([&] { t.open(path); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->kind(), Kind::Locked);
        EXPECT_EQ(e->detail(), QStringLiteral("az állományt egy másik program használja"));
        EXPECT_TRUE(throwsKind(Kind::Locked, [&] { t.open(path, Table::Mode::ReadOnly); }));
        EXPECT_TRUE(
            throwsKind(Kind::Locked, [&] { Table::create(path, {fieldDef("B", 'C', 1)}); }));
        EXPECT_EQ(readAll(path), before);
    }
    // and a table this program holds cannot be record-locked by another
    Table t;
    t.open(path);
    QProcess p;
    p.start(QStringLiteral(SZ_LOCKHOLDER), {QStringLiteral("--fcntl"), path});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_FALSE(p.readAllStandardOutput().contains("locked"));
}

TEST(Lock, TheHelperCannotTakeAFileThisProcessHolds) {
    TempDir dir;
    const QString path = makeTable(dir);
    Table t;
    t.open(path);
    QProcess p;
    p.start(QStringLiteral(SZ_LOCKHOLDER), {path});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_FALSE(p.readAllStandardOutput().contains("locked"));
}

TEST(Lock, ASecondTableObjectInTheSameProcessFails) {
    TempDir dir;
    const QString path = makeTable(dir);
    Table first;
    first.open(path);
    Table second;
    const auto e = dbError([&] { second.open(path); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), Kind::Locked);
    EXPECT_EQ(e->file(), path);
    EXPECT_TRUE(throwsKind(Kind::Locked, [&] { second.open(path, Table::Mode::ReadOnly); }));
    EXPECT_TRUE(throwsKind(Kind::Locked, [&] { Table::create(path, {fieldDef("B", 'C', 1)}); }));
    // the first object is unharmed
    EXPECT_EQ(first.text("a"), "egy");
    first.append();
    first.setValue("a", "ket");
    first.post();
    EXPECT_EQ(first.fileRecordCount(), 2u);
    // after close the second one gets it
    first.close();
    second.open(path);
    EXPECT_EQ(second.recordCount(), 2u);
    // and reopening the same object works
    second.close();
    second.open(path);
    second.open(path); // open on an open object closes it first
    EXPECT_TRUE(second.isOpen());
}
