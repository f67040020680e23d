// The full data set's archive as a careless or hostile sender could make it:
// names that climb out of TEMP, members nobody asked for, an entry that
// makes the archiver loop, an unpacking stopped with "Mégse", an archive
// that is a FIFO. Each is refused with its message; no table, and nothing
// outside the program's folders, changes; TEMP is left as it was.

#include "exchange/teljesadat.h"

#include "support/arjcraft.h"
#include "support/startedapp.h"
#include "ui/folderbrowser.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

struct NoFolder : ui::FolderAsker {
    ui::FolderChoice chooseFolder(const QString&, const QString&) override { return {}; }
};

const arjcraft::Entries kHarom{
    {"Aa1890.dbf", "lapok"}, {"Ab1890.dbf", "vizitek"}, {"Ac1890.dbf", "diagnózisok"}};

class TeljesArchivumTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("arj").isEmpty()) GTEST_SKIP() << "no arj";
        app = std::make_unique<testsupport::StartedApp>(demo::Options{}, QDate(2016, 6, 10),
                                                        QStringLiteral("2016.05"));
        app->state.tables.dbo.exec("insert into lap (idoszak, intkod, sorsz, taj) "
                                   "values ('2016.05', '1890', '00099', '123456788')");
        in = app->work.path() + "/floppy";
        QDir().mkpath(in);
        before = counts();
    }
    QString counts() {
        auto q = [&](const char* t) {
            return app->state.tables.dbo.query(QStringLiteral("select count(*) from ") + t)
                .value(0, 0)
                .toString();
        };
        return q("lap") + "/" + q("lapb") + "/" + q("elrend");
    }
    void archive(const arjcraft::Entries& e) {
        ASSERT_TRUE(arjcraft::write(in + "/Telj1890.arj", e));
    }
    QStringList tempEntries() const {
        return QDir(app->state.tempkonyvtar)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // Nothing changed: the tables, TEMP, and beside the working folder.
    void unchanged() {
        EXPECT_EQ(counts(), before);
        EXPECT_EQ(tempEntries(), QStringList());
        EXPECT_FALSE(QFileInfo::exists(app->work.path() + "/OUTSIDE.txt"));
        EXPECT_FALSE(QFileInfo::exists(app->work.path() + "/../OUTSIDE.txt"));
        EXPECT_FALSE(QFileInfo::exists(app->work.path() + "/DATA/Beteg.dbf"));
    }
    std::unique_ptr<testsupport::StartedApp> app;
    QString in, before;
};

TEST_F(TeljesArchivumTest, NamesThatClimbOutOfTempAreRefused) {
    NoFolder folders;
    exch::TeljesAdat imp(app->state, folders);
    for (const QByteArray& evil :
         {QByteArray("x/../../OUTSIDE.txt"), QByteArray("x/../../DATA/Beteg.dbf"),
          QByteArray("../x"), QByteArray("/tmp/OUTSIDE.txt"), QByteArray("C:x")}) {
        SCOPED_TRACE(evil.toStdString());
        arjcraft::Entries e = kHarom;
        e.insert(e.begin() + 1, {evil, "idegen"});
        archive(e);
        app->msg.clear();
        EXPECT_FALSE(imp.beolvas(in));
        EXPECT_EQ(app->msg.last(),
                  "Hiba a kicsomagolásban!\r"
                  "A(z) Telj1890.arj archívumban szabálytalan nevű állomány van: \"" +
                      QString::fromUtf8(evil) +
                      "\"\r"
                      "Az archívumban csak könyvtár nélküli állománynevek "
                      "lehetnek.\r"
                      "Az adatok nem változtak.");
        unchanged();
        EXPECT_FALSE(QFileInfo::exists("/tmp/OUTSIDE.txt"));
    }
}

TEST_F(TeljesArchivumTest, AMemberBesideTheThreeIsRefusedAndNothingStaysInTemp) {
    arjcraft::Entries e = kHarom;
    e.push_back({"OLVASSEL.TXT", "a megyei pénztár levele"});
    archive(e);
    NoFolder folders;
    exch::TeljesAdat imp(app->state, folders);
    EXPECT_FALSE(imp.beolvas(in));
    EXPECT_EQ(app->msg.last(), "Hiba a kicsomagolásban!\r"
                               "A(z) Telj1890.arj archívumban nem várt állomány van: "
                               "\"OLVASSEL.TXT\"\r"
                               "Az adatok nem változtak.");
    unchanged();

    // The three files alone pass the archive's checks and go on to be read
    // (here they are no tables), and TEMP is empty afterwards all the same.
    archive(kHarom);
    app->msg.clear();
    EXPECT_FALSE(imp.beolvas(in));
    EXPECT_TRUE(app->msg.last().startsWith("A(z) Aa1890.dbf állomány nem olvasható dBase tábla!"))
        << app->msg.last().toStdString();
    unchanged();
}

#ifndef _WIN32
// (The archiver runs in a forked child: Debian's arj is a Linux program.)
// An entry that makes the archiver loop for ever is refused before the
// archiver unpacks anything; the import runs in a child that may take 30
// seconds at most.
TEST_F(TeljesArchivumTest, AnEntryThatHangsTheArchiverIsRefusedInTime) {
    for (const QByteArray& evil : {QByteArray("..\\x.txt"), QByteArray(".../x")}) {
        SCOPED_TRACE(evil.toStdString());
        arjcraft::Entries e = kHarom;
        e.push_back({evil, "hurok"});
        archive(e);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::alarm(30);
            NoFolder folders;
            exch::TeljesAdat imp(app->state, folders);
            const bool refused =
                !imp.beolvas(in) && app->msg.last().contains("szabálytalan nevű állomány van: \"" +
                                                             QString::fromUtf8(evil) + "\"");
            ::_exit(refused ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << "the import hung";
        EXPECT_EQ(WEXITSTATUS(status), 0);
        unchanged();
    }
}
#endif

struct StopAfter : db::UnpackWatch {
    int ms;
    QElapsedTimer clock;
    qint64 pressed = -1;
    explicit StopAfter(int after) : ms(after) {}
    void begin(const QString&) override { clock.start(); }
    bool stopRequested() override {
        if (clock.elapsed() < ms) return false;
        if (pressed < 0) pressed = clock.elapsed();
        return true;
    }
    void end() override {}
};

TEST_F(TeljesArchivumTest, MegseStopsTheUnpackingWithinASecond) {
    archive(kHarom);
    // The real listing; an unpacking that writes one file and never ends.
    const QString real = QStandardPaths::findExecutable("arj");
    const QString fake =
        arjcraft::fakeArchiver(app->work.path() + "/arj-lassu",
                               "if [ \"$1\" = v ]; then exec \"" + real.toUtf8() +
                                   "\" \"$@\"; fi\necho x > \"$4/Aa1890.dbf\"\nexec sleep 60");
    NoFolder folders;
    exch::TeljesAdat imp(app->state, folders);
    imp.setArchiver(fake);
    StopAfter watch(300);
    imp.archiver().setWatch(&watch);
    EXPECT_FALSE(imp.beolvas(in));
    EXPECT_LT(watch.clock.elapsed() - watch.pressed, 1000);
    EXPECT_EQ(app->msg.log().back(),
              "warning: A(z) Telj1890.arj kicsomagolása megszakítva.\rAz adatok nem változtak.");
    unchanged();

    // The same archiver with no one to stop it: its time limit ends it.
    imp.archiver().setWatch(nullptr);
    imp.archiver().setTimeLimit(std::chrono::milliseconds(300), std::chrono::milliseconds(0));
    EXPECT_FALSE(imp.beolvas(in));
    EXPECT_EQ(app->msg.last(),
              "Hiba a kicsomagolásban!\r"
              "A(z) Telj1890.arj kicsomagolása 1 másodperc alatt sem fejeződött be, ezért "
              "leállítottam; az archívum valószínűleg sérült.\r"
              "Az adatok nem változtak.");
    unchanged();
}

#ifndef _WIN32
TEST_F(TeljesArchivumTest, AnArchiveThatIsAFifoIsNotWaitedOn) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(in + "/Telj1890.arj").constData(), 0644), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(30);
        NoFolder folders;
        exch::TeljesAdat imp(app->state, folders);
        ::_exit(!imp.beolvas(in) && app->msg.last() == "Hiba a mentésben" ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "the import waited on the FIFO";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    unchanged();
}
#endif

} // namespace
