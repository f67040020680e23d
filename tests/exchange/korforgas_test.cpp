// The round trip: the shipments of several periods written by the program,
// joined by the county office into its full data set with its own fields
// (ALLAPOT, VIZITDB, ELSZIDO), packed with arj and read back, give back the
// same sheets, visits and diagnoses.

#include "db/arj.h"
#include "db/kuldemenyminta.h"
#include "engine/table.h"
#include "exchange/elszamoltlapok.h"
#include "exchange/kuldemeny.h"
#include "exchange/ravfajl.h"
#include "exchange/teljesadat.h"
#include "exchangedata.h"
#include "register/registerdata.h"
#include "ui/folderbrowser.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using regtest::row;

namespace {

struct NoFolder : ui::FolderAsker {
    ui::FolderChoice chooseFolder(const QString&, const QString&) override { return {}; }
};

class KorforgasApp : public regtest::RegisterApp {
public:
    KorforgasApp() {
        engine::Table& part = state.tables.part;
        part.first();
        intkod = part.text(QStringLiteral("INTKOD"));
    }

    void lap(const QString& idoszak, const QString& sorsz, const QString& resz,
             std::map<QString, QVariant> v, const QString& jorvkod) {
        const QString taj = demo::tajWithCheckDigit("10000" + sorsz.right(3));
        std::map<QString, QVariant> d = {{"IDOSZAK", idoszak},
                                         {"INTKOD", intkod},
                                         {"FINKOD", "FIN000042"},
                                         {"SORSZ", sorsz},
                                         {"RESZ", resz},
                                         {"TAJ", taj},
                                         {"TPOTL", "N"},
                                         {"ORVOSKOD", "12345"},
                                         {"ELSZAM", 1},
                                         {"AZTIP", "1"},
                                         {"KOZIGKOD", "1234567"},
                                         {"TEVKODOK", "01"},
                                         {"APNAP", 3},
                                         {"ELB", QDate(2009, 7, 1)},
                                         {"BNOFO", "L89H0"},
                                         {"JELOLES", "*"}};
        for (auto& [k, x] : v)
            d[k] = x;
        state.tables.lap.appendRows({row(db::TableId::Lap, d)});
        state.tables.elrend.appendRows({row(db::TableId::Elrend, {{"IDOSZAK", idoszak},
                                                                  {"INTKOD", intkod},
                                                                  {"SORSZ", sorsz},
                                                                  {"RESZ", resz},
                                                                  {"JORVKOD", jorvkod},
                                                                  {"GYAK", "heti 2"},
                                                                  {"ELREND", QDate(2009, 6, 30)},
                                                                  {"ELVIZDB", 14}})});
        state.tables.beteg.appendRows({row(db::TableId::Beteg, {{"TAJ", taj},
                                                                {"NEV", "Beteg " + sorsz},
                                                                {"NEME", "N"},
                                                                {"CIME2", "Fő utca 1."},
                                                                {"SZULI", QDate(1940, 3, 2)}})});
    }

    void vizit(const QString& idoszak, const QString& sorsz, const QString& resz, int nap,
               int vizitdb) {
        const QDate d = QDate::fromString(idoszak + ".01", "yyyy.MM.dd").addDays(nap - 1);
        state.tables.lapb.appendRows({row(db::TableId::Lapb, {{"IDOSZAK", idoszak},
                                                              {"INTKOD", intkod},
                                                              {"FINKOD", "FIN000042"},
                                                              {"SORSZ", sorsz},
                                                              {"RESZ", resz},
                                                              {"TEVKOD", "01"},
                                                              {"ELLTIP", 2},
                                                              {"ONKEP", 1},
                                                              {"APDATUM", d},
                                                              {"APTAJ", "012345678"},
                                                              {"VIZITDB", vizitdb}})});
    }

    // The relevant fields of the three tables, one line a row, in key order.
    QString tablak() {
        QString s;
        const char* sql[3] = {
            "select idoszak, sorsz, resz, intkod, taj, orvoskod, tpotl, elszam, szviz, kozigkod, "
            "tevkodok, apnap, elb, bnofo, bnoki, bnomell, bnorov, bnoell from lap "
            "order by idoszak, sorsz, resz",
            "select idoszak, sorsz, resz, intkod, tevkod, elltip, onkep, apdatum, aptaj, vizitdb "
            "from lapb order by idoszak, sorsz, resz, apdatum",
            "select idoszak, sorsz, resz, jorvkod, gyak, elrend, elvizdb from elrend "
            "order by idoszak, sorsz, resz"};
        for (const char* q : sql) {
            const engine::Query rows = state.tables.dbo.query(QString::fromLatin1(q));
            for (const QVariantList& r : rows.rows()) {
                QStringList c;
                for (const QVariant& v : r)
                    c << v.toString();
                s += c.join(u'|') + u'\n';
            }
            s += "--\n";
        }
        return s;
    }

    QString intkod;
};

// A shipment's file as rows of values by field name.
std::vector<std::map<QString, QVariant>> olvas(const QString& path) {
    engine::Table t;
    t.open(path, engine::Table::Mode::ReadOnly);
    std::vector<std::map<QString, QVariant>> out;
    for (t.first(); !t.eof(); t.next()) {
        std::map<QString, QVariant> r;
        for (const engine::FieldDef& f : t.fields())
            r[f.name.toUpper()] = t.value(f.name);
        out.push_back(std::move(r));
    }
    t.close();
    return out;
}

// The office's file: the newest layout and its own fields, each row of the
// shipments given the office's values by `sajat`.
void iroda(const QString& path, exch::MintaId id, std::vector<engine::FieldDef> extra,
           const std::vector<std::map<QString, QVariant>>& sorok,
           const std::function<void(std::map<QString, QVariant>&)>& sajat) {
    std::vector<engine::FieldDef> fields;
    for (const engine::FieldDef& f : exch::minta(id).mezok)
        fields.push_back(engine::fieldDef(f.name, f.type, f.width, f.decimals));
    for (const engine::FieldDef& f : extra)
        fields.push_back(f);
    std::vector<QVariantList> rows;
    for (std::map<QString, QVariant> r : sorok) {
        sajat(r);
        QVariantList v;
        for (const engine::FieldDef& f : fields) {
            const auto it = r.find(f.name.toUpper());
            QVariant x = it == r.end() ? QVariant() : it->second;
            // A TAJ number the older layout sent as a number is a text of
            // nine digits in the office's newer one.
            if (f.type == 'C' && x.isValid() && !x.isNull() && x.typeId() != QMetaType::QString)
                x = QString::number(x.toLongLong())
                        .rightJustified(f.name.endsWith("TAJ") ? 9 : 0, u'0');
            v << x;
        }
        rows.push_back(v);
    }
    exchangedata::writeDbf(path, fields, rows);
}

TEST(Korforgas, ShipmentsReadBackAsTheFullDataSet) {
    KorforgasApp a;
    // Sheets on both sides of 2009.09 and 2016.01, a part letter, the
    // diagnoses of every kind.
    a.lap("2009.08", "00012", "", {{"SZVIZ", 2}, {"BNOKI", "K25"}}, "54321");
    a.lap("2009.10", "00007", "A", {{"SZVIZ", 1}, {"TPOTL", "I"}}, "00044");
    a.lap("2015.12", "00003", "",
          {{"SZVIZ", 2}, {"BNOMELL", "E11"}, {"BNOROV", "J45"}, {"BNOELL", "Z742"}}, "54321");
    a.lap("2016.01", "00001", "",
          {{"SZVIZ", 3}, {"AZTIP", "5"}, {"TERKAT", "01"}, {"ALLAMP", "HUN"}}, "54321");
    a.lap("2016.02", "00002", "B", {{"SZVIZ", 1}}, "54321");
    a.vizit("2009.08", "00012", "", 3, 1);
    a.vizit("2009.08", "00012", "", 1, 1);
    a.vizit("2009.10", "00007", "A", 5, 1);
    a.vizit("2015.12", "00003", "", 2, 2);
    a.vizit("2016.01", "00001", "", 1, 1);
    a.vizit("2016.01", "00001", "", 2, 2);
    a.vizit("2016.02", "00002", "B", 7, 1);
    const QString elotte = a.tablak();
    // What only the newer layouts carry: the financing code and the
    // identifier's kind of the sheets from 2016.01 on.
    const QString ujabbSql =
        "select group_concat(a.sorsz || a.finkod || a.aztip || ifnull(a.terkat, '') || "
        "ifnull(a.allamp, '') || b.finkod, ' ') from lap a, lapb b where a.idoszak >= '2016.01' "
        "and b.idoszak = a.idoszak and b.sorsz = a.sorsz and b.resz is a.resz";
    const QString ujabb = a.state.tables.dbo.query(ujabbSql).value(0, 0).toString();
    ASSERT_FALSE(ujabb.isEmpty());

    // The shipment of 2015.12 (the layouts before 2016.01) carries the
    // sheets up to then, that of 2016.02 the later ones.
    const QString ki = a.work.path() + "/ki";
    std::vector<std::map<QString, QVariant>> sorok[3];
    auto kuld = [&](const QString& p, const QString& dir) {
        a.state.tables.dbo.exec("update lap set jeloles = case when idoszak <= ? then '*' end",
                                {p});
        a.state.tables.dbo.exec("update lap set jeloles = null where elkuldve = 'K'");
        const exch::Kuldemeny k =
            exch::Kuldemeny::osszeallit(a.state.tables.dbo, *core::Idoszak::parseAny(p), a.intkod);
        QDir().mkpath(dir);
        for (int i = 0; i < 3; ++i) {
            const QString path = exch::fajlIr(k.fajlok[size_t(i)], dir + "/", QDate(2016, 3, 5));
            for (auto& r : olvas(path))
                sorok[i].push_back(std::move(r));
        }
        a.state.tables.dbo.exec("update lap set elkuldve = 'K' where jeloles = '*'");
    };
    kuld("2015.12", ki + "/1");
    ASSERT_EQ(exch::minta(exch::lapMinta(core::Idoszak(2015, 12))).nev, std::string("SZKA"));
    kuld("2016.02", ki + "/2");
    ASSERT_EQ(sorok[0].size(), 5u);
    ASSERT_EQ(sorok[1].size(), 7u);
    ASSERT_EQ(sorok[2].size(), 9u); // BNOFO on each, and four others

    // The office's answer: its own state, the visits counted and accounted.
    const QString in = a.work.path() + "/floppy";
    QDir().mkpath(in);
    const QString kod = a.intkod;
    iroda(in + "/Aa" + kod + ".dbf", exch::MintaId::SZKAUJ, {exchangedata::C("ALLAPOT", 1)},
          sorok[0], [](auto& r) {
              const QString s = r["SORSZAM"].toString();
              r["ALLAPOT"] = s == "12" ? "u" : s == "3" ? "R" : "";
          });
    std::map<QString, int> vizitdb;
    const engine::Query lapb = a.state.tables.dbo.query("select sorsz, apdatum, vizitdb from lapb");
    for (const QVariantList& v : lapb.rows())
        vizitdb[QString::number(v[0].toInt()) + v[1].toString()] = v[2].toInt();
    iroda(in + "/Ab" + kod + ".dbf", exch::MintaId::SZKBUJ,
          {exchangedata::N("VIZITDB", 2), exchangedata::C("ELSZIDO", 6)}, sorok[1], [&](auto& r) {
              r["VIZITDB"] = vizitdb[QString::number(r["SORSZAM"].toInt()) +
                                     r["DATUMTOL"].toDate().toString(Qt::ISODate)];
              r["ELSZIDO"] = r["IDOSZAK"];
          });
    iroda(in + "/Ac" + kod + ".dbf", exch::MintaId::SZKCUJ, {}, sorok[2], [](auto&) {});
    const QStringList fajlok = {in + "/Aa" + kod + ".dbf", in + "/Ab" + kod + ".dbf",
                                in + "/Ac" + kod + ".dbf"};
    ASSERT_TRUE(db::Archiver().pack(in + "/Telj" + kod + ".arj", fajlok));
    for (const QString& f : fajlok)
        QFile::remove(f);

    // The tables emptied, then read back.
    a.state.tables.dbo.exec("delete from lapb");
    a.state.tables.dbo.exec("delete from elrend");
    a.state.tables.dbo.exec("delete from lap");
    NoFolder folders;
    exch::TeljesAdat imp(a.state, folders);
    ASSERT_TRUE(imp.beolvas(in)) << a.msg.last().toStdString();
    EXPECT_EQ(a.tablak().toStdString(), elotte.toStdString());
    EXPECT_EQ(a.state.tables.dbo.query(ujabbSql).value(0, 0).toString(), ujabb);
    EXPECT_EQ(imp.osszegzes().lapok, 5);
    EXPECT_EQ(imp.osszegzes().vizitek, 7);
    EXPECT_EQ(imp.osszegzes().arvaDiagnozis, 0);
    // The office's fields: the payment state and the accounted period.
    EXPECT_EQ(a.state.tables.dbo
                  .query("select group_concat(sorsz || '=' || ifnull(allapot, '-'), "
                         "' ') from (select * from lap order by idoszak)")
                  .value(0, 0)
                  .toString(),
              "00012=" + QString(exch::kElszamolva) + " 00007=- 00003=R 00001=- 00002=-");
    EXPECT_EQ(a.state.tables.dbo
                  .query("select group_concat(elido, ' ') from "
                         "(select elido from lapb order by idoszak, apdatum)")
                  .value(0, 0)
                  .toString(),
              "2009.08 2009.08 2009.10 2015.12 2016.01 2016.01 2016.02");

    // The summary shown is offered for printing, and handed on only on yes.
    ASSERT_TRUE(imp.zaroUzenet().startsWith("A teljes adatállomány cseréje befejeződött!\r"));
    QStringList kapott;
    const exch::OsszegzesNyomtato nyomtat = [&](const QString& c, const QString& s) {
        kapott << c << s;
    };
    a.msg.clear();
    a.msg.answers({false, true});
    EXPECT_FALSE(exch::osszegzesNyomtatasa(a.msg, "Cím", imp.zaroUzenet(), nyomtat));
    EXPECT_TRUE(exch::osszegzesNyomtatasa(a.msg, "Cím", imp.zaroUzenet(), nyomtat));
    EXPECT_EQ(kapott, (QStringList{"Cím", imp.zaroUzenet()}));
    // A refused import has nothing to print and asks nothing.
    QFile::remove(in + "/Telj" + kod + ".arj");
    EXPECT_FALSE(imp.beolvas(in));
    EXPECT_TRUE(imp.zaroUzenet().isEmpty());
    EXPECT_FALSE(exch::osszegzesNyomtatasa(a.msg, "Cím", imp.zaroUzenet(), nyomtat));
    EXPECT_EQ(a.msg.log(),
              (std::vector<std::string>{"confirm: Kinyomtatja az összegzést?",
                                        "confirm: Kinyomtatja az összegzést?",
                                        "error: Nincs a megadott helyen beolvasandó állomány !!\r"
                                        "A teljes adatállomány beolvasása megszakadt!!"}));
}

} // namespace
