// The creation steps of the start-up: a fresh data folder gets every table in
// its current layout with its index tags; older layouts of BETEG, ELREND, LAPB
// and LAP are upgraded once; missing county office tables stop the program
// before anything is created.

#include "dbfixture.h"

#include "db/localtables.h"
#include "db/tableops.h"
#include "engine/database.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <map>
#ifdef Q_OS_WIN
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

using db::TableId;
using dbfixture::column;
using dbfixture::fieldNames;

namespace {

const QString finkodtol = QString::fromLatin1(db::kFinkodtol);

// Windows gives a file renamed over one of another letter case (BETEG.DBF by
// Beteg.dbf) the new spelling; Wine keeps the old one and cannot change a
// name's case by a rename either. There the file is checked, not its case.
bool spellingKeptByWine() {
#ifdef Q_OS_WIN
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

class LocalTablesTest : public ::testing::Test {
protected:
    dbfixture::DataFolder data;
    ui::ScriptedMessages msg;

    db::TableSet& tables() { return data.tables(); }
    db::LocalTables local() { return db::LocalTables(data.tables(), msg); }
    QString path(const char* name) const { return data.file(QLatin1String(name)); }
    bool exists(const char* name) const {
        return engine::fileExistsNoCase(data.file(QLatin1String(name)));
    }
    // The file is there as `now` and no longer as `before` (Windows would
    // find BETEG.DBF as Beteg.dbf); under Wine, whose renames keep a name's
    // old letter case, as one of the two.
    bool renamedTo(const char* now, const char* before) const {
        const QStringList names = QDir(data.dir()).entryList(QDir::Files);
        const bool n = names.contains(QLatin1String(now));
        const bool b = names.contains(QLatin1String(before));
        return spellingKeptByWine() ? n != b : n && !b;
    }

    // The county office's tables checked and opened, and the financing code
    // of the last contract, as the start-up reads it.
    QString receivedTables() {
        EXPECT_TRUE(local().szerzNyit());
        engine::Table& szerz = tables().szerz;
        szerz.last();
        return szerz.text(QStringLiteral("FINKOD"));
    }

    // The table steps of a whole start-up.
    void startUp() {
        local().crtzaras();
        const QString finkod = receivedTables();
        local().createLocalTables(finkod, finkodtol);
    }

    QByteArray records(const char* name) {
        const QByteArray bytes = testsupport::readAll(engine::findFileNoCase(path(name)));
        const int headerLength = quint8(bytes[8]) | quint8(bytes[9]) << 8;
        return bytes.mid(headerLength);
    }
};

std::string s(const QString& text) {
    return text.toStdString();
}

} // namespace

// ---------------------------------------------------------------- fresh folder

TEST_F(LocalTablesTest, FreshFolderGetsEveryTableWithItsLayoutTagsAndActiveTag) {
    dbfixture::writeReceivedTables(data.dir());
    startUp();
    EXPECT_TRUE(msg.isEmpty()) << msg.log().front();

    struct Expect {
        TableId id;
        const char* file;
        QStringList tags;
        const char* active;
    };
    const Expect expect[] = {
        {TableId::Zaras, "Zaras.dbf", {"Zaras"}, ""},
        {TableId::Apol, "Apol.dbf", {"Apol1", "Apol2"}, "Apol1"},
        {TableId::Orvos, "Orvos.dbf", {"Orvos1", "Orvos2"}, "Orvos2"},
        {TableId::Beteg, "Beteg.dbf", {"Beteg1", "Beteg2"}, "Beteg2"},
        {TableId::Maradv, "Maradv.dbf", {"Mar1"}, "Mar1"},
        {TableId::Elrend, "Elrend.dbf", {"Rend1", "Rend2"}, "Rend1"},
        {TableId::Lap, "Lap.dbf", {"Lap1", "Lap2", "Lap3"}, "Lap1"},
        {TableId::Lapb, "Lapb.dbf", {"Lapb1", "Lapb2"}, ""},
    };
    for (const Expect& e : expect) {
        SCOPED_TRACE(e.file);
        // The program's own spelling of the file name.
        EXPECT_TRUE(QFileInfo::exists(path(e.file)));
        EXPECT_TRUE(engine::Table::indexFileOk(path(e.file)));
        engine::Table& t = db::tableOf(tables(), e.id);
        ASSERT_TRUE(t.isOpen());
        EXPECT_EQ(QFileInfo(t.path()).fileName(), QString::fromLatin1(e.file));
        EXPECT_EQ(fieldNames(t), fieldNames(db::layout(e.id).fields));
        EXPECT_EQ(t.tagNames(), e.tags);
        EXPECT_EQ(t.activeTag(), QString::fromLatin1(e.active));
        EXPECT_EQ(t.fileRecordCount(), 0u);
    }
    EXPECT_EQ(tables().lap.tagExpression("Lap2"), "Taj+Idoszak");
    EXPECT_EQ(tables().zaras.tagExpression("Zaras"), "Idoszak+dtos(Zaras)");
    EXPECT_EQ(tables().lap.filter(), "idoszak>='1999.04'");
    EXPECT_TRUE(tables().lap.filtered());
    EXPECT_FALSE(exists("Lapold.dbf"));
    EXPECT_FALSE(exists("Part.mdx"));
    // The password table belongs to the login; nothing here creates it.
    EXPECT_FALSE(exists("SYS.DBF"));
}

TEST_F(LocalTablesTest, LayoutsHaveTheFieldsInTheirOrder) {
    EXPECT_EQ(db::layout(TableId::Lap).fields.size(), 31u);
    EXPECT_EQ(db::layout(TableId::Lapold).fields.size(), 23u + 18u * 4u + 6u);
    EXPECT_EQ(fieldNames(db::layout(TableId::Beteg).fields),
              QStringList(
                  {"TAJ", "NEV", "NEME", "AZTIP", "KOZIGKOD", "CIME1", "CIME2", "SZULH", "SZULI"}));
    const auto& old = db::layout(TableId::Lapold).fields;
    EXPECT_EQ(old[23].name, "TOL1");
    EXPECT_EQ(old[26].name, "ELI1");
    EXPECT_EQ(old[23 + 17 * 4 + 2].name, "VIZ18");
    EXPECT_EQ(old.back().name, "MODTIPUS");
    const engine::FieldDef& alapdij = db::layout(TableId::Zaras).fields[4];
    EXPECT_EQ(alapdij.type, 'N');
    EXPECT_EQ(alapdij.width, 10);
    EXPECT_EQ(alapdij.decimals, 5);
    EXPECT_EQ(db::sysFields().size(), 1u);
    EXPECT_EQ(db::layout(TableId::Sys).fileName, "SYS.DBF");
}

TEST_F(LocalTablesTest, ASecondStartChangesNothing) {
    dbfixture::writeReceivedTables(data.dir());
    startUp();
    engine::Table& apol = tables().apol;
    apol.append();
    apol.setValue("APTAJ", "111111110");
    apol.setValue("ANEV", "Kovács Anna");
    apol.post();
    const QStringList before = dbfixture::files(data.dir());

    data.restart();
    startUp();
    EXPECT_TRUE(msg.isEmpty());
    EXPECT_EQ(dbfixture::files(data.dir()), before);
    EXPECT_EQ(column(tables().apol, "ANEV"), QStringList{"Kovács Anna"});
}

// ---------------------------------------------------------------- received tables

TEST_F(LocalTablesTest, ReceivedTablesAreIndexedAndOpened) {
    dbfixture::writeReceivedTables(data.dir());
    ASSERT_TRUE(local().szerzNyit());
    EXPECT_TRUE(msg.isEmpty());

    struct Expect {
        engine::Table* table;
        QStringList tags;
        const char* active;
    };
    db::TableSet& t = tables();
    const Expect expect[] = {
        {&t.szerz, {"Szerz1"}, "Szerz1"},     {&t.szolgsz, {"Szolgsz1", "Szolgsz2"}, "Szolgsz1"},
        {&t.telep, {"Tel1", "Tel2"}, "Tel1"}, {&t.terul, {"Ter2", "Ter1"}, "Ter1"},
        {&t.thely, {"Thely1"}, "Thely1"},     {&t.bno, {"BNO1", "BNO2"}, "BNO1"},
    };
    for (const Expect& e : expect) {
        SCOPED_TRACE(s(e.table->name()));
        ASSERT_TRUE(e.table->isOpen());
        EXPECT_EQ(e.table->tagNames(), e.tags);
        EXPECT_EQ(e.table->activeTag(), QString::fromLatin1(e.active));
    }
    EXPECT_EQ(t.szolgsz.tagExpression("Szolgsz1"), "dtoc(kezd)+str(ssorszam,5)");
    ASSERT_TRUE(t.part.isOpen());
    EXPECT_TRUE(t.part.tagNames().isEmpty());
    EXPECT_FALSE(exists("Part.mdx"));
    // The extra column of the BNO table is simply there.
    EXPECT_TRUE(t.bno.hasField("CSOP"));
    // In the order of the active tag: the worker with serial number 1 first.
    EXPECT_EQ(t.szolgsz.text("NEV"), "Szabó Éva");
    // The last contract is the current one.
    t.szerz.last();
    EXPECT_EQ(t.szerz.text("FINKOD"), "FIN000042");
}

TEST_F(LocalTablesTest, ReceivedTablesWithIndexFilesAreNotReindexed) {
    dbfixture::writeReceivedTables(data.dir());
    ASSERT_TRUE(local().szerzNyit());
    // A tag of our own survives: the index file was there.
    tables().telep.addTag("Extra", "helynev+kozigkod");
    data.restart();
    ASSERT_TRUE(local().szerzNyit());
    EXPECT_EQ(tables().telep.tagNames(), QStringList({"Tel1", "Tel2", "Extra"}));
}

TEST_F(LocalTablesTest, MissingPartAndBnotorzsEndTheProgramBeforeAnythingIsCreated) {
    dbfixture::writeReceivedTables(data.dir(), {"Part.dbf", "Bnotorzs.dbf"});
    EXPECT_FALSE(local().szerzNyit());

    ASSERT_EQ(msg.count(), 1);
    EXPECT_EQ(msg.messages()[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(s(msg.last()), "Nincsenek szerződéses adatok!\r"
                             "Hiányzik:\r"
                             "    PART.DBF\r"
                             "Hiányzik még a BNOTORZS.DBF is.\r"
                             "Kérje a hiányzó állományokat a RAV-től,\r"
                             "és másolja be a DATA könyvtárba!!\r"
                             "\r"
                             "A program ezek nélkül nem indul!!\r"
                             "Kilépés!!");
    for (const char* local : {"Zaras.dbf", "Apol.dbf", "Orvos.dbf", "Beteg.dbf", "Maradv.dbf",
                              "Elrend.dbf", "Lap.dbf", "Lapb.dbf", "Lapold.dbf"})
        EXPECT_FALSE(exists(local)) << local;
    for (engine::Table* t : {&tables().part, &tables().szerz, &tables().szolgsz, &tables().telep,
                             &tables().terul, &tables().thely, &tables().bno})
        EXPECT_FALSE(t->isOpen()) << s(t->name());
}

TEST_F(LocalTablesTest, EveryMissingReceivedTableIsListedInOrder) {
    EXPECT_FALSE(local().szerzNyit());
    EXPECT_EQ(s(msg.last()), "Nincsenek szerződéses adatok!\r"
                             "Hiányzik:\r"
                             "    PART.DBF\r"
                             "    SZERZ.DBF\r"
                             "    SZOLGSZ.DBF\r"
                             "    TELEPUL.DBF\r"
                             "    TERULET.DBF\r"
                             "    THELY.DBF\r"
                             "Hiányzik még a BNOTORZS.DBF is.\r"
                             "Kérje a hiányzó állományokat a RAV-től,\r"
                             "és másolja be a DATA könyvtárba!!\r"
                             "\r"
                             "A program ezek nélkül nem indul!!\r"
                             "Kilépés!!");
}

TEST_F(LocalTablesTest, ReceivedTablesAreFoundWhateverTheirLetterCase) {
    dbfixture::writeReceivedTables(data.dir());
    ASSERT_TRUE(QFile::rename(path("Part.dbf"), path("PART.DBF")));
    ASSERT_TRUE(QFile::rename(path("Szerz.dbf"), path("SZERZ.DBF")));
    ASSERT_TRUE(local().szerzNyit());
    EXPECT_TRUE(msg.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(path("SZERZ.mdx")));
    EXPECT_EQ(tables().part.text("INTKOD"), "0123");
}

// ---------------------------------------------------------------- BETEG

TEST_F(LocalTablesTest, BetegWithEightFieldsGetsAztipOneSortedByTaj) {
    dbfixture::writeReceivedTables(data.dir());
    // An older folder: upper-case file name, an index file of the old table.
    dbfixture::writeTable(
        path("BETEG.DBF"), dbfixture::oldBetegFields(),
        {{"333333330", "Cseh Ödön", "1", "3214", "Fő u. 2.", "", "Zalaegerszeg", QDate(1930, 5, 6)},
         {"111111110", "Antal Ágnes", "2", "3214", "Fő u. 1.", "", "Bak", QDate(1941, 2, 3)},
         {"222222220", "Bodor Béla", "1", "2553", "", "", "", QDate()}});
    {
        engine::Table old;
        old.open(path("BETEG.DBF"));
        old.addTag("Beteg1", "TAJ");
    }
    startUp();
    EXPECT_TRUE(msg.isEmpty());

    EXPECT_TRUE(renamedTo("Beteg.dbf", "BETEG.DBF"));
    EXPECT_TRUE(renamedTo("Beteg.mdx", "BETEG.mdx"));
    EXPECT_TRUE(engine::Table::indexFileOk(path("Beteg.dbf")));

    engine::Table& beteg = tables().beteg;
    ASSERT_TRUE(beteg.isOpen());
    EXPECT_EQ(fieldNames(beteg), fieldNames(db::layout(TableId::Beteg).fields));
    EXPECT_EQ(beteg.tagNames(), QStringList({"Beteg1", "Beteg2"}));
    EXPECT_EQ(beteg.activeTag(), "Beteg2");
    // In the order of Beteg2 (name).
    EXPECT_EQ(beteg.text("NEV"), "Antal Ágnes");
    EXPECT_EQ(column(beteg, "TAJ"), QStringList({"111111110", "222222220", "333333330"}));
    EXPECT_EQ(column(beteg, "AZTIP"), QStringList({"1", "1", "1"}));
    EXPECT_EQ(column(beteg, "NEV"), QStringList({"Antal Ágnes", "Bodor Béla", "Cseh Ödön"}));
    EXPECT_EQ(column(beteg, "SZULI"), QStringList({"1941.02.03", "", "1930.05.06"}));
    EXPECT_EQ(column(beteg, "SZULH"), QStringList({"Bak", "", "Zalaegerszeg"}));
    EXPECT_TRUE(beteg.locate("TAJ", "333333330"));
}

TEST_F(LocalTablesTest, DeletedBetegIndexIsRebuiltWithoutTouchingTheRecords) {
    dbfixture::writeReceivedTables(data.dir());
    startUp();
    engine::Table& beteg = tables().beteg;
    for (const char* name : {"Zoltai Zita", "Ács Ádám"}) {
        beteg.append();
        beteg.setValue("TAJ", name[0] == 'Z' ? "222222220" : "111111110");
        beteg.setValue("NEV", QString::fromUtf8(name));
        beteg.setValue("AZTIP", "1");
        beteg.post();
    }
    data.restart();
    const QByteArray before = records("Beteg.dbf");
    ASSERT_TRUE(QFile::remove(path("Beteg.mdx")));
    const QDateTime apolIndexTime = QFileInfo(path("Apol.mdx")).lastModified();

    startUp();
    EXPECT_TRUE(msg.isEmpty());
    EXPECT_EQ(records("Beteg.dbf"), before);
    EXPECT_EQ(tables().beteg.tagNames(), QStringList({"Beteg1", "Beteg2"}));
    EXPECT_EQ(tables().beteg.activeTag(), "Beteg2");
    EXPECT_EQ(tables().beteg.text("NEV"), "Ács Ádám");
    EXPECT_TRUE(engine::Table::indexFileOk(path("Beteg.dbf")));
    EXPECT_EQ(QFileInfo(path("Apol.mdx")).lastModified(), apolIndexTime);
}

TEST_F(LocalTablesTest, FailingBetegQueryStopsTheStartUpAndKeepsTheOldFile) {
    dbfixture::writeReceivedTables(data.dir());
    // Neither AZTIP nor SZULH: the upgrade's query cannot run.
    std::vector<engine::FieldDef> fields = dbfixture::oldBetegFields();
    fields.erase(fields.begin() + 6);
    dbfixture::writeTable(path("Beteg.dbf"), fields,
                          {{"111111110", "Antal Ágnes", "2", "3214", "", "", QDate(1941, 2, 3)}});
    const QByteArray before = testsupport::readAll(path("Beteg.dbf"));
    local().crtzaras();
    const QString finkod = receivedTables();
    local().crtapol();
    local().crtorvos();
    EXPECT_THROW(local().crtbeteg(), db::StartupStopped);
    ASSERT_EQ(msg.count(), 1);
    EXPECT_EQ(msg.kinds(), std::vector<ui::MessageKind>{ui::MessageKind::Error});
    EXPECT_EQ(s(msg.last()), "Hiba az állomány készítésében!");
    EXPECT_EQ(testsupport::readAll(path("Beteg.dbf")), before);
    EXPECT_TRUE(QDir(data.dir()).entryList({"*.uj"}, QDir::Files).isEmpty());
    EXPECT_FALSE(exists("Maradv.dbf"));
}

// ---------------------------------------------------------------- ELREND, LAPB

TEST_F(LocalTablesTest, ElrendWithoutFinkodIsUpgradedAndRecentRowsGetTheFinancingCode) {
    dbfixture::writeReceivedTables(data.dir());
    auto row = [](const char* idoszak, const char* sorsz, const char* resz) {
        return QVariantList{idoszak,
                            "0123",
                            sorsz,
                            resz,
                            "12345",
                            QDate(2014, 10, 2),
                            QDate(2014, 10, 3),
                            "heti 2",
                            10,
                            0,
                            QVariant(),
                            "",
                            idoszak};
    };
    dbfixture::writeTable(path("Elrend.dbf"), dbfixture::oldElrendFields(),
                          {row("2015.03", "00002", ""), row("2014.11", "00007", "A"),
                           row("2014.12", "00001", "B"), row("2014.12", "00001", "A")});
    startUp();
    EXPECT_TRUE(msg.isEmpty());

    engine::Table& elrend = tables().elrend;
    ASSERT_TRUE(elrend.isOpen());
    EXPECT_EQ(fieldNames(elrend), fieldNames(db::layout(TableId::Elrend).fields));
    EXPECT_EQ(elrend.tagNames(), QStringList({"Rend1", "Rend2"}));
    EXPECT_EQ(elrend.activeTag(), "Rend1");
    EXPECT_EQ(column(elrend, "IDOSZAK"), QStringList({"2014.11", "2014.12", "2014.12", "2015.03"}));
    EXPECT_EQ(column(elrend, "RESZ"), QStringList({"A", "A", "B", ""}));
    EXPECT_EQ(column(elrend, "FINKOD"), QStringList({"", "FIN000042", "FIN000042", "FIN000042"}));
    EXPECT_EQ(column(elrend, "GYAK"), QStringList(4, "heti 2"));
    EXPECT_EQ(column(elrend, "SZAKVET"), QStringList(4, "2014.10.03"));
    EXPECT_EQ(column(elrend, "ELVIZDB"), QStringList(4, "10"));
    EXPECT_EQ(column(elrend, "ELKULDVE"),
              QStringList({"2014.11", "2014.12", "2014.12", "2015.03"}));
}

TEST_F(LocalTablesTest, LapbWithoutFinkodIsUpgradedWithoutActiveTag) {
    dbfixture::writeReceivedTables(data.dir());
    auto row = [](const char* idoszak, const char* sorsz, int day) {
        return QVariantList{idoszak,     "0123", sorsz, "", "01", 2, 1, QDate(2014, 11, day),
                            "111111110", 1,      "",    "", ""};
    };
    dbfixture::writeTable(
        path("Lapb.dbf"), dbfixture::oldLapbFields(),
        {row("2014.12", "00001", 3), row("2014.11", "00009", 2), row("2014.12", "00001", 1)});
    startUp();
    EXPECT_TRUE(msg.isEmpty());

    engine::Table& lapb = tables().lapb;
    ASSERT_TRUE(lapb.isOpen());
    EXPECT_EQ(fieldNames(lapb), fieldNames(db::layout(TableId::Lapb).fields));
    EXPECT_EQ(lapb.tagNames(), QStringList({"Lapb1", "Lapb2"}));
    EXPECT_EQ(lapb.activeTag(), "");
    EXPECT_EQ(column(lapb, "IDOSZAK"), QStringList({"2014.11", "2014.12", "2014.12"}));
    EXPECT_EQ(column(lapb, "FINKOD"), QStringList({"", "FIN000042", "FIN000042"}));
    // Rows of one sheet keep the order they had.
    EXPECT_EQ(column(lapb, "APDATUM"), QStringList({"2014.11.02", "2014.11.03", "2014.11.01"}));
    EXPECT_EQ(column(lapb, "ELLTIP"), QStringList(3, "2"));
    EXPECT_EQ(column(lapb, "APTAJ"), QStringList(3, "111111110"));
}

TEST_F(LocalTablesTest, FailingFinancingCodeUpdateLeavesTheUpgradedTableOpen) {
    dbfixture::writeReceivedTables(data.dir());
    dbfixture::writeTable(path("Lapb.dbf"), dbfixture::oldLapbFields(),
                          {{"2015.01", "0123", "00001", "", "01", 2, 1, QDate(2015, 1, 5),
                            "111111110", 1, "", "", ""}});
    // A financing code longer than the field: the update cannot write it.
    local().crtlapb(QStringLiteral("FIN0000042"), finkodtol);

    EXPECT_EQ(msg.log(), std::vector<std::string>{"error: Hiba a lefutásban!"});
    engine::Table& lapb = tables().lapb;
    ASSERT_TRUE(lapb.isOpen());
    EXPECT_EQ(fieldNames(lapb), fieldNames(db::layout(TableId::Lapb).fields));
    EXPECT_EQ(column(lapb, "SORSZ"), QStringList{"00001"});
    EXPECT_EQ(column(lapb, "FINKOD"), QStringList{""});
    EXPECT_EQ(lapb.tagNames(), QStringList({"Lapb1", "Lapb2"}));
    EXPECT_TRUE(engine::Table::indexFileOk(path("Lapb.dbf")));
}

// The financing code is part of the upgrade itself: a write failing at any
// point leaves either the old table (upgraded whole at the next start) or the
// upgraded one with its codes, never an upgraded table without them.
TEST_F(LocalTablesTest, FinancingCodeIsNeverLeftOutByAnUpgradeCutShort) {
    dbfixture::writeReceivedTables(data.dir());
    auto row = [](const char* idoszak, const char* sorsz, int day) {
        return QVariantList{idoszak,     "0123", sorsz, "", "01", 2, 1, QDate(2014, 11, day),
                            "111111110", 1,      "",    "", ""};
    };
    const std::vector<QVariantList> rows{row("2014.12", "00001", 3), row("2014.11", "00009", 2),
                                         row("2015.01", "00002", 1)};
    int fired = 0;
    for (long n = 1;; ++n) {
        data.restart();
        for (const char* f : {"Lapb.dbf", "Lapb.mdx"})
            QFile::remove(path(f));
        dbfixture::writeTable(path("Lapb.dbf"), dbfixture::oldLapbFields(), rows);
        long writes = 0;
        engine::testing::setIoHook([&](engine::testing::IoOp op, long) {
            if (op == engine::testing::IoOp::Write && ++writes == n)
                return engine::testing::IoAction::Fail;
            return engine::testing::IoAction::Proceed;
        });
        try {
            local().crtlapb(QStringLiteral("FIN000042"), finkodtol);
        } catch (...) {
        }
        engine::testing::setIoHook(nullptr);
        if (writes < n) break; // the upgrade ran through without the failure
        ++fired;

        // The next start.
        data.restart();
        engine::removeLeftoverFiles(data.dir());
        msg.clear();
        local().crtlapb(QStringLiteral("FIN000042"), finkodtol);
        engine::Table& lapb = tables().lapb;
        ASSERT_TRUE(lapb.isOpen()) << "write " << n;
        EXPECT_EQ(column(lapb, "FINKOD"), QStringList({"", "FIN000042", "FIN000042"}))
            << "write " << n;
    }
    EXPECT_GT(fired, 2);
}

TEST_F(LocalTablesTest, CurrentElrendKeepsItsEmptyFinancingCodes) {
    dbfixture::writeReceivedTables(data.dir());
    QVariantList row{
        "2015.01",         "0123", QVariant(), "00001", "",         "12345", QDate(2015, 1, 2),
        QDate(2015, 1, 3), "",     5,          0,       QVariant(), "",      ""};
    dbfixture::writeTable(path("Elrend.dbf"), db::layout(TableId::Elrend).fields, {row});
    startUp();
    EXPECT_TRUE(msg.isEmpty());
    EXPECT_EQ(column(tables().elrend, "FINKOD"), QStringList{""});
}

// ---------------------------------------------------------------- LAP

TEST_F(LocalTablesTest, OldLapSplitsIntoLapoldAndTheCurrentLayout) {
    dbfixture::writeReceivedTables(data.dir());
    dbfixture::writeTable(path("Lap.dbf"), dbfixture::oldLapFields(),
                          {dbfixture::oldLapRow("2005.03", "00004", "", "333333330", 2),
                           dbfixture::oldLapRow("2004.12", "00009", "", "111111110", 5),
                           dbfixture::oldLapRow("2004.12", "00002", "A", "222222220", 3)});
    startUp();
    EXPECT_TRUE(msg.isEmpty());

    engine::Table lapold;
    lapold.open(path("Lapold.dbf"));
    EXPECT_EQ(fieldNames(lapold), fieldNames(dbfixture::oldLapFields()));
    EXPECT_TRUE(lapold.tagNames().isEmpty());
    EXPECT_FALSE(exists("Lapold.mdx"));
    EXPECT_EQ(column(lapold, "IDOSZAK"), QStringList({"2004.12", "2004.12"}));
    EXPECT_EQ(column(lapold, "SORSZ"), QStringList({"00002", "00009"}));
    EXPECT_EQ(column(lapold, "VIZ1"), QStringList({"3", "5"}));
    EXPECT_EQ(column(lapold, "TOL1"), QStringList({"2004.12.01", "2004.12.01"}));
    lapold.close();

    engine::Table& lap = tables().lap;
    ASSERT_TRUE(lap.isOpen());
    EXPECT_EQ(fieldNames(lap), fieldNames(db::layout(TableId::Lap).fields));
    EXPECT_EQ(lap.tagNames(), QStringList({"Lap1", "Lap2", "Lap3"}));
    EXPECT_EQ(lap.activeTag(), "Lap1");
    EXPECT_EQ(column(lap, "IDOSZAK"), QStringList{"2005.03"});
    lap.first();
    EXPECT_EQ(lap.text("SORSZ"), "00004");
    EXPECT_EQ(lap.text("TAJ"), "333333330");
    EXPECT_EQ(lap.text("ELB"), "2004.11.20");
    EXPECT_EQ(lap.text("TEVKODOK"), "1100000000");
    EXPECT_EQ(lap.text("SZVIZ"), "2");
    for (const char* empty : {"FINKOD", "AZTIP", "TERKAT", "ALLAMP"})
        EXPECT_TRUE(lap.isBlank(empty)) << empty;
}

TEST_F(LocalTablesTest, ConvertedSheetsFromFinkodtolOnGetTheContractsFinancingCode) {
    dbfixture::writeReceivedTables(data.dir(), {}, QStringLiteral("FIN777777"));
    dbfixture::writeTable(path("Lap.dbf"), dbfixture::oldLapFields(),
                          {dbfixture::oldLapRow("2015.01", "00001", "", "111111110", 2),
                           dbfixture::oldLapRow("2014.11", "00003", "", "222222220", 4)});
    startUp();
    EXPECT_TRUE(msg.isEmpty());
    // No sheet before 2005.02: nothing for LAPOLD.
    EXPECT_FALSE(exists("Lapold.dbf"));
    engine::Table& lap = tables().lap;
    ASSERT_TRUE(lap.locate("SORSZ", "00001"));
    EXPECT_EQ(lap.text("FINKOD"), "FIN777777");
    ASSERT_TRUE(lap.locate("SORSZ", "00003"));
    EXPECT_TRUE(lap.isBlank("FINKOD"));
}

TEST_F(LocalTablesTest, CurrentLapIsNeverCopiedToLapold) {
    dbfixture::writeReceivedTables(data.dir());
    QVariantList row;
    for (size_t i = 0; i < db::layout(TableId::Lap).fields.size(); ++i)
        row << QVariant();
    row[0] = "2003.05";
    row[3] = "00001";
    QVariantList later = row;
    later[0] = "2016.02";
    later[3] = "00002";
    dbfixture::writeTable(path("Lap.dbf"), db::layout(TableId::Lap).fields, {row, later});
    ASSERT_TRUE(QFile::remove(path("Lap.mdx")) || !exists("Lap.mdx"));
    startUp();
    EXPECT_TRUE(msg.isEmpty());
    EXPECT_FALSE(exists("Lapold.dbf"));
    EXPECT_EQ(column(tables().lap, "IDOSZAK"), QStringList({"2003.05", "2016.02"}));
    EXPECT_EQ(column(tables().lap, "FINKOD"), QStringList({"", ""}));
    EXPECT_EQ(tables().lap.tagNames(), QStringList({"Lap1", "Lap2", "Lap3"}));
}

TEST_F(LocalTablesTest, ExistingLapoldIsReplacedWhenLapIsConverted) {
    dbfixture::writeReceivedTables(data.dir());
    dbfixture::writeTable(path("LAPOLD.DBF"), dbfixture::oldLapFields(),
                          {dbfixture::oldLapRow("2001.01", "00001", "", "111111110", 1)});
    dbfixture::writeTable(path("Lap.dbf"), dbfixture::oldLapFields(),
                          {dbfixture::oldLapRow("2004.11", "00005", "", "111111110", 6)});
    startUp();
    EXPECT_TRUE(renamedTo("Lapold.dbf", "LAPOLD.DBF"));
    engine::Table lapold;
    lapold.open(path("Lapold.dbf"));
    EXPECT_EQ(column(lapold, "IDOSZAK"), QStringList{"2004.11"});
    EXPECT_EQ(tables().lap.fileRecordCount(), 0u);
}

TEST_F(LocalTablesTest, FailingLapConversionStopsWithTheOldLapStillOnDisk) {
    dbfixture::writeReceivedTables(data.dir());
    // An old LAP that lacks a column the conversion reads.
    std::vector<engine::FieldDef> fields = dbfixture::oldLapFields();
    fields.pop_back(); // MODTIPUS
    QVariantList row = dbfixture::oldLapRow("2005.04", "00001", "", "111111110", 1);
    row.removeLast();
    dbfixture::writeTable(path("Lap.dbf"), fields, {row});
    const QByteArray before = testsupport::readAll(path("Lap.dbf"));

    local().crtzaras();
    receivedTables();
    EXPECT_THROW(local().crtlapuj("FIN000042", finkodtol), db::StartupStopped);
    EXPECT_EQ(msg.log(), std::vector<std::string>{"error: Hiba az állomány készítésében!"});
    EXPECT_EQ(testsupport::readAll(path("Lap.dbf")), before);
    // The upgrade writes into new files beside the old ones; a failed one
    // leaves none of them behind.
    EXPECT_TRUE(QDir(data.dir()).entryList({"*.uj"}, QDir::Files).isEmpty());
}

// ---------------------------------------------------------------- the upgrade's result

namespace {

// The records of a table file, after its header.
QByteArray recordsOf(const QString& file) {
    const QByteArray bytes = testsupport::readAll(engine::findFileNoCase(file));
    const int headerLength = quint8(bytes[8]) | quint8(bytes[9]) << 8;
    return bytes.mid(headerLength);
}

// What the earlier conversion wrote: the rows of its query over the old
// table, appended in column order into a file of the new layout.
QByteArray byQuery(const QString& oldFile, const char* name, const QString& sql,
                   const QVariantList& params, const std::vector<engine::FieldDef>& fields) {
    testsupport::TempDir out;
    {
        engine::Database db;
        engine::Table old(QLatin1String(name), &db);
        old.open(oldFile);
        engine::TableBuilder b(out.file("x.dbf"), fields);
        db.each(sql, params, [&](const QVariantList& row) { b.addRow(row); });
        b.commit();
    }
    return recordsOf(out.file("x.dbf"));
}

const char* const kBetegSql = "select taj,nev,neme,'1' as aztip,kozigkod,cime1,cime2,szulh,szuli "
                              "from beteg order by taj";
const char* const kElrendSql =
    "select idoszak,intkod,case when a.idoszak>=? then ? end as finkod,sorsz,resz,jorvkod,elrend,"
    "szakvet,gyak,elvizdb,engszam,engdat,jeloles,elkuldve from elrend a "
    "order by a.idoszak,a.sorsz,a.resz";
const char* const kLapbSql =
    "select idoszak,intkod,case when a.idoszak>=? then ? end as finkod,sorsz,resz,tevkod,elltip,"
    "onkep,apdatum,aptaj,vizitdb,elido,jeloles,elkuldve from lapb a "
    "order by a.idoszak,a.sorsz,a.resz";
const char* const kLapoldSql =
    "select * from lap a where idoszak<'2005.02' order by a.idoszak,a.sorsz,a.resz";
const char* const kLapSql =
    "select idoszak,intkod,case when a.idoszak>=? then ? end as finkod,sorsz,resz,taj,kozigkod,"
    "tpotl,bnoki,bnorov,elb,apnap,bnofo,bnomell,bnoell,orvoskod,elszviz,elszam,lezdat,tevkodok,"
    "aptaj1,aptaj2,' ' as aztip,' ' as terkat,' ' as allamp,szviz,tele,jeloles,elkuldve,allapot,"
    "modtipus from lap a where a.idoszak>='2005.02' order by a.idoszak,a.sorsz,a.resz";

// Flags records as deleted, and writes NUL bytes over the end of a field of
// a record (the padding some other tools write).
void deleteRecords(const QString& file, std::initializer_list<std::uint32_t> recnos) {
    engine::Table t;
    t.open(file);
    for (std::uint32_t r : recnos) {
        t.go(r);
        t.remove();
    }
}
// The NUL bytes written into the file as the other tool writes them.
void nulPad(const QString& file, std::uint32_t recno, const char* field, int keep) {
    engine::Table t;
    t.open(file, engine::Table::Mode::ReadOnly);
    const engine::FieldDef f = t.fields()[size_t(t.fieldIndex(QLatin1String(field)))];
    const qint64 at = qint64(t.header().headerLength) +
                      qint64(recno - 1) * t.header().recordLength + f.offset + keep;
    t.close();
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::ReadWrite));
    ASSERT_TRUE(out.seek(at));
    ASSERT_EQ(out.write(QByteArray(f.width - keep, '\0')), f.width - keep);
}

// Old tables of every kind of row: deleted ones, rows out of order, rows of
// one sheet (kept in their order), blank and filled dates, blank, capital
// and small part letters, periods on both sides of 2005.02 and of finkodtol,
// accented texts, NUL padding, and a visit count wider than today's field.
void writeMixedOldTables(const dbfixture::DataFolder& data) {
    auto path = [&](const char* f) { return data.file(QLatin1String(f)); };
    dbfixture::writeTable(
        path("Beteg.dbf"), dbfixture::oldBetegFields(),
        {{"333333330", "Cseh Ödön", "1", "3214", "Fő u. 2.", "", "Zalaegerszeg", QDate(1930, 5, 6)},
         {"111111110", "Antal Ágnes", "2", "3214", "", "", "Bak", QDate()},
         {"", "Név Nélkül", "2", "", "", "", "", QDate()},
         {"222222220", "Bodor Béla", "1", "2553", "", "", "", QDate(1950, 1, 1)},
         {"111111110", "Antal Ágnes", "2", "3214", "Fő u. 1.", "", "Bak", QDate(1941, 2, 3)}});
    deleteRecords(path("Beteg.dbf"), {4});
    nulPad(path("Beteg.dbf"), 1, "CIME1", 4);

    auto e = [](const char* p, const char* sorsz, const char* resz, const QVariant& day,
                const char* gyak) {
        return QVariantList{p,    "0123", sorsz, resz,       "12345", day, QDate(2014, 10, 3),
                            gyak, 10,     0,     QVariant(), "",      p};
    };
    dbfixture::writeTable(path("Elrend.dbf"), dbfixture::oldElrendFields(),
                          {e("2015.01", "00002", "", QDate(2014, 12, 20), "hetente kétszer"),
                           e("2004.12", "00001", "A", QVariant(), "napi"),
                           e("2014.12", "00003", "a", QDate(2014, 12, 1), "Öt alkalom"),
                           e("2014.12", "00003", "B", QDate(2014, 12, 1), ""),
                           e("2014.11", "00001", "", QDate(2014, 11, 1), "törölt"),
                           e("2014.12", "00003", "", QDate(2014, 12, 2), "heti 2"),
                           e("", "00004", "", QVariant(), "időszak nélkül")});
    deleteRecords(path("Elrend.dbf"), {5});
    nulPad(path("Elrend.dbf"), 6, "GYAK", 6);

    std::vector<engine::FieldDef> lapbFields = dbfixture::oldLapbFields();
    for (engine::FieldDef& f : lapbFields)
        if (f.name == "VIZITDB") f.width = 3;
    auto v = [](const char* p, const char* sorsz, const char* resz, const QVariant& day,
                const char* aptaj) {
        return QVariantList{p, "0123", sorsz, resz, "01", 2, 1, day, aptaj, 1, "", "", p};
    };
    dbfixture::writeTable(path("Lapb.dbf"), lapbFields,
                          {v("2015.01", "00002", "", QDate(2015, 1, 5), "111111110"),
                           v("2004.12", "00001", "A", QDate(2004, 12, 1), "222222220"),
                           v("2014.12", "00003", "B", QVariant(), "333333330"),
                           v("2014.11", "00001", "", QDate(2014, 11, 3), ""),
                           v("2014.12", "00003", "a", QDate(2014, 12, 2), "111111110"),
                           v("2014.12", "00003", "", QDate(2014, 12, 4), "111111110"),
                           v("2015.01", "00002", "", QDate(2015, 1, 2), "222222220"),
                           v("2005.03", "00010", "C", QDate(2005, 3, 9), "333333330"),
                           v("", "00004", "", QDate(2014, 1, 1), "111111110"),
                           v("2014.11", "00001", "", QDate(2014, 11, 1), "444444440")});
    deleteRecords(path("Lapb.dbf"), {10, 3});
    nulPad(path("Lapb.dbf"), 4, "APTAJ", 0);

    auto l = [](const char* p, const char* sorsz, const char* resz, int viz) {
        return dbfixture::oldLapRow(p, sorsz, resz, "111111110", viz);
    };
    std::vector<QVariantList> laps{l("2015.01", "00002", "", 2),  l("2004.12", "00009", "", 5),
                                   l("2005.02", "00001", "A", 1), l("2005.01", "00003", "B", 3),
                                   l("2014.12", "00003", "a", 4), l("2014.11", "00001", "", 6),
                                   l("2004.12", "00002", "A", 7), l("2014.12", "00003", "", 8)};
    laps[7][9] = QVariant(); // no discharge date
    dbfixture::writeTable(path("Lap.dbf"), dbfixture::oldLapFields(), laps);
    deleteRecords(path("Lap.dbf"), {6});
    nulPad(path("Lap.dbf"), 1, "TEVKODOK", 4);
}

} // namespace

TEST_F(LocalTablesTest, UpgradeWritesWhatTheQueriesOfTheEarlierConversionWrote) {
    dbfixture::writeReceivedTables(data.dir());
    writeMixedOldTables(data);
    const QVariantList fin{finkodtol, "FIN000042"};
    const QByteArray beteg =
        byQuery(path("Beteg.dbf"), "beteg", kBetegSql, {}, db::layout(TableId::Beteg).fields);
    const QByteArray elrend =
        byQuery(path("Elrend.dbf"), "elrend", kElrendSql, fin, db::layout(TableId::Elrend).fields);
    const QByteArray lapb =
        byQuery(path("Lapb.dbf"), "lapb", kLapbSql, fin, db::layout(TableId::Lapb).fields);
    const QByteArray lapold =
        byQuery(path("Lap.dbf"), "lap", kLapoldSql, {}, db::layout(TableId::Lapold).fields);
    const QByteArray lap =
        byQuery(path("Lap.dbf"), "lap", kLapSql, fin, db::layout(TableId::Lap).fields);

    startUp();
    EXPECT_TRUE(msg.isEmpty()) << msg.last().toStdString();
    EXPECT_EQ(recordsOf(path("Beteg.dbf")), beteg);
    EXPECT_EQ(recordsOf(path("Elrend.dbf")), elrend);
    EXPECT_EQ(recordsOf(path("Lapb.dbf")), lapb);
    EXPECT_EQ(recordsOf(path("Lapold.dbf")), lapold);
    EXPECT_EQ(recordsOf(path("Lap.dbf")), lap);
    // The deleted rows stayed behind; the sheets went to both sides of 2005.02.
    EXPECT_EQ(column(tables().lapb, "IDOSZAK"),
              QStringList({"", "2004.12", "2005.03", "2014.11", "2014.12", "2014.12", "2015.01",
                           "2015.01"}));
    EXPECT_EQ(column(tables().lap, "IDOSZAK"),
              QStringList({"2005.02", "2014.12", "2014.12", "2015.01"}));
}

// The earlier conversion lost a sheet without a period (neither before
// 2005.02 nor after it); its order and visit rows were kept. It stays now,
// in LAP, first in the order.
TEST_F(LocalTablesTest, ASheetWithoutPeriodIsKeptByTheUpgrade) {
    dbfixture::writeReceivedTables(data.dir());
    dbfixture::writeTable(path("Lap.dbf"), dbfixture::oldLapFields(),
                          {dbfixture::oldLapRow("2015.01", "00001", "", "111111110", 2),
                           dbfixture::oldLapRow("", "00002", "", "222222220", 4)});
    startUp();
    EXPECT_TRUE(msg.isEmpty());
    EXPECT_FALSE(exists("Lapold.dbf"));
    // (The register's standing filter hides it, as it hides every sheet
    // before 1999.04.)
    engine::Table& lap = tables().lap;
    ASSERT_EQ(lap.fileRecordCount(), 2u);
    lap.go(1);
    EXPECT_EQ(lap.text("SORSZ"), "00002");
    EXPECT_TRUE(lap.isBlank("FINKOD"));
    lap.go(2);
    EXPECT_EQ(lap.text("SORSZ"), "00001");
    EXPECT_EQ(lap.text("FINKOD"), "FIN000042");
}

// A failure at any write, flush or removal of the upgrades leaves each table
// either as it was (upgraded whole at the next start) or wholly upgraded.
TEST_F(LocalTablesTest, AFailureAnywhereInTheUpgradesLeavesEachTableOldOrWhollyNew) {
    dbfixture::writeReceivedTables(data.dir());
    const QStringList names{"Beteg.dbf", "Elrend.dbf", "Lapb.dbf", "Lap.dbf"};
    writeMixedOldTables(data);
    std::map<QString, QByteArray> before;
    for (const QString& n : names)
        before[n] = testsupport::readAll(data.file(n));
    auto putBack = [&] {
        data.restart();
        for (const QString& n : names + QStringList{"Lapold.dbf"}) {
            QFile::remove(data.file(n));
            QFile::remove(data.file(db::indexFileName(n)));
        }
        for (const QString& n : names)
            testsupport::writeAll(data.file(n), before[n]);
    };
    auto upgrades = [&] {
        local().crtbeteg();
        local().crtelrend("FIN000042", finkodtol);
        local().crtlapuj("FIN000042", finkodtol);
        local().crtlapb("FIN000042", finkodtol);
    };
    // The tables the upgrades do not touch, and the result of a run without
    // a failure.
    local().crtzaras();
    receivedTables();
    for (auto step :
         {&db::LocalTables::crtapol, &db::LocalTables::crtorvos, &db::LocalTables::crtmaradv}) {
        db::LocalTables l = local();
        (l.*step)();
    }
    upgrades();
    ASSERT_TRUE(msg.isEmpty());
    std::map<QString, QByteArray> after;
    for (const QString& n : names + QStringList{"Lapold.dbf"})
        after[n] = recordsOf(data.file(n));

    int fired = 0;
    for (long n = 1;; ++n) {
        putBack();
        long ops = 0;
        engine::testing::setIoHook([&](engine::testing::IoOp, long) {
            return ++ops == n ? engine::testing::IoAction::Fail
                              : engine::testing::IoAction::Proceed;
        });
        bool failed = false;
        try {
            upgrades();
        } catch (const engine::DbError&) {
            failed = true;
        }
        engine::testing::setIoHook(nullptr);
        if (ops < n) break; // ran through without the failure
        ++fired;
        EXPECT_TRUE(failed) << "operation " << n;
        data.restart();
        for (const QString& name : names) {
            const QByteArray now = testsupport::readAll(engine::findFileNoCase(data.file(name)));
            EXPECT_TRUE(now == before[name] || recordsOf(data.file(name)) == after[name])
                << name.toStdString() << ", operation " << n;
        }
        if (engine::fileExistsNoCase(data.file("Lapold.dbf"))) {
            EXPECT_EQ(recordsOf(data.file("Lapold.dbf")), after["Lapold.dbf"]) << n;
        }

        // The next start upgrades what is left.
        engine::removeLeftoverFiles(data.dir());
        msg.clear();
        upgrades();
        EXPECT_TRUE(msg.isEmpty()) << "operation " << n;
        for (const QString& name : names + QStringList{"Lapold.dbf"})
            EXPECT_EQ(recordsOf(data.file(name)), after[name])
                << name.toStdString() << ", operation " << n;
    }
    EXPECT_GT(fired, 10);
}
