#include "exchange/elszamoltlapok.h"

#include "engine/dbffile.h"
#include "exchange/ravfajl.h"
#include "exchangedata.h"
#include "support/startedapp.h"
#include "ui/folderbrowser.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace exchangedata;

namespace {

struct NoFolder : ui::FolderAsker {
    ui::FolderChoice chooseFolder(const QString&, const QString&) override { return {}; }
};

// A started program in period 2016.03 with three sheets:
// 00012 (10 visits), 00007/A (10 visits), 00020 (no visits counted, 2 rows).
class ElszamoltTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<testsupport::StartedApp>(demo::Options{}, QDate(2016, 4, 10),
                                                        QStringLiteral("2016.03"));
        auto& st = app->state;
        addSheet(st, "2016.03", "00012", "", 10, 10);
        addSheet(st, "2016.03", "00007", "A", 10, 10);
        addSheet(st, "2016.03", "00020", "", 0, 2, 0);
        st.tables.dbo.exec("delete from zaras where idoszak = '2016.03'");
        st.tables.dbo.exec("insert into zaras (idoszak, lapoksz) values ('2016.03', 3)");
        in = app->work.path() + "/floppy";
        QDir().mkpath(in);
    }

    // The office's files: Mb's rows as (serial, part, day of March, period).
    struct Sor {
        QVariant sorszam;
        QString resz;
        int nap;
        QString idoszak = "201603";
    };
    void writeFiles(const std::vector<Sor>& sorok, const QString& ravIdoszak = "2016.03",
                    bool sorszamSzoveg = false) {
        std::vector<QVariantList> rows;
        for (const Sor& s : sorok)
            rows.push_back({"1890", s.sorszam, s.resz, s.idoszak, QDate(2016, 3, s.nap), "201604",
                            1, "extra"});
        writeDbf(in + "/Mb1890.dbf",
                 {C("ULVKOD", 4), sorszamSzoveg ? C("SORSZAM", 5) : N("SORSZAM", 5), C("RESZ", 1),
                  C("IDOSZAK", 6), D("DATUMTOL"), C("ELSZIDO", 6), N("VIZITDB", 2), C("MEGJ", 10)},
                 rows);
        writeDbf(in + "/Ma1890.dbf", {C("X", 1)}, {});
        writeDbf(in + "/Mc1890.dbf", {C("X", 1)}, {});
        writeDbf(in + "/Rav1890.dbf", {C("IDOSZAK", 7), N("ALAPDIJ", 10, 2), N("ELOLEG", 12, 1)},
                 {{ravIdoszak, 3450.5, 120000.0}});
    }
    std::vector<Sor> tizHat() {
        std::vector<Sor> s;
        for (int d = 1; d <= 10; ++d)
            s.push_back({12, "", d});
        for (int d = 1; d <= 6; ++d)
            s.push_back({7, "A", d});
        s.push_back({20, "", 1});
        return s;
    }
    QString allapot(const QString& sorsz) {
        return app->state.tables.dbo.query("select allapot from lap where sorsz = ?", {sorsz})
            .value(0, 0)
            .toString();
    }
    // ELIDO, ALLAPOT and the fee columns of the period, as one text.
    QString q3() {
        auto& db = app->state.tables.dbo;
        return db.query("select group_concat(ifnull(elido, '-'), '') from lapb")
                   .value(0, 0)
                   .toString() +
               db.query("select group_concat(ifnull(allapot, '-'), '') from lap")
                   .value(0, 0)
                   .toString() +
               db.query("select ifnull(alapdij, '-') || ifnull(ravkuld, '-') from zaras where "
                        "idoszak = '2016.03'")
                   .value(0, 0)
                   .toString();
    }
    int elszamolt() {
        return app->state.tables.dbo.query("select count(*) from lapb where elido = '2016.04'")
            .value(0, 0)
            .toInt();
    }
    bool run() {
        NoFolder f;
        exch::ElszamoltLapok imp(app->state, f);
        const bool ok = imp.beolvas(in);
        osszegzes = imp.osszegzes();
        return ok;
    }

    std::unique_ptr<testsupport::StartedApp> app;
    QString in;
    exch::ElszamoltOsszegzes osszegzes;
};

TEST_F(ElszamoltTest, AcceptedVisitsStatesAndFeesWrittenAndRepeatable) {
    auto s = tizHat();
    s.push_back({12, "", 25}); // accounted by the office, unknown here
    writeFiles(s);
    for (int round = 0; round < 2; ++round) {
        app->msg.clear();
        ASSERT_TRUE(run());
        EXPECT_EQ(elszamolt(), 17);
        EXPECT_EQ(allapot("00012"), QString(exch::kElszamolva)); // 10 of 10
        EXPECT_EQ(allapot("00007"), "R");                            // 6 of 10
        EXPECT_EQ(allapot("00020"), "");                             // 0 of 0
        EXPECT_EQ(osszegzes.olvasott, 18);
        EXPECT_EQ(osszegzes.bejegyzett, 17);
        EXPECT_EQ(osszegzes.nincsHelyi, 1);
        EXPECT_EQ(osszegzes.allapotValtozott, round == 0 ? 2 : 0);
        const auto z = app->state.tables.dbo.query(
            "select alapdij, eloleg, ravkuld from zaras where idoszak = '2016.03'");
        EXPECT_DOUBLE_EQ(z.value(0, 0).toDouble(), 3450.5);
        EXPECT_DOUBLE_EQ(z.value(0, 1).toDouble(), 120000.0);
        EXPECT_EQ(z.value(0, 2).toString(), "2016-04-10");
        ASSERT_EQ(app->msg.count(), 1);
        EXPECT_TRUE(app->msg.last().startsWith("Az elszámolt lapok beolvasása befejeződött!\r"));
        EXPECT_TRUE(app->msg.last().contains("Helyben nem található vizitsorok: 1\r"));
    }
    // The copies in TEMP are gone.
    EXPECT_FALSE(QFileInfo::exists(app->state.tempkonyvtar + "/Mb1890.dbf"));
}

TEST_F(ElszamoltTest, CharacterSerialAndFeesPeriodInOfficeForm) {
    std::vector<Sor> s;
    for (int d = 1; d <= 10; ++d)
        s.push_back({"12", "", d});
    writeFiles(s, "201603", true);
    ASSERT_TRUE(run());
    EXPECT_EQ(allapot("00012"), QString(exch::kElszamolva));
    EXPECT_EQ(osszegzes.dijIdoszak, "2016.03");
}

TEST_F(ElszamoltTest, RowOfAnotherPeriodInTheMiddleChangesNothing) {
    auto s = tizHat();
    s.insert(s.begin() + 8, Sor{12, "", 9, "201602"});
    writeFiles(s);
    const QByteArray lapb = testsupport::readAll(app->data("Lapb.dbf"));
    const QByteArray lap = testsupport::readAll(app->data("Lap.dbf"));
    const QByteArray zaras = testsupport::readAll(app->data("Zaras.dbf"));
    EXPECT_FALSE(run());
    EXPECT_EQ(app->msg.log(), (std::vector<std::string>{
                                  "error: Nem az elszámolási időszak lapja, nem tölthető ki az "
                                  "elszámolás!"}));
    EXPECT_EQ(elszamolt(), 0);
    EXPECT_EQ(testsupport::readAll(app->data("Lapb.dbf")), lapb);
    EXPECT_EQ(testsupport::readAll(app->data("Lap.dbf")), lap);
    EXPECT_EQ(testsupport::readAll(app->data("Zaras.dbf")), zaras);
}

TEST_F(ElszamoltTest, RefusedFilesChangeNothing) {
    writeFiles(tizHat());
    // Ma and Mc are required although never read.
    QFile::remove(in + "/Mc1890.dbf");
    EXPECT_FALSE(run());
    EXPECT_EQ(app->msg.log(),
              (std::vector<std::string>{"error: Nincs a megadott helyen beolvasandó állomány !!\r"
                                        "Elszámolt lapok visszaolvasása megszakadt!!"}));
    // A visit file without the accounted period.
    writeFiles(tizHat());
    writeDbf(in + "/Mb1890.dbf",
             {C("ULVKOD", 4), N("SORSZAM", 5), C("RESZ", 1), C("IDOSZAK", 6), D("DATUMTOL")},
             {{"1890", 12, "", "201603", QDate(2016, 3, 1)}});
    app->msg.clear();
    EXPECT_FALSE(run());
    EXPECT_EQ(app->msg.last(), "A(z) Mb1890.dbf állományból hiányzik a(z) ELSZIDO mező!");
    // Not a dBase table at all.
    testsupport::writeAll(in + "/Mb1890.dbf", "no table here");
    app->msg.clear();
    EXPECT_FALSE(run());
    EXPECT_TRUE(app->msg.last().startsWith("A(z) Mb1890.dbf állomány nem olvasható dBase tábla!"));
    // An empty visit file.
    writeFiles({});
    app->msg.clear();
    EXPECT_FALSE(run());
    EXPECT_EQ(app->msg.last(), "Nincs elszámolt lap");
    EXPECT_EQ(elszamolt(), 0);
}

TEST_F(ElszamoltTest, NoClosingRowForTheFeesPeriod) {
    writeFiles(tizHat(), "2015.11");
    const auto before =
        app->state.tables.dbo.query("select count(*) from zaras where alapdij is not null");
    ASSERT_TRUE(run());
    EXPECT_TRUE(osszegzes.dijIdoszak.isEmpty());
    EXPECT_EQ(app->state.tables.dbo.query("select count(*) from zaras where alapdij is not null")
                  .value(0, 0),
              before.value(0, 0));
    EXPECT_EQ(app->msg.count(), 1);
}

// ELIDO, ALLAPOT and the fees are one change unit: a failing write anywhere
// leaves all three tables as they were.
TEST_F(ElszamoltTest, EveryFailingWriteLeavesEveryTableAsItWas) {
    writeFiles(tizHat());
    const QString before = q3();
    int fired = 0;
    for (long n = 1;; ++n) {
        bool failed = false;
        engine::testing::setIoHook([&](engine::testing::IoOp, long i) {
            // The copies into TEMP fail too: nothing is read then.
            if (i != n) return engine::testing::IoAction::Proceed;
            failed = true;
            return engine::testing::IoAction::Fail;
        });
        app->msg.clear();
        const bool ok = run();
        engine::testing::setIoHook(nullptr);
        SCOPED_TRACE(n);
        if (!failed || ok) {
            EXPECT_TRUE(ok);
            EXPECT_EQ(elszamolt(), 17);
            break;
        }
        ++fired;
        EXPECT_EQ(q3(), before);
    }
    EXPECT_GT(fired, 5);
}

// Every value of Mb and Rav is checked before anything is written: a
// malformed or too wide one is refused naming the file, the row and the
// field, and no table changes.
TEST_F(ElszamoltTest, MalformedValuesAreRefusedAndChangeNothing) {
    const QString mb = in + "/Mb1890.dbf", rav = in + "/Rav1890.dbf";
    const QString nbsp = QString(QChar(0xA0));
    const std::vector<std::pair<std::function<void()>, QString>> cases = {
        {[&] { patchField(mb, 1, "ELSZIDO", QByteArray("\x01\x02\x1A\r\0\xFF", 6)); },
         "A(z) Mb1890.dbf állomány 1. sorában hibás a(z) ELSZIDO mező: \"[01][02][1A][0D][00]" +
             nbsp + "\"\rA mezőben nem valódi időszak áll (ÉÉÉÉHH vagy ÉÉÉÉ.HH)."},
        {[&] {
             patchField(mb, 3, "DATUMTOL",
                        "2016\x1A"
                        "301");
         },
         "A(z) Mb1890.dbf állomány 3. sorában hibás a(z) DATUMTOL mező: \"2016[1A]301\"\r"
         "A mezőben nem valódi dátum áll."},
        {[&] { patchField(mb, 2, "SORSZAM", "1e20"); },
         "A(z) Mb1890.dbf állomány 2. sorában hibás a(z) SORSZAM mező: \"1e20\"\r"
         "A mezőben nem előjel nélküli egész szám áll."},
        {[&] { patchField(mb, 2, "SORSZAM", "  inf"); },
         "A(z) Mb1890.dbf állomány 2. sorában hibás a(z) SORSZAM mező: \"  inf\"\r"
         "A mezőben nem előjel nélküli egész szám áll."},
        {[&] { patchField(mb, 2, "SORSZAM", "  -12"); },
         "A(z) Mb1890.dbf állomány 2. sorában hibás a(z) SORSZAM mező: \"  -12\"\r"
         "A(z) „SORSZAM” mezőbe csak számjegyek írhatók, előjel nélkül!"},
        {[&] {
             std::vector<QVariantList> rows;
             for (int d = 1; d <= 3; ++d)
                 rows.push_back(
                     {"1890", d == 2 ? 100012 : 12, "", "201603", QDate(2016, 3, d), "201604"});
             writeDbf(mb,
                      {C("ULVKOD", 4), N("SORSZAM", 6), C("RESZ", 1), C("IDOSZAK", 6),
                       D("DATUMTOL"), C("ELSZIDO", 6)},
                      rows);
         },
         "A(z) Mb1890.dbf állomány 2. sorában hibás a(z) SORSZAM mező: \"100012\"\r"
         "A(z) „SORSZAM” mezőbe legfeljebb 5 karakter írható!"},
        {[&] { patchField(mb, 4, "RESZ", "\x1A"); },
         "A(z) Mb1890.dbf állomány 4. sorában hibás a(z) RESZ mező: \"[1A]\"\r"
         "A mezőben vezérlőkarakter áll."},
        {[&] { patchField(rav, 1, "ALAPDIJ", "inf"); },
         "A(z) Rav1890.dbf állomány 1. sorában hibás a(z) ALAPDIJ mező: \"inf\"\r"
         "A mezőben nem szám áll."},
        {[&] { patchField(rav, 1, "ELOLEG", "1234567890.5"); },
         "A(z) Rav1890.dbf állomány 1. sorában hibás a(z) ELOLEG mező: \"1234567890.5\"\r"
         "ELOLEG mező: a(z) 1234567890.5 érték nem fér el 10 számjegyen"},
    };
    const QByteArray lapb = testsupport::readAll(app->data("Lapb.dbf"));
    const QByteArray lap = testsupport::readAll(app->data("Lap.dbf"));
    const QByteArray zaras = testsupport::readAll(app->data("Zaras.dbf"));
    for (const auto& [spoil, message] : cases) {
        SCOPED_TRACE(message.toStdString());
        writeFiles(tizHat());
        spoil();
        app->msg.clear();
        EXPECT_FALSE(run());
        EXPECT_EQ(app->msg.log(), (std::vector<std::string>{"error: " + message.toStdString()}));
        EXPECT_EQ(testsupport::readAll(app->data("Lapb.dbf")), lapb);
        EXPECT_EQ(testsupport::readAll(app->data("Lap.dbf")), lap);
        EXPECT_EQ(testsupport::readAll(app->data("Zaras.dbf")), zaras);
    }
}

TEST(Fizetesiallapot, ByTheOrderOfTheTests) {
    using exch::fizetesiAllapot;
    EXPECT_EQ(fizetesiAllapot(10, 10, "R"), QString(exch::kElszamolva));
    EXPECT_EQ(fizetesiAllapot(10, 6, ""), "R");
    EXPECT_EQ(fizetesiAllapot(10, 0, "R"), "");
    EXPECT_EQ(fizetesiAllapot(0, 0, "R"), "");
    EXPECT_EQ(fizetesiAllapot(5, 6, "R"), "R");
    EXPECT_EQ(exch::nullakkal(12), "00012");
    EXPECT_EQ(exch::nullakkal(7), "00007");
}

} // namespace
