#include "reports/tajlista.h"

#include "app/appstate.h"
#include "ui/messages.h"
#include "ui/numberformat.h"

#include <memory>

namespace reports {

namespace {

const Font kCella{7};
const Font kFej{8, true};
constexpr double kSor = 3.8;

// Columns of the detail line (landscape, 277 mm).
struct Hasab {
    const char* nev;
    double x, w;
    const char* cim;
};
constexpr Hasab kHasabok[] = {
    {"lapszam", 0, 14, "Lapszám"},         {"idoszak", 15, 13, "Időszak"},
    {"elszam", 29, 14, "Elrendelés szám"}, {"engszam", 44, 11, "Eng.szám"},
    {"szakvet", 56, 16, "Kezdet"},         {"lezdat", 73, 16, "Lezárás"},
    {"bnorov", 90, 36, "Alapbetegség"},    {"bnofo", 127, 36, "Fődiagnózis"},
    {"tevek", 164, 22, "Tevékenységek"},   {"szviz", 187, 12, "Összes vizit-szám"},
};
constexpr double kSzamlaloX = 200, kSzamlaloW = 8.5;
const char* const kSzamlaloCim[9] = {"Sz.áp. 1", "Sz.áp. 2", "Sz.áp. 3", "Gyt. 1", "Gyt. 2",
                                     "Fizio 1",  "Fizio 2",  "Logo 1",   "Logo 2"};

QString szamlalo(long long n) {
    return n != 0 ? ui::formatNumber(n) : QString();
}

QString rovid(const QString& s, int n) {
    return s.size() > n ? s.left(n) : s;
}

// The state shared by the bands: the patient's totals.
struct Osszegek {
    Szamlalok csoport{};
    long long szviz = 0;
    std::shared_ptr<SheetLookups> bno;
};

} // namespace

int szamlaloIndex(int elltip, int onkep) {
    switch (elltip) {
    case 2:
        return onkep >= 1 && onkep <= 3 ? onkep - 1 : -1;
    case 4:
    case 5:
    case 6:
        return onkep >= 1 && onkep <= 2 ? 3 + (elltip - 4) * 2 + onkep - 1 : -1;
    default:
        return -1;
    }
}

void tevekenysegHozza(QString& lista, const QString& tevkod) {
    const QString k = tevkod.trimmed();
    if (k.isEmpty()) return;
    if (lista.isEmpty()) {
        lista = k;
        return;
    }
    // Whole codes: "1" is not in "10".
    if (!lista.split(QLatin1Char(' ')).contains(k)) lista += QLatin1Char(' ') + k;
}

QString TajLista::cim(const TajIdoszak& span, const QString& k, const QString& n,
                      const QString& p) {
    const QString eleje = QStringLiteral("TAJ számos ellenőrző lista a ") + k + QLatin1Char(' ') +
                          n + QStringLiteral(" szolgáltató betegeiről ");
    switch (span.fajta) {
    case TajIdoszak::Fajta::Teljes:
        return eleje + QStringLiteral("1999. 04 hónaptól");
    case TajIdoszak::Fajta::Aktualis:
        return eleje + p + QStringLiteral(" időszakban");
    case TajIdoszak::Fajta::Valasztott:
        return eleje + span.tol.text() + QLatin1Char('-') + p + QStringLiteral(" időszakban");
    }
    return eleje;
}

std::optional<Lista> TajLista::egyBeteg(const QString& taj) {
    std::optional<Lista> l = keszit(
        QStringLiteral("Egy betegre vonatkozó TAJ-szám szerinti ellenőrző lista 1999. 04 hónaptól"),
        QStringLiteral(" and a.taj=?"), {taj});
    if (!l)
        st_.msg.error(QStringLiteral("Nincs a ") + taj +
                      QStringLiteral(" TAJ-számú betegnek elszámolási lapja!"));
    return l;
}

std::optional<Lista> TajLista::osszes(const TajIdoszak& span) {
    st_.msg.status(
        0, QStringLiteral("Teljes TAJ-számos lista nyomtatása folyik, kis türelmet kérek..."));
    const engine::Query part =
        st_.tables.dbo.query(QStringLiteral("select intkod, inte from part"));
    const QString k = part.isEmpty() ? QString() : displayText(part.value(0, 0));
    const QString n = part.isEmpty() ? QString() : displayText(part.value(0, 1));
    const QString p = st_.id;
    std::optional<Lista> l;
    switch (span.fajta) {
    case TajIdoszak::Fajta::Teljes:
        l = keszit(cim(span, k, n, p), QStringLiteral(" and a.intkod=?"), {k});
        break;
    case TajIdoszak::Fajta::Aktualis:
        l = keszit(cim(span, k, n, p), QStringLiteral(" and a.idoszak=?"), {p});
        break;
    case TajIdoszak::Fajta::Valasztott:
        l = keszit(cim(span, k, n, p), QStringLiteral(" and a.idoszak>=? and a.idoszak<=?"),
                   {span.tol.text(), p});
        break;
    }
    if (!l)
        st_.msg.error(QStringLiteral("Nincs a ") + k + QStringLiteral(" szolgáltatónak betege!"));
    return l;
}

std::optional<Lista> TajLista::keszit(const QString& cim, const QString& where,
                                      const QVariantList& params) {
    engine::Query rows = st_.tables.dbo.query(
        QStringLiteral("select a.taj, b.nev, a.idoszak, a.sorsz, a.resz, a.elszam, c.engszam,"
                       " c.szakvet, a.lezdat, a.szviz, a.bnorov, a.bnofo"
                       " from lap a"
                       " join elrend c on a.sorsz=c.sorsz and a.resz is c.resz"
                       " and a.idoszak=c.idoszak"
                       " join beteg b on a.taj=b.taj"
                       " where a.idoszak>'1999.04'") +
            where + QStringLiteral(" order by a.taj, a.idoszak, a.sorsz, a.resz"),
        params);
    if (rows.isEmpty()) return std::nullopt;

    Lista l(QStringLiteral("Ttajl"), QStringLiteral("TAJ számos ellenőrző lista"));
    Report& r = l.report;
    r.orientation = Orientation::Landscape;
    r.data = std::move(rows);
    std::vector<Oszlop> fejek;
    for (const Hasab& c : kHasabok)
        fejek.push_back({QString::fromUtf8(c.cim), c.x, c.w});
    for (int i = 0; i < 9; ++i)
        fejek.push_back({QString::fromUtf8(kSzamlaloCim[i]), kSzamlaloX + i * kSzamlaloW,
                         kSzamlaloW, 0, Qt::AlignRight | Qt::AlignVCenter});
    l.oszlopfejek(fejek, l.fejlec(program_, cim));

    auto ossz = std::make_shared<Osszegek>();
    ossz->bno = SheetLookups::load(st_);

    r.groupKey = [](const engine::Query& q, int row) { return q.value(row, 0).toString(); };
    Band& gh = r.groupHeader;
    gh.height = 5.5;
    gh.addLabel(0, 1, 16, kSor, QStringLiteral("TAJ szám:"), kFej);
    gh.addText(QStringLiteral("taj"), 16, 1, 20, kSor, {}, kFej);
    gh.addText(QStringLiteral("nev"), 38, 1, 90, kSor, {}, kFej);
    gh.beforePrint = [ossz](Band& b, const PrintContext& c) {
        ossz->csoport.fill(0);
        ossz->szviz = 0;
        b.setText(QStringLiteral("taj"), c.text(QStringLiteral("taj")));
        b.setText(QStringLiteral("nev"), c.text(QStringLiteral("nev")));
        return true;
    };

    Band& d = r.detail;
    d.height = kSor;
    for (const Hasab& c : kHasabok)
        d.addText(QLatin1String(c.nev), c.x, 0, c.w, kSor, {}, kCella,
                  QLatin1String(c.nev) == QLatin1String("szviz")
                      ? Qt::AlignRight | Qt::AlignVCenter
                      : Qt::AlignLeft | Qt::AlignVCenter);
    for (int i = 0; i < 9; ++i)
        d.addText(QStringLiteral("n%1").arg(i), kSzamlaloX + i * kSzamlaloW, 0, kSzamlaloW, kSor,
                  {}, kCella, Qt::AlignRight | Qt::AlignVCenter);
    app::AppState* st = &st_;
    d.beforePrint = [ossz, st](Band& b, const PrintContext& c) {
        const QVariant resz = c.value(QStringLiteral("resz"));
        b.setText(QStringLiteral("lapszam"), c.text(QStringLiteral("sorsz")) + displayText(resz));
        for (const char* f : {"idoszak", "elszam", "engszam", "szakvet", "lezdat", "szviz"})
            b.setText(QLatin1String(f), c.text(QLatin1String(f)));
        b.setText(QStringLiteral("bnorov"),
                  rovid(ossz->bno->bno.value(c.text(QStringLiteral("bnorov"))), 30));
        b.setText(QStringLiteral("bnofo"),
                  rovid(ossz->bno->bno.value(c.text(QStringLiteral("bnofo"))), 30));
        // The sheet's visit rows, summed by activity, care type and category.
        Szamlalok n{};
        QString tevek;
        st->tables.dbo.each(
            QStringLiteral("select tevkod, elltip, onkep, sum(vizitdb) from lapb"
                           " where idoszak=? and sorsz=? and resz is ?"
                           " group by tevkod, elltip, onkep order by tevkod, elltip, onkep"),
            {c.value(QStringLiteral("idoszak")), c.value(QStringLiteral("sorsz")), resz},
            [&](const QVariantList& v) {
                tevekenysegHozza(tevek, displayText(v.value(0)));
                const int i = szamlaloIndex(v.value(1).toInt(), v.value(2).toInt());
                if (i >= 0) n[std::size_t(i)] += v.value(3).toLongLong();
            });
        b.setText(QStringLiteral("tevek"), tevek);
        for (int i = 0; i < 9; ++i) {
            b.setText(QStringLiteral("n%1").arg(i), szamlalo(n[std::size_t(i)]));
            ossz->csoport[std::size_t(i)] += n[std::size_t(i)];
        }
        ossz->szviz += c.value(QStringLiteral("szviz")).toLongLong();
        return true;
    };

    Band& gf = r.groupFooter;
    gf.height = kSor + 2;
    gf.addLine(160, 0.3, 277, 0.3);
    gf.addLabel(150, 0.8, 36, kSor, QStringLiteral("Összesen:"), kFej,
                Qt::AlignRight | Qt::AlignVCenter);
    gf.addText(QStringLiteral("szviz"), 187, 0.8, 12, kSor, {}, kFej,
               Qt::AlignRight | Qt::AlignVCenter);
    for (int i = 0; i < 9; ++i)
        gf.addText(QStringLiteral("n%1").arg(i), kSzamlaloX + i * kSzamlaloW, 0.8, kSzamlaloW, kSor,
                   {}, kFej, Qt::AlignRight | Qt::AlignVCenter);
    gf.beforePrint = [ossz](Band& b, const PrintContext&) {
        b.setText(QStringLiteral("szviz"), ui::formatNumber(ossz->szviz));
        for (int i = 0; i < 9; ++i)
            b.setText(QStringLiteral("n%1").arg(i), szamlalo(ossz->csoport[std::size_t(i)]));
        return true;
    };

    r.summary.height = 8;
    r.summary.addLabel(0, 3, 60, 4.5, QStringLiteral("Lista vége"), Font{9, true});
    return l;
}

} // namespace reports
