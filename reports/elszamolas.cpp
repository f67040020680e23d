#include "reports/elszamolas.h"

#include "core/appstate.h"
#include "engine/dberror.h"
#include "sheet/dijszorzo.h"
#include "ui/messages.h"
#include "ui/numberformat.h"

#include <memory>

namespace reports {

double elszamoltSzorzo(const QVariant& elszam, const QVariant& elltip, const QVariant& onkep,
                       const QString& idoszak) {
    return sheet::dijszorzo(elszam, elltip, onkep, idoszak).value_or(0.0);
}

double potlekSzorzo(const QVariant& tpotl) {
    return displayText(tpotl) == QLatin1String("N") ? 1.0 : 1.0 + sheet::teruletiPotlek;
}

std::optional<Lista> HaviElszamolas::keszit() {
    const QString p = st_.id.text();
    // Only visit rows the county office accounted (ELIDO filled). The base
    // fee is the period's, one value even if the period has several
    // closing records.
    engine::Query rows = st_.tables.dbo.query(
        QStringLiteral(
            "select a.intkod, a.sorsz, a.resz, a.taj, c.nev, a.idoszak, a.tpotl, a.elszam,"
            " (select d.alapdij from zaras d where d.idoszak=a.idoszak and d.alapdij is not null"
            " order by d.zaras desc limit 1) as alapdij,"
            " b.elltip, b.onkep, sum(b.vizitdb) as vizit"
            " from lap a"
            " join lapb b on a.sorsz=b.sorsz and a.resz is b.resz and a.idoszak=b.idoszak"
            " join beteg c on a.taj=c.taj"
            " where b.elido is not null and a.idoszak=?"
            " group by a.intkod, a.sorsz, a.resz, a.taj, c.nev, a.idoszak, a.tpotl, a.elszam,"
            " b.elltip, b.onkep"
            " order by a.intkod, a.sorsz, a.resz, b.elltip, b.onkep"),
        {p});
    if (rows.isEmpty() || rows.value(0, QStringLiteral("alapdij")).isNull()) {
        st_.msg.error(QStringLiteral("Nincs a szolgáltatónak beolvasott elszámolása!"));
        return std::nullopt;
    }
    const engine::Query part = st_.tables.dbo.query(QStringLiteral("select inte from part"));

    auto sorok = std::make_shared<std::vector<QVariantList>>();
    double osszeg = 0;
    long long vizitek = 0;
    for (int r = 0; r < rows.rowCount(); ++r) {
        auto v = [&](const char* c) { return rows.value(r, QLatin1String(c)); };
        const QString idoszak = displayText(v("idoszak"));
        const double szorzo = elszamoltSzorzo(v("elszam"), v("elltip"), v("onkep"), idoszak);
        const double potlek = potlekSzorzo(v("tpotl"));
        const double alapdij = v("alapdij").toDouble();
        const long long vizit = v("vizit").toLongLong();
        const double ft = double(vizit) * alapdij * szorzo * potlek;
        osszeg += ft;
        vizitek += vizit;
        sorok->push_back({displayText(v("sorsz")) + displayText(v("resz")), idoszak, v("taj"),
                          v("nev"), v("alapdij"), vizit,
                          potlek > 1.0 ? QStringLiteral("+10%") : QString(), szorzo, ft});
    }

    Lista l(QStringLiteral("Telszam"), QStringLiteral("Havonkénti elszámolás"));
    l.report.orientation = Orientation::Landscape;
    const std::vector<Oszlop> cols{
        {QStringLiteral("Lap-sorsz."), 0, 18},
        {QStringLiteral("Jelentés ideje"), 19, 22},
        Oszlop(QStringLiteral("Beteg"), 42, 20).alatta(QStringLiteral("TAJ-száma")),
        Oszlop(QString(), 63, 60).alatta(QStringLiteral("neve")),
        {QStringLiteral("Alapdíj Ft"), 124, 22, 2, Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("Vizit-szám"), 148, 18, 0, Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("Ter. pótl."), 168, 18, -1, Qt::AlignCenter},
        {QStringLiteral("Alapdíj-szorzó"), 188, 26, 1, Qt::AlignRight | Qt::AlignVCenter},
        Oszlop(QStringLiteral("Elszámolt Ft"), 216, 40, 1, Qt::AlignRight | Qt::AlignVCenter)
            .utana(QStringLiteral("   Ft")),
    };
    l.report.data = std::move(rows);
    l.tablazat(program_,
               QStringLiteral("Havi összesítő az elszámolt vizitekről ") + p +
                   QStringLiteral(". hónapban "),
               part.isEmpty() ? QString() : displayText(part.value(0, 0)), cols,
               [sorok](const engine::Query&, int row) { return (*sorok)[std::size_t(row)]; });

    Band& s = l.report.summary;
    const Font f{8, true};
    s.height = 8;
    s.addLine(124, 0.5, 256, 0.5);
    s.addLabel(100, 2, 40, 4.2, QStringLiteral("Mindösszesen:"), f);
    s.addText(QStringLiteral("vizit"), 148, 2, 18, 4.2, ui::formatNumber(vizitek), f,
              Qt::AlignRight | Qt::AlignVCenter);
    s.addText(QStringLiteral("osszeg"), 206, 2, 50, 4.2,
              ui::formatNumber(osszeg / 1000, 1) + QStringLiteral(" eFt"), f,
              Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

namespace {

// The sheets of period p or sent with its shipment that have no order
// record of their own (the part letter included).
const QString kHianyzoRend = QStringLiteral(
    " (a.idoszak=? or a.elkuldve=?) and not exists"
    " (select 1 from elrend b where a.idoszak=b.idoszak and a.sorsz=b.sorsz and a.resz is b.resz)");

} // namespace

int Adatrogzites::hibasLapok() {
    return st_.tables.dbo
        .query(QStringLiteral("select count(*) as szam from lap a where") + kHianyzoRend,
               {st_.id.text(), st_.id.text()})
        .value(0, 0)
        .toInt();
}

std::optional<Lista> Adatrogzites::keszit() {
    const QString p = st_.id.text();
    int szam = 0;
    try {
        szam = hibasLapok();
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return std::nullopt;
    }
    if (szam == 0) {
        st_.msg.information(QStringLiteral("Nincs hiba az adatrögzítésben!"));
        return std::nullopt;
    }
    st_.msg.status(0, QStringLiteral("Ellenőrző hibalista nyomtatása"));
    st_.msg.error(QStringLiteral("Hibás adatrögzítés, hibalista nyomtatása!"));
    Lista l(QStringLiteral("Tellhiba"), QStringLiteral("Adatrögzítési ellenőrzés"));
    l.report.data = st_.tables.dbo.query(
        QStringLiteral("select a.intkod, c.inte, a.sorsz, a.resz, a.taj, a.idoszak, a.orvoskod"
                       " from lap a, part c where a.intkod=c.intkod and") +
            kHianyzoRend + QStringLiteral(" order by a.intkod, a.sorsz, a.resz"),
        {p, p});
    const std::vector<Oszlop> cols{
        {QStringLiteral("Szolgáltató kódja:"), 0, 28},
        {QStringLiteral("neve:"), 29, 60},
        {QStringLiteral("Lap sorszám"), 90, 20},
        {QStringLiteral("Beteg TAJ száma"), 111, 26},
        {QStringLiteral("Jelentési időszak"), 138, 27},
        {QStringLiteral("Elrendelő orvos kódja"), 166, 24},
    };
    l.tablazat(program_,
               QStringLiteral("Hiányzó elrendelési adatok a ") + p +
                   QStringLiteral(". havi jelentésben "),
               {}, cols, [](const engine::Query& q, int row) {
                   return QVariantList{q.value(row, 0),
                                       q.value(row, 1),
                                       displayText(q.value(row, 2)) + displayText(q.value(row, 3)),
                                       q.value(row, 4),
                                       q.value(row, 5),
                                       q.value(row, 6)};
               });
    Band& s = l.report.summary;
    s.height = 8;
    s.addLabel(0, 3, 80, 4.5, QStringLiteral("Ellenőrző hibalista vége"), Font{9, true});
    return l;
}

} // namespace reports
