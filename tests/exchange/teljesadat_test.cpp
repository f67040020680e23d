#include "exchange/teljesadat.h"

#include "db/arj.h"
#include "db/tableops.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "exchange/elszamoltlapok.h"
#include "exchange/ravfajl.h"
#include "exchangedata.h"
#include "engine/sysfile.h"
#include "support/childrun.h"
#include "support/startedapp.h"
#include "ui/folderbrowser.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

using namespace exchangedata;

namespace {

struct NoFolder : ui::FolderAsker {
    ui::FolderChoice chooseFolder(const QString&, const QString&) override { return {}; }
};

std::vector<engine::FieldDef> aaFields() {
    return {C("ULVKOD", 4),   C("FINKOD", 9),  N("SORSZAM", 5),  C("RESZ", 1),      C("IDOSZAK", 6),
            N("ORVOSKOD", 5), N("JORVKOD", 5), C("TAJ", 9),      C("KOZIGKOD", 7),  C("AZTIP", 1),
            C("TERKAT", 2),   C("ALLAMP", 3),  N("TERPOT", 1),   C("TEVKODOK", 34), D("ELBOCS"),
            N("APNAP", 4),    D("ELREND"),     D("SZAKVET"),     N("ELVIZDB", 3),   C("GYAK", 15),
            N("ELSZVIZ", 3),  N("ELSZAM", 3),  D("LEZDAT"),      N("ENGSZAM", 4),   D("ENGDAT"),
            N("OVIZITDB", 2), C("MODIDO", 6),  C("MODTIPUS", 1), C("ALLAPOT", 1)};
}
// A sheet row: period, serial, part, ordering doctor, proposing doctor,
// TERPOT, visits, ALLAPOT.
QVariantList aaRow(const QString& p, int sorszam, const QString& resz, int orvos, int jorv,
                   int terpot, int viz, const QString& allapot) {
    return {"1890",
            "FIN000042",
            sorszam,
            resz,
            p,
            orvos,
            jorv,
            "123456788",
            "1234567",
            "1",
            "01",
            "HUN",
            terpot,
            "AB",
            QDate(2016, 1, 2),
            3,
            QDate(2016, 1, 1),
            QDate(2016, 1, 3),
            14,
            "heti 2",
            0,
            1,
            QVariant(),
            0,
            QVariant(),
            viz,
            "201606",
            "",
            allapot};
}
std::vector<engine::FieldDef> abFields() {
    return {C("ULVKOD", 4),  C("FINKOD", 9), N("SORSZAM", 5), C("RESZ", 1),
            C("IDOSZAK", 6), C("TEVKOD", 2), N("ELLTIP", 1),  N("ONKEP", 1),
            D("DATUMTOL"),   C("APTAJ", 9),  N("VIZITDB", 2), C("ELSZIDO", 6)};
}
std::vector<engine::FieldDef> acFields() {
    return {C("ULVKOD", 4),  C("FINKOD", 9), N("SORSZAM", 5), C("RESZ", 1),
            C("IDOSZAK", 6), N("BNOTIP", 1), C("BNOKOD", 5)};
}

// The office's full data set of the demo provider, its latest period 2016.05.
std::vector<QVariantList> aaRows() {
    return {aaRow("200412", 1, "", 5, 0, 1, 2, ""),   // before 2005.02: left out
            aaRow("201605", 7, "", 12, 0, 1, 2, "u"), // "00007", JORVKOD empty, N
            aaRow("201501", 3, "", 12, 44, 2, 1, "R"),  aaRow("201601", 30, "A", 12, 44, 1, 6, ""),
            aaRow("201602", 30, "B", 12, 44, 1, 8, ""), aaRow("201602", 31, "A", 12, 44, 1, 15, ""),
            aaRow("201601", 3, "", 12, 44, 2, 1, "")};
}
QVariantList abRow(int s, const QString& resz, const QString& p, QDate d) {
    return {"1890", "FIN000042", s, resz, p, "01", 2, 1, d, "012345678", 1, "201606"};
}
std::vector<QVariantList> abRows() {
    return {abRow(7, "", "201605", QDate(2016, 5, 3)), abRow(7, "", "201605", QDate(2016, 5, 2)),
            abRow(1, "", "200412", QDate(2004, 12, 2)), abRow(3, "", "201501", QDate(2015, 1, 5))};
}
std::vector<QVariantList> acRows() {
    return {{"1890", "", 7, "", "201605", 3, "I10"}, {"1890", "", 7, "", "201605", 5, "E11"},
            {"1890", "", 7, "", "201605", 1, "K25"}, {"1890", "", 7, "", "201605", 4, "J45"},
            {"1890", "", 7, "", "201605", 6, "Z74"}, {"1890", "", 7, "", "201605", 2, "X99"},
            {"1890", "", 9, "", "201605", 3, "I10"}};
}
void writeDataSet(const QString& dir) {
    writeDbf(dir + "/Aa1890.dbf", aaFields(), aaRows());
    writeDbf(dir + "/Ab1890.dbf", abFields(), abRows());
    writeDbf(dir + "/Ac1890.dbf", acFields(), acRows());
}

// The position of a field in a field list.
size_t at(const std::vector<engine::FieldDef>& fields, const char* name) {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == QLatin1String(name)) return i;
    throw std::logic_error(name);
}

// The sheet file with field `name` widened to `width` (its type kept) and
// row `row` (from 1) holding `value` there.
void wideAa(const QString& dir, const char* name, int width, int row, const QVariant& value) {
    auto fields = aaFields();
    const size_t i = at(fields, name);
    fields[i] = engine::fieldDef(QLatin1String(name), fields[i].type, width);
    auto rows = aaRows();
    rows[size_t(row - 1)][qsizetype(i)] = value;
    writeDbf(dir + "/Aa1890.dbf", fields, rows);
}

class TeljesTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<testsupport::StartedApp>(demo::Options{}, QDate(2016, 6, 10),
                                                        QStringLiteral("2016.05"));
        addSheet(app->state, "2016.05", "00099", "", 3, 3);
        in = app->work.path() + "/floppy";
        QDir().mkpath(in);
        writeDataSet(in);
    }
    QString q(const QString& sql) {
        return app->state.tables.dbo.query(sql).value(0, 0).toString();
    }
    // Sheets, visits and order rows.
    QString counts() {
        return q("select count(*) from lap") + "/" + q("select count(*) from lapb") + "/" +
               q("select count(*) from elrend");
    }
    std::unique_ptr<testsupport::StartedApp> app;
    QString in;
};

TEST_F(TeljesTest, ArchiveRestoredAsMapped) {
    ASSERT_TRUE(db::Archiver().pack(in + "/Telj1890.arj",
                                    {in + "/Aa1890.dbf", in + "/Ab1890.dbf", in + "/Ac1890.dbf"}));
    for (const char* f : {"Aa1890.dbf", "Ab1890.dbf", "Ac1890.dbf"})
        QFile::remove(in + "/" + f);
    NoFolder folders;
    exch::TeljesAdat imp(app->state, folders);
    QStringList stages;
    imp.setProgress([&](const QString& s) { stages << s; });
    ASSERT_TRUE(imp.beolvas(in)) << app->msg.last().toStdString();
    EXPECT_EQ(stages, (QStringList{"Kicsomagolás", "Lapok", "Vizitek", "Diagnózisok",
                                   "Részszámla-sorozatok", "Táblák cseréje"}));
    EXPECT_TRUE(app->msg.last().startsWith("A teljes adatállomány cseréje befejeződött!\r"));
    EXPECT_EQ(counts(), "6/3/6");
    EXPECT_EQ(q("select count(*) from lap where idoszak < '2005.02'"), "0");
    // Serial, doctors, supplement, payment state, sending state.
    const auto r = app->state.tables.dbo.query(
        "select a.sorsz, a.orvoskod, c.jorvkod, a.tpotl, a.allapot, a.elkuldve, a.bnofo, "
        "a.bnorov, a.bnoki, a.bnomell, a.bnoell, a.szviz from lap a, elrend c "
        "where a.sorsz = c.sorsz and a.idoszak = c.idoszak and a.idoszak = '2016.05'");
    ASSERT_EQ(r.rowCount(), 1);
    EXPECT_EQ(r.row(0),
              (QVariantList{"00007", "00012", QVariant(), "N", QString(exch::kElszamolva),
                            "2016.05", "I10", "E11", "K25", "J45", "Z74", 2}));
    // The four-period rule: 2016.02 to 2016.05 keep their period.
    EXPECT_EQ(q("select group_concat(idoszak || '=' || elkuldve, ' ') from "
                "(select distinct idoszak, elkuldve from lap order by idoszak)"),
              "2015.01=xxxx.xx 2016.01=xxxx.xx 2016.02=2016.02 2016.05=2016.05");
    EXPECT_EQ(q("select tpotl || jorvkod from lap a, elrend c where a.sorsz = '00003' and "
                "a.idoszak = '2015.01' and c.sorsz = a.sorsz and c.idoszak = a.idoszak"),
              "I00044");
    // Visits by day, the accounted period, the nurse's TAJ as text.
    EXPECT_EQ(q("select group_concat(apdatum || ' ' || elido || ' ' || elkuldve || ' ' || aptaj, "
                "'; ') from lapb"),
              "2015-01-05 2016.06 xxxx.xx 012345678; 2016-05-02 2016.06 2016.05 012345678; "
              "2016-05-03 2016.06 2016.05 012345678");
    // 6 + 8 visits make a complete series, 15 do not.
    EXPECT_EQ(q("select group_concat(sorsz || resz || ifnull(tele, '-'), ' ') from "
                "(select * from lap where resz is not null order by sorsz, resz)"),
              "00030A* 00030B* 00031A-");
    EXPECT_EQ(imp.osszegzes().korabbiLapok, 1);
    EXPECT_EQ(imp.osszegzes().arvaDiagnozis, 1);
    EXPECT_EQ(imp.osszegzes().teljesSorozat, 1);
    EXPECT_TRUE(QDir(app->state.tempkonyvtar).entryList(QDir::Files).isEmpty());
}

TEST_F(TeljesTest, RefusedArchivesLeaveTheTables) {
    NoFolder folders;
    exch::TeljesAdat imp(app->state, folders);
    EXPECT_FALSE(imp.beolvas(in));
    EXPECT_EQ(app->msg.last(), "Nincs a megadott helyen beolvasandó állomány !!\r"
                               "A teljes adatállomány beolvasása megszakadt!!");
    testsupport::writeAll(in + "/Telj1890.arj", "not an archive");
    EXPECT_FALSE(imp.beolvas(in));
#ifdef Q_OS_WIN
    // No archiver to start on Windows: the program's own reader says why.
    EXPECT_EQ(app->msg.last(), "Hiba a kicsomagolásban!\r"
                               "A(z) Telj1890.arj nem ARJ archívum.\r"
                               "Az adatok nem változtak.");
#else
    EXPECT_EQ(app->msg.last(), "Hiba a kicsomagolásban!");
#endif
    // A visit file without the accounted period.
    writeDbf(in + "/Ab1890.dbf", {C("IDOSZAK", 6)}, {});
    app->msg.clear();
    EXPECT_THROW(imp.csere(in + "/Aa1890.dbf", in + "/Ab1890.dbf", in + "/Ac1890.dbf"),
                 exch::RavHiba);
    EXPECT_EQ(counts(), "1/3/0");
}

TEST_F(TeljesTest, EveryFailingWriteLeavesAllOldOrAllNew) {
    NoFolder folders;
    int fired = 0;
    for (long n = 1;; ++n) {
        exch::TeljesAdat imp(app->state, folders);
        bool failed = false;
        engine::testing::setIoHook([&](engine::testing::IoOp, long i) {
            if (i != n) return engine::testing::IoAction::Proceed;
            failed = true;
            return engine::testing::IoAction::Fail;
        });
        bool ok = false;
        try {
            ok = imp.csere(in + "/Aa1890.dbf", in + "/Ab1890.dbf", in + "/Ac1890.dbf");
        } catch (const engine::DbError&) {
        }
        engine::testing::setIoHook(nullptr);
        SCOPED_TRACE(n);
        // A failure after the unit's journal went (the new index files)
        // leaves the tables new; every later operation is of that kind.
        if (!failed || ok) {
            EXPECT_TRUE(ok);
            EXPECT_EQ(counts(), "6/3/6");
            break;
        }
        ++fired;
        EXPECT_FALSE(ok);
        EXPECT_EQ(counts(), "1/3/0");
        EXPECT_FALSE(QFile::exists(engine::journalPath(app->state.tables.directory())));
    }
    EXPECT_GT(fired, 8);
}

TEST_F(TeljesTest, KilledAtAnyOperationRecoversAllOldOrAllNew) {
    if (testsupport::childRole() == "csere") {
        const QStringList a = testsupport::childArgs();
        const long n = a.value(0).toLong();
        const QString from = a.value(1);
        app->takeOver(a.mid(2));
        NoFolder folders;
        exch::TeljesAdat imp(app->state, folders);
        engine::testing::setIoHook([n](engine::testing::IoOp, long i) {
            if (i == n) engine::sys::killSelf();
            return engine::testing::IoAction::Proceed;
        });
        try {
            imp.csere(from + "/Aa1890.dbf", from + "/Ab1890.dbf", from + "/Ac1890.dbf");
        } catch (...) {
            testsupport::childExit(3);
        }
        testsupport::childExit(0);
    }
    auto& t = app->state.tables;
    const QString data = t.directory();
    const QStringList files = {"Lap.dbf", "Lapb.dbf", "Elrend.dbf",
                               "Lap.mdx", "Lapb.mdx", "Elrend.mdx"};
    db::mindzar(t);
    for (const QString& f : files)
        QFile::copy(t.file(f), in + "/" + f + ".old");
    int killed = 0;
    QSet<QString> seen;
    for (long n = 1;; ++n) {
        // The child works on the test's tables, closed here meanwhile.
        testsupport::Child child("csere", QStringList{QString::number(n), in} + app->folders());
        ASSERT_TRUE(child.started());
        const testsupport::Child::End end = child.wait();
        SCOPED_TRACE(n);
        // What the next start finds.
        for (engine::Table* table : {&t.lap, &t.lapb, &t.elrend})
            table->close();
        engine::recoverJournal(data);
        engine::removeLeftoverFiles(data);
        db::indexel(t);
        const QString c = counts();
        EXPECT_TRUE(c == "1/3/0" || c == "6/3/6") << c.toStdString();
        seen << c;
        db::mindzar(t);
        for (const QString& f : files) {
            QFile::remove(t.file(f));
            QFile::copy(in + "/" + f + ".old", t.file(f));
        }
        if (!end.killed) {
            db::mindnyit(t);
            EXPECT_EQ(end.code, 0);
            EXPECT_EQ(c, "6/3/6");
            break;
        }
        ++killed;
    }
    EXPECT_GT(killed, 8);
    EXPECT_EQ(seen.size(), 2);
}

// A value from the office is checked as a typed one would be, and one that
// does not fit is refused whole, never cut: the message names the file, the
// row, the field and what stands in it, and the tables stay as they were.
TEST_F(TeljesTest, TooWideAndMalformedValuesAreRefusedAndChangeNothing) {
    const QString aa = in + "/Aa1890.dbf", ab = in + "/Ab1890.dbf", ac = in + "/Ac1890.dbf";
    struct Eset {
        std::function<void()> spoil;
        QString message;
    };
    const std::vector<Eset> cases = {
        {[&] { wideAa(in, "SORSZAM", 6, 3, 100001); },
         "A(z) Aa1890.dbf állomány 3. sorában hibás a(z) SORSZAM mező: \"100001\"\r"
         "A(z) „SORSZAM” mezőbe legfeljebb 5 karakter írható!"},
        {[&] { wideAa(in, "ORVOSKOD", 6, 2, 123456); },
         "A(z) Aa1890.dbf állomány 2. sorában hibás a(z) ORVOSKOD mező: \"123456\"\r"
         "A(z) „ORVOSKOD” mezőbe legfeljebb 5 karakter írható!"},
        {[&] { wideAa(in, "TAJ", 10, 2, "1234567882"); },
         "A(z) Aa1890.dbf állomány 2. sorában hibás a(z) TAJ mező: \"1234567882\"\r"
         "A(z) „TAJ” mezőbe legfeljebb 9 karakter írható!"},
        {[&] {
             auto fields = aaFields();
             fields[at(fields, "TAJ")] = N("TAJ", 10);
             auto rows = aaRows();
             for (auto& r : rows)
                 r[qsizetype(at(fields, "TAJ"))] = 123456788;
             rows[3][qsizetype(at(fields, "TAJ"))] = qint64(1234567882);
             writeDbf(aa, fields, rows);
         },
         "A(z) Aa1890.dbf állomány 4. sorában hibás a(z) TAJ mező: \"1234567882\"\r"
         "A(z) „TAJ” mezőbe legfeljebb 9 karakter írható!"},
        {[&] { patchField(aa, 2, "TAJ", "12345678X"); },
         "A(z) Aa1890.dbf állomány 2. sorában hibás a(z) TAJ mező: \"12345678X\"\r"
         "A(z) „TAJ” mezőbe csak számjegyek írhatók, előjel nélkül!"},
        {[&] { patchField(aa, 2, "ELBOCS", QByteArray("AB\0\x1A\r9XZ", 8)); },
         "A(z) Aa1890.dbf állomány 2. sorában hibás a(z) ELBOCS mező: \"AB[00][1A][0D]9XZ\"\r"
         "A mezőben nem valódi dátum áll."},
        {[&] { patchField(aa, 5, "RESZ", "\x1A"); },
         "A(z) Aa1890.dbf állomány 5. sorában hibás a(z) RESZ mező: \"[1A]\"\r"
         "A mezőben vezérlőkarakter áll."},
        {[&] { wideAa(in, "GYAK", 16, 2, "heti kétszer 2x1"); },
         "A(z) Aa1890.dbf állomány 2. sorában hibás a(z) GYAK mező: \"heti kétszer 2x1\"\r"
         "A(z) „GYAK” mezőbe legfeljebb 15 karakter írható!"},
        {[&] { wideAa(in, "APNAP", 5, 2, 12345); },
         "A(z) Aa1890.dbf állomány 2. sorában hibás a(z) APNAP mező: \"12345\"\r"
         "A(z) „APNAP” mezőbe legfeljebb 3 karakter írható!"},
        {[&] { patchField(aa, 2, "SORSZAM", " 1e20"); },
         "A(z) Aa1890.dbf állomány 2. sorában hibás a(z) SORSZAM mező: \" 1e20\"\r"
         "A mezőben nem előjel nélküli egész szám áll."},
        {[&] { patchField(ab, 1, "DATUMTOL", "20160231"); },
         "A(z) Ab1890.dbf állomány 1. sorában hibás a(z) DATUMTOL mező: \"20160231\"\r"
         "A mezőben nem valódi dátum áll."},
        {[&] {
             patchField(ab, 2, "ELSZIDO",
                        "2016\x1A"
                        "6");
         },
         "A(z) Ab1890.dbf állomány 2. sorában hibás a(z) ELSZIDO mező: \"2016[1A]6\"\r"
         "A mezőben nem valódi időszak áll (ÉÉÉÉHH vagy ÉÉÉÉ.HH)."},
        {[&] { patchField(ab, 1, "SORSZAM", ""); },
         "A(z) Ab1890.dbf állomány 1. sorában hibás a(z) SORSZAM mező: \"\"\r"
         "A mező kitöltése kötelező!"},
        {[&] { patchField(ac, 4, "BNOKOD", "J4\x01"); },
         "A(z) Ac1890.dbf állomány 4. sorában hibás a(z) BNOKOD mező: \"J4[01]\"\r"
         "A mezőben vezérlőkarakter áll."},
        // A key twice is two records merged: refused too.
        {[&] {
             auto rows = aaRows();
             rows.push_back(aaRow("201605", 7, "", 13, 0, 1, 2, ""));
             writeDbf(aa, aaFields(), rows);
         },
         "A(z) Aa1890.dbf állományban a(z) 00007 sorszámú, 2016.05 időszaki lap kétszer szerepel "
         "(2. és 8. sor)!"},
        {[&] {
             auto rows = abRows();
             rows.push_back(abRow(7, "", "201605", QDate(2016, 5, 2)));
             writeDbf(ab, abFields(), rows);
         },
         "A(z) Ab1890.dbf állományban a(z) 00007 sorszámú, 2016.05 időszaki lap 2016.05.02-i "
         "vizitje kétszer szerepel (2. és 5. sor)!"},
        {[&] {
             auto rows = acRows();
             rows.push_back({"1890", "", 7, "", "201605", 3, "I11"});
             writeDbf(ac, acFields(), rows);
         },
         "A(z) Ac1890.dbf állományban a(z) 00007 sorszámú, 2016.05 időszaki lap 3. típusú "
         "(BNOTIP) diagnózisa kétszer szerepel (1. és 8. sor)!"},
    };
    const QByteArray lap = testsupport::readAll(app->data("Lap.dbf"));
    NoFolder folders;
    for (const Eset& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        writeDataSet(in);
        c.spoil();
        exch::TeljesAdat imp(app->state, folders);
        QString refused;
        try {
            imp.csere(aa, ab, ac);
        } catch (const exch::RavHiba& e) {
            refused = e.text();
        }
        EXPECT_EQ(refused, c.message);
        EXPECT_EQ(counts(), "1/3/0");
        EXPECT_EQ(testsupport::readAll(app->data("Lap.dbf")), lap);
    }
    // Through the menu command the refusal is the error box's text.
    writeDataSet(in);
    patchField(aa, 2, "ELBOCS", QByteArray("AB\0\x1A\r9XZ", 8));
    ASSERT_TRUE(db::Archiver().pack(in + "/Telj1890.arj", {aa, ab, ac}));
    for (const QString& f : {aa, ab, ac})
        QFile::remove(f);
    exch::TeljesAdat imp(app->state, folders);
    app->msg.clear();
    EXPECT_FALSE(imp.beolvas(in));
    EXPECT_EQ(app->msg.log(), (std::vector<std::string>{
                                  "error: A(z) Aa1890.dbf állomány 2. sorában hibás a(z) ELBOCS "
                                  "mező: \"AB[00][1A][0D]9XZ\"\rA mezőben nem valódi dátum áll."}));
    EXPECT_EQ(counts(), "1/3/0");
}

} // namespace
