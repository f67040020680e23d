#include "reports/haviosszesito.h"

#include "core/appstate.h"
#include "engine/dberror.h"
#include "reports/counties.h"
#include "reports/elszlapparts.h"
#include "reports/havikuld.h"
#include "ui/messages.h"
#include "ui/numberformat.h"

#include <QTime>

namespace reports {

// ---------------------------------------------------------------- the layouts

namespace {

using parts::kLabel;
using parts::kSmall;
using parts::kTitle;
using parts::kValue;

constexpr double kSor = 5;
const Qt::Alignment kJobbra = Qt::AlignRight | Qt::AlignVCenter;
const Qt::Alignment kKozepre = Qt::AlignCenter;

// Whole forints and counts as "%10.0n", thousands as "%10.1n" shows them.
QString egesz(double v) {
    return ui::formatNumber(v, 0);
}
QString ezer(double ft) {
    return ui::formatNumber(ft / 1000.0, 1);
}
QString db(qint64 n) {
    return ui::formatInteger(n);
}

const char* const kOnkepSor[] = {"", "A beteg teljes ápolásra szorult",
                                 "A beteg segítségre szorult", "A beteg önellátó"};

void addFejlec(Report& r, bool uj) {
    Band& h = r.pageHeader; // the program's title and version from the shared page bands
    auto label = [&](double x, double y, double w, const QString& t) {
        h.addLabel(x, y, w, kSor, t, kLabel);
    };
    auto field = [&](const char* name, double x, double y, double w) {
        h.addText(QLatin1String(name), x, y, w, kSor, {}, kValue);
    };
    h.addLabel(0, 8, 190, 7,
               QStringLiteral("Havi összesítő jelentés otthoni szakápolási vizitekről"), kTitle,
               kKozepre);
    double y = 17;
    h.addText(QStringLiteral("cap_kod"), 0, y, 52, kSor,
              uj ? QStringLiteral("Szolgáltató ULV kódja:")
                 : QStringLiteral("Szolgáltató ULV kódja"),
              kLabel);
    field("intkod", 52, y, 20);
    label(80, y, 42, QStringLiteral("Megyekód és megnevezése:"));
    field("megye", 122, y, 8);
    field("mnev", 130, y, 60);
    y += kSor;
    h.addText(QStringLiteral("cap_szszam"), 0, y, 52, kSor,
              QStringLiteral("Szolgáltató ULV szerződésszáma:"), kLabel);
    field("szszam", 52, y, 60);
    y += kSor;
    label(0, y, 52, QStringLiteral("megnevezése:"));
    field("inte", 52, y, 138);
    y += kSor;
    label(0, y, 52, QStringLiteral("címe:"));
    field("szcim", 52, y, 138);
    y += kSor;
    label(0, y, 52, QStringLiteral("Elszámolási időszak:"));
    field("Lido", 52, y, 16);
    label(68, y, 10, QStringLiteral("hó"));
    y += kSor + 1;
    label(0, y, 80, QStringLiteral("Az elszámolt időszakra beküldött"));
    y += kSor;
    label(0, y, 62, QStringLiteral("\"Egyéni elszámolási lap\"-ok száma:"));
    h.addText(QStringLiteral("elszsz"), 62, y, 20, kSor, {}, kValue, kJobbra);
    label(100, y, 62, QStringLiteral("\"Szakápolási elrendelő lap\"-ok száma:"));
    h.addText(QStringLiteral("elrsz"), 162, y, 20, kSor, {}, kValue, kJobbra);
    y += kSor + 1;
    h.addLabel(0, y, 190, kSor,
               QStringLiteral("Az elvégzett tevékenységek a 20/1996. NM rendelet "
                              "1.sz.mell.szerinti ellátható feladatokból"),
               kLabel);
    y += kSor;
    h.height = y + 1;
}

// The eleven activity boxes, then the fee categories with their cells.
void addTabla(Band& b, const HaviAdatok& a) {
    const double w = 190.0 / 11;
    for (int i = 1; i <= 11; ++i) {
        const double x = (i - 1) * w;
        b.addFrame(x, 0, w, 12);
        b.addLine(x, 5, x + w, 5, 0.15);
        b.addLabel(x, 0, w, 5, QString::number(i), kLabel, kKozepre);
        b.addText(QStringLiteral("tev%1").arg(i), x, 5.5, w, 6, {}, kValue, kKozepre);
    }
    double y = 16;
    b.addLabel(0, y, 80, kSor, QStringLiteral("Vizitkategória"), kLabel);
    b.addLabel(80, y, 18, kSor, QStringLiteral("Szorzó"), kLabel, kJobbra);
    b.addLabel(98, y, 27, kSor, QStringLiteral("Pótlék nélkül"), kLabel, kJobbra);
    b.addLabel(125, y, 32, kSor, QStringLiteral("Területi pótlékkal"), kLabel, kJobbra);
    b.addLabel(157, y, 33, kSor, QStringLiteral("Összeg (Ft)"), kLabel, kJobbra);
    y += kSor;
    b.addLine(0, y, 190, y);
    for (const HaviKategoria& k : a.kategoriak()) {
        y += 1;
        b.addLabel(0, y, 80, kSor, k.nev, kValue);
        y += kSor;
        for (const HaviCella& c : k.cellak) {
            const QString n = k.jel + QString::number(c.onkep);
            b.addLabel(5, y, 75, kSor, QString::fromUtf8(kOnkepSor[c.onkep]), kLabel);
            b.addLabel(80, y, 18, kSor, ui::formatNumber(c.szorzo, 1), kLabel, kJobbra);
            b.addText(QStringLiteral("viz") + n, 98, y, 27, kSor, {}, kValue, kJobbra);
            b.addText(QStringLiteral("viz") + n + QLatin1Char('t'), 125, y, 32, kSor, {}, kValue,
                      kJobbra);
            b.addText(QStringLiteral("ft") + n, 157, y, 33, kSor, {}, kValue, kJobbra);
            y += kSor;
        }
        if (!k.resz.isEmpty()) {
            b.addLine(98, y, 190, y, 0.15);
            b.addLabel(5, y, 75, kSor, QStringLiteral("Összesen:"), kLabel);
            b.addText(QStringLiteral("oviz") + k.resz, 98, y, 27, kSor, {}, kValue, kJobbra);
            b.addText(QStringLiteral("oviz") + k.resz + QLatin1Char('t'), 125, y, 32, kSor, {},
                      kValue, kJobbra);
            b.addText(QStringLiteral("ft") + k.resz, 157, y, 33, kSor, {}, kValue, kJobbra);
            y += kSor;
        }
        b.addLine(0, y, 190, y, 0.15);
    }
    b.height = y + 3;
}

void addOsszegzes(Band& s) {
    auto label = [&](double x, double y, double w, const QString& t) {
        s.addLabel(x, y, w, kSor, t, kLabel);
    };
    auto value = [&](const char* name, double x, double y) {
        s.addText(QLatin1String(name), x, y, 28, kSor, {}, kValue, kJobbra);
    };
    double y = 2;
    label(0, y, 42, QStringLiteral("Mindösszesen vizitszám:"));
    value("ovizit", 42, y);
    label(71, y, 8, QStringLiteral("db"));
    label(100, y, 30, QStringLiteral("eFt:"));
    value("osszft", 130, y);
    y += kSor;
    label(100, y, 30, QStringLiteral("ebből vizitdíj:"));
    value("vizft", 130, y);
    label(159, y, 8, QStringLiteral("eFt"));
    y += kSor;
    label(100, y, 30, QStringLiteral("területi pótlék:"));
    value("tpft", 130, y);
    label(159, y, 8, QStringLiteral("eFt"));
    y += kSor + 3;
    label(0, y, 42, QStringLiteral("Korrekciós vizitszám:"));
    value("kvizit", 42, y);
    label(71, y, 8, QStringLiteral("db"));
    y += kSor;
    label(0, y, 42, QStringLiteral("Sztornózott vizitszám:"));
    value("svizit", 42, y);
    label(71, y, 8, QStringLiteral("db"));
    y += kSor;
    label(0, y, 42, QStringLiteral("Pótvizit száma:"));
    value("pvizit", 42, y);
    label(71, y, 8, QStringLiteral("db"));
    y += kSor + 6;
    label(0, y, 14, QStringLiteral("Dátum:"));
    s.addText(QStringLiteral("zdatum"), 14, y, 30, kSor, {}, kValue);
    y += 18;
    s.addLine(120, y, 190, y, 0.3, Qt::DotLine);
    s.addLabel(120, y + 1, 70, kSor, QStringLiteral("Szolgáltató cégszerű aláírása"), kLabel,
               kKozepre);
    s.height = y + 1 + kSor + 2;
}

} // namespace

Report makeThavil(const HaviFej& fej, std::shared_ptr<const HaviAdatok> adatok,
                  const ProgramText& program) {
    const bool uj = adatok->forma() == HaviForma::Thavil2;
    Report r(uj ? QStringLiteral("Thavil2") : QStringLiteral("Thavil"),
             QStringLiteral("Havi összesítő"));
    parts::addPageBands(r, program);
    addFejlec(r, uj);
    addTabla(r.detail, *adatok);
    addOsszegzes(r.summary);
    // The figures are counted before the layout; the detail prints once.
    r.detailCount = 1;

    const bool zapo = uj && core::Idoszak::fromText(fej.idoszak) >= core::hatar::zapo;
    r.pageHeader.beforePrint = [fej, uj, zapo](Band& b, const PrintContext&) {
        b.setText(QStringLiteral("intkod"), fej.intkod);
        b.setText(QStringLiteral("megye"), displayText(fej.megye));
        b.setText(QStringLiteral("mnev"),
                  fej.megye.isNull() ? QString() : countyName(fej.megye.toInt()));
        b.setText(QStringLiteral("szszam"), fej.szszam);
        b.setText(QStringLiteral("inte"), fej.inte);
        b.setText(QStringLiteral("szcim"), fej.szcim);
        b.setText(QStringLiteral("Lido"), fej.idoszak + QLatin1Char('.'));
        b.setText(QStringLiteral("elszsz"), db(fej.lapsz));
        b.setText(QStringLiteral("elrsz"), db(fej.elrsz));
        if (uj) {
            b.setText(QStringLiteral("cap_kod"), zapo ? QStringLiteral("Szolgáltató ZAPO kódja:")
                                                      : QStringLiteral("Szolgáltató ULV kódja:"));
            b.setText(QStringLiteral("cap_szszam"),
                      zapo ? QStringLiteral("Szolgáltató ZAPO szerződésszáma:")
                           : QStringLiteral("Szolgáltató ULV szerződésszáma:"));
        }
        return true;
    };
    r.detail.beforePrint = [adatok](Band& b, const PrintContext&) {
        for (int i = 1; i <= 11; ++i)
            b.setText(QStringLiteral("tev%1").arg(i), db(adatok->doboz(i)));
        for (const HaviKategoria& k : adatok->kategoriak()) {
            for (const HaviCella& c : k.cellak) {
                const QString n = k.jel + QString::number(c.onkep);
                b.setText(QStringLiteral("viz") + n, db(c.n));
                b.setText(QStringLiteral("viz") + n + QLatin1Char('t'), db(c.t));
                b.setText(QStringLiteral("ft") + n, egesz(c.ft));
            }
            if (k.resz.isEmpty()) continue;
            b.setText(QStringLiteral("oviz") + k.resz, db(k.n()));
            b.setText(QStringLiteral("oviz") + k.resz + QLatin1Char('t'), db(k.t()));
            b.setText(QStringLiteral("ft") + k.resz, egesz(k.ft()));
        }
        return true;
    };
    r.summary.beforePrint = [adatok, fej](Band& b, const PrintContext&) {
        b.setText(QStringLiteral("ovizit"), db(adatok->ovizit()));
        b.setText(QStringLiteral("osszft"), ezer(adatok->osszft()));
        b.setText(QStringLiteral("vizft"), ezer(adatok->vizft()));
        b.setText(QStringLiteral("tpft"), ezer(adatok->tpft()));
        b.setText(QStringLiteral("kvizit"), db(adatok->korrekcio()));
        b.setText(QStringLiteral("svizit"), db(adatok->sztorno()));
        b.setText(QStringLiteral("pvizit"), db(adatok->potvizit()));
        b.setText(QStringLiteral("zdatum"), fej.zdatum);
        return true;
    };
    return r;
}

// ---------------------------------------------------------------- the command

std::vector<HaviSor> HaviOsszesito::haviSorok() {
    // The sheets sent in P, whatever their own period. A full invoice's
    // blank part letter reads as NULL on both sides.
    static const QString sql = QStringLiteral(
        "select a.intkod,a.elszam,a.tpotl,b.tevkod,b.elltip,b.onkep,sum(b.vizitdb) as vizit,"
        "a.modtipus"
        " from lap a, lapb b"
        " where a.sorsz=b.sorsz and a.resz is b.resz and a.idoszak=b.idoszak"
        " and a.elkuldve=?"
        " group by a.intkod,a.elszam,b.tevkod,b.elltip,b.onkep,a.modtipus,a.tpotl");
    std::vector<HaviSor> out;
    st_.tables.dbo.each(sql, {st_.id.text()}, [&](const QVariantList& r) {
        out.push_back(HaviSor{r.value(0).toString(), r.value(1), r.value(2).toString(),
                              r.value(3).toString(), r.value(4), r.value(5),
                              r.value(6).toLongLong(), r.value(7).toString()});
    });
    return out;
}

HaviFej HaviOsszesito::fej(int elrendeloLapok) {
    HaviFej f;
    f.idoszak = st_.id.text();
    f.elrsz = elrendeloLapok;
    f.lapsz = st_.tables.dbo
                  .query(QStringLiteral("select count(intkod) as lapsz from lap"
                                        " where idoszak=? and elkuldve=?"),
                         {st_.id.text(), st_.id.text()})
                  .value(0, 0)
                  .toLongLong();
    // The provider with the contract in force in P: started by its last day,
    // ending on its first day or later, or open; the latest such.
    const engine::Query adat = st_.tables.dbo.query(
        QStringLiteral(
            "select c.megye,c.intkod,c.inte,"
            " ifnull(c.irszam,'')||' '||ifnull(c.hely,'')||', '||ifnull(c.utca,'') as szcim,"
            " d.szszam"
            " from part c left join szerz d on d.szkezd<=? and (d.szveg>=? or d.szveg is null)"
            " order by d.szkezd desc"),
        {st_.id.lastDay().toString(Qt::ISODate), st_.id.firstDay().toString(Qt::ISODate)});
    if (!adat.isEmpty()) {
        f.megye = adat.value(0, 0);
        f.intkod = displayText(adat.value(0, 1));
        f.inte = displayText(adat.value(0, 2));
        f.szcim = displayText(adat.value(0, 3)).trimmed();
        f.szszam = displayText(adat.value(0, 4));
    }
    const engine::Query zaras = st_.tables.dbo.query(
        QStringLiteral("select zaras from zaras where idoszak=? order by zaras desc"),
        {st_.id.text()});
    if (!zaras.isEmpty()) f.zdatum = displayText(zaras.value(0, 0));
    return f;
}

std::shared_ptr<HaviAdatok> HaviOsszesito::adatok(const std::vector<HaviSor>& sorok) const {
    auto a = std::make_shared<HaviAdatok>(st_.id, st_.alapdij);
    a->add(sorok);
    return a;
}

QStringList HaviOsszesito::elteresek(const HaviFej& fej, const HaviAdatok& adatok) {
    const std::optional<KuldottAdatok> k =
        kuldemenyOlvas(st_.kuldkonyvtar, fej.intkod, adatok.idoszak());
    if (!k) return {};
    return kuldemenyElteresek(adatok, fej.lapsz, *k);
}

bool HaviOsszesito::nyomtat(int elrendeloLapok, const Preview& preview) {
    st_.msg.status(0, QStringLiteral("Havi összesítő nyomtatása"));
    HaviFej f;
    std::shared_ptr<HaviAdatok> a;
    try {
        f = fej(elrendeloLapok);
        const std::vector<HaviSor> sorok = haviSorok();
        if (sorok.empty()) {
            st_.msg.error(QStringLiteral("Nincs erre az időszakra zárás!"));
            return false;
        }
        a = adatok(sorok);
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return false;
    }
    try {
        const QStringList e = elteresek(f, *a);
        if (!e.isEmpty()) st_.msg.warning(kuldemenyElteresUzenet(e));
    } catch (const engine::DbError& e) {
        st_.msg.warning(QStringLiteral("A KULD könyvtárban lévő küldemény nem olvasható, "
                                       "az összesítő nem ellenőrizhető vele!\r") +
                        e.text());
    }
    Report r = makeThavil(f, a, program_);
    PageModel pages = layout(r, QDateTime(st_.clock.today(), QTime::currentTime()));
    preview(pages);
    return true;
}

} // namespace reports
