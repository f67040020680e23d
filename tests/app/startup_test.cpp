// The start-up sequence run headless on a demo program folder, with the
// login and the period answered by a script.

#include "app/login.h"
#include "app/period.h"
#include "app/startup.h"
#include "core/appstate.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/table.h"
#include "db/kuldemenyforma.h"
#include "exchange/kuldemeny.h"
#include "exchange/masolas.h"
#include "support/testsupport.h"
#include "tools/demo/demodata.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

struct ScriptedDialogs : app::StartupDialogs {
    QString password = "titok";
    QString periodText = "2024.05";
    bool login(core::AppState& st) override {
        app::Login l(st, false);
        return l.prepare() && l.ok(password) == app::Login::Result::Accepted;
    }
    bool period(core::AppState& st) override {
        app::Period pc(st);
        return pc.ok(periodText) == app::Period::Result::Accepted;
    }
    // What the upgrade of old layouts told: text, done, total.
    struct Told {
        QString what;
        qint64 done, total;
    };
    std::vector<Told> told;
    void progress(const QString& what, qint64 done, qint64 total) override {
        told.push_back({what, done, total});
    }
};

struct StartupTest : ::testing::Test {
    testsupport::TempDir program;
    testsupport::TempDir work;
    QString oldCwd = QDir::currentPath();
    ui::ScriptedMessages msg;
    core::Clock clock{QDate(2024, 5, 15)};
    ScriptedDialogs dialogs;

    void SetUp() override {
        demo::makeDemoData(program.path(), clock.today());
        QDir::setCurrent(work.path());
    }
    void TearDown() override { QDir::setCurrent(oldCwd); }

    QString data(const QString& name) const { return program.path() + "/DATA/" + name; }

    app::Startup::Outcome start(core::AppState& st) {
        app::Startup s(st, dialogs);
        return s.run(program.path());
    }
};

} // namespace

TEST_F(StartupTest, FreshStartReachesTheMainWindowWithEveryTable) {
    core::AppState st(msg, clock);
    ASSERT_EQ(start(st), app::Startup::Outcome::MainWindow) << msg.log().size();
    EXPECT_TRUE(msg.isEmpty()) << (msg.isEmpty() ? "" : msg.last().toStdString());
    EXPECT_EQ(st.id.text(), "2024.05");
    EXPECT_EQ(st.alapdij, 3700);
    EXPECT_EQ(st.finkodtol, "2014.12");
    EXPECT_FALSE(st.finkod.isEmpty());
    EXPECT_TRUE(msg.statusText(1).contains("  (FINkód: " + st.finkod + ", Szerz.kezd: 2024.01.01)"))
        << msg.statusText(1).toStdString();
    EXPECT_EQ(msg.statusText(2), "2024.05.15");

    for (const char* t : {"Zaras", "Apol", "Orvos", "Beteg", "Maradv", "Elrend", "Lap", "Lapb"}) {
        EXPECT_TRUE(QFileInfo::exists(data(QString(t) + ".dbf"))) << t;
        EXPECT_TRUE(QFileInfo::exists(data(QString(t) + ".mdx"))) << t;
    }
    EXPECT_TRUE(QFileInfo::exists(data("SYS.DBF")));
    EXPECT_FALSE(QFileInfo::exists(data("Lapold.dbf")));
    for (const char* d : {"LISTA", "KULD", "DATA", "TEMP"})
        EXPECT_TRUE(QFileInfo(work.path() + "/" + d).isDir()) << d;
    EXPECT_TRUE(QFileInfo(program.path() + "/DATA/MENT").isDir());
    // The database stays in the program's folder; the working folders follow
    // the current directory.
    EXPECT_EQ(QFileInfo(st.datakonyvtar).canonicalFilePath(),
              QFileInfo(work.path() + "/DATA").canonicalFilePath());
    EXPECT_EQ(st.kuldkonyvtar, st.munkakonyvtar + "/KULD/");
    EXPECT_TRUE(st.tables.lap.isOpen());
    EXPECT_TRUE(st.tables.lapb.isOpen());
    EXPECT_EQ(st.tables.apol.activeTag(), "Apol1");
    EXPECT_EQ(st.tables.beteg.activeTag(), "Beteg2");
    // Nothing to upgrade: no progress window.
    EXPECT_TRUE(dialogs.told.empty());
}

TEST_F(StartupTest, AnUpgradeOfAnOldLayoutTellsTheDialogsHowFarItIs) {
    {
        core::AppState st(msg, clock);
        ASSERT_EQ(start(st), app::Startup::Outcome::MainWindow);
    }
    // LAPB as an older version left it: without FINKOD, three visit rows.
    ASSERT_TRUE(QFile::remove(data("Lapb.dbf")) && QFile::remove(data("Lapb.mdx")));
    {
        using engine::fieldDef;
        engine::Table::create(
            data("Lapb.dbf"),
            {fieldDef("IDOSZAK", 'C', 7), fieldDef("INTKOD", 'C', 4), fieldDef("SORSZ", 'C', 5),
             fieldDef("RESZ", 'C', 1), fieldDef("TEVKOD", 'C', 2), fieldDef("ELLTIP", 'N', 2),
             fieldDef("ONKEP", 'N', 2), fieldDef("APDATUM", 'D'), fieldDef("APTAJ", 'C', 9),
             fieldDef("VIZITDB", 'N', 2), fieldDef("ELIDO", 'C', 7), fieldDef("JELOLES", 'C', 1),
             fieldDef("ELKULDVE", 'C', 7)});
        engine::Table old;
        old.open(data("Lapb.dbf"));
        for (const char* p : {"2024.04", "2014.11", "2015.01"}) {
            old.append();
            old.setValue("IDOSZAK", p);
            old.setValue("SORSZ", "00001");
            old.post();
        }
    }
    dialogs.told.clear();
    core::AppState st(msg, clock);
    ASSERT_EQ(start(st), app::Startup::Outcome::MainWindow);
    EXPECT_TRUE(msg.isEmpty()) << (msg.isEmpty() ? "" : msg.last().toStdString());
    EXPECT_TRUE(st.tables.lapb.hasField("FINKOD"));
    ASSERT_GE(dialogs.told.size(), 3u);
    EXPECT_EQ(dialogs.told.front().what, "A vizitek átalakítása az új szerkezetre…");
    EXPECT_EQ(dialogs.told.front().total, 3);
    bool counted = false, indexed = false;
    for (const auto& t : dialogs.told) {
        counted = counted || (t.done == 3 && t.total == 3);
        indexed = indexed || t.what == "A vizitek indexelése…";
    }
    EXPECT_TRUE(counted);
    EXPECT_TRUE(indexed);
    EXPECT_EQ(dialogs.told.back().what, QString());
}

TEST_F(StartupTest, WrongPasswordEndsBeforeAnyTableIsMade) {
    {
        core::AppState first(msg, clock);
        first.tables.dbo.setDirectory(program.path() + "/DATA/");
        app::Login l(first, false);
        ASSERT_TRUE(l.prepare());
        ASSERT_EQ(l.ok("titok"), app::Login::Result::Accepted);
    }
    core::AppState st(msg, clock);
    dialogs.password = "Titok";
    EXPECT_EQ(start(st), app::Startup::Outcome::EndProgram);
    EXPECT_EQ(msg.last(), QString::fromUtf8("Érvénytelen jelszó!"));
    EXPECT_FALSE(QFileInfo::exists(data("Zaras.dbf")));
}

TEST_F(StartupTest, MissingCountyTablesEndTheProgramWithOnlySysAndZaras) {
    QFile::remove(data("PART.DBF"));
    QFile::remove(data("BNOTORZS.DBF"));
    core::AppState st(msg, clock);
    EXPECT_EQ(start(st), app::Startup::Outcome::EndProgram);
    EXPECT_EQ(msg.last(), QString::fromUtf8("Nincsenek szerződéses adatok!\r"
                                            "Hiányzik:\r"
                                            "    PART.DBF\r"
                                            "Hiányzik még a BNOTORZS.DBF is.\r"
                                            "Kérje a hiányzó állományokat a RAV-től,\r"
                                            "és másolja be a DATA könyvtárba!!\r"
                                            "\r"
                                            "A program ezek nélkül nem indul!!\r"
                                            "Kilépés!!"));
    // Only the password and period tables exist; the county office's tables
    // that are present may have got their index files.
    EXPECT_TRUE(QFileInfo::exists(data("SYS.DBF")));
    EXPECT_TRUE(QFileInfo::exists(data("Zaras.dbf")));
    for (const char* t : {"Apol", "Orvos", "Beteg", "Maradv", "Elrend", "Lap", "Lapb", "Lapold"})
        EXPECT_FALSE(QFileInfo::exists(data(QString(t) + ".dbf"))) << t;
    EXPECT_FALSE(QFileInfo::exists(work.path() + "/LISTA"));
}

TEST_F(StartupTest, ContractWithoutFinkodEndsAfterThePeriod) {
    {
        engine::Table szerz;
        szerz.open(data("SZERZ.DBF"));
        std::vector<engine::FieldDef> fields;
        for (const auto& f : szerz.fields())
            if (f.name != "FINKOD") fields.push_back(f);
        std::vector<QVariantList> rows;
        for (szerz.first(); !szerz.eof(); szerz.next()) {
            QVariantList row;
            for (const auto& f : fields)
                row << szerz.value(f.name);
            rows.push_back(row);
        }
        szerz.close();
        engine::Table::create(data("SZERZ.DBF"), fields);
        szerz.open(data("SZERZ.DBF"));
        szerz.appendRows(rows);
    }
    core::AppState st(msg, clock);
    EXPECT_EQ(start(st), app::Startup::Outcome::EndProgram);
    EXPECT_EQ(msg.last(), QString::fromUtf8("Nincs a szerződésben FINKOD mező, így nem "
                                            "használható a program.\rKérjen új szerződés "
                                            "adatot!\rA program kilép!"));
    EXPECT_EQ(st.id.text(), "2024.05");
    EXPECT_FALSE(QFileInfo::exists(data("Lap.dbf")));
    EXPECT_FALSE(QFileInfo::exists(data("Apol.dbf")));
}

TEST_F(StartupTest, AWorkingFolderThatCannotBeMadeStopsTheRestButOpensTheWindow) {
    testsupport::writeAll(work.path() + "/KULD", "not a folder");
    core::AppState st(msg, clock);
    EXPECT_EQ(start(st), app::Startup::Outcome::MainWindow);
    EXPECT_EQ(msg.last(), QString::fromUtf8("Nem lehet a KULD könyvtárat létrehozni"));
    EXPECT_TRUE(QFileInfo(work.path() + "/LISTA").isDir());
    EXPECT_FALSE(QFileInfo::exists(work.path() + "/TEMP"));
}

namespace {

void addSheet(engine::Table& lap, const QString& period, const QString& sorsz,
              const QString& elkuldve) {
    lap.append();
    lap.setValue("IDOSZAK", period);
    lap.setValue("SORSZ", sorsz);
    lap.setValue("ELKULDVE", elkuldve);
    lap.post();
}

QStringList zarasRows(engine::Table& z) {
    QStringList out;
    z.setActiveTag("Zaras");
    for (z.first(); !z.eof(); z.next())
        out << z.text("IDOSZAK") + " " + z.text("ZARAS") + " " + z.text("LAPOKSZ");
    return out;
}

} // namespace

TEST_F(StartupTest, ZaraspotolRecordsSentPeriodsAndReopensTheNextMonth) {
    clock.setToday(QDate(2020, 6, 10));
    dialogs.periodText = "2020.06";
    core::AppState st(msg, clock);
    ASSERT_EQ(start(st), app::Startup::Outcome::MainWindow);
    ASSERT_TRUE(msg.isEmpty());

    engine::Table& lap = st.tables.lap;
    addSheet(lap, "2020.03", "00001", "2020.03");
    addSheet(lap, "2020.03", "00002", "2020.04");
    addSheet(lap, "2020.04", "00003", "2020.04");
    addSheet(lap, "2020.04", "00004", "YY");      // a change waiting: not counted
    addSheet(lap, "2020.04", "00005", "");        // never sent: not counted
    addSheet(lap, "2019.11", "00006", "2019.11"); // before the six months
    engine::Table& z = st.tables.zaras;
    z.append();
    z.setValue("IDOSZAK", "2020.05");
    z.setValue("ZARAS", QDate(2020, 6, 5));
    z.post();
    // A closing date later than the month after its period is pulled back.
    z.append();
    z.setValue("IDOSZAK", "2020.03");
    z.setValue("ZARAS", QDate(2020, 9, 1));
    z.setValue("LAPOKSZ", 9);
    z.post();

    ASSERT_TRUE(app::zaraspotol(st));
    EXPECT_EQ(zarasRows(z), (QStringList{"2020.03 2020.04.05 9", "2020.04 2020.05.05 1"}));
    EXPECT_EQ(z.fileRecordCount(), 2u); // packed
}

TEST_F(StartupTest, DuplicatePatientsLoseOneCopyPerStart) {
    core::AppState st(msg, clock);
    ASSERT_EQ(start(st), app::Startup::Outcome::MainWindow);
    engine::Table& b = st.tables.beteg;
    for (int i = 0; i < 3; ++i) {
        b.append();
        b.setValue("TAJ", "123456788");
        b.setValue("NEV", QString::fromUtf8("Kovács Éva"));
        b.setValue("NEME", "2");
        b.setValue("SZULI", QDate(1940, 3, 2));
        b.post();
    }
    b.append();
    b.setValue("TAJ", "111111110");
    b.setValue("NEV", "Egyedi");
    b.post();
    auto count = [&](const QString& taj) {
        return st.tables.dbo.query("select count(*) from beteg where taj=?", {taj})
            .value(0, 0)
            .toInt();
    };
    ASSERT_TRUE(app::betegduplatorol(st));
    EXPECT_EQ(count("123456788"), 2);
    ASSERT_TRUE(app::betegduplatorol(st));
    EXPECT_EQ(count("123456788"), 1);
    ASSERT_TRUE(app::betegduplatorol(st));
    EXPECT_EQ(count("123456788"), 1);
    EXPECT_EQ(count("111111110"), 1);
    EXPECT_EQ(b.fileRecordCount(), 2u);
}

// A save that died half-way (its journal left, part of its changes in the
// table) is rolled back by the next start before anything opens the tables;
// a journal that cannot be applied ends the start with the reason.
TEST_F(StartupTest, AnInterruptedOperationIsRolledBackBeforeTheTablesOpen) {
    std::uint32_t before = 0;
    {
        core::AppState st(msg, clock);
        ASSERT_EQ(start(st), app::Startup::Outcome::MainWindow);
        engine::Table& bno = st.tables.bno;
        before = bno.recordCount();
        ASSERT_GT(before, 2u);
        // The disk dies after the journal and the first record reached it.
        engine::ChangeUnit unit({&bno});
        bno.first();
        bno.remove();
        bno.remove();
        engine::testing::setIoHook([](engine::testing::IoOp, long n) {
            return n <= 7 ? engine::testing::IoAction::Proceed : engine::testing::IoAction::Fail;
        });
        EXPECT_THROW(unit.commit(), engine::DbError);
        engine::testing::setIoHook(nullptr);
        ASSERT_TRUE(QFileInfo::exists(engine::journalPath(data(""))));
    }
    {
        engine::Table raw;
        raw.open(data("BNOTORZS.DBF"));
        EXPECT_LT(raw.recordCount(), before); // a deletion reached the file
    }
    core::AppState st(msg, clock);
    ASSERT_EQ(start(st), app::Startup::Outcome::MainWindow);
    EXPECT_EQ(st.tables.bno.recordCount(), before);
    EXPECT_FALSE(QFileInfo::exists(engine::journalPath(data(""))));

    st.tables.bno.close();
}

// A journal that cannot be read (damaged, or cut to a few bytes): the user
// is told what to do and which file to hand over, the journal is kept aside
// under that name, and the start goes on so that a backup can be restored.
TEST_F(StartupTest, ADamagedJournalIsKeptAsideWithAdvice) {
    {
        core::AppState st(msg, clock);
        ASSERT_EQ(start(st), app::Startup::Outcome::MainWindow);
    }
    for (const QByteArray& bad : {QByteArray("SZJRNL01\1\0\0\0\0\0\0\0", 16) + QByteArray(64, 'x'),
                                  QByteArray("SZJRNL01\1\0\0", 11)}) {
        SCOPED_TRACE(bad.size());
        msg.clear();
        testsupport::writeAll(engine::journalPath(data("")), bad);
        core::AppState st(msg, clock);
        EXPECT_EQ(start(st), app::Startup::Outcome::MainWindow);
        ASSERT_FALSE(msg.isEmpty());
        const QString said = msg.texts().front();
        EXPECT_EQ(msg.kinds().front(), ui::MessageKind::Error);
        EXPECT_TRUE(said.startsWith(QString::fromUtf8(
            "A legutóbbi félbeszakadt művelet nem vonható vissza, mert a naplója sérült: ")))
            << said.toStdString();
        const QStringList kept = QDir(data("")).entryList({"rollback-*.jnl"}, QDir::Files);
        ASSERT_EQ(kept.size(), 1);
        EXPECT_TRUE(said.contains("Töltse vissza a legutóbbi biztonsági mentést (Szervíz / "
                                  "Visszatöltés), vagy hívja a program támogatását, és adja át "
                                  "nekik a(z) " +
                                  data(kept.front()) + QString::fromUtf8(" állományt!")))
            << said.toStdString();
        EXPECT_EQ(testsupport::readAll(data(kept.front())), bad);
        EXPECT_FALSE(QFileInfo::exists(engine::journalPath(data(""))));
        EXPECT_TRUE(st.tables.lap.isOpen());
        QFile::remove(data(kept.front()));
    }
}

// A data folder that takes no writes is said once, at the start, before the
// login; the start goes on.
// A sending killed before its unit left its files in KULD under temporary
// names, and a copy to a folder was cut short by a power loss: the start
// sweeps KULD, cleans the folder and says the copy did not finish.
TEST_F(StartupTest, ALeftoverSendingAndACopyCutShortAreCleanedAndTold) {
    const QString kuld = work.path() + "/KULD";
    ASSERT_TRUE(QDir().mkpath(kuld));
    for (char b : {'a', 'b', 'c'})
        testsupport::writeAll(kuld + "/" + db::kuldFajlNev(b, "1890"), QByteArray("kuldemeny ") + b);
    testsupport::TempDir floppy;
    engine::testing::powerCutAt(10, 1);
    exch::Masolas::masol(kuld, floppy.path(), "1890");
    ASSERT_TRUE(engine::testing::powerIsOff());
    engine::testing::powerRestored();
    ASSERT_FALSE(QDir(floppy.path()).isEmpty());
    testsupport::writeAll(kuld + "/Szka1890.Dbf.uj", "felbemaradt");

    core::AppState st(msg, clock);
    ASSERT_EQ(start(st), app::Startup::Outcome::MainWindow);
    EXPECT_EQ(msg.log(), (std::vector<std::string>{
                             ("warning: Az előző küldemény másolása a(z) " +
                              QDir::toNativeSeparators(floppy.path()) +
                              " mappába nem fejeződött be, ezért a program törölte onnan a "
                              "félbemaradt másolatot.\rAz elküldendő adatok a KULD könyvtárban "
                              "vannak!")
                                 .toStdString()}));
    EXPECT_TRUE(QDir(floppy.path()).isEmpty());
    EXPECT_EQ(QDir(kuld).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"Szka1890.Dbf", "Szkb1890.Dbf", "Szkc1890.Dbf"}));
}

TEST_F(StartupTest, AFolderThatTakesNoWritesIsSaidAtTheStart) {
    {
        core::AppState st(msg, clock);
        ASSERT_EQ(start(st), app::Startup::Outcome::MainWindow);
    }
    msg.clear();
    bool failed = false;
    engine::testing::setIoHook([&](engine::testing::IoOp op, long) {
        if (op != engine::testing::IoOp::Write) return engine::testing::IoAction::Proceed;
        failed = true;
        return engine::testing::IoAction::Fail;
    });
    core::AppState st(msg, clock);
    start(st);
    engine::testing::setIoHook(nullptr);
    ASSERT_TRUE(failed);
    ASSERT_FALSE(msg.isEmpty());
    EXPECT_EQ(msg.kinds().front(), ui::MessageKind::Warning);
    EXPECT_TRUE(
        msg.texts().front().startsWith(QString::fromUtf8("Az adatkönyvtárba nem lehet írni: ")))
        << msg.texts().front().toStdString();
    int said = 0;
    for (const QString& m : msg.texts())
        said += m.contains(QString::fromUtf8("Az adatkönyvtárba nem lehet írni")) ? 1 : 0;
    EXPECT_EQ(said, 1);
}

TEST_F(StartupTest, ASecondCopyEndsRightAfterTheMessageTouchingNothing) {
    {
        core::AppState first(msg, clock);
        ASSERT_EQ(start(first), app::Startup::Outcome::MainWindow);
    }
    const QString leftover = data("Lap.dbf.pack-tmp");
    testsupport::writeAll(leftover, "x");
    // The first copy still holds SYS.DBF.
    engine::Table held;
    held.open(data("SYS.DBF"));
    msg.clear();
    struct Counting : ScriptedDialogs {
        int logins = 0;
        bool login(core::AppState& st) override {
            ++logins;
            return ScriptedDialogs::login(st);
        }
    } counting;
    core::AppState second(msg, clock);
    EXPECT_EQ(app::Startup(second, counting).run(program.path()),
              app::Startup::Outcome::EndProgram);
    EXPECT_EQ(counting.logins, 0);
    ASSERT_EQ(msg.log().size(), 1u);
    EXPECT_TRUE(msg.last().contains("másik program")) << msg.last().toStdString();
    EXPECT_TRUE(QFileInfo::exists(leftover));

    // Alone, the next start removes what a killed run left.
    held.close();
    core::AppState third(msg, clock);
    ASSERT_EQ(start(third), app::Startup::Outcome::MainWindow);
    EXPECT_FALSE(QFileInfo::exists(leftover));
}

TEST_F(StartupTest, TheStartSweepsWhatAKilledImportOrBackupLeft) {
    {
        core::AppState first(msg, clock);
        ASSERT_EQ(start(first), app::Startup::Outcome::MainWindow);
    }
    // A contract import killed while copying beside the tables, a full import
    // killed while unpacking, a backup killed between its two renames.
    testsupport::writeAll(data("SZERZ.DBF.uj.tmp"), "fél");
    const QString temp = work.path() + "/TEMP";
    QDir().mkpath(temp + "/kibontas-Ab12Cd/ki");
    testsupport::writeAll(temp + "/kibontas-Ab12Cd/Telj1890.arj", "archívum");
    testsupport::writeAll(temp + "/kibontas-Ab12Cd/ki/Aa1890.dbf", "lapok");
    testsupport::writeAll(temp + "/Szerz.dbf.uj", "fél");
    const QString ment = data("MENT");
    testsupport::writeAll(ment + "/Lap.dbf", "az előző mentés");
    ASSERT_TRUE(QDir().rename(ment, ment + ".regi"));
    QDir().mkpath(ment + ".uj");
    testsupport::writeAll(ment + ".uj/Lap.dbf", "az új mentés");

    msg.clear();
    core::AppState next(msg, clock);
    ASSERT_EQ(start(next), app::Startup::Outcome::MainWindow);
    EXPECT_FALSE(QFileInfo::exists(data("SZERZ.DBF.uj.tmp")));
    EXPECT_EQ(QDir(temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
    EXPECT_EQ(testsupport::readAll(ment + "/Lap.dbf"), "az előző mentés");
    EXPECT_FALSE(QFileInfo::exists(ment + ".regi"));
    EXPECT_FALSE(QFileInfo::exists(ment + ".uj"));
}
