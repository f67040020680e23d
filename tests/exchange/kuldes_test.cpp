// The sending: the count and the two confirmations, the three files in KULD
// (PDF lists saved to LISTA first), the sent state of the sheets and the
// period's closing as one unit with the files' names, the copy with
// lower-case names; a value that does not convert, each write failing in turn
// and a kill at any operation leave the tables all old or all new, and KULD
// holds the shipment exactly when the tables record it; a failed or
// interrupted copy is said as such and leaves nothing that looks whole.

#include "db/tableops.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "db/kuldemenyforma.h"
#include "exchange/kuldemeny.h"
#include "exchange/kuldes.h"
#include "exchange/kuldesell.h"
#include "exchange/masolas.h"
#include "register/lapok.h"
#include "register/registerdata.h"
#include "support/childrun.h"
#include "ui/folderbrowser.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>


using exch::Kuldes;
using regtest::row;

namespace {

struct FakeFolders : ui::FolderAsker {
    ui::FolderChoice valasz;
    std::function<void()> elotte; // runs just before the choice is given back
    QString caption, mode;
    int hivas = 0;
    ui::FolderChoice chooseFolder(const QString& c, const QString& m) override {
        ++hivas;
        caption = c;
        mode = m;
        if (elotte) elotte();
        return valasz;
    }
};

// Today 2024.05.15; the sheets of P = 2016.03 and before.
class KuldesApp : public regtest::RegisterApp {
public:
    KuldesApp() {
        period(QStringLiteral("2016.03"));
        engine::Table& part = state.tables.part;
        part.first();
        intkod = part.text(QStringLiteral("INTKOD"));
    }

    // A sheet with its order row and patient unless told otherwise.
    void lap(const QString& idoszak, const QString& sorsz, const QString& resz,
             std::map<QString, QVariant> v, bool elrend = true, bool beteg = true) {
        const QString taj = v.count("TAJ") ? v["TAJ"].toString()
                                           : demo::tajWithCheckDigit("10000" + sorsz.right(3));
        std::map<QString, QVariant> d = {
            {"IDOSZAK", idoszak}, {"INTKOD", intkod},    {"FINKOD", "FIN000042"},
            {"SORSZ", sorsz},     {"RESZ", resz},        {"TAJ", taj},
            {"TPOTL", "N"},       {"ORVOSKOD", "12345"}, {"ELSZAM", 1},
            {"AZTIP", "1"},       {"BNOFO", "L89H0"},    {"SZVIZ", 0},
            {"JELOLES", "*"}};
        for (auto& [k, x] : v)
            d[k] = x;
        state.tables.lap.appendRows({row(db::TableId::Lap, d)});
        if (elrend)
            state.tables.elrend.appendRows({row(db::TableId::Elrend, {{"IDOSZAK", idoszak},
                                                                      {"INTKOD", intkod},
                                                                      {"SORSZ", sorsz},
                                                                      {"RESZ", resz},
                                                                      {"JORVKOD", "54321"},
                                                                      {"ELVIZDB", 14}})});
        if (beteg)
            state.tables.beteg.appendRows(
                {row(db::TableId::Beteg, {{"TAJ", taj},
                                          {"NEV", "Beteg " + sorsz},
                                          {"NEME", "N"},
                                          {"CIME2", "Fő utca 1."},
                                          {"SZULI", QDate(1940, 3, 2)}})});
    }

    // Every visible row of the tables the sending writes.
    QString tablak() {
        QString s;
        for (const char* t : {"lap", "elrend", "lapb", "zaras"}) {
            const engine::Query q =
                state.tables.dbo.query(QStringLiteral("select * from %1 order by rowid").arg(t));
            s += QLatin1String(t) + u'\n';
            for (const QVariantList& r : q.rows()) {
                QStringList c;
                for (const QVariant& v : r)
                    c << v.toString();
                s += c.join(u'|') + u'\n';
            }
        }
        return s;
    }

    QStringList kuld() const { return QDir(state.kuldkonyvtar).entryList(QDir::Files, QDir::Name); }

    QString sql1(const QString& sql, const QVariantList& p = {}) {
        return state.tables.dbo.query(sql, p).value(0, 0).toString();
    }

    QString intkod;
};

// Three marked sheets of 2016.03 and earlier, one not marked: the first
// sheet's visit rows split by another sheet's row.
void negyLap(KuldesApp& a) {
    a.lap("2016.03", "00001", "", {{"SZVIZ", 3}, {"BNOELL", "Z742"}});
    a.lap("2015.12", "00007", "A", {{"SZVIZ", 2}});
    a.lap("2016.02", "00003", "", {{"SZVIZ", 1}, {"MODTIPUS", "K"}, {"ELKULDVE", "YY"}},
          /*elrend=*/false);
    a.lap("2016.03", "00002", "", {{"SZVIZ", 1}, {"JELOLES", QVariant()}});
    a.visits("2016.03", "00001", "", 2, 1, 2);
    a.visits("2016.03", "00002", "", 2, 1, 1);
    a.visits("2016.03", "00001", "", 2, 2, 1);
    a.visits("2015.12", "00007", "A", 4, 1, 2);
    a.visits("2016.02", "00003", "", 2, 3, 1);
}

} // namespace

TEST(KuldesNyitas, RefusedAfterALaterClosingInRecordOrder) {
    KuldesApp a;
    const QString warn =
        "warning: Az utolsó zárás időszakánál korábbi zárást nem lehet megismételni!";
    EXPECT_TRUE(Kuldes::nyithato(a.state)); // no closing yet
    a.state.tables.zaras.appendRows({row(db::TableId::Zaras, {{"IDOSZAK", "2016.05"}}),
                                     row(db::TableId::Zaras, {{"IDOSZAK", "2016.02"}})});
    EXPECT_TRUE(Kuldes::nyithato(a.state)); // the last appended is 2016.02
    a.state.tables.zaras.appendRows({row(db::TableId::Zaras, {{"IDOSZAK", "2016.04"}})});
    EXPECT_FALSE(Kuldes::nyithato(a.state));
    EXPECT_EQ(a.msg.log(), std::vector<std::string>{warn.toStdString()});
    a.period("2016.04"); // the same period may be sent again
    EXPECT_TRUE(Kuldes::nyithato(a.state));
}

TEST(Kuldes, NothingMarked) {
    KuldesApp a;
    a.lap("2016.03", "00001", "", {{"JELOLES", QVariant()}});
    Kuldes k(a.state, {});
    EXPECT_EQ(k.kuldClick(), Kuldes::Eredmeny::Nincs);
    EXPECT_EQ(a.msg.log(), std::vector<std::string>{"warning: Nincs elküldendő elszámolási lap!"});
}

TEST(Kuldes, SendsTheFilesRecordsTheSentStateAndCopies) {
    KuldesApp a;
    negyLap(a);
    testsupport::writeAll(a.state.kuldkonyvtar + "regi.txt", "x");
    testsupport::writeAll(a.state.kuldkonyvtar + "Lista.pdf", "%PDF");
    FakeFolders folders;
    testsupport::TempDir floppy;
    folders.valasz = {true, floppy.path()};
    std::vector<exch::Problema> listed;
    int bezar = 0;
    exch::KuldesHooks h;
    h.mappak = &folders;
    h.problemak = [&](const std::vector<exch::Problema>& p) {
        listed = p;
        return true; // send as it is
    };
    h.bezar = [&] { ++bezar; };
    a.msg.answers({true, false});
    Kuldes k(a.state, h);
    ASSERT_EQ(k.kuldClick(), Kuldes::Eredmeny::Elkuldve) << a.msg.last().toStdString();
    // The closing names the folder the files went to.
    EXPECT_EQ(a.msg.log(), (std::vector<std::string>{
                               "confirm: Elküldhető 3 db elszámolási lap?",
                               "question: E-jelentést akar küldeni?",
                               ("information: Adatküldés befejeződött! Az állományok a(z) " +
                                QDir::toNativeSeparators(floppy.path()) + " mappába kerültek.")
                                   .toStdString()}));
    EXPECT_EQ(a.msg.statusHistory(0).last(), "Adatküldés befejeződött!");
    EXPECT_EQ(a.msg.statusHistory(0).first(), "Kis türelmet az adatküldés idejére!");
    EXPECT_EQ(bezar, 1);
    // The sheet without an order row was told of before sending.
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].sorsz, "00003");
    EXPECT_TRUE(listed[0].leiras.startsWith("Nincs rendelési adata"));

    // KULD: the three files; the PDF list went to LISTA.
    const QString ik = a.intkod;
    EXPECT_EQ(a.kuld(),
              (QStringList{"Szka" + ik + ".Dbf", "Szkb" + ik + ".Dbf", "Szkc" + ik + ".Dbf"}));
    EXPECT_EQ(testsupport::readAll(a.state.listakonyvtar + "/Lista.pdf"), "%PDF");
    // The files: header count and date (today), records, 0x1A.
    struct F {
        char betu;
        int fejlec, rekord, n;
    };
    for (const F& f : {F{'a', 1025, 208, 2}, F{'b', 353, 47, 6}, F{'c', 257, 32, 4}}) {
        const QByteArray b = testsupport::readAll(a.state.kuldkonyvtar + db::kuldFajlNev(f.betu, ik));
        ASSERT_EQ(b.size(), f.fejlec + f.n * f.rekord + 1) << f.betu;
        EXPECT_EQ(b.mid(1, 3), QByteArray("\x18\x05\x0F")) << f.betu;
        EXPECT_EQ(int(b[4]), f.n);
        EXPECT_EQ(b.back(), '\x1A');
        // Copied out under lower-case names, the same bytes.
        EXPECT_EQ(testsupport::readAll(floppy.file(db::kuldMasolatNev(f.betu, ik))), b);
    }
    const QByteArray A = testsupport::readAll(a.state.kuldkonyvtar + db::kuldFajlNev('a', ik));
    // Sheets in period order: 2015.12/00007A gets change kind "P", the sheet
    // of P keeps its empty kind; the JORVKOD of the order row goes.
    EXPECT_EQ(A.mid(1025 + 14, 12), QByteArray("    7A201512"));
    EXPECT_EQ(A.mid(1025 + 207, 1), QByteArray("P"));
    EXPECT_EQ(A.mid(1025 + 208 + 14, 12), QByteArray("    1 201603"));
    EXPECT_EQ(A.mid(1025 + 208 + 31, 5), QByteArray("54321"));
    EXPECT_EQ(A.mid(1025 + 208 + 201, 7), QByteArray("201603 "));
    const QByteArray B = testsupport::readAll(a.state.kuldkonyvtar + db::kuldFajlNev('b', ik));
    // The visits of 00003 go though its sheet row does not.
    EXPECT_EQ(B.mid(353 + 2 * 47 + 14, 12), QByteArray("    3 201602"));

    // LAP, ELREND, LAPB, ZARAS.
    EXPECT_EQ(a.sql1("select group_concat(sorsz || ':' || ifnull(elkuldve,'-') || ':' || "
                     "ifnull(modtipus,'-') || ':' || ifnull(jeloles,'-'), ' ') from (select * "
                     "from lap order by sorsz)"),
              "00001:2016.03:-:- 00002:-:-:- 00003:2016.03:K:- 00007:2016.03:P:-");
    EXPECT_EQ(a.sql1("select group_concat(sorsz || ':' || elkuldve, ' ') from elrend"),
              "00001:2016.03 00007:2016.03");
    // Every visit row of the sent sheets, the split ones included.
    EXPECT_EQ(a.sql1("select count(*) from lapb where elkuldve='2016.03'"), "6");
    EXPECT_EQ(a.sql1("select count(*) from lapb where elkuldve is null and sorsz='00002'"), "1");
    EXPECT_EQ(a.sql1("select idoszak || ' ' || lapoksz || ' ' || zaras from zaras"),
              "2016.03 3 2024-05-15");

    // A second send in the period, the period chosen as closed: the sheet
    // sent in P is sent again; ZARAS keeps one row; no copy this time.
    a.msg.clear();
    a.state.zartidoszak = true;
    a.clock.setToday(QDate(2024, 5, 16));
    a.state.tables.dbo.exec("update lap set jeloles='*' where sorsz='00001'");
    folders.valasz = {};
    a.msg.answers({true, false});
    EXPECT_EQ(k.kuldClick(), Kuldes::Eredmeny::Elkuldve);
    EXPECT_EQ(a.msg.log(),
              (std::vector<std::string>{
                  "confirm: Erre az időszakra már készült elszámolás! Ismételten elküldhető 1 db "
                  "elszámolási lap?",
                  "question: E-jelentést akar küldeni?",
                  "warning: Másolás nem történt. Az elküldendő adatok a KULD könyvtárban vannak!",
                  "information: Adatküldés befejeződött!"}));
    EXPECT_EQ(a.sql1("select group_concat(idoszak || ' ' || lapoksz || ' ' || zaras) from zaras"),
              "2016.03 1 2024-05-16");
    EXPECT_EQ(folders.caption, "Másolás helyének kiválasztása");
    EXPECT_EQ(folders.mode, "K");
}

TEST(Kuldes, EReport) {
    KuldesApp a;
    a.lap("2016.03", "00001", "", {});
    int ejel = 0;
    exch::KuldesHooks h;
    h.ejelentes = [&] { ++ejel; };
    a.msg.answers({true, true});
    Kuldes k(a.state, h);
    EXPECT_EQ(k.kuldClick(), Kuldes::Eredmeny::Elkuldve);
    EXPECT_EQ(ejel, 1);
    EXPECT_EQ(a.msg.log(), (std::vector<std::string>{"confirm: Elküldhető 1 db elszámolási lap?",
                                                     "question: E-jelentést akar küldeni?",
                                                     "information: E-jelentés elkészült",
                                                     "information: Adatküldés befejeződött!"}));
}

TEST(Kuldes, GoingBackFromTheCheckChangesNothing) {
    KuldesApp a;
    a.lap("2016.03", "00001", "", {{"SZVIZ", 4}});
    exch::KuldesHooks h;
    std::vector<exch::Problema> listed;
    h.problemak = [&](const std::vector<exch::Problema>& p) {
        listed = p;
        return false;
    };
    const QString elotte = a.tablak();
    Kuldes k(a.state, h);
    EXPECT_EQ(k.kuldClick(), Kuldes::Eredmeny::Nincs);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].leiras, "A lap vizitszáma 4, a vizitsorok összege 0.");
    EXPECT_TRUE(a.msg.isEmpty());
    EXPECT_EQ(a.tablak(), elotte);
}

TEST(Kuldes, ValueThatDoesNotConvertStopsBeforeAnyFile) {
    KuldesApp a;
    negyLap(a);
    a.state.tables.dbo.exec("update lap set orvoskod='12x' where sorsz='00007'");
    testsupport::writeAll(a.state.kuldkonyvtar + "regi.txt", "x");
    const QString elotte = a.tablak();
    a.msg.answer(true);
    Kuldes k(a.state, {});
    EXPECT_EQ(k.kuldClick(), Kuldes::Eredmeny::Hiba);
    EXPECT_EQ(a.msg.texts().last(),
              "A(z) 00007A sorszámú, 2015.12 időszakra szóló elszámolási lap ORVOSKOD mezője "
              "nem írható a küldeménybe: „12x” nem egész szám.\rAz adatküldés nem történt meg, "
              "a lap javítása után ismételje meg!");
    EXPECT_EQ(a.kuld(), QStringList{"regi.txt"});
    EXPECT_EQ(a.tablak(), elotte);
}

TEST(Kuldes, EachWriteFailingInTurnLeavesAllOrNothing) {
    KuldesApp a;
    negyLap(a);
    const QString elotte = a.tablak();
    long n = 0;
    for (;; ++n) {
        // Only the operations of the sending count: the (n+1)th fails.
        a.msg.answers({true, false});
        exch::KuldesHooks h;
        long kezdet = -1;
        h.frissit = [&] {
            engine::testing::setIoHook([&kezdet, n](engine::testing::IoOp, long k) {
                return k == n + 1 ? engine::testing::IoAction::Fail
                                  : engine::testing::IoAction::Proceed;
            });
            kezdet = 0;
        };
        Kuldes k(a.state, h);
        const Kuldes::Eredmeny e = k.kuldClick();
        const long ops = engine::testing::ioCount();
        engine::testing::setIoHook(nullptr);
        ASSERT_EQ(kezdet, 0);
        if (e == Kuldes::Eredmeny::Elkuldve) {
            EXPECT_LE(ops, n + 1) << "the sending ended without reaching the failing write";
            break;
        }
        ASSERT_EQ(e, Kuldes::Eredmeny::Hiba) << n;
        EXPECT_GE(ops, n + 1) << "the failure fired";
        // A file that cannot be written is named as the user knows it, the
        // reason in words.
        const QString hiba = a.msg.texts().value(1);
        if (hiba.startsWith("Hiba az állomány készítésében!")) {
            EXPECT_TRUE(
                QRegularExpression(QStringLiteral("^Hiba az állomány készítésében!\rA\\(z\\) "
                                                  "Szk[abc]1890\\.Dbf nem "
                                                  "írható a KULD könyvtárba, mert "
                                                  "megtelt a lemez\\.$"))
                    .match(hiba)
                    .hasMatch())
                << hiba.toStdString();
        } else {
            EXPECT_TRUE(hiba.startsWith("Hiba a lefutásban!\r")) << hiba.toStdString();
        }
        while (a.msg.pendingAnswers() > 0)
            a.msg.question(QStringLiteral("-"));
        a.msg.clear();
        EXPECT_EQ(a.tablak().toStdString(), elotte.toStdString()) << "write " << n;
        for (const QString& f : a.kuld())
            EXPECT_FALSE(f.startsWith("Szk")) << "write " << n << ": " << f.toStdString();
        // And after a new start.
        db::mindzar(a.state.tables);
        engine::recoverJournal(a.state.tables.directory());
        db::mindnyit(a.state.tables);
        EXPECT_EQ(a.tablak().toStdString(), elotte.toStdString()) << "write " << n << ", restart";
        if (HasFailure()) break;
    }
    EXPECT_GT(n, 15) << "a sending makes more writes than that";
    EXPECT_EQ(a.sql1("select count(*) from lap where elkuldve='2016.03'"), "3");
    EXPECT_EQ(a.kuld().size(), 3);
}

TEST(Kuldes, KilledDuringTheSentStateLeavesAllOrNothing) {
    KuldesApp a;
    if (testsupport::childRole() == "jeloles") {
        const QStringList arg = testsupport::childArgs();
        const long k = arg.value(0).toLong();
        try {
            a.takeOver(arg.mid(1));
            engine::testing::setIoHook([k](engine::testing::IoOp, long i) {
                if (i == k) testsupport::childExit(9);
                return engine::testing::IoAction::Proceed;
            });
            Kuldes::elkuldveJeloles(a.state, 3);
        } catch (...) {
            testsupport::childExit(2);
        }
        testsupport::childExit(0);
    }
    negyLap(a);
    const QString elotte = a.tablak();
    const QString dir = a.state.tables.directory();
    int kills = 0;
    for (long k = 1;; ++k) {
        db::mindzar(a.state.tables);
        testsupport::Child child("jeloles", QStringList{QString::number(k)} + a.folders());
        ASSERT_TRUE(child.started());
        const testsupport::Child::End end = child.wait();
        ASSERT_FALSE(end.killed);
        const int code = end.code;
        ASSERT_TRUE(code == 0 || code == 9) << code;
        engine::recoverJournal(dir);
        db::mindnyit(a.state.tables);
        const QString most = a.tablak();
        if (code == 9) ++kills;
        if (most != elotte) {
            // Past the point of no return the unit is whole.
            EXPECT_EQ(a.sql1("select count(*) from lap where elkuldve='2016.03'"), "3") << k;
            EXPECT_EQ(a.sql1("select count(*) from lap where jeloles='*'"), "0") << k;
            EXPECT_EQ(a.sql1("select count(*) from lapb where elkuldve='2016.03'"), "6") << k;
            EXPECT_EQ(a.sql1("select count(*) from elrend where elkuldve='2016.03'"), "2") << k;
            EXPECT_EQ(a.sql1("select lapoksz from zaras where idoszak='2016.03'"), "3") << k;
            break;
        }
        ASSERT_EQ(code, 9) << "the unit ended without changing anything";
        if (HasFailure()) break;
    }
    EXPECT_GT(kills, 5);
}

TEST(Kuldes, FailedCopyIsToldAndLeavesNoHalfShipment) {
    KuldesApp a;
    negyLap(a);
    testsupport::TempDir floppy;
    FakeFolders folders;
    folders.valasz = {true, floppy.path()};
    // The stick is pulled out during the second file.
    bool fired = false;
    folders.elotte = [&] {
        engine::testing::setIoHook([&fired](engine::testing::IoOp op, long i) {
            if (i > 4 && op == engine::testing::IoOp::Write) {
                fired = true;
                return engine::testing::IoAction::Fail;
            }
            return engine::testing::IoAction::Proceed;
        });
    };
    exch::KuldesHooks h;
    h.mappak = &folders;
    h.problemak = [](const std::vector<exch::Problema>&) { return true; };
    a.msg.answers({true, false});
    Kuldes k(a.state, h);
    const Kuldes::Eredmeny e = k.kuldClick();
    engine::testing::setIoHook(nullptr);
    EXPECT_TRUE(fired);
    EXPECT_EQ(e, Kuldes::Eredmeny::MasolasHiba);
    // The file the user knows and the reason in words, not a temporary name
    // and the system's English.
    EXPECT_EQ(a.msg.messages().back().kind, ui::MessageKind::Error);
    EXPECT_EQ(a.msg.last(), "A másolás nem sikerült: a(z) szkb" + a.intkod +
                                ".dbf állomány nem írható a(z) " +
                                QDir::toNativeSeparators(floppy.path()) +
                                " mappába, mert megtelt a lemez.\rAz elküldendő adatok a KULD "
                                "könyvtárban vannak!");
    for (const QString& t : a.msg.texts())
        EXPECT_NE(t, "Adatküldés befejeződött!");
    EXPECT_TRUE(QDir(floppy.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(a.kuld().size(), 3);
    EXPECT_EQ(a.sql1("select count(*) from lap where elkuldve='2016.03'"), "3");
}

TEST(Kuldes, LayoutsFollowTheCurrentPeriod) {
    // 2009.08: the old visit and diagnosis layouts; 2015.12: SZKA with the
    // TAJ as a number (its leading zero lost), SZKB, SZKC.
    struct C {
        const char* p;
        int a, b, c; // header lengths
        int ra, rb, rc;
    };
    for (const C& c :
         {C{"2009.08", 897, 289, 193, 193, 34, 18}, C{"2015.12", 897, 321, 225, 193, 38, 23}}) {
        KuldesApp a;
        a.period(QLatin1String(c.p));
        a.lap(QLatin1String(c.p), "00001", "", {{"SZVIZ", 1}, {"TAJ", "012345675"}});
        a.visits(QLatin1String(c.p), "00001", "", 2, 1, 1);
        a.msg.answers({true, false});
        exch::KuldesHooks h;
        h.problemak = [](const std::vector<exch::Problema>&) { return true; };
        Kuldes k(a.state, h);
        ASSERT_EQ(k.kuldClick(), Kuldes::Eredmeny::Elkuldve) << c.p;
        const QString dir = a.state.kuldkonyvtar;
        const QByteArray A = testsupport::readAll(dir + db::kuldFajlNev('a', a.intkod));
        const QByteArray B = testsupport::readAll(dir + db::kuldFajlNev('b', a.intkod));
        const QByteArray C_ = testsupport::readAll(dir + db::kuldFajlNev('c', a.intkod));
        EXPECT_EQ(A.size(), c.a + c.ra + 1) << c.p;
        EXPECT_EQ(B.size(), c.b + c.rb + 1) << c.p;
        EXPECT_EQ(C_.size(), c.c + c.rc + 1) << c.p;
        EXPECT_EQ(A.mid(c.a + 27, 9), QByteArray(" 12345675")) << c.p;
    }
}

namespace {

// The files of a folder's top level, by name.
std::map<QString, QByteArray> fajlTartalom(const QString& dir) {
    std::map<QString, QByteArray> m;
    for (const QString& n : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        m[n] = testsupport::readAll(QDir(dir).filePath(n));
    return m;
}

void fajlokVissza(const QString& dir, const std::map<QString, QByteArray>& m) {
    for (const QString& n : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        if (!m.count(n)) QFile::remove(QDir(dir).filePath(n));
    for (const auto& [n, b] : m)
        testsupport::writeAll(QDir(dir).filePath(n), b);
}

void urit(const QString& dir) {
    for (const QString& n : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(QDir(dir).filePath(n));
}

} // namespace

// The child of a kill trial: the sending on the test's folders, killed at
// its k-th operation (the first argument); the copy goes to the folder of
// the second.
[[noreturn]] static void kuldesGyerek(KuldesApp& a) {
    const QStringList arg = testsupport::childArgs();
    const long k = arg.value(0).toLong();
    try {
        a.takeOver(arg.mid(2));
        FakeFolders folders;
        folders.valasz = {true, arg.value(1)};
        // The copy begins: the test is told.
        folders.elotte = [] { testsupport::tell("m"); };
        exch::KuldesHooks h;
        h.mappak = &folders;
        h.problemak = [](const std::vector<exch::Problema>&) { return true; };
        // Only the sending's operations count; the k-th is the kill.
        // A kill keeps the page cache: the flushes need not reach the
        // disk.
        h.frissit = [k] {
            engine::testing::setIoHook([k](engine::testing::IoOp op, long i) {
                if (i == k) testsupport::childExit(9);
                return op == engine::testing::IoOp::Sync ? engine::testing::IoAction::Skip
                                                         : engine::testing::IoAction::Proceed;
            });
        };
        a.msg.answers({true, false});
        Kuldes kd(a.state, h);
        testsupport::childExit(kd.kuldClick() == Kuldes::Eredmeny::Elkuldve ? 0 : 3);
    } catch (...) {
        testsupport::childExit(2);
    }
}

// A kill at every file operation of a sending and of its copy to a folder,
// each followed by the start-up: KULD holds the three files exactly when the
// tables record the sending, and nothing else; the chosen folder holds the
// whole copy or nothing of it, and a copy cut short is told of at the start.
TEST(KuldesKill, AKillAtEveryOperationLeavesOnlyWhatTheTablesRecord) {
    KuldesApp a;
    if (testsupport::childRole() == "kuldes") kuldesGyerek(a);
    negyLap(a);
    const QString elotte = a.tablak();
    const QString data = a.state.tables.directory();
    const QString kuld = a.state.kuldkonyvtar;
    const QString ik = a.intkod;
    const QStringList harom{"Szka" + ik + ".Dbf", "Szkb" + ik + ".Dbf", "Szkc" + ik + ".Dbf"};
    const QStringList masolat{"szka" + ik + ".dbf", "szkb" + ik + ".dbf", "szkc" + ik + ".dbf"};
    // Header, records and the end byte of each file (see the test above).
    const std::vector<int> meret{1025 + 2 * 208 + 1, 353 + 6 * 47 + 1, 257 + 4 * 32 + 1};
    testsupport::TempDir floppy;
    db::mindzar(a.state.tables);
    const std::map<QString, QByteArray> eredeti = fajlTartalom(data);
    int naplo = 0, nemKuldve = 0, masolasElott = 0, masolasKozben = 0;
    bool vegig = false;
    long k = 1;
    for (; !vegig; ++k) {
        testsupport::Child child("kuldes",
                                 QStringList{QString::number(k), floppy.path()} + a.folders());
        ASSERT_TRUE(child.started());
        const testsupport::Child::End end = child.wait();
        const bool masolt = !child.told().isEmpty();
        ASSERT_FALSE(end.killed);
        const int code = end.code;
        ASSERT_TRUE(code == 0 || code == 9) << "operation " << k << ": " << code;
        vegig = code == 0;

        // The start-up: the journal, then the leftovers of KULD and the copy.
        if (engine::recoverJournal(data)) ++naplo;
        db::mindnyit(a.state.tables);
        a.msg.clear();
        Kuldes::inditaskor(a.state);
        const bool elkuldve = a.sql1("select count(*) from lap where elkuldve='2016.03'") == "3";
        if (!elkuldve) {
            EXPECT_EQ(a.tablak().toStdString(), elotte.toStdString()) << "operation " << k;
            EXPECT_EQ(a.kuld(), QStringList()) << "operation " << k;
            EXPECT_FALSE(masolt) << "operation " << k;
            ++nemKuldve;
        } else {
            EXPECT_EQ(a.kuld(), harom) << "operation " << k;
            for (int i = 0; i < 3 && a.kuld() == harom; ++i)
                EXPECT_EQ(testsupport::readAll(kuld + harom[i]).size(), meret[size_t(i)])
                    << "operation " << k;
        }
        // The chosen folder: the whole copy, KULD's bytes, or nothing.
        const QStringList ott = QDir(floppy.path()).entryList(QDir::Files | QDir::Hidden);
        const bool egesz = ott == masolat;
        if (egesz) {
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(testsupport::readAll(floppy.file(masolat[i])),
                          testsupport::readAll(kuld + harom[i]))
                    << "operation " << k;
        } else {
            EXPECT_EQ(ott, QStringList()) << "operation " << k;
        }
        // A copy cut short is told of at the start; one that finished is not.
        if (masolt && !egesz && !vegig) {
            ++masolasKozben;
            ASSERT_EQ(a.msg.count(), 1) << "operation " << k;
            EXPECT_EQ(a.msg.messages().back().kind, ui::MessageKind::Warning);
            EXPECT_TRUE(a.msg.last().startsWith("Az előző küldemény másolása"))
                << a.msg.last().toStdString();
            EXPECT_TRUE(a.msg.last().endsWith("\rAz elküldendő adatok a KULD könyvtárban vannak!"))
                << a.msg.last().toStdString();
        } else {
            EXPECT_TRUE(a.msg.isEmpty()) << "operation " << k << ": " << a.msg.last().toStdString();
            masolasElott += elkuldve && !masolt;
        }
        if (vegig) {
            EXPECT_TRUE(egesz);
        }
        if (HasFailure()) break;

        // Back to the tables before the sending, KULD and the folder empty.
        db::mindzar(a.state.tables);
        fajlokVissza(data, eredeti);
        urit(kuld);
        urit(floppy.path());
    }
    EXPECT_TRUE(vegig);
    RecordProperty("operations", int(k));
    RecordProperty("not_sent", nemKuldve);
    RecordProperty("rolled_back", naplo);
    RecordProperty("copy_cut", masolasKozben);
    // The kills really landed in each stretch: before the sending was
    // recorded (some inside the commit, with its journal there), after it
    // before the copy, and in the copy itself.
    EXPECT_GT(nemKuldve, 10);
    EXPECT_GT(naplo, 3);
    EXPECT_GT(masolasElott, 0);
    EXPECT_GT(masolasKozben, 5);
}

// A marked sheet whose TAJ has no patient: no row in the sheet file, its
// visits and diagnoses still go; the check before sending said so.
TEST(Kuldes, SheetWithoutPatientGoesWithoutItsSheetRow) {
    KuldesApp a;
    a.lap("2016.03", "00001", "", {{"SZVIZ", 2}});
    a.lap("2016.03", "00002", "", {{"SZVIZ", 2}, {"TAJ", "111111110"}, {"BNOELL", "Z742"}},
          /*elrend=*/true, /*beteg=*/false);
    a.visits("2016.03", "00001", "", 2, 1, 2);
    a.visits("2016.03", "00002", "", 2, 1, 2);
    std::vector<exch::Problema> listed;
    exch::KuldesHooks h;
    h.problemak = [&](const std::vector<exch::Problema>& p) {
        listed = p;
        return true;
    };
    a.msg.answers({true, false});
    Kuldes k(a.state, h);
    ASSERT_EQ(k.kuldClick(), Kuldes::Eredmeny::Elkuldve) << a.msg.last().toStdString();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0], (exch::Problema{"00002", "", "2016.03",
                                         "A(z) „111111110” TAJ számú beteg nincs a betegek "
                                         "között: a lap a lapállományból kimarad, a vizitjei és "
                                         "diagnózisai elmennek."}));
    const QString dir = a.state.kuldkonyvtar;
    const QByteArray A = testsupport::readAll(dir + db::kuldFajlNev('a', a.intkod));
    const QByteArray B = testsupport::readAll(dir + db::kuldFajlNev('b', a.intkod));
    const QByteArray C = testsupport::readAll(dir + db::kuldFajlNev('c', a.intkod));
    ASSERT_EQ(A.size(), 1025 + 208 + 1);
    EXPECT_EQ(A.mid(1025 + 14, 5), QByteArray("    1"));
    ASSERT_EQ(B.size(), 353 + 4 * 47 + 1);
    EXPECT_EQ(B.mid(353 + 2 * 47 + 14, 5), QByteArray("    2"));
    EXPECT_EQ(B.mid(353 + 3 * 47 + 14, 5), QByteArray("    2"));
    // 00001: BNOFO; 00002: BNOFO (kind 3) and BNOELL (kind 6).
    ASSERT_EQ(C.size(), 257 + 3 * 32 + 1);
    EXPECT_EQ(C.mid(257 + 32 + 14, 5), QByteArray("    2"));
    EXPECT_EQ(C.mid(257 + 2 * 32 + 14, 5), QByteArray("    2"));
    EXPECT_EQ(C.mid(257 + 2 * 32 + 26, 6), QByteArray("6Z742 "));
    // Sent all the same.
    EXPECT_EQ(a.sql1("select elkuldve from lap where sorsz='00002'"), "2016.03");
}

// The count asks about every sheet with a mark of any kind; the files and
// the sent state take only the sheets marked "*". The period's closing
// records the count asked about.
TEST(Kuldes, CountTakesEveryMarkTheFilesOnlyTheStar) {
    KuldesApp a;
    a.lap("2016.03", "00001", "", {{"SZVIZ", 1}});
    a.lap("2016.03", "00002", "", {{"SZVIZ", 1}, {"JELOLES", "X"}});
    a.lap("2016.03", "00003", "", {{"SZVIZ", 1}, {"JELOLES", QVariant()}});
    a.visits("2016.03", "00001", "", 2, 1, 1);
    a.visits("2016.03", "00002", "", 2, 1, 1);
    a.visits("2016.03", "00003", "", 2, 1, 1);
    a.msg.answers({true, false});
    Kuldes k(a.state, {});
    ASSERT_EQ(k.kuldClick(), Kuldes::Eredmeny::Elkuldve);
    EXPECT_EQ(a.msg.texts().first(), "Elküldhető 2 db elszámolási lap?");
    const QString dir = a.state.kuldkonyvtar;
    const QByteArray A = testsupport::readAll(dir + db::kuldFajlNev('a', a.intkod));
    const QByteArray B = testsupport::readAll(dir + db::kuldFajlNev('b', a.intkod));
    const QByteArray C = testsupport::readAll(dir + db::kuldFajlNev('c', a.intkod));
    ASSERT_EQ(A.size(), 1025 + 208 + 1);
    EXPECT_EQ(A.mid(1025 + 14, 5), QByteArray("    1"));
    EXPECT_EQ(B.size(), 353 + 47 + 1);
    EXPECT_EQ(C.size(), 257 + 32 + 1);
    EXPECT_EQ(a.sql1("select group_concat(sorsz || ':' || ifnull(jeloles,'-') || ':' || "
                     "ifnull(elkuldve,'-'), ' ') from (select * from lap order by sorsz)"),
              "00001:-:2016.03 00002:X:- 00003:-:-");
    EXPECT_EQ(a.sql1("select lapoksz from zaras where idoszak='2016.03'"), "2");
}

// After a sending the send-selection list of the same period: the sheets
// sent in P are there again without marks, beside the unsent ones of the
// last four months and the changed ones; the sheets sent in another period
// and those older than four months are not.
TEST(Kuldes, SendSelectionListAfterASending) {
    KuldesApp a;
    a.lap("2016.03", "00001", "", {{"SZVIZ", 1}});
    a.lap("2015.11", "00002", "", {{"SZVIZ", 1}});
    a.lap("2016.02", "00004", "", {{"SZVIZ", 1}, {"JELOLES", QVariant()}, {"ELKULDVE", "2016.02"}});
    a.lap("2014.05", "00005", "",
          {{"SZVIZ", 1}, {"JELOLES", QVariant()}, {"ELKULDVE", "YY"}, {"MODTIPUS", "K"}});
    a.lap("2016.03", "00006", "", {{"SZVIZ", 1}, {"JELOLES", QVariant()}});
    a.lap("2015.10", "00007", "", {{"SZVIZ", 1}, {"JELOLES", QVariant()}});
    for (const char* s : {"00001", "00002", "00004", "00005", "00006", "00007"}) {
        const QString p = a.sql1("select idoszak from lap where sorsz=?", {QString(s)});
        a.visits(p, s, "", 2, 1, 1);
    }
    a.msg.answers({true, false});
    Kuldes k(a.state, {});
    ASSERT_EQ(k.kuldClick(), Kuldes::Eredmeny::Elkuldve);

    reg::Lapok lapok(a.state);
    ASSERT_TRUE(lapok.kuldesMod());
    engine::Table& lap = lapok.lap();
    QStringList sorok;
    for (lap.first(); !lap.eof(); lap.next())
        sorok << lap.text("IDOSZAK") + " " + lap.text("SORSZ") + " " +
                     lap.text("JELOLES").trimmed() + "|" + lap.text("ELKULDVE").trimmed() + "|" +
                     lap.text("MODTIPUS").trimmed();
    sorok.sort();
    lapok.bezaras();
    EXPECT_EQ(sorok, (QStringList{"2014.05 00005 |YY|K", "2015.11 00002 |2016.03|P",
                                  "2016.03 00001 |2016.03|", "2016.03 00006 ||"}));
}

// The check before sending: a TAJ whose check digit is wrong is told of when
// it goes into the sheet file as a TAJ (not for a sheet without one, nor for
// a substitute identifier); a TAJ with no patient is told of too.
TEST(KuldesEllenorzes, CheckDigitAndMissingPatient) {
    KuldesApp a;
    const std::vector<std::pair<const char*, const char*>> lapok = {
        {"123456789", "1"},  // wrong check digit
        {"123456789", "0"},  // no TAJ in the file
        {"950000001", ""},   // a substitute identifier
        {"123456789", ""},   // wrong, kind not given
        {"123456788", "1"}}; // right
    for (int i = 0; i < int(lapok.size()); ++i)
        a.lap("2016.03", QStringLiteral("0000%1").arg(i + 1), "",
              {{"TAJ", lapok[size_t(i)].first}, {"AZTIP", lapok[size_t(i)].second}});
    a.lap("2016.03", "00006", "", {{"TAJ", "111111110"}, {"AZTIP", "1"}}, true, /*beteg=*/false);
    const std::vector<exch::Problema> p =
        exch::kuldesEllenorzes(a.state.tables.dbo, core::Idoszak(2016, 3));
    const QString jegy = "A(z) „123456789” TAJ szám ellenőrző jegye hibás.";
    EXPECT_EQ(p, (std::vector<exch::Problema>{
                     {"00001", "", "2016.03", jegy},
                     {"00004", "", "2016.03", jegy},
                     {"00006", "", "2016.03",
                      "A(z) „111111110” TAJ számú beteg nincs a betegek között: a lap a "
                      "lapállományból kimarad, a vizitjei és diagnózisai elmennek."}}));
    // As printed.
    EXPECT_EQ(exch::problemaSzoveg(p, core::Idoszak(2016, 3)).split('\n').value(2),
              "00001 (2016.03): " + jegy);
}
