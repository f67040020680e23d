#include "exchange/kuldesell.h"

#include "core/kozos.h"
#include "engine/database.h"
#include "db/kuldemenyminta.h"
#include "exchange/szkrekord.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <tuple>

namespace exch {

namespace {

using Kulcs = std::tuple<QString, QString, QString>; // idoszak, sorsz, resz

} // namespace

std::vector<Problema> kuldesEllenorzes(engine::Database& db, core::Idoszak p) {
    // Found problems by sheet, each text once, the sheets in key order.
    std::map<Kulcs, std::vector<QString>> talalt;
    auto add = [&](const QString& idoszak, const QString& sorsz, const QString& resz,
                   const QString& szoveg) {
        auto& v = talalt[{idoszak, sorsz, resz}];
        if (std::find(v.begin(), v.end(), szoveg) == v.end()) v.push_back(szoveg);
    };

    db.each(QStringLiteral(
                "select a.idoszak, a.sorsz, a.resz, a.taj, a.aztip, a.szviz, "
                "(select count(*) from elrend c where c.idoszak=a.idoszak and c.sorsz=a.sorsz "
                "and c.resz is a.resz), "
                "(select count(*) from beteg d where d.taj=a.taj), "
                "(select sum(b.vizitdb) from lapb b where b.idoszak=a.idoszak and "
                "b.sorsz=a.sorsz and b.resz is a.resz) "
                "from lap a where a.jeloles=? order by a.idoszak, a.sorsz, a.resz"),
            sqlParams(), [&](const QVariantList& r) {
                const QString idoszak = r.value(0).toString(), sorsz = r.value(1).toString(),
                              resz = r.value(2).toString(), taj = r.value(3).toString(),
                              aztip = r.value(4).toString();
                if (r.value(6).toLongLong() == 0)
                    add(idoszak, sorsz, resz,
                        QStringLiteral("Nincs rendelési adata (ELREND): a lapállományból "
                                       "kimarad, a vizitjei és diagnózisai elmennek."));
                if (r.value(7).toLongLong() == 0)
                    add(idoszak, sorsz, resz,
                        QStringLiteral("A(z) „%1” TAJ számú beteg nincs a betegek között: a lap "
                                       "a lapállományból kimarad, a vizitjei és diagnózisai "
                                       "elmennek.")
                            .arg(taj));
                // The TAJ goes into the file unless the identifier type says
                // there is none; a substitute identifier has no check digit.
                const bool tajMegy = p < core::hatar::azonositoTipus || aztip != QLatin1String("0");
                const bool helyettesito = taj.size() == 9 && taj >= QStringLiteral("910000000");
                if (tajMegy && !taj.trimmed().isEmpty() && !kozos::tajell(taj) &&
                    (aztip == QLatin1String("1") || (aztip.isEmpty() && !helyettesito)))
                    add(idoszak, sorsz, resz,
                        QStringLiteral("A(z) „%1” TAJ szám ellenőrző jegye hibás.").arg(taj));
                const qlonglong szviz = r.value(5).toLongLong();
                const qlonglong vizit = r.value(8).toLongLong();
                if (szviz != vizit)
                    add(idoszak, sorsz, resz,
                        QStringLiteral("A lap vizitszáma %1, a vizitsorok összege %2.")
                            .arg(szviz)
                            .arg(vizit));
            });

    // The values of the three files, converted by the very rules the
    // sending uses.
    auto convert = [&](const QString& sql, int idoszakCol, int sorszCol, int reszCol,
                       const std::function<void(const QVariantList&)>& f) {
        db.each(sql, sqlParams(), [&](const QVariantList& r) {
            try {
                f(r);
            } catch (const AtalakitasHiba& h) {
                add(r.value(idoszakCol).toString(), r.value(sorszCol).toString(),
                    r.value(reszCol).toString(),
                    QStringLiteral("A(z) %1 mező nem írható a küldeménybe: „%2” %3")
                        .arg(h.mezo, h.ertek, h.ok));
            }
        });
    };
    const Minta& ma = minta(lapMinta(p));
    const Minta& mb = minta(vizitMinta(p));
    const Minta& mc = minta(bnoMinta(p));
    convert(lapSql(), L_IDOSZAK, L_SORSZAM, L_RESZ,
            [&](const QVariantList& r) { lapRekord(ma, r, p); });
    convert(vizitSql(), V_IDOSZAK, V_SORSZAM, V_RESZ,
            [&](const QVariantList& r) { vizitRekord(mb, r, p); });
    convert(bnoSql(), B_IDOSZAK, B_SORSZAM, B_RESZ,
            [&](const QVariantList& r) { bnoRekordok(mc, r, p); });

    std::vector<Problema> out;
    for (const auto& [k, szovegek] : talalt)
        for (const QString& s : szovegek)
            out.push_back({std::get<1>(k), std::get<2>(k), std::get<0>(k), s});
    return out;
}

QString problemaSzoveg(const std::vector<Problema>& problemak, core::Idoszak p) {
    QString t = QStringLiteral("Ellenőrzés az adatküldés előtt – %1\n\n").arg(p.text());
    for (const Problema& x : problemak)
        t += QStringLiteral("%1%2 (%3): %4\n").arg(x.sorsz, x.resz, x.idoszak, x.leiras);
    return t;
}

} // namespace exch
