// The archiver as the program runs it: the listing read strictly, entries
// that are no plain file name or that nobody expects refused before anything
// is unpacked, the unpacking into a folder of its own checked afterwards,
// and a run that hangs, is stopped or outlives the program killed with its
// process group.

#include "db/arj.h"

#include "support/arjcraft.h"
#include "support/testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

const QStringList kHarom{"Aa1890.dbf", "Ab1890.dbf", "Ac1890.dbf"};

// Every file under `dir`, relative paths, sorted.
QStringList tree(const QString& dir) {
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(dir).relativeFilePath(it.next());
    out.sort();
    return out;
}

#ifndef _WIN32
// (Debian's arj and its stand-ins are Linux programs: the tests of the
// archiver's process run there.)
// A process that is gone (or a zombie nobody reaps yet).
bool gone(pid_t pid) {
    if (::kill(pid, 0) != 0) return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray s = stat.readAll();
    const qsizetype close = s.lastIndexOf(')');
    return close > 0 && s.size() > close + 2 && s[close + 2] == 'Z';
}

bool goneWithin(pid_t pid, int ms) {
    QElapsedTimer t;
    t.start();
    while (!gone(pid)) {
        if (t.elapsed() > ms) return false;
        QThread::msleep(20);
    }
    return true;
}

pid_t pidFrom(const QString& file, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        // The script's whole line, once it is written.
        QFile f(file);
        const QByteArray s = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        if (s.endsWith('\n')) return pid_t(s.trimmed().toLongLong());
        QThread::msleep(20);
    }
    return 0;
}
#endif

struct ArjTest : ::testing::Test {
    testsupport::TempDir tmp;
    QString temp; // the program's TEMP
    QString floppy;

    void SetUp() override {
        if (QStandardPaths::findExecutable("arj").isEmpty()) GTEST_SKIP() << "no arj";
        // TEMP two levels down, so that a name climbing out of it lands
        // where the test can see it.
        temp = tmp.file("prog/work/TEMP");
        floppy = tmp.file("floppy");
        QDir().mkpath(temp);
        QDir().mkpath(floppy);
    }
    QString craft(const arjcraft::Entries& e, const QString& name = "Telj1890.arj") {
        const QString path = floppy + "/" + name;
        EXPECT_TRUE(arjcraft::write(path, e));
        return path;
    }
};

// ---------------------------------------------------------------------------
// The listing

TEST_F(ArjTest, TheArchiversOwnListingIsRead) {
    testsupport::writeAll(floppy + "/Aa1890.dbf", "hello\n");
    testsupport::writeAll(floppy + "/Ab1890.dbf", QByteArray(70000, 'x'));
    const QString a = floppy + "/Telj1890.arj";
    ASSERT_TRUE(db::Archiver().pack(a, {floppy + "/Aa1890.dbf", floppy + "/Ab1890.dbf"}));
    std::vector<db::ArjEntry> e;
    ASSERT_TRUE(db::Archiver().list(a, &e).ok());
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].name, "Aa1890.dbf");
    EXPECT_EQ(e[0].size, 6u);
    EXPECT_EQ(e[1].name, "Ab1890.dbf");
    EXPECT_EQ(e[1].size, 70000u);
}

TEST(ArjListing, AnythingOutOfPlaceMakesItUnreadable) {
    const QByteArray head = "ARJ32 v 3.10, Copyright (c) 1998-2004, ARJ Software Russia.\n\n"
                            "Processing archive: t.arj\n"
                            "Archive created: 2024-01-02 10:00:00, modified: 2024-01-02\n"
                            "Sequence/Pathname/Comment/Chapters\n"
                            "Rev/Host OS    Original Compressed Ratio DateTime modified "
                            "Attributes/GUA BPMGS\n"
                            "------------ ---------- ---------- ----- ----------------- "
                            "-------------- -----\n";
    const QByteArray e1 = "001) AA1890.DBF\n"
                          " 11 MS-DOS           10         10 1.000 24-01-02 10:00:00       "
                          "           0  \n";
    const QByteArray e2 = "002) Ab1890.dbf\n"
                          " 11 UNIX              6          6 1.000 24-01-02 10:00:00 "
                          "-rw-r--r-- ---   0  \n"
                          "                                   DTA   24-01-02 10:00:00\n"
                          "                                   DTC   24-01-02 10:00:00\n";
    const QByteArray rule = "------------ ---------- ---------- -----\n";
    const QByteArray count = "     2 files         16         16 1.000 \n";

    const auto ok = db::parseArjListing(head + e1 + e2 + rule + count);
    ASSERT_TRUE(ok);
    ASSERT_EQ(ok->size(), 2u);
    EXPECT_EQ((*ok)[0].name, "AA1890.DBF");
    EXPECT_EQ((*ok)[1].size, 6u);

    // A comment line: a name that spans lines looks just like it.
    EXPECT_FALSE(db::parseArjListing(head + e1 + "a comment\n" + e2 + rule + count));
    // An entry more than the count, a total that does not add up.
    EXPECT_FALSE(db::parseArjListing(head + e1 + e2 + rule + "     1 files         16\n"));
    EXPECT_FALSE(db::parseArjListing(head + e1 + e2 + rule + "     2 files         17\n"));
    // Numbers out of order, text after the count, no count at all.
    QByteArray swapped = e2;
    swapped.replace("002)", "001)");
    EXPECT_FALSE(db::parseArjListing(head + e1 + swapped + rule + count));
    EXPECT_TRUE(db::parseArjListing(head + swapped + rule + "     1 files 6\n"));
    EXPECT_FALSE(db::parseArjListing(head + e1 + e2 + rule + count + "003) x\n"));
    EXPECT_FALSE(db::parseArjListing(head + e1 + e2));
    EXPECT_FALSE(db::parseArjListing("     0 file(s)\n"));
    EXPECT_FALSE(db::parseArjListing(QByteArray()));
}

TEST(ArjListing, PlainFileNames) {
    for (const char* good : {"Aa1890.dbf", "ZARAS.DBF", "a b.dbf", "x"})
        EXPECT_TRUE(db::isPlainFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "x/../../OUTSIDE.txt", "../x", "/abs", "C:x",
                            "..\\x.txt", ".../x", "dir\\y", "x/", "a..b", "a\rb", "a\x7f"})
        EXPECT_FALSE(db::isPlainFileName(bad)) << bad;
    EXPECT_FALSE(db::isPlainFileName(QByteArray(256, 'a')));
}

// ---------------------------------------------------------------------------
// Refused before unpacking

TEST_F(ArjTest, EntriesThatAreNoPlainNamesAreRefusedBeforeUnpacking) {
    for (const QByteArray evil :
         {"x/../../OUTSIDE.txt", "../x", "/abs", "C:x", "..\\x.txt", ".../x", "sub/Ab1890.dbf"}) {
        SCOPED_TRACE(evil.toStdString());
        const QString a = craft({{"Aa1890.dbf", "aa"}, {evil, "evil"}});
        const db::UnpackFolder work(temp);
        ASSERT_TRUE(work.ok());
        const db::ArjResult r = db::Archiver().unpack(a, work.unpackDir(), kHarom);
        EXPECT_EQ(r.outcome, db::ArjOutcome::BadName);
        EXPECT_EQ(r.entry, QString::fromUtf8(evil));
        EXPECT_FALSE(QFileInfo::exists(work.unpackDir()));
        EXPECT_EQ(
            tree(tmp.path()),
            (QStringList{"floppy", "floppy/Telj1890.arj", "prog", "prog/work", "prog/work/TEMP",
                         "prog/work/TEMP/" + QFileInfo(work.path()).fileName()}));
    }
    const db::ArjResult r{db::ArjOutcome::BadName, "Telj1890.arj", "x/../../OUTSIDE.txt"};
    EXPECT_EQ(r.message(), "Hiba a kicsomagolásban!\r"
                           "A(z) Telj1890.arj archívumban szabálytalan nevű állomány van: "
                           "\"x/../../OUTSIDE.txt\"\r"
                           "Az archívumban csak könyvtár nélküli állománynevek lehetnek.\r"
                           "Az adatok nem változtak.");
}

TEST_F(ArjTest, UnexpectedAndRepeatedMembersAreRefused) {
    db::UnpackFolder work(temp);
    db::ArjResult r = db::Archiver().unpack(
        craft(
            {{"Aa1890.dbf", "a"}, {"Ab1890.dbf", "b"}, {"Ac1890.dbf", "c"}, {"OLVASSEL.TXT", "!"}}),
        work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::Unexpected);
    EXPECT_EQ(r.message(), "Hiba a kicsomagolásban!\r"
                           "A(z) Telj1890.arj archívumban nem várt állomány van: \"OLVASSEL.TXT\"\r"
                           "Az adatok nem változtak.");
    EXPECT_FALSE(QFileInfo::exists(work.unpackDir()));

    r = db::Archiver().unpack(craft({{"Aa1890.dbf", "a"}, {"AA1890.DBF", "other"}}),
                              work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::Repeated);
    EXPECT_EQ(r.entry, "AA1890.DBF");

    // A name on two lines reads as no listing at all.
    r = db::Archiver().unpack(craft({{"Aa1890.dbf\n../../x", "a"}}), work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::Unreadable);

    // The expected names in any letter case unpack, into the folder alone.
    r = db::Archiver().unpack(craft({{"AA1890.DBF", "a"}, {"Ab1890.dbf", "bb"}}), work.unpackDir(),
                              kHarom);
    ASSERT_TRUE(r.ok()) << r.message().toStdString();
    EXPECT_EQ(tree(work.unpackDir()), (QStringList{"AA1890.DBF", "Ab1890.dbf"}));
    EXPECT_EQ(testsupport::readAll(work.unpackDir() + "/Ab1890.dbf"), "bb");
    EXPECT_EQ(tree(temp), (QStringList{QFileInfo(work.path()).fileName(),
                                       QFileInfo(work.path()).fileName() + "/ki",
                                       QFileInfo(work.path()).fileName() + "/ki/AA1890.DBF",
                                       QFileInfo(work.path()).fileName() + "/ki/Ab1890.dbf"}));
}

TEST_F(ArjTest, SomethingElseAppearingIsRefusedAndRemoved) {
    // An archiver that writes a file of its own beside the listed ones.
    const QString real = QStandardPaths::findExecutable("arj");
    const QString fake = arjcraft::fakeArchiver(
        tmp.file("arj-extra"), "\"" + real.toUtf8() +
                                   "\" \"$@\" || exit $?\n"
                                   "if [ \"$1\" = e ]; then echo x > \"$4/titok\"; fi");
    db::UnpackFolder work(temp);
    const db::ArjResult r =
        db::Archiver(fake).unpack(craft({{"Aa1890.dbf", "a"}}), work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::Extra);
    EXPECT_EQ(r.entry, "titok");
    EXPECT_FALSE(QFileInfo::exists(work.unpackDir()));
}

TEST_F(ArjTest, TheUnpackFolderGoesWithItsObjectAndWithTheStartupSweep) {
    QString left;
    {
        db::UnpackFolder work(temp);
        ASSERT_TRUE(work.ok());
        left = work.path();
        EXPECT_EQ(QFileInfo(left).dir().absolutePath(), QDir(temp).absolutePath());
        EXPECT_TRUE(QFileInfo(left).fileName().startsWith("kibontas-"));
        testsupport::writeAll(work.filePath("Telj1890.arj"), "x");
    }
    EXPECT_FALSE(QFileInfo::exists(left));
    QDir().mkpath(temp + "/kibontas-ab12cd/ki");
    testsupport::writeAll(temp + "/kibontas-ab12cd/ki/Aa1890.dbf", "x");
    testsupport::writeAll(temp + "/mas.txt", "marad");
    EXPECT_EQ(db::sweepUnpackFolders(temp), 1);
    EXPECT_EQ(tree(temp), QStringList{"mas.txt"});
}

#ifndef _WIN32
// ---------------------------------------------------------------------------
// Time limit, cancel, the program's end

TEST_F(ArjTest, AHangingArchiverIsKilledAtItsTimeLimit) {
    const QString pidFile = tmp.file("pid");
    const QString fake = arjcraft::fakeArchiver(
        tmp.file("arj-hang"), "echo $$ > \"" + pidFile.toUtf8() + "\"\nexec sleep 60");
    db::Archiver arj(fake);
    arj.setTimeLimit(std::chrono::milliseconds(400), std::chrono::milliseconds(0));
    db::UnpackFolder work(temp);
    QElapsedTimer t;
    t.start();
    const db::ArjResult r = arj.unpack(craft({{"Aa1890.dbf", "a"}}), work.unpackDir(), kHarom);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_EQ(r.outcome, db::ArjOutcome::TimedOut);
    EXPECT_EQ(r.message(), "Hiba a kicsomagolásban!\r"
                           "A(z) Telj1890.arj kicsomagolása 1 másodperc alatt sem fejeződött be, "
                           "ezért leállítottam; az archívum valószínűleg sérült.\r"
                           "Az adatok nem változtak.");
    const pid_t pid = pidFrom(pidFile);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(goneWithin(pid, 2000));

    // The limit grows with the archive.
    EXPECT_EQ(db::Archiver().timeLimit(0).count(), 20000);
    EXPECT_EQ(db::Archiver().timeLimit(3 << 20).count(), 32000);
    EXPECT_EQ(db::Archiver().timeLimit((3 << 20) + 1).count(), 36000);
}

struct ScriptedWatch : db::UnpackWatch {
    int begun = 0, ended = 0, asked = 0, stopAt = 0;
    QElapsedTimer clock;
    qint64 stoppedAt = -1;
    void begin(const QString& name) override {
        ++begun;
        EXPECT_EQ(name, "Telj1890.arj");
        clock.start();
    }
    bool stopRequested() override {
        ++asked;
        if (stopAt > 0 && clock.elapsed() >= stopAt) {
            if (stoppedAt < 0) stoppedAt = clock.elapsed();
            return true;
        }
        return false;
    }
    void end() override { ++ended; }
};

TEST_F(ArjTest, CancelStopsTheArchiverAtOnceAndLeavesNothing) {
    const QString pidFile = tmp.file("pid");
    const QString listing = tmp.file("listing");
    // A listing of one expected entry, then an unpacking that never ends.
    testsupport::writeAll(
        listing, "Sequence/Pathname/Comment/Chapters\n"
                 "Rev/Host OS    Original Compressed Ratio DateTime modified Attributes/GUA BPMGS\n"
                 "------------ ---------- ---------- ----- ----------------- -------------- -----\n"
                 "001) Aa1890.dbf\n"
                 " 11 UNIX              1          1 1.000 24-01-02 10:00:00 -rw-r--r-- ---   0\n"
                 "------------ ---------- ---------- -----\n"
                 "     1 files          1          1 1.000\n");
    const QString fake = arjcraft::fakeArchiver(
        tmp.file("arj-slow"), "if [ \"$1\" = v ]; then cat \"" + listing.toUtf8() +
                                  "\"; exit 0; fi\n"
                                  "echo $$ > \"" +
                                  pidFile.toUtf8() +
                                  "\"\n"
                                  "echo a > \"$4/Aa1890.dbf\"\nexec sleep 60");
    db::Archiver arj(fake);
    ScriptedWatch watch;
    watch.stopAt = 300;
    arj.setWatch(&watch);
    db::UnpackFolder work(temp);
    const db::ArjResult r = arj.unpack(craft({{"Aa1890.dbf", "a"}}), work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::Cancelled);
    EXPECT_EQ(r.message(),
              "A(z) Telj1890.arj kicsomagolása megszakítva.\rAz adatok nem változtak.");
    EXPECT_LT(watch.clock.elapsed() - watch.stoppedAt, 1000);
    EXPECT_GT(watch.asked, 3);
    EXPECT_EQ(watch.begun, 1);
    EXPECT_EQ(watch.ended, 1);
    EXPECT_FALSE(QFileInfo::exists(work.unpackDir()));
    const pid_t pid = pidFrom(pidFile);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(goneWithin(pid, 1000));
}

TEST_F(ArjTest, TheArchiverDiesWithTheProgram) {
    const QString pidFile = tmp.file("pid");
    const QString fake = arjcraft::fakeArchiver(
        tmp.file("arj-orphan"), "echo $$ > \"" + pidFile.toUtf8() + "\"\nexec sleep 60");
    const QString a = craft({{"Aa1890.dbf", "a"}});
    const QString dir = temp + "/ki";
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        db::Archiver(fake).unpack(a, dir, kHarom);
        ::_exit(0);
    }
    const pid_t arj = pidFrom(pidFile);
    ::kill(program, SIGKILL);
    int status = 0;
    ::waitpid(program, &status, 0);
    ASSERT_GT(arj, 0);
    EXPECT_TRUE(goneWithin(arj, 2000));
    if (!gone(arj)) ::kill(arj, SIGKILL);
}
#endif

} // namespace
