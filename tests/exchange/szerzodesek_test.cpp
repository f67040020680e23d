#include "exchange/szerzodesek.h"

#include "app/startup.h"
#include "exchangedata.h"
#include "support/startedapp.h"
#include "ui/folderbrowser.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <memory>

using namespace exchangedata;

namespace {

// The lock helper as the build names it. Under Wine that is a path of the
// Unix side ("/work/..."), which Windows takes on the current drive: the
// drive the tests started on, not that of the started program's folder.
const QString kLockHolder = [] {
    QString p = QStringLiteral(SZ_LOCKHOLDER);
#ifdef Q_OS_WIN
    if (p.startsWith(u'/')) p.prepend(QDir::currentPath().left(2));
#endif
    return p;
}();

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
        exch::Szerzodesek imp(app->state, f, [&] {
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

// The office's files come in as they are: the language driver mark (byte 29)
// and every other byte of the contract tables stay the office's.
TEST_F(SzerzodesTest, TheTablesAreTheOfficesBytes) {
    const QStringList prefix = {"As", "Ar", "Ad", "At", "Pa"};
    for (const QString& p : prefix) {
        QFile f(in + "/" + p + "1890.dbf");
        ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.seek(29) && f.write("\x64", 1) == 1);
    }
    ASSERT_TRUE(run());
    for (int i = 0; i < kTables.size(); ++i)
        EXPECT_EQ(testsupport::readAll(app->data(kTables[i])),
                  testsupport::readAll(in + "/" + prefix[i] + "1890.dbf"))
            << kTables[i].toStdString();
    EXPECT_TRUE(engine::Table::indexFileOk(app->data("SZERZ.DBF")));
    EXPECT_EQ(query("select szszam from szerz order by rowid desc"), "UJ-SZERZODES");
}

// A file without the rows or values the program relies on is refused, with
// every table as it was.
TEST_F(SzerzodesTest, FilesWithoutWhatTheProgramReliesOnAreRefused) {
    const std::vector<engine::FieldDef> part = {C("INTKOD", 4), C("INTE", 50), N("MEGYE", 2),
                                                C("IRSZAM", 4), C("HELY", 25), C("UTCA", 30)};
    const QVariantList provider = {"1890", "Uj nev", 18, "8500", "Pápa", "Fő utca 1."};
    auto with = [&](int i, const QVariant& v) {
        QVariantList r = provider;
        r[i] = v;
        return r;
    };
    const QString abort = "\rSzerződéses adatok betöltése megszakadt!!";
    const std::vector<std::pair<std::function<void()>, QString>> cases = {
        {[&] { writeDbf(in + "/Pa1890.dbf", part, {}); },
         "A(z) Pa1890.dbf állományban pontosan egy szolgáltató adatainak kell állnia, de 0 sor "
         "van benne!"},
        {[&] {
             writeDbf(in + "/Pa1890.dbf", part, {provider, with(0, "1891")});
         },
         "A(z) Pa1890.dbf állományban pontosan egy szolgáltató adatainak kell állnia, de 2 sor "
         "van benne!"},
        {[&] { writeDbf(in + "/Pa1890.dbf", part, {with(0, "../x")}); },
         "A(z) Pa1890.dbf állomány 1. sorában hibás a(z) INTKOD mező: \"../x\"\r"
         "A szolgáltató kódja négy betű vagy számjegy."},
        {[&] { writeDbf(in + "/Pa1890.dbf", part, {with(0, "")}); },
         "A(z) Pa1890.dbf állomány 1. sorában hibás a(z) INTKOD mező: \"\"\r"
         "A szolgáltató kódja négy betű vagy számjegy."},
        {[&] { writeDbf(in + "/Pa1890.dbf", part, {with(2, 21)}); },
         "A(z) Pa1890.dbf állomány 1. sorában hibás a(z) MEGYE mező: \"21\"\r"
         "A megye kódja 1 és 20 közötti szám."},
        {[&] { patchField(in + "/Pa1890.dbf", 1, "INTE", "Uj\x1Anev"); },
         "A(z) Pa1890.dbf állomány 1. sorában hibás a(z) INTE mező: \"Uj[1A]nev\"\r"
         "A mezőben vezérlőkarakter áll."},
        {[&] {
             engine::Table t;
             t.open(in + "/As1890.dbf");
             t.last();
             t.edit();
             t.setValue("FINKOD", "");
             t.post();
         },
         "A(z) As1890.dbf állományban a legutóbbi szerződésnek (2. sor) nincs finanszírozási "
         "kódja (FINKOD)!"},
        {[&] {
             engine::Table t;
             t.open(in + "/As1890.dbf");
             for (t.first(); !t.eof();)
                 t.remove();
         },
         "A(z) As1890.dbf állományban nincs egy szerződés sem!"},
        {[&] { patchField(in + "/As1890.dbf", 1, "SZKEZD", "20150230"); },
         "A(z) As1890.dbf állomány 1. sorában hibás a(z) SZKEZD mező: \"20150230\"\r"
         "A mezőben nem valódi dátum áll."},
        {[&] { patchField(in + "/Ad1890.dbf", 2, "TAJ", "1e99"); },
         "A(z) Ad1890.dbf állomány 2. sorában hibás a(z) TAJ mező: \"1e99\"\r"
         "A mezőben nem előjel nélküli egész szám áll."},
        {[&] { patchField(in + "/At1890.dbf", 1, "KOZIGKOD", "31945\r9"); },
         "A(z) At1890.dbf állomány 1. sorában hibás a(z) KOZIGKOD mező: \"31945[0D]9\"\r"
         "A mezőben vezérlőkarakter áll."},
    };
    const QStringList before = bytes();
    const QStringList prefix = {"As", "Ar", "Ad", "At", "Pa"};
    for (const auto& [spoil, message] : cases) {
        SCOPED_TRACE(message.toStdString());
        for (int i = 0; i < kTables.size(); ++i) {
            QFile::remove(in + "/" + prefix[i] + "1890.dbf");
            QFile::copy(app->data(kTables[i]), in + "/" + prefix[i] + "1890.dbf");
        }
        spoil();
        app->msg.clear();
        EXPECT_TRUE(run());
        EXPECT_EQ(app->msg.log(),
                  (std::vector<std::string>{"error: " + (message + abort).toStdString()}));
        EXPECT_EQ(szerzadatCalls, 0);
        EXPECT_EQ(bytes(), before);
        EXPECT_TRUE(app->state.tables.szerz.isOpen());
    }
}

// A table another program holds (the start-up could not open it and said
// so) is not replaced under it: the import refuses as the start-up does.
TEST_F(SzerzodesTest, ATableAnotherProgramHoldsIsRefused) {
    const QStringList before = bytes();
    app->state.tables.szerz.close();
    QProcess holder;
    holder.start(kLockHolder, {app->data("SZERZ.DBF")});
    // Started first: a program still starting has nothing to read (and under
    // Wine it starts in seconds).
    ASSERT_TRUE(holder.waitForStarted(10000)) << holder.errorString().toStdString();
    QByteArray said;
    while (!said.contains("locked") && holder.waitForReadyRead(10000))
        said += holder.readAllStandardOutput();
    ASSERT_TRUE(said.contains("locked")) << holder.readAllStandardError().toStdString();
    EXPECT_TRUE(run());
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(app->msg.log(),
              (std::vector<std::string>{"error: " +
                                        QDir::toNativeSeparators(app->data("SZERZ.DBF")).toStdString() +
                                        ": az állományt egy másik program használja\r"
                                        "Szerződéses adatok betöltése megszakadt!!"}));
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(szerzadatCalls, 0);
    // Once the other program is gone the import goes through.
    app->msg.clear();
    ASSERT_TRUE(run());
    EXPECT_EQ(query("select szszam from szerz order by rowid desc"), "UJ-SZERZODES");
}

} // namespace
