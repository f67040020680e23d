// Files from outside and the programs the program starts: a table's
// descriptor and its lock stay in the program (close-on-exec), and a
// "file" that is a device or a FIFO is refused at once instead of being read
// without end or waited on.

#include "enginetest.h"

#include "engine/dbffile.h"
#include "engine/outsidefile.h"
#include "engine/tablebuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <functional>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using engine::fieldDef;
using engine::Table;
using namespace enginetest;
using testsupport::TempDir;
using Kind = engine::DbError::Kind;

namespace {

#ifndef _WIN32
// Runs `f` in a child process that may not run longer than five seconds nor
// write more than a megabyte: true when it returned true within that.
bool bounded(const std::function<bool()>& f) {
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        const rlimit mb{1 << 20, 1 << 20};
        ::setrlimit(RLIMIT_FSIZE, &mb);
        ::alarm(5);
        bool ok = false;
        try {
            ok = f();
        } catch (...) {
        }
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
#endif

QString makeTable(const TempDir& dir) {
    const QString path = dir.file("tabla.dbf");
    Table::create(path, {fieldDef("A", 'C', 3)});
    return path;
}

#ifndef _WIN32
// The targets of the descriptors of a process.
QStringList openFiles(qint64 pid) {
    QStringList out;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        out << QFile::symLinkTarget(fds.filePath(fd));
    return out;
}
#endif

} // namespace

#ifndef _WIN32
TEST(CloseOnExec, AStartedProgramInheritsNoTableNorItsLock) {
    TempDir dir;
    const QString path = makeTable(dir);
    auto t = std::make_unique<Table>();
    t->open(path);
    QProcess child;
    child.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(child.waitForStarted(5000));
    EXPECT_FALSE(openFiles(child.processId()).contains(QFileInfo(path).canonicalFilePath()));
    // The program closes the table: no one holds it any more.
    t.reset();
    Table again;
    EXPECT_FALSE(dbError([&] { again.open(path); }));
    child.kill();
    child.waitForFinished(5000);
}

TEST(OutsideFile, AFifoIsRefusedNotWaitedOn) {
    TempDir dir;
    const QString fifo = dir.file("Ma1890.dbf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    EXPECT_TRUE(bounded([&] {
        auto e = dbError([&] { engine::TableBuilder::copyFile(fifo, dir.file("masolat.dbf")); });
        return e && e->kind() == Kind::Io && !QFileInfo::exists(dir.file("masolat.dbf"));
    }));
    EXPECT_TRUE(bounded([&] {
        Table t;
        auto e = dbError([&] { t.open(fifo, Table::Mode::ReadOnly); });
        return e && e->kind() == Kind::Io;
    }));
    EXPECT_TRUE(bounded([&] { return bool(dbError([&] { engine::checkOutsideTable(fifo); })); }));
}

TEST(OutsideFile, ALinkToADeviceIsRefusedNotReadWithoutEnd) {
    TempDir dir;
    const QString link = dir.file("Telj1890.arj");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), link));
    EXPECT_TRUE(bounded([&] {
        auto e = dbError([&] { engine::TableBuilder::copyFile(link, dir.file("masolat")); });
        return e && e->kind() == Kind::Io &&
               e->detail() == "nem közönséges állomány (hanem eszköz, csővezeték vagy "
                              "könyvtár), nem olvasható be";
    }));
    EXPECT_TRUE(bounded([&] {
        Table t;
        return bool(dbError([&] { t.open(link, Table::Mode::ReadOnly); }));
    }));
    // A link to a regular file is followed.
    const QString path = makeTable(dir);
    ASSERT_TRUE(QFile::link(path, dir.file("link.dbf")));
    EXPECT_FALSE(dbError([&] { engine::checkOutsideTable(dir.file("link.dbf")); }));
}

#else
// FIFOs, devices, /proc and the limits of a forked child are Linux's.
TEST(CloseOnExec, AStartedProgramInheritsNoTableNorItsLock) {
    GTEST_SKIP() << "the descriptors of a process are read from /proc (Linux)";
}
TEST(OutsideFile, AFifoIsRefusedNotWaitedOn) {
    GTEST_SKIP() << "Windows has no FIFO in its file system";
}
TEST(OutsideFile, ALinkToADeviceIsRefusedNotReadWithoutEnd) {
    GTEST_SKIP() << "Windows has no device files to link to";
}
#endif

TEST(OutsideFile, ATableLongerThanItsHeaderSaysIsRefused) {
    TempDir dir;
    const QString path = makeTable(dir);
    {
        Table t;
        t.open(path);
        for (int i = 0; i < 3; ++i) {
            t.append();
            t.setValue("A", "x");
            t.post();
        }
    }
    EXPECT_FALSE(dbError([&] { engine::checkOutsideTable(path); }));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(100 * 1024, 'x'));
    f.close();
    auto e = dbError([&] { engine::checkOutsideTable(path); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), Kind::Damaged);
    EXPECT_EQ(e->detail(), "hosszabb, mint amit a fejléce szerint tartalmazhat");
    // Too short for a header: left to the reader to refuse.
    testsupport::writeAll(dir.file("rovid.dbf"), "\x03");
    EXPECT_FALSE(dbError([&] { engine::checkOutsideTable(dir.file("rovid.dbf")); }));
}

TEST(OutsideFile, LeftoversOfACopyIntoTheDataFolderAreSwept) {
    TempDir dir;
    testsupport::writeAll(dir.file("SZERZ.DBF.uj.tmp"), "félbehagyott");
    testsupport::writeAll(dir.file("Szerz.dbf.uj"), "félbehagyott");
    testsupport::writeAll(dir.file("Szerz.dbf"), "marad");
    EXPECT_EQ(engine::removeLeftoverFiles(dir.path()), 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Szerz.dbf"});
}
