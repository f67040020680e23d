#include "reports/dolgozolista.h"

#include "core/appstate.h"
#include "reports/counties.h"
#include "ui/messages.h"
#include "ui/numberformat.h"

#include <QHash>
#include <cmath>
#include <memory>

namespace reports {

Keret dolgozoKeret(const core::Idoszak& p, double szakapo, double szakiro) {
    Keret k;
    if (p < core::hatar::ujKapacitas) {
        k.apolas = szakapo / 40 * 110;
        k.szakirany = szakiro / 40 * 88;
        k.osszes = k.apolas + k.szakirany;
    } else {
        k.apolas = szakapo / 40 * 132;
        k.szakirany = szakiro / 40 * 132;
        k.osszes = (szakapo + szakiro) / 40 * 132;
    }
    return k;
}

namespace {

// The columns, the workers' lines and the totals under the page header.
void torzs(Lista& l, double y, const engine::Query& dolgozok,
           const std::shared_ptr<std::vector<QVariantList>>& sorok, long long osszKeret,
           long long osszVizit, bool szakiranyu) {
    const Font c{8}, v{8, true};
    // The TAJ number, the mark of a therapist and the name under one heading;
    // in the CSV file each has its own.
    const Font cella = kListaCella;
    const double tajW = textWidth(QStringLiteral("000000000"), cella) + 0.6;
    const double jelW = textWidth(QStringLiteral("*"), cella) + 0.6;
    const double nevX = tajW + 1 + jelW + 0.8;
    const std::vector<Oszlop> cols{
        Oszlop(QStringLiteral("Dolgozó TAJ-száma, megnevezése"), 0, tajW)
            .fejSzeles(91)
            .csvben(QStringLiteral("Dolgozó TAJ-száma")),
        Oszlop(QString(), tajW + 1, jelW).csvben(QStringLiteral("Szakirányú tevékenység")),
        Oszlop(QString(), nevX, 91 - nevX).csvben(QStringLiteral("Dolgozó megnevezése")),
        {QStringLiteral("Szerződött dolgozói kapacitás"), 93, 32, 0,
         Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("Teljesített vizitek"), 127, 30, 0, Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("Túl-lépés"), 159, 22, 0, Qt::AlignRight | Qt::AlignVCenter},
    };
    l.oszlopfejek(cols, y);
    l.report.data = dolgozok;
    l.sorok(cols, [sorok](const engine::Query&, int row) { return (*sorok)[std::size_t(row)]; });
    // The overrun on grey, the rest on white.
    BeforePrint fill = l.report.detail.beforePrint;
    l.report.detail.beforePrint = [fill](Band& b, const PrintContext& ctx) {
        fill(b, ctx);
        b.elements[5].background = b.elements[5].text.isEmpty() ? QColor() : QColor(Qt::lightGray);
        return true;
    };

    Band& s = l.report.summary;
    s.height = 12;
    s.addLine(93, 0.5, 190, 0.5);
    s.addLabel(60, 1.5, 32, 4.2, QStringLiteral("Összes vizit:"), v,
               Qt::AlignRight | Qt::AlignVCenter);
    s.addText(QStringLiteral("osszkeret"), 93, 1.5, 32, 4.2, ui::formatNumber(osszKeret), v,
              Qt::AlignRight | Qt::AlignVCenter);
    s.addText(QStringLiteral("osszvizit"), 127, 1.5, 30, 4.2, ui::formatNumber(osszVizit), v,
              Qt::AlignRight | Qt::AlignVCenter);
    s.addText(QStringLiteral("megj"), 0, 7, 80, 4.2, QStringLiteral("* Szakirányú tevékenység"), c)
        .visible = szakiranyu;
}

} // namespace

std::optional<Lista> DolgozoLista::keszit() {
    const core::Idoszak p = st_.id;
    // The workers under contract on some day of the period. The weekly hours
    // are divided as numbers, so 30 hours are three quarters of a post.
    const engine::Query dolgozok = st_.tables.dbo.query(
        QStringLiteral("select b.megye, a.intkod, b.inte,"
                       " ifnull(b.irszam,'')||' '||trim(ifnull(b.hely,''))||', '||ifnull(b.utca,'')"
                       " as cim, a.taj, a.nev, a.szakapo, a.szakiro"
                       " from szolgsz a, part b"
                       " where a.intkod=b.intkod and a.kezd<=? and (a.veg>=? or a.veg is null)"
                       " order by a.intkod, a.taj"),
        {p.lastDay().toString(Qt::ISODate), p.firstDay().toString(Qt::ISODate)});
    if (dolgozok.isEmpty()) {
        st_.msg.error(QStringLiteral("Nincs a szolgáltatónak dolgozói kerete!"));
        return std::nullopt;
    }
    QHash<QString, long long> teljesitett;
    st_.tables.dbo.each(
        QStringLiteral("select aptaj, sum(vizitdb) from lapb where idoszak=? group by aptaj"),
        {st_.id.text()}, [&](const QVariantList& v) {
            teljesitett.insert(displayText(v.value(0)), v.value(1).toLongLong());
        });

    // Each worker's line, and the totals. The frame shows rounded; what is
    // left of it (or over it) comes from the frame as it is.
    auto sorok = std::make_shared<std::vector<QVariantList>>();
    long long osszKeret = 0, osszVizit = 0;
    bool szakiranyu = false;
    for (int row = 0; row < dolgozok.rowCount(); ++row) {
        QString taj = displayText(dolgozok.value(row, QStringLiteral("taj"))).trimmed();
        if (taj.size() < 9) taj = QString(9 - taj.size(), QLatin1Char('0')) + taj;
        const Keret k = dolgozoKeret(p, dolgozok.value(row, QStringLiteral("szakapo")).toDouble(),
                                     dolgozok.value(row, QStringLiteral("szakiro")).toDouble());
        osszKeret += std::llround(k.osszes);
        const bool szi = k.szakirany != 0;
        szakiranyu = szakiranyu || szi;
        QVariant vizit, tullepes;
        double maradt = k.osszes;
        if (auto it = teljesitett.constFind(taj); it != teljesitett.cend()) {
            vizit = *it;
            osszVizit += *it;
            maradt = k.osszes - double(*it);
        }
        if (maradt < 0) tullepes = -maradt;
        sorok->push_back({taj, szi ? QStringLiteral("*") : QString(),
                          displayText(dolgozok.value(row, QStringLiteral("nev"))), k.osszes, vizit,
                          tullepes});
    }

    Lista l(QStringLiteral("Tdlis"), QStringLiteral("Dolgozók teljesített vizitei"));
    double y = l.fejlec(program_, QStringLiteral("Otthoni szakápolás dolgozói teljesítések "
                                                 "megoszlása ") +
                                      st_.id.text() + QStringLiteral(". hónapban "));
    Band& h = l.report.pageHeader;
    const Font c{8}, v{8, true};
    const int megye = dolgozok.value(0, QStringLiteral("megye")).toInt();
    h.addLabel(0, y, 45, 4.2, QStringLiteral("Megyekód és megnevezése:"), c);
    h.addText(QStringLiteral("megye"), 45, y, 8, 4.2, QString::number(megye), v);
    h.addText(QStringLiteral("mnev"), 54, y, 90, 4.2, countyName(megye), v);
    y += 4.6;
    h.addLabel(0, y, 62, 4.2,
               p < core::hatar::zapo ? QStringLiteral("Szolgáltató ULV kódja, megnevezése:")
                                     : QStringLiteral("Szolgáltató ZAPO kódja, megnevezése:"),
               c);
    h.addText(QStringLiteral("intkod"), 62, y, 12, 4.2,
              displayText(dolgozok.value(0, QStringLiteral("intkod"))), v);
    h.addText(QStringLiteral("inte"), 75, y, 115, 4.2,
              displayText(dolgozok.value(0, QStringLiteral("inte"))), v);
    y += 4.6;
    h.addLabel(0, y, 12, 4.2, QStringLiteral("címe:"), c);
    h.addText(QStringLiteral("cimtext"), 12, y, 150, 4.2,
              displayText(dolgozok.value(0, QStringLiteral("cim"))), v);
    y += 6;

    torzs(l, y, dolgozok, sorok, osszKeret, osszVizit, szakiranyu);
    return l;
}

} // namespace reports
