// The operating-system layer on its own: the same expectations on Linux and
// (cross-built, under Wine) on Windows.

#include "engine/childprocess.h"
#include "engine/dbffile.h"
#include "engine/sysfile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <gtest/gtest.h>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace sys = engine::sys;

namespace {

class SysFile : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString path(const char* name) const { return tmp.filePath(QString::fromLatin1(name)); }

    void put(const char* name, const QByteArray& bytes) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readAll(int fd, std::size_t n) {
        QByteArray b(qsizetype(n), '\0');
        const long long r = sys::readAt(fd, b.data(), n, 0);
        b.resize(r < 0 ? 0 : qsizetype(r));
        return b;
    }
};

TEST_F(SysFile, PositionalWritesAndReadsLeaveTheRestAlone) {
    const int fd = sys::open(path("a.dbf"), sys::ReadWrite | sys::Create | sys::Truncate);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(sys::writeAt(fd, "0123456789", 10, 0), 10);
    EXPECT_EQ(sys::writeAt(fd, "xy", 2, 4), 2);
    EXPECT_EQ(sys::writeAt(fd, "end", 3, 20), 3); // past the end: a gap of zeros
    char b[4] = {};
    EXPECT_EQ(sys::readAt(fd, b, 3, 3), 3);
    EXPECT_EQ(QByteArray(b, 3), QByteArray("3xy"));
    EXPECT_EQ(sys::readAt(fd, b, 4, 23), 0); // at the end
    sys::FileInfo info;
    ASSERT_TRUE(sys::fileInfo(fd, &info));
    EXPECT_TRUE(info.regular);
    EXPECT_EQ(info.size, 23u);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    EXPECT_LT(std::llabs(info.modifiedNs / 1000000 - now), 24LL * 3600 * 1000);
    ASSERT_TRUE(sys::truncate(fd, 5));
    ASSERT_TRUE(sys::sync(fd));
    EXPECT_EQ(readAll(fd, 64), QByteArray("0123x"));
    sys::close(fd);
}

TEST_F(SysFile, ALockedFileIsRefusedToAnotherOpenUntilClosed) {
    put("t.dbf", "table");
    const int a = sys::open(path("t.dbf"), sys::ReadWrite);
    const int b = sys::open(path("t.dbf"), sys::ReadWrite);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    ASSERT_TRUE(sys::lockFile(a, true));
    EXPECT_FALSE(sys::lockFile(b, true));
    EXPECT_FALSE(sys::lockFile(b, false));
    // The lock stands in the way of locks only: the file reads as before.
    char c[5];
    EXPECT_EQ(sys::readAt(b, c, 5, 0), 5);
    sys::close(a);
    EXPECT_TRUE(sys::lockFile(b, true));
    sys::close(b);
}

TEST_F(SysFile, SharedLocksGoTogetherAndKeepAnExclusiveOneOut) {
    put("t.dbf", "table");
    const int a = sys::open(path("t.dbf"), sys::ReadOnly);
    const int b = sys::open(path("t.dbf"), sys::ReadOnly);
    const int c = sys::open(path("t.dbf"), sys::ReadWrite);
    ASSERT_TRUE(sys::lockFile(a, false));
    EXPECT_TRUE(sys::lockFile(b, false));
    EXPECT_FALSE(sys::lockFile(c, true));
    sys::close(a);
    sys::close(b);
    sys::close(c);
}

TEST_F(SysFile, ARecordLockOfAnotherProgramKeepsTheTableLockOut) {
    put("t.dbf", "table");
    const int other = sys::open(path("t.dbf"), sys::ReadWrite);
    const int mine = sys::open(path("t.dbf"), sys::ReadWrite);
    ASSERT_TRUE(sys::lockRecords(other));
    EXPECT_FALSE(sys::lockFile(mine, true));
    sys::close(other);
    sys::close(mine);
}

TEST_F(SysFile, AnOpenFileIsReplacedAndKeepsReadingTheOldContents) {
    put("t.dbf", "old");
    put("t.dbf.uj", "new!");
    const int held = sys::open(path("t.dbf"), sys::ReadWrite);
    ASSERT_GE(held, 0);
    ASSERT_TRUE(sys::lockFile(held, true));
    ASSERT_TRUE(sys::rename(path("t.dbf.uj"), path("t.dbf")));
    EXPECT_FALSE(QFile::exists(path("t.dbf.uj")));
    EXPECT_EQ(readAll(held, 16), QByteArray("old"));
    const int fresh = sys::open(path("t.dbf"), sys::ReadOnly);
    EXPECT_EQ(readAll(fresh, 16), QByteArray("new!"));
    EXPECT_TRUE(sys::lockFile(fresh, true)); // the held lock was the old file's
    sys::close(fresh);
    sys::close(held);
}

// A save that fails and is undone replaces the same open file twice: the
// name is free again however many old files are still open.
TEST_F(SysFile, AnOpenFileIsReplacedAgainWhileTheFirstOldOneIsStillOpen) {
    put("t.dbf", "first");
    const int first = sys::open(path("t.dbf"), sys::ReadOnly);
    ASSERT_GE(first, 0);
    put("t.dbf.uj", "second");
    ASSERT_TRUE(sys::rename(path("t.dbf.uj"), path("t.dbf")));
    const int second = sys::open(path("t.dbf"), sys::ReadOnly);
    ASSERT_GE(second, 0);
    put("t.dbf.uj", "third");
    ASSERT_TRUE(sys::rename(path("t.dbf.uj"), path("t.dbf")));
    EXPECT_EQ(readAll(first, 16), QByteArray("first"));
    EXPECT_EQ(readAll(second, 16), QByteArray("second"));
    const int third = sys::open(path("t.dbf"), sys::ReadOnly);
    EXPECT_EQ(readAll(third, 16), QByteArray("third"));
    sys::close(third);
    sys::close(second);
    sys::close(first);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{QStringLiteral("t.dbf")});
}

// A removed file another descriptor still holds: its name is free at once.
TEST_F(SysFile, AnOpenFileLosesItsNameWhenRemoved) {
    put("t.dbf.regi.uj", "old");
    const int held = sys::open(path("t.dbf.regi.uj"), sys::ReadOnly);
    ASSERT_GE(held, 0);
    ASSERT_TRUE(sys::remove(path("t.dbf.regi.uj")));
    EXPECT_FALSE(QFileInfo::exists(path("t.dbf.regi.uj")));
    put("t.dbf", "new");
    EXPECT_TRUE(sys::link(path("t.dbf"), path("t.dbf.regi.uj")));
    EXPECT_EQ(readAll(held, 16), QByteArray("old"));
    sys::close(held);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files),
              QStringList({QStringLiteral("t.dbf"), QStringLiteral("t.dbf.regi.uj")}));
}

TEST_F(SysFile, ASecondNameAndRemoval) {
    put("t.dbf", "data");
    ASSERT_TRUE(sys::link(path("t.dbf"), path("t.dbf.regi.uj")));
    EXPECT_FALSE(sys::link(path("t.dbf"), path("t.dbf.regi.uj"))); // the name is taken
    ASSERT_TRUE(sys::remove(path("t.dbf")));
    const int fd = sys::open(path("t.dbf.regi.uj"), sys::ReadOnly);
    EXPECT_EQ(readAll(fd, 16), QByteArray("data"));
    sys::close(fd);
    EXPECT_TRUE(sys::syncDirectory(tmp.path()));
    const int dir = sys::open(tmp.path(), sys::Directory);
    ASSERT_GE(dir, 0);
    EXPECT_TRUE(sys::sync(dir));
    sys::close(dir);
}

TEST_F(SysFile, FailuresGiveTheSameReasonsEverywhere) {
    errno = 0;
    EXPECT_LT(sys::open(path("missing.dbf"), sys::ReadOnly), 0);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(engine::systemReason(errno), QStringLiteral("nincs ilyen mappa"));
    EXPECT_FALSE(sys::remove(path("missing.dbf")));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_LT(sys::open(path("nofolder/x.dbf"), sys::ReadWrite | sys::Create), 0);
    EXPECT_EQ(errno, ENOENT);
    const int fd = sys::open(tmp.path(), sys::ReadOnly);
    if (fd >= 0) { // Linux opens a folder for reading: it is not a regular file
        sys::FileInfo info;
        ASSERT_TRUE(sys::fileInfo(fd, &info));
        EXPECT_FALSE(info.regular);
        sys::close(fd);
    }
}

TEST_F(SysFile, AMapShowsTheFileAndLaterWrites) {
    put("t.dbf", "abcdef");
    const int fd = sys::open(path("t.dbf"), sys::ReadWrite);
    std::uint64_t mapped = 0;
    const char* m = sys::map(fd, 1 << 20, &mapped);
    ASSERT_NE(m, nullptr);
    ASSERT_GE(mapped, 6u);
    EXPECT_EQ(QByteArray(m, 6), QByteArray("abcdef"));
    ASSERT_EQ(sys::writeAt(fd, "X", 1, 2), 1);
    EXPECT_EQ(m[2], 'X');
    sys::unmap(m, 1 << 20);
    sys::close(fd);
}

TEST(SysProcess, NeverRootOnWindows) {
#ifdef Q_OS_WIN
    EXPECT_FALSE(sys::isSuperUser());
#endif
    EXPECT_GT(sys::processId(), 0);
}

QString thisProgram() {
#ifdef Q_OS_WIN
    wchar_t name[MAX_PATH];
    return QString::fromWCharArray(name, int(::GetModuleFileNameW(nullptr, name, MAX_PATH)));
#else
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
#endif
}

// The child of the test below: this program again, told by the environment
// to leave a mark and wait.
TEST(SysChild, Sleeper) {
    const QString mark = qEnvironmentVariable("SZ_SYS_SLEEPER");
    if (mark.isEmpty()) return;
    QFile(mark).open(QIODevice::WriteOnly);
    QThread::sleep(60);
}

TEST(SysChild, ATiedChildRunsAndIsKilled) {
    int argc = 1;
    char arg0[] = "test_sys";
    char* argv[] = {arg0, nullptr};
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString mark = tmp.filePath(QStringLiteral("running"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SZ_SYS_SLEEPER"), mark);
    p.setProcessEnvironment(env);
    engine::tieToProgram(p);
    p.start(thisProgram(), {QStringLiteral("--gtest_filter=SysChild.Sleeper")});
    ASSERT_TRUE(p.waitForStarted(10000));
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(mark) && t.elapsed() < 20000)
        QThread::msleep(20); // a child started suspended must have been let go
    EXPECT_TRUE(QFile::exists(mark));
    t.restart();
    engine::killProcessTree(p);
    EXPECT_EQ(p.state(), QProcess::NotRunning);
    EXPECT_LT(t.elapsed(), 5000);
}

} // namespace
