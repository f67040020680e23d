// Edges of the import of accounted sheets: the returned `Ma` file must be
// there though it is never read, and the accounted period lands in
// LAPB.ELIDO in the seven-character form "YYYY.MM" whatever form the office
// wrote it in.

#include "engine/table.h"
#include "exchange/elszamoltlapok.h"
#include "exchangedata.h"
#include "support/startedapp.h"
#include "ui/folderbrowser.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <memory>

using namespace exchangedata;

namespace {

struct NoFolders : ui::FolderAsker {
    ui::FolderChoice chooseFolder(const QString&, const QString&) override { return {}; }
};

// A started program in period 2016.03 with one sheet of three visit rows,
// and the office's four files in a folder of their own.
class ElszamoltSzelek : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<testsupport::StartedApp>(demo::Options{}, QDate(2016, 4, 10),
                                                        QStringLiteral("2016.03"));
        addSheet(app->state, "2016.03", "00012", "", 3, 3);
        in = app->work.path() + "/visszaadott";
        QDir().mkpath(in);
    }

    // Mb with the accounted period in the field `elszido`, one row per
    // visit (1, 2 and 3 March), each with its own value.
    void writeFiles(const engine::FieldDef& elszido, const QVariantList& ertekek) {
        std::vector<QVariantList> rows;
        for (int i = 0; i < int(ertekek.size()); ++i)
            rows.push_back({"1890", 12, "", "201603", QDate(2016, 3, i + 1), ertekek[i]});
        writeDbf(in + "/Mb1890.dbf",
                 {C("ULVKOD", 4), N("SORSZAM", 5), C("RESZ", 1), C("IDOSZAK", 6), D("DATUMTOL"),
                  elszido},
                 rows);
        writeDbf(in + "/Ma1890.dbf", {C("X", 1)}, {});
        writeDbf(in + "/Mc1890.dbf", {C("X", 1)}, {});
        writeDbf(in + "/Rav1890.dbf", {C("IDOSZAK", 7), N("ALAPDIJ", 10, 2), N("ELOLEG", 12, 1)},
                 {{"2016.03", 3450.5, 120000.0}});
    }

    bool run() {
        NoFolders f;
        exch::ElszamoltLapok imp(app->state, f);
        return imp.beolvas(in);
    }

    // ELIDO of the visit rows in record order, as the file holds it.
    QStringList elido() {
        engine::Table& t = app->state.tables.lapb;
        const bool filtered = t.filtered();
        t.setFiltered(false);
        QStringList out;
        const int fi = t.fieldIndex("ELIDO");
        for (std::uint32_t n = 1; n <= t.fileRecordCount(); ++n) {
            const QByteArrayView v = t.record(n).stored(fi);
            out << QString::fromLatin1(v.data(), v.size());
        }
        t.setFiltered(filtered);
        return out;
    }

    std::unique_ptr<testsupport::StartedApp> app;
    QString in;
};

} // namespace

TEST_F(ElszamoltSzelek, AMissingMaFileStopsBeforeAnything) {
    writeFiles(C("ELSZIDO", 6), {"201604", "201604", "201604"});
    QFile::remove(in + "/Ma1890.dbf");
    const QByteArray lapb = testsupport::readAll(app->data("Lapb.dbf"));
    EXPECT_FALSE(run());
    EXPECT_EQ(app->msg.log(),
              (std::vector<std::string>{"error: Nincs a megadott helyen beolvasandó állomány !!\r"
                                        "Elszámolt lapok visszaolvasása megszakadt!!"}));
    EXPECT_EQ(testsupport::readAll(app->data("Lapb.dbf")), lapb);
    EXPECT_TRUE(QDir(app->state.tempkonyvtar).entryList(QDir::Files).isEmpty());
}

TEST_F(ElszamoltSzelek, TheAccountedPeriodIsStoredAsYearPointMonth) {
    // Six characters, the office's own form.
    writeFiles(C("ELSZIDO", 6), {"201604", "201605", "201512"});
    ASSERT_TRUE(run()) << app->msg.last().toStdString();
    EXPECT_EQ(elido(), (QStringList{"2016.04", "2016.05", "2015.12"}));
    // Seven characters with the point: unchanged.
    writeFiles(C("ELSZIDO", 7), {"2016.06", "2016.06", "2016.06"});
    ASSERT_TRUE(run());
    EXPECT_EQ(elido(), (QStringList{"2016.06", "2016.06", "2016.06"}));
    // A date: its month.
    writeFiles(D("ELSZIDO"), {QDate(2016, 4, 30), QDate(2016, 4, 1), QDate(2016, 5, 2)});
    ASSERT_TRUE(run());
    EXPECT_EQ(elido(), (QStringList{"2016.04", "2016.04", "2016.05"}));
    // And SQL reads it as the same text.
    EXPECT_EQ(app->state.tables.dbo.query("select group_concat(elido, ' ') from lapb")
                  .value(0, 0)
                  .toString(),
              "2016.04 2016.04 2016.05");
}
