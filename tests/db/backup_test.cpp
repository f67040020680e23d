// Backup and restore on a started program: the copies into MENT, the ARJ
// archive made and unpacked by the real archiver, the restore from MENT and
// from a chosen folder, and what each failure says and leaves untouched.

#include "app/startup.h"
#include "db/backup.h"

#include "db/layouts.h"
#include "db/tableops.h"
#include "engine/dbffile.h"
#include "engine/table.h"
#include "support/arjcraft.h"
#include "support/startedapp.h"
#include "ui/folderbrowser.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <deque>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <utility>
#include <vector>

using Log = std::vector<std::string>;

namespace {

const std::string kerdes = "confirm: Akarja menteni a MENT könyvtáron kívül az adatokat?\r"
                           "Válassza ki a mentés helyét!";
const std::string megtortent = "information: Biztonsági mentés megtörtént!";
const std::string biztosan = "confirm: Biztosan visszatölti az adatokat ?";
const std::string befejezodott = "information: A visszatöltés befejeződött!!";

// The folder chooser answered from a script; records caption and mode.
struct ScriptedFolders : ui::FolderAsker {
    std::deque<ui::FolderChoice> answers;
    std::vector<std::pair<QString, QString>> asked;
    ui::FolderChoice chooseFolder(const QString& caption, const QString& mode) override {
        asked.emplace_back(caption, mode);
        if (answers.empty()) throw std::logic_error("folder chooser without an answer");
        const ui::FolderChoice c = answers.front();
        answers.pop_front();
        return c;
    }
};

struct ScriptedSources : db::RestoreSourceAsker {
    std::deque<db::RestoreSource> answers;
    int asked = 0;
    db::RestoreSource askRestoreSource() override {
        ++asked;
        if (answers.empty()) throw std::logic_error("restore source without an answer");
        const db::RestoreSource s = answers.front();
        answers.pop_front();
        return s;
    }
};

using Bytes = std::map<QString, QByteArray>;

QStringList filesOf(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

struct BackupTest : ::testing::Test {
    std::unique_ptr<testsupport::StartedApp> app;
    core::AppState* st = nullptr;
    ui::ScriptedMessages* msg = nullptr;
    ScriptedFolders folders;
    ScriptedSources sources;
    std::unique_ptr<db::Backup> backup;
    testsupport::TempDir floppy;

    void SetUp() override {
        // Where the program packs and unpacks itself (Windows) no arj is needed.
        if (!db::Archiver().inProgram() && QStandardPaths::findExecutable("arj").isEmpty())
            GTEST_SKIP() << "no arj";
        demo::Options options;
        options.localData = true; // nurses, doctors and patients to lose and get back
        app = std::make_unique<testsupport::StartedApp>(options);
        st = &app->state;
        msg = &app->msg;
        backup = std::make_unique<db::Backup>(
            db::BackupPlaces{st->msg, st->tables, st->mentkonyvtar, st->tempkonyvtar}, folders,
            sources);
    }

    // "&Visszatöltés" with the main window's reading of the contract.
    bool restore() {
        return backup->visszatoltes([this] { return app::szerzadat(*st); });
    }
    QString ment() const { return st->mentkonyvtar; }
    QString floppyDir() const { return floppy.path() + "/"; }

    // The fifteen table files of a folder by their names in capitals; a file
    // that is missing is left out.
    static Bytes tableBytes(const QString& dir) {
        Bytes out;
        for (const QString& name : db::backupFiles()) {
            const QString path = engine::findFileNoCase(dir + "/" + name);
            if (QFileInfo(path).isFile()) out[name.toUpper()] = testsupport::readAll(path);
        }
        return out;
    }
    // The data folder's table files as they are on disk with every table closed.
    Bytes dataBytes() {
        db::mindzar(st->tables);
        Bytes b = tableBytes(st->tables.directory());
        db::mindnyit(st->tables);
        return b;
    }
    bool allOpen() const {
        const db::TableSet& t = st->tables;
        for (const engine::Table* table :
             {&t.lap, &t.lapb, &t.szerz, &t.szolgsz, &t.part, &t.telep, &t.terul, &t.thely, &t.apol,
              &t.beteg, &t.orvos, &t.bno, &t.maradv, &t.zaras, &t.elrend})
            if (!table->isOpen()) return false;
        return true;
    }
    void addNurse(const QString& taj, const QString& name) {
        engine::Table& a = st->tables.apol;
        a.append();
        a.setValue("APTAJ", taj);
        a.setValue("ANEV", name);
        a.post();
    }
    // A backup into MENT only.
    void backupToMent() {
        msg->answer(false);
        backup->mentes();
        ASSERT_EQ(msg->log(), (Log{kerdes, megtortent}));
        msg->clear();
    }
    // A backup into MENT whose archive goes to the floppy folder.
    void backupToFloppy() {
        msg->answer(true);
        folders.answers.push_back({true, floppy.path()});
        backup->mentes();
        ASSERT_EQ(msg->log(), (Log{kerdes, megtortent}));
        msg->clear();
    }
};

} // namespace

TEST_F(BackupTest, BackupIntoMentOnlyCopiesTheFifteenTablesAndReopensThem) {
    addNurse("123456788", "Mentett Mária");
    const Bytes before = dataBytes();
    ASSERT_EQ(before.size(), 15u);

    backupToMent();
    EXPECT_TRUE(folders.asked.empty());
    EXPECT_EQ(tableBytes(ment()), before);
    // No index file, no SYS, LAPOLD or Temp, no archive.
    QStringList upper;
    for (const QString& f : filesOf(ment()))
        upper << f.toUpper();
    upper.sort();
    QStringList expected;
    for (const QString& f : db::backupFiles())
        expected << f.toUpper();
    expected.sort();
    EXPECT_EQ(upper, expected);
    EXPECT_TRUE(allOpen());
    EXPECT_TRUE(st->tables.apol.locate("APTAJ", QString("123456788")));

    // A second backup replaces the copies.
    addNurse("987654320", "Második Márta");
    const Bytes second = dataBytes();
    backupToMent();
    EXPECT_EQ(tableBytes(ment()), second);
    EXPECT_NE(second, before);
}

TEST_F(BackupTest, BackupWithAFolderPacksARealArchiveAndCopiesIt) {
    const Bytes before = dataBytes();
    backupToFloppy();
    ASSERT_EQ(folders.asked.size(), 1u);
    EXPECT_EQ(folders.asked[0].first, QString::fromUtf8("Mentés helyének kiválasztása"));
    EXPECT_EQ(folders.asked[0].second, "S");
    EXPECT_TRUE(allOpen());

    const QString archive = ment() + "/Zaras.arj";
    ASSERT_TRUE(QFileInfo(archive).isFile());
    EXPECT_EQ(testsupport::readAll(floppy.file("Zaras.arj")), testsupport::readAll(archive));
    EXPECT_FALSE(QFileInfo::exists(ment() + "/Zaras-uj.arj"));

    // Another program's look: arj itself unpacks the fifteen tables, without
    // paths, byte for byte (where there is Debian's arj to ask).
    if (!QStandardPaths::findExecutable("arj").isEmpty()) {
        testsupport::TempDir out;
        QProcess arj;
        arj.start("arj", {"x", "-y", floppy.file("Zaras.arj"), out.path() + "/"});
        ASSERT_TRUE(arj.waitForFinished(60000));
        EXPECT_EQ(arj.exitCode(), 0);
        EXPECT_EQ(tableBytes(out.path()), before);
        EXPECT_EQ(filesOf(out.path()).size(), 15);
    }

    // The chooser closed with "&Mégsem": the archive stays in MENT.
    QFile::remove(floppy.file("Zaras.arj"));
    msg->answer(true);
    folders.answers.push_back({false, floppy.path()});
    backup->mentes();
    EXPECT_EQ(msg->log(),
              (Log{kerdes,
                   "warning: Nincs kiválasztva mentési hely, mentés a MENT könyvtárban található!",
                   megtortent}));
    EXPECT_FALSE(QFileInfo::exists(floppy.file("Zaras.arj")));
    EXPECT_TRUE(QFileInfo(archive).isFile());
    EXPECT_TRUE(allOpen());
}

TEST_F(BackupTest, BackupFailuresAreSaidAndTheTablesReopen) {
    // No archiver: the copies in MENT still count.
    backup->setArchiver("/nincs/ilyen/arj");
    const Bytes before = dataBytes();
    msg->answer(true);
    backup->mentes();
    EXPECT_EQ(msg->log(), (Log{kerdes, "error: Hiba a csomagolásban!", megtortent}));
    EXPECT_TRUE(folders.asked.empty());
    EXPECT_EQ(tableBytes(ment()), before);
    EXPECT_FALSE(QFileInfo::exists(ment() + "/Zaras.arj"));
    EXPECT_TRUE(allOpen());

    // A copy into the chosen folder that fails is said, the backup in MENT stays.
    msg->clear();
    backup->setArchiver(db::Archiver::defaultProgram());
    ASSERT_TRUE(QDir().mkdir(floppy.file("Zaras.arj")));
    msg->answer(true);
    folders.answers.push_back({true, floppy.path()});
    backup->mentes();
    EXPECT_EQ(msg->log(), (Log{kerdes, "error: Hiba a mentésben", megtortent}));
    EXPECT_TRUE(QFileInfo(ment() + "/Zaras.arj").isFile());

    // A backup that fails half-way (a full disk): no question, and MENT
    // holds the previous backup whole, not a mix of two.
    const Bytes previous = tableBytes(ment());
    const QByteArray previousArchive = testsupport::readAll(ment() + "/Zaras.arj");
    ASSERT_FALSE(previousArchive.isEmpty());
    addNurse("123456788", "Új Ápoló");
    ASSERT_NE(dataBytes(), previous);
    for (long failAt : {1L, 4L, 9L, 20L}) {
        SCOPED_TRACE(failAt);
        msg->clear();
        bool failed = false;
        engine::testing::setIoHook([&](engine::testing::IoOp, long n) {
            if (n < failAt) return engine::testing::IoAction::Proceed;
            failed = true;
            return engine::testing::IoAction::Fail;
        });
        backup->mentes();
        engine::testing::setIoHook(nullptr);
        ASSERT_TRUE(failed);
        EXPECT_EQ(msg->log(), (Log{"error: Hiba a mentésben"}));
        EXPECT_EQ(tableBytes(ment()), previous);
        EXPECT_EQ(testsupport::readAll(ment() + "/Zaras.arj"), previousArchive);
        EXPECT_EQ(filesOf(ment()).size(), 16);
        EXPECT_FALSE(QFileInfo::exists(QDir::cleanPath(ment()) + ".uj"));
        EXPECT_TRUE(allOpen());
    }
    // The next backup that can be written whole replaces it, the archive
    // staying beside it.
    msg->clear();
    const Bytes now = dataBytes();
    backupToMent();
    EXPECT_EQ(tableBytes(ment()), now);
    EXPECT_EQ(testsupport::readAll(ment() + "/Zaras.arj"), previousArchive);
}

TEST_F(BackupTest, RestoreFromMentRebuildsEveryIndexAndLeavesTempAlone) {
    ASSERT_EQ(st->tables.apol.activeTag(), "Apol1");
    backupToMent();
    const Bytes saved = tableBytes(ment());
    const int nurses = int(st->tables.apol.recordCount());
    addNurse("123456788", "Elveszett Erzsébet");

    testsupport::writeAll(st->tempkonyvtar + "/lap.dbf", "a TEMP saját fájlja");
    const QStringList tempBefore = filesOf(st->tempkonyvtar);
    // Every index file dated long ago, so that a fresh one shows.
    const QString data = st->tables.directory();
    db::mindzar(st->tables);
    for (const QString& f : QDir(data).entryList({"*.mdx"}, QDir::Files)) {
        QFile file(data + f);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(QDateTime(QDate(2001, 1, 1), QTime(0, 0)),
                         QFileDevice::FileModificationTime);
    }
    db::mindnyit(st->tables);

    msg->answer(true);
    sources.answers.push_back({ment() + "/", true});
    ASSERT_TRUE(restore());
    EXPECT_EQ(msg->log(), (Log{biztosan, befejezodott}));
    EXPECT_EQ(msg->statusHistory(0),
              (QStringList{"A visszatöltés folyamatban van!!", "Az indexelés befejeződött!!"}));
    EXPECT_TRUE(msg->statusText(1).contains(st->finkod)); // the contract re-read
    EXPECT_TRUE(folders.asked.empty());

    EXPECT_EQ(filesOf(st->tempkonyvtar), tempBefore);
    EXPECT_EQ(testsupport::readAll(st->tempkonyvtar + "/lap.dbf"), "a TEMP saját fájlja");

    EXPECT_TRUE(allOpen());
    EXPECT_EQ(int(st->tables.apol.recordCount()), nurses);
    EXPECT_FALSE(st->tables.apol.locate("APTAJ", QString("123456788")));
    EXPECT_EQ(st->tables.apol.activeTag(), "Apol2");
    EXPECT_EQ(st->tables.orvos.activeTag(), "Orvos2");
    EXPECT_EQ(st->tables.beteg.activeTag(), "Beteg2");
    EXPECT_EQ(dataBytes(), saved);

    const QDateTime old(QDate(2002, 1, 1), QTime(0, 0));
    for (const db::ReindexEntry& e : db::reindexOrder()) {
        const QString dbf = st->tables.file(db::layout(e.id).fileName);
        const QString mdx =
            engine::findFileNoCase(data + db::indexFileName(QFileInfo(dbf).fileName()));
        EXPECT_TRUE(engine::Table::indexFileOk(dbf)) << mdx.toStdString();
        EXPECT_GT(QFileInfo(mdx).lastModified(), old) << mdx.toStdString();
    }
}

TEST_F(BackupTest, ARoundTripThroughTheArchiveGivesTheSameTables) {
    backupToFloppy();
    const Bytes saved = tableBytes(ment());
    ASSERT_EQ(saved.size(), 15u);
    // Later work, and a MENT that no longer holds the tables: the restore
    // must come from the archive alone.
    addNurse("123456788", "Későbbi Klára");
    for (const QString& f : QDir(ment()).entryList({"*.dbf"}, QDir::Files))
        QFile::remove(ment() + "/" + f);
    // Left over in TEMP by an earlier restore: must not be taken for the archive's.
    testsupport::writeAll(st->tempkonyvtar + "/APOL.DBF", "régi szemét");

    msg->answer(true);
    sources.answers.push_back({floppyDir(), false});
    ASSERT_TRUE(restore());
    EXPECT_EQ(msg->log(), (Log{biztosan, befejezodott}));
    EXPECT_EQ(msg->statusText(0), QString::fromUtf8("Az indexelés befejeződött!!"));
    EXPECT_TRUE(allOpen());
    EXPECT_EQ(dataBytes(), saved);
    EXPECT_FALSE(st->tables.apol.locate("APTAJ", QString("123456788")));
    EXPECT_EQ(st->tables.apol.activeTag(), "Apol2");
    // Nothing of the restore stays in TEMP; what was there is not touched.
    EXPECT_EQ(QDir(st->tempkonyvtar).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"APOL.DBF"});
    // The archive in the chosen folder stays.
    EXPECT_TRUE(QFileInfo(floppy.file("Zaras.arj")).isFile());
}

TEST_F(BackupTest, ARestoreThatCannotUnpackChangesNoTable) {
    backupToMent();
    addNurse("123456788", "Maradó Magda");
    const Bytes before = dataBytes();

    // No archive in the chosen folder: stops before any table is closed.
    msg->answer(true);
    sources.answers.push_back({floppyDir(), false});
    EXPECT_TRUE(restore());
    EXPECT_EQ(msg->log(), (Log{biztosan, "error: Nincs a " + floppyDir().toStdString() +
                                             " útvonalon ZARAS.ARJ!!\r"
                                             "Nem lehet az adatokat visszatölteni!"}));
    EXPECT_TRUE(msg->statusHistory(0).isEmpty());
    EXPECT_TRUE(allOpen());
    EXPECT_EQ(dataBytes(), before);

    // Garbage under the archive's name.
    msg->clear();
    testsupport::writeAll(floppy.file("Zaras.arj"), QByteArray(4000, '\x5a'));
    msg->answer(true);
    sources.answers.push_back({floppyDir(), false});
    EXPECT_TRUE(restore());
    // The program's own reader (Windows) says why; Debian's arj only fails.
    EXPECT_EQ(msg->log(), (Log{biztosan, db::Archiver().inProgram()
                                             ? "error: Hiba a kicsomagolásban!\r"
                                               "A(z) Zaras.arj nem ARJ archívum.\r"
                                               "Az adatok nem változtak."
                                             : "error: Hiba a kicsomagolásban!"}));
    EXPECT_TRUE(msg->statusHistory(0).isEmpty());
    EXPECT_TRUE(allOpen());
    EXPECT_EQ(dataBytes(), before);
    EXPECT_EQ(filesOf(st->tempkonyvtar), QStringList());

    // A good archive but no archiver.
    msg->clear();
    msg->answer(true);
    folders.answers.push_back({true, floppy.path()});
    backup->mentes();
    backup->setArchiver("/nincs/ilyen/arj");
    msg->clear();
    msg->answer(true);
    sources.answers.push_back({floppyDir(), false});
    EXPECT_TRUE(restore());
    EXPECT_EQ(msg->log(), (Log{biztosan, "error: Hiba a kicsomagolásban!"}));
    EXPECT_TRUE(allOpen());
    EXPECT_EQ(dataBytes(), before);

    // The archive cannot be copied into TEMP: a file stands in its place.
    backup->setArchiver(db::Archiver::defaultProgram());
    msg->clear();
    ASSERT_TRUE(QDir(st->tempkonyvtar).removeRecursively());
    testsupport::writeAll(st->tempkonyvtar, "nem könyvtár");
    msg->answer(true);
    sources.answers.push_back({floppyDir(), false});
    EXPECT_TRUE(restore());
    EXPECT_EQ(msg->log(), (Log{biztosan, "error: Hiba a zaras.arj mentésében"}));
    EXPECT_EQ(dataBytes(), before);
    QFile::remove(st->tempkonyvtar);

#ifndef _WIN32
    // An archive that is a FIFO is not waited on (Windows has no FIFO in
    // its file system).
    msg->clear();
    QFile::remove(floppy.file("Zaras.arj"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(floppy.file("Zaras.arj")).constData(), 0644), 0);
    msg->answer(true);
    sources.answers.push_back({floppyDir(), false});
    EXPECT_TRUE(restore());
    EXPECT_EQ(msg->log(), (Log{biztosan, "error: Nincs a " + floppyDir().toStdString() +
                                             " útvonalon ZARAS.ARJ!!\r"
                                             "Nem lehet az adatokat visszatölteni!"}));
    EXPECT_EQ(dataBytes(), before);
#endif
}

// An archive made by hand with the names a careless or hostile sender could
// give its entries.
TEST_F(BackupTest, ARestoreRefusesAnArchiveWithOtherNamesAndChangesNothing) {
    backupToMent();
    addNurse("123456788", "Maradó Magda");
    const Bytes before = dataBytes();
    const QString outside = QFileInfo(st->tempkonyvtar).dir().filePath("OUTSIDE.txt");
    const std::string nothing = "\rAz adatok nem változtak.";
    struct Case {
        QByteArray name;
        std::string said;
    } cases[] = {
        {"x/../../OUTSIDE.txt", "szabálytalan nevű állomány van: \"x/../../OUTSIDE.txt\"\r"
                                "Az archívumban csak könyvtár nélküli állománynevek lehetnek."},
        {"../OUTSIDE.txt", "szabálytalan nevű állomány van: \"../OUTSIDE.txt\"\r"
                           "Az archívumban csak könyvtár nélküli állománynevek lehetnek."},
        {"/tmp/OUTSIDE.txt", "szabálytalan nevű állomány van: \"/tmp/OUTSIDE.txt\"\r"
                             "Az archívumban csak könyvtár nélküli állománynevek lehetnek."},
        // The password table is no table of a backup.
        {"Sys.dbf", "nem várt állomány van: \"Sys.dbf\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        msg->clear();
        ASSERT_TRUE(
            arjcraft::write(floppy.file("Zaras.arj"), {{"Lap.dbf", "szemét"}, {c.name, "idegen"}}));
        msg->answer(true);
        sources.answers.push_back({floppyDir(), false});
        EXPECT_TRUE(restore());
        EXPECT_EQ(msg->log(), (Log{biztosan, "error: Hiba a kicsomagolásban!\r"
                                             "A(z) Zaras.arj archívumban " +
                                                 c.said + nothing}));
        EXPECT_TRUE(allOpen());
        EXPECT_EQ(dataBytes(), before);
        EXPECT_FALSE(QFileInfo::exists(outside));
        EXPECT_FALSE(QFileInfo::exists("/tmp/OUTSIDE.txt"));
        EXPECT_EQ(QDir(st->tempkonyvtar).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList());
    }
}

TEST_F(BackupTest, TheStartupPutsBackWhatABackupCutShortLeft) {
    const QString ment = QDir::cleanPath(st->mentkonyvtar);
    // Killed between the two renames: MENT under its second name, the new
    // backup whole beside it.
    ASSERT_TRUE(QDir().rename(ment, ment + ".regi"));
    QDir().mkpath(ment + ".uj");
    testsupport::writeAll(ment + ".uj/Lap.dbf", "új");
    EXPECT_EQ(db::sweepBackupLeftovers(ment), 2);
    EXPECT_TRUE(QFileInfo(ment).isDir());
    EXPECT_FALSE(QFileInfo::exists(ment + ".regi"));
    EXPECT_FALSE(QFileInfo::exists(ment + ".uj"));
    // Killed while packing.
    testsupport::writeAll(ment + "/Zaras-uj.arj", "fél");
    EXPECT_EQ(db::sweepBackupLeftovers(ment), 1);
    EXPECT_FALSE(QFileInfo::exists(ment + "/Zaras-uj.arj"));
}

TEST_F(BackupTest, AMissingFileIsSaidAndTheOthersAreRestored) {
    backupToMent();
    const Bytes saved = tableBytes(ment());
    QFile::remove(engine::findFileNoCase(ment() + "/Lapb.dbf"));
    addNurse("123456788", "Eltűnő Emma");
    engine::Table& lapb = st->tables.lapb;
    lapb.append();
    lapb.setValue("IDOSZAK", "2024.05");
    lapb.setValue("SORSZ", "00001");
    lapb.setValue("APDATUM", QDate(2024, 5, 3));
    lapb.post();
    const QByteArray lapbNow = dataBytes().at("LAPB.DBF");

    msg->answer(true);
    sources.answers.push_back({ment() + "/", true});
    ASSERT_TRUE(restore());
    EXPECT_EQ(msg->log(),
              (Log{biztosan, "error: Nincs a " + ment().toStdString() + "/ könyvtárban LAPB.DBF !!",
                   befejezodott}));
    EXPECT_TRUE(allOpen());
    Bytes now = dataBytes();
    EXPECT_EQ(now.at("LAPB.DBF"), lapbNow); // kept as it was
    now.erase("LAPB.DBF");
    Bytes expected = saved;
    expected.erase("LAPB.DBF");
    EXPECT_EQ(now, expected);
    EXPECT_EQ(st->tables.lapb.recordCount(), 1u);
    EXPECT_FALSE(st->tables.apol.locate("APTAJ", QString("123456788")));
}

TEST_F(BackupTest, AnArchiveWithoutATableTakesNothingStaleFromTemp) {
    backupToMent();
    const Bytes saved = tableBytes(ment());
    // An archive of fourteen tables, LAPB left out.
    QStringList files;
    for (const QString& f : QDir(ment()).entryList({"*.dbf"}, QDir::Files))
        if (f.compare("Lapb.dbf", Qt::CaseInsensitive) != 0) files << ment() + "/" + f;
    ASSERT_EQ(files.size(), 14);
    ASSERT_TRUE(db::Archiver().pack(floppy.file("Zaras.arj"), files));
    // A LAPB left in TEMP by an earlier run.
    testsupport::writeAll(st->tempkonyvtar + "/Lapb.dbf", "régi szemét");
    addNurse("123456788", "Eltűnő Emma");
    const QByteArray lapbNow = dataBytes().at("LAPB.DBF");

    msg->answer(true);
    sources.answers.push_back({floppyDir(), false});
    ASSERT_TRUE(restore());
    EXPECT_EQ(msg->log(),
              (Log{biztosan,
                   "error: Nincs a " + st->tempkonyvtar.toStdString() + "/ könyvtárban LAPB.DBF !!",
                   befejezodott}));
    Bytes now = dataBytes();
    EXPECT_EQ(now.at("LAPB.DBF"), lapbNow);
    now.erase("LAPB.DBF");
    Bytes expected = saved;
    expected.erase("LAPB.DBF");
    EXPECT_EQ(now, expected);
    EXPECT_EQ(QDir(st->tempkonyvtar).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"Lapb.dbf"});
}

TEST_F(BackupTest, ARestoreAnsweredNoOrWithoutSourceDoesNothing) {
    backupToMent();
    addNurse("123456788", "Maradó Magda");
    const Bytes before = dataBytes();

    msg->answer(false);
    EXPECT_TRUE(restore());
    EXPECT_EQ(msg->log(), (Log{biztosan, "information: Visszatöltés nem történt !"}));
    EXPECT_EQ(sources.asked, 0);

    msg->clear();
    msg->answer(true);
    sources.answers.push_back({});
    EXPECT_TRUE(restore());
    EXPECT_EQ(msg->log(), (Log{biztosan}));
    EXPECT_EQ(sources.asked, 1);
    EXPECT_TRUE(allOpen());
    EXPECT_EQ(dataBytes(), before);
}

TEST(RestoreSource, TheDialogsOkGivesTheSourceDirectory) {
    ui::ScriptedMessages msg;
    ScriptedFolders folders;

    db::RestoreSource s =
        db::restoreSourceOk(db::RestoreSourceItem::None, "/p/DATA/MENT", msg, folders);
    EXPECT_TRUE(s.dir.isEmpty());
    EXPECT_EQ(msg.log(), (Log{"error: Nincs kiválasztva a visszatöltés helye!"}));

    msg.clear();
    s = db::restoreSourceOk(db::RestoreSourceItem::Ment, "/p/DATA/MENT", msg, folders);
    EXPECT_EQ(s.dir, "/p/DATA/MENT/");
    EXPECT_TRUE(s.fromMent);
    EXPECT_TRUE(folders.asked.empty());

    folders.answers = {{true, "/media/floppy"}, {true, "/"}, {false, "/media/floppy"}};
    s = db::restoreSourceOk(db::RestoreSourceItem::ChosenFolder, "/p/DATA/MENT", msg, folders);
    EXPECT_EQ(s.dir, "/media/floppy/");
    EXPECT_FALSE(s.fromMent);
    ASSERT_EQ(folders.asked.size(), 1u);
    EXPECT_EQ(folders.asked[0].first, QString::fromUtf8("Visszatöltés helyének kiválsztása"));
    EXPECT_EQ(folders.asked[0].second, "V");
    s = db::restoreSourceOk(db::RestoreSourceItem::ChosenFolder, "/p/DATA/MENT", msg, folders);
    EXPECT_EQ(s.dir, "/");
    // "&Mégsem" in the chooser: no source, no restore.
    s = db::restoreSourceOk(db::RestoreSourceItem::ChosenFolder, "/p/DATA/MENT", msg, folders);
    EXPECT_TRUE(s.dir.isEmpty());
    EXPECT_TRUE(msg.isEmpty());
}

TEST(CopyReplacing, AFailedCopyLeavesTheTargetWhole) {
    testsupport::TempDir dir;
    testsupport::writeAll(dir.file("cel.dbf"), "régi tartalom");
    testsupport::writeAll(dir.file("forras.dbf"), "új tartalom");
    EXPECT_FALSE(db::copyReplacing(dir.file("nincs.dbf"), dir.file("cel.dbf")));
    EXPECT_EQ(testsupport::readAll(dir.file("cel.dbf")), "régi tartalom");
    EXPECT_FALSE(db::copyReplacing(dir.file("forras.dbf"), dir.file("nincs/cel.dbf")));
    EXPECT_TRUE(db::copyReplacing(dir.file("forras.dbf"), dir.file("cel.dbf")));
    EXPECT_EQ(testsupport::readAll(dir.file("cel.dbf")), "új tartalom");
    EXPECT_EQ(filesOf(dir.path()), (QStringList{"cel.dbf", "forras.dbf"}));
}
