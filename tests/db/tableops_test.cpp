// Opening and closing all tables, and "&Indexelés": every index file deleted
// and rebuilt with its tags and the active tag of the re-indexing order.

#include "dbfixture.h"

#include "db/localtables.h"
#include "db/tableops.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/table.h"
#include "ui/scriptedmessages.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <map>
#include <optional>

using db::TableId;

namespace {

std::string s(const QString& text) {
    return text.toStdString();
}

// A data folder after a start-up: the county office's tables and every local
// table, all open, a few records in each table that has tags.
class TableOpsTest : public ::testing::Test {
protected:
    dbfixture::DataFolder data;
    ui::ScriptedMessages msg;

    void SetUp() override {
        dbfixture::writeReceivedTables(data.dir());
        db::LocalTables local(data.tables(), msg);
        local.crtzaras();
        ASSERT_TRUE(local.szerzNyit());
        local.createLocalTables("FIN000042", QString::fromLatin1(db::kFinkodtol));
        add(t().apol, {{"APTAJ", "222222220"}, {"ANEV", "Antal Ágnes"}});
        add(t().apol, {{"APTAJ", "111111110"}, {"ANEV", "Zsigmond Zita"}});
        add(t().orvos, {{"ORVOSKOD", "00001"}, {"ONEV", "Dr. Zala Zoltán"}});
        add(t().orvos, {{"ORVOSKOD", "00002"}, {"ONEV", "Dr. Ács Anna"}});
        add(t().beteg, {{"TAJ", "111111110"}, {"NEV", "Zöld Zsófia"}, {"AZTIP", "1"}});
        add(t().beteg, {{"TAJ", "222222220"}, {"NEV", "Balogh Béla"}, {"AZTIP", "1"}});
        add(t().lap, {{"IDOSZAK", "2015.02"}, {"SORSZ", "00002"}, {"TAJ", "111111110"}});
        add(t().lap, {{"IDOSZAK", "2015.01"}, {"SORSZ", "00001"}, {"TAJ", "222222220"}});
        add(t().lap, {{"IDOSZAK", "1999.03"}, {"SORSZ", "00001"}, {"TAJ", "222222220"}});
        add(t().zaras, {{"IDOSZAK", "2015.01"}, {"LAPOKSZ", 1}});
        ASSERT_TRUE(msg.isEmpty());
    }

    db::TableSet& t() { return data.tables(); }
    QString path(const char* name) const { return data.file(QLatin1String(name)); }

    static void add(engine::Table& table, std::vector<std::pair<const char*, QVariant>> values) {
        table.append();
        for (const auto& [field, value] : values)
            table.setValue(QLatin1String(field), value);
        table.post();
    }

    std::vector<engine::Table*> fifteen() {
        return {&t().lap,   &t().lapb,  &t().szerz,  &t().szolgsz, &t().part,
                &t().telep, &t().terul, &t().thely,  &t().apol,    &t().beteg,
                &t().orvos, &t().bno,   &t().maradv, &t().zaras,   &t().elrend};
    }

    struct Indexed {
        TableId id;
        const char* dbf;
        QStringList tags;
        const char* active;
    };
    static std::vector<Indexed> fourteen() {
        return {
            {TableId::Bnotorzs, "Bnotorzs.dbf", {"BNO1", "BNO2"}, "BNO1"},
            {TableId::Beteg, "Beteg.dbf", {"Beteg1", "Beteg2"}, "Beteg2"},
            {TableId::Apol, "Apol.dbf", {"Apol1", "Apol2"}, "Apol2"},
            {TableId::Orvos, "Orvos.dbf", {"Orvos1", "Orvos2"}, "Orvos2"},
            {TableId::Maradv, "Maradv.dbf", {"Mar1"}, "Mar1"},
            {TableId::Szerz, "Szerz.dbf", {"Szerz1"}, "Szerz1"},
            {TableId::Szolgsz, "Szolgsz.dbf", {"Szolgsz1", "Szolgsz2"}, "Szolgsz1"},
            {TableId::Telepul, "Telepul.dbf", {"Tel1", "Tel2"}, "Tel1"},
            {TableId::Terulet, "Terulet.dbf", {"Ter2", "Ter1"}, "Ter1"},
            {TableId::Thely, "Thely.dbf", {"Thely1"}, "Thely1"},
            {TableId::Zaras, "Zaras.dbf", {"Zaras"}, ""},
            {TableId::Lap, "Lap.dbf", {"Lap1", "Lap2", "Lap3"}, "Lap1"},
            {TableId::Lapb, "Lapb.dbf", {"Lapb1", "Lapb2"}, ""},
            {TableId::Elrend, "Elrend.dbf", {"Rend1", "Rend2"}, "Rend1"},
        };
    }
};

TEST_F(TableOpsTest, MindzarAndMindnyitCloseAndOpenTheFifteen) {
    db::mindzar(t());
    for (engine::Table* table : fifteen())
        EXPECT_FALSE(table->isOpen()) << s(table->name());

    db::mindnyit(t());
    for (engine::Table* table : fifteen())
        EXPECT_TRUE(table->isOpen()) << s(table->name());
    EXPECT_FALSE(t().sys.isOpen());
    EXPECT_FALSE(t().temp.isOpen());
    // The tags and their active choice come back from the index files.
    EXPECT_EQ(t().apol.activeTag(), "Apol1");
    EXPECT_EQ(t().apol.text("ANEV"), "Zsigmond Zita");
    EXPECT_EQ(t().lap.tagNames(), QStringList({"Lap1", "Lap2", "Lap3"}));
    // LAP's standing filter hides the sheets before 1999.04.
    EXPECT_TRUE(t().lap.filtered());
    EXPECT_EQ(t().lap.recordCount(), 2u);
    EXPECT_EQ(t().dbo.query("select count(*) from lap").value(0, 0).toInt(), 3);
}

// Closing all tables (a backup, a restore, re-indexing) waits for no open
// unit and does not overtake a rollback that is still due.
TEST_F(TableOpsTest, MindzarRefusesDuringAUnitAndWhileARollbackIsDue) {
    {
        engine::ChangeUnit unit({&t().lap, &t().lapb});
        EXPECT_THROW(db::mindzar(t()), engine::DbError);
        EXPECT_THROW(db::reindexAll(t(), msg), engine::DbError);
        EXPECT_TRUE(t().lap.isOpen());
        EXPECT_TRUE(t().szerz.isOpen());
    }
    QFile journal(engine::journalPath(t().directory()));
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.close();
    EXPECT_THROW(db::mindzar(t()), engine::DbError);
    EXPECT_TRUE(t().lapb.isOpen());
    QFile::remove(journal.fileName());
    db::mindzar(t());
    EXPECT_FALSE(t().lapb.isOpen());
}

TEST_F(TableOpsTest, MindnyitFindsFilesWhateverTheirLetterCase) {
    db::mindzar(t());
    ASSERT_TRUE(QFile::rename(path("Apol.dbf"), path("apol.dbf")));
    ASSERT_TRUE(QFile::rename(path("Apol.mdx"), path("APOL.MDX")));
    db::mindnyit(t());
    EXPECT_TRUE(t().apol.isOpen());
    EXPECT_EQ(t().apol.tagNames(), QStringList({"Apol1", "Apol2"}));
    db::mindzar(t());
    db::indtorol(t());
    EXPECT_FALSE(QFileInfo::exists(path("APOL.MDX")));
}

TEST_F(TableOpsTest, IndtorolDeletesTheFourteenIndexFilesAndSkipsMissingOnes) {
    db::mindzar(t());
    ASSERT_TRUE(QFile::remove(path("Orvos.mdx")));
    db::indtorol(t());
    for (const Indexed& e : fourteen())
        EXPECT_FALSE(engine::fileExistsNoCase(data.file(db::indexFileName(e.dbf)))) << e.dbf;
    for (const QString& f : dbfixture::files(data.dir()))
        EXPECT_FALSE(f.endsWith(".mdx", Qt::CaseInsensitive)) << s(f);
}

TEST_F(TableOpsTest, ReindexingRebuildsAllFourteenIndexFiles) {
    // A tag of our own in every index file shows whether the file was made anew.
    for (const Indexed& e : fourteen()) {
        engine::Table& table = db::tableOf(t(), e.id);
        table.addTag("Extra", table.tagExpression(e.tags.front()));
    }
    int szerzadat = 0;
    db::reindexAll(t(), msg, [&] {
        ++szerzadat;
        for (engine::Table* table : fifteen())
            EXPECT_TRUE(table->isOpen()) << s(table->name());
    });

    EXPECT_EQ(szerzadat, 1);
    EXPECT_TRUE(msg.isEmpty());
    EXPECT_EQ(s(msg.statusText(0)), "Az indexelés befejeződött!!");
    for (const Indexed& e : fourteen()) {
        SCOPED_TRACE(e.dbf);
        engine::Table& table = db::tableOf(t(), e.id);
        ASSERT_TRUE(table.isOpen());
        EXPECT_EQ(table.tagNames(), e.tags);
        EXPECT_TRUE(engine::Table::indexFileOk(path(e.dbf)));
    }
    for (engine::Table* table : fifteen())
        EXPECT_TRUE(table->isOpen()) << s(table->name());
    EXPECT_FALSE(engine::fileExistsNoCase(path("Part.mdx")));
}

TEST_F(TableOpsTest, AfterReindexingTheActiveTagsAreThoseOfTheReindexingOrder) {
    // ZARAS and LAPB keep what their objects had.
    t().zaras.setActiveTag("Zaras");
    db::reindexAll(t(), msg);
    for (const Indexed& e : fourteen()) {
        SCOPED_TRACE(e.dbf);
        if (e.id == TableId::Zaras) continue;
        EXPECT_EQ(db::tableOf(t(), e.id).activeTag(), QString::fromLatin1(e.active));
    }
    EXPECT_EQ(t().zaras.activeTag(), "Zaras");
    EXPECT_EQ(t().lapb.activeTag(), "");
    // By name now, where the start-up put them by TAJ number.
    EXPECT_EQ(t().apol.text("ANEV"), "Antal Ágnes");
    EXPECT_EQ(t().orvos.text("ONEV"), "Dr. Ács Anna");
    EXPECT_EQ(t().beteg.text("NEV"), "Balogh Béla");

    // The active choice survives the next start as well.
    data.restart();
    db::mindnyit(t());
    EXPECT_EQ(t().apol.activeTag(), "Apol2");
    EXPECT_EQ(t().orvos.activeTag(), "Orvos2");
}

TEST_F(TableOpsTest, ATableWhoseIndexFileWasDeletedByHandOpensWithAllItsTags) {
    db::mindzar(t());
    ASSERT_TRUE(QFile::remove(path("Lap.mdx")));
    // dBase marks the production index in the header; the file is gone now.
    {
        QFile f(path("Lap.dbf"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(28);
        f.write(QByteArray("\x01\x64", 2));
    }
    db::reindexAll(t(), msg);
    engine::Table& lap = t().lap;
    ASSERT_TRUE(lap.isOpen());
    EXPECT_EQ(lap.tagNames(), QStringList({"Lap1", "Lap2", "Lap3"}));
    EXPECT_EQ(lap.activeTag(), "Lap1");
    EXPECT_EQ(lap.tagExpression("Lap3"), "Idoszak+Sorsz+Resz");
    EXPECT_EQ(lap.recordCount(), 2u);
    ASSERT_TRUE(lap.locate("SORSZ", "00002"));
    EXPECT_EQ(lap.text("TAJ"), "111111110");
    lap.setActiveTag("Lap2");
    lap.first();
    EXPECT_EQ(lap.text("TAJ"), "111111110");
}

TEST_F(TableOpsTest, IndexelRebuildsOnlyWhatIsMissing) {
    db::mindzar(t());
    ASSERT_TRUE(QFile::remove(path("Orvos.mdx")));
    const QDateTime apolIndexTime = QFileInfo(path("Apol.mdx")).lastModified();
    db::indexel(t());
    EXPECT_EQ(t().orvos.tagNames(), QStringList({"Orvos1", "Orvos2"}));
    EXPECT_EQ(t().orvos.activeTag(), "Orvos2");
    // APOL's index file was there: its start-up tag stays active.
    EXPECT_EQ(QFileInfo(path("Apol.mdx")).lastModified(), apolIndexTime);
    EXPECT_EQ(t().apol.activeTag(), "Apol1");
    EXPECT_TRUE(msg.isEmpty());
}

TEST_F(TableOpsTest, AFailureStopsReindexingWithTheOtherTablesOpenAgain) {
    db::mindzar(t());
    ASSERT_TRUE(QFile::remove(path("Telepul.dbf")));
    EXPECT_THROW(db::reindexAll(t(), msg), engine::DbError);
    for (engine::Table* table : fifteen())
        EXPECT_EQ(table->isOpen(), table != &t().telep) << s(table->name());
    EXPECT_EQ(s(msg.statusText(0)), "");
    EXPECT_TRUE(msg.isEmpty());
}

// On a full disk the rebuild fails: every table keeps an index file that
// works (its old one, or its new one when that was complete), and the reason
// is said once.
TEST_F(TableOpsTest, AReindexingThatFailsLeavesTheOldIndexesWorking) {
    std::map<QString, QByteArray> before;
    db::mindzar(t());
    for (const Indexed& e : fourteen())
        before[e.dbf] = testsupport::readAll(data.file(db::indexFileName(e.dbf)));
    db::mindnyit(t());
    for (long failAt : {1L, 5L, 12L, 30L}) {
        SCOPED_TRACE(failAt);
        bool failed = false;
        engine::testing::setIoHook([&](engine::testing::IoOp op, long n) {
            if (n < failAt || op == engine::testing::IoOp::Remove)
                return engine::testing::IoAction::Proceed;
            failed = true;
            return engine::testing::IoAction::Fail;
        });
        const auto e = [&]() -> std::optional<engine::DbError> {
            try {
                db::reindexAll(t(), msg);
            } catch (const engine::DbError& err) {
                return err;
            }
            return std::nullopt;
        }();
        engine::testing::setIoHook(nullptr);
        ASSERT_TRUE(failed);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->text().count("nem írható"), 1) << s(e->text());
        for (engine::Table* table : fifteen())
            EXPECT_TRUE(table->isOpen()) << s(table->name());
        db::mindzar(t());
        for (const Indexed& x : fourteen()) {
            SCOPED_TRACE(x.dbf);
            const QString mdx = data.file(db::indexFileName(x.dbf));
            EXPECT_TRUE(engine::Table::indexFileOk(path(x.dbf)));
            // the old file whole, or a new one with the same tags
            if (testsupport::readAll(mdx) != before[x.dbf]) {
                engine::Table& table = db::tableOf(t(), x.id);
                table.open(path(x.dbf));
                EXPECT_EQ(table.tagNames(), x.tags);
                table.close();
            }
        }
        db::mindnyit(t());
        EXPECT_EQ(t().lap.recordCount(), 2u);
        ASSERT_TRUE(t().apol.locate("APTAJ", "111111110"));
    }
    EXPECT_EQ(s(msg.statusText(0)), "");
}

} // namespace
