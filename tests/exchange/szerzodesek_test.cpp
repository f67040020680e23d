#include "exchange/szerzodesek.h"

#include "app/startup.h"
#include "exchangedata.h"
#include "support/startedapp.h"
#include "ui/folderbrowser.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <memory>

using namespace exchangedata;

namespace {

struct NoFolder : ui::FolderAsker {
    ui::FolderChoice chooseFolder(const QString&, const QString&) override { return {}; }
};

const QStringList kTables = {"SZERZ.DBF", "TERULET.DBF", "SZOLGSZ.DBF", "THELY.DBF", "PART.DBF"};

// The office's contract files made from the demo provider's own, the
// contract number and the provider's name changed.
class SzerzodesTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<testsupport::StartedApp>();
        in = app->work.path() + "/floppy";
        QDir().mkpath(in);
        const QStringList prefix = {"As", "Ar", "Ad", "At", "Pa"};
        for (int i = 0; i < kTables.size(); ++i)
            QFile::copy(app->data(kTables[i]), in + "/" + prefix[i] + "1890.dbf");
        engine::Table t;
        t.open(in + "/As1890.dbf");
        t.last();
        t.edit();
        t.setValue("SZSZAM", "UJ-SZERZODES");
        t.post();
        t.close();
        t.open(in + "/Pa1890.dbf");
        t.first();
        t.edit();
        t.setValue("INTE", "Uj nev");
        t.post();
        t.close();
    }
    QStringList bytes() {
        QStringList out;
        for (const QString& f : kTables)
            out << QString::fromLatin1(testsupport::readAll(app->data(f)).toHex());
        return out;
    }
    bool run() {
        NoFolder f;
        int read = 0;
        exchange::Szerzodesek imp(app->state, f, [&] {
            ++read;
            return app::szerzadat(app->state);
        });
        const bool ok = imp.beolvas(in);
        szerzadatCalls = read;
        return ok;
    }
    QString query(const QString& sql) {
        return app->state.tables.dbo.query(sql).value(0, 0).toString();
    }

    std::unique_ptr<testsupport::StartedApp> app;
    QString in;
    int szerzadatCalls = 0;
};

TEST_F(SzerzodesTest, TablesReplacedReindexedAndContractReadAgain) {
    ASSERT_TRUE(run());
    EXPECT_EQ(app->msg.log(),
              (std::vector<std::string>{"information: A szerződés frissítése befejeződött!!\r"
                                        "Lecserélt táblák: SZERZ, TERULET, SZOLGSZ, THELY, PART"}));
    EXPECT_EQ(app->msg.statusText(0), "Az indexelés befejeződött!!");
    EXPECT_EQ(szerzadatCalls, 1);
    EXPECT_TRUE(app->state.tables.szerz.isOpen());
    EXPECT_EQ(query("select szszam from szerz order by rowid desc"), "UJ-SZERZODES");
    EXPECT_EQ(query("select inte from part"), "Uj nev");
    EXPECT_TRUE(engine::Table::indexFileOk(app->data("SZERZ.DBF")));
    EXPECT_TRUE(QDir(app->state.tempkonyvtar).entryList(QDir::Files).isEmpty());
}

TEST_F(SzerzodesTest, WithoutPaTheLocalPartStays) {
    QFile::remove(in + "/Pa1890.dbf");
    ASSERT_TRUE(run());
    EXPECT_EQ(query("select szszam from szerz order by rowid desc"), "UJ-SZERZODES");
    EXPECT_NE(query("select inte from part"), "Uj nev");
}

TEST_F(SzerzodesTest, AMissingOrDamagedFileLeavesTheOldTables) {
    const QStringList before = bytes();
    QFile::remove(in + "/Ad1890.dbf");
    EXPECT_TRUE(run());
    EXPECT_EQ(app->msg.log(),
              (std::vector<std::string>{"error: Nincs a megadott helyen szerződés állomány !!\r"
                                        "Szerződéses adatok betöltése megszakadt!!"}));
    // Damaged: not a table; a table without a needed field; a key field of
    // the wrong type.
    const std::vector<std::pair<QString, std::function<void()>>> damaged = {
        {"A(z) Ad1890.dbf állomány nem olvasható dBase tábla!",
         [&] { testsupport::writeAll(in + "/Ad1890.dbf", QByteArray(300, 'x')); }},
        {"A(z) At1890.dbf állományból hiányzik a(z) NAP mező!",
         [&] {
             writeDbf(in + "/Ad1890.dbf", {C("X", 1)}, {});
             QFile::copy(app->data("SZOLGSZ.DBF"), in + "/Ad1890.dbf.x");
             QFile::remove(in + "/Ad1890.dbf");
             QFile::rename(in + "/Ad1890.dbf.x", in + "/Ad1890.dbf");
             writeDbf(in + "/At1890.dbf",
                      {N("TSORSZAM", 5), D("KEZD"), D("VEG"), C("KOZIGKOD", 7), C("HELYNEV", 30),
                       C("CIM", 30)},
                      {});
         }},
    };
    for (const auto& [message, spoil] : damaged) {
        spoil();
        app->msg.clear();
        EXPECT_TRUE(run());
        ASSERT_EQ(app->msg.count(), 1);
        EXPECT_TRUE(app->msg.last().startsWith(message)) << app->msg.last().toStdString();
        EXPECT_EQ(szerzadatCalls, 0);
        EXPECT_EQ(bytes(), before);
        EXPECT_TRUE(app->state.tables.szerz.isOpen());
    }
}

} // namespace
