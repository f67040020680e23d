#include "sheet/napok.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "core/kozos.h"
#include "engine/dberror.h"
#include "sheet/kapacitas.h"
#include "sheet/lapcheck.h"
#include "ui/messages.h"

#include <QStringList>

namespace sheet {

namespace {

const QString kDatumKisebb =
    QStringLiteral("Az ápolás dátuma nem lehet kisebb a szakápolásba vételnél!");
const QString kCsak2456 = QStringLiteral("Csak 2,4,5,6 írható a mezőbe!");
const QString kNincsFelsorolva =
    QStringLiteral("A fő tevékenység nem szerepel a felsorolt tevékenységek között!");
const QString kKilenc = QStringLiteral("A fô tevékenység nem lehet 9-es");
const QString kSzakapolas11 = QStringLiteral("A tevékenység kódja szakápolásnál nem lehet 11!");
const QString kSzakirany11 =
    QStringLiteral("A tevékenység kódja szakirányú ellátásnál csak 11 lehet!");
const QString kVizitszam =
    QStringLiteral("A vizitek száma nem lehet több 14-nél, és az elrendelt viziteknél!");

QString nev(const char* mezo, int i) {
    return QLatin1String(mezo) + QString::number(i + 1);
}

bool egesz(const QString& text) {
    return kozos::egeszSzam(text);
}

// A count of visits: 0 when blank, -1 (which no limit lets through) when it
// is not a whole number without sign.
int szam(const QString& text) {
    if (kozos::ures(text)) return 0;
    int n = 0;
    return kozos::egeszSzam(text, &n) ? n : -1;
}

QString egyedul(const QString& kod) {
    return QStringLiteral("A fô tevékenység kódnál a ") + kod +
           QStringLiteral(" nem állhat egyedül");
}

QString kitoltendo(int i) {
    return QStringLiteral("A ") + QString::number(i + 1) +
           QStringLiteral(". napi adatokat ki kell tölteni!");
}

bool uj2009(const core::AppState& state) {
    return state.id >= core::hatar::ujKuldemeny;
}

// The nurse is in APOL. A lookup that cannot run counts as not found.
bool apolbanVan(core::AppState& state, const QString& taj) {
    try {
        return !state.tables.dbo
                    .query(QStringLiteral("select 1 from apol where aptaj=? limit 1"),
                           QVariantList{taj.trimmed()})
                    .isEmpty();
    } catch (const engine::DbError&) {
        return false;
    }
}

QVariant blankToNull(const QString& s) {
    return kozos::ures(s) ? QVariant() : QVariant(s);
}

} // namespace

void napokBeallit(LapModel& m) {
    const core::Idoszak p = core::Idoszak::fromText(m.m_idosz);
    m.napokszama = p.dayCount();
    for (int i = 0; i < LapModel::maxNapok; ++i) {
        if (i < m.napokszama) {
            m.apdat[size_t(i)] = p.firstDay().addDays(i).toString(QStringLiteral("yyyy.MM.dd"));
        } else {
            m.apdat[size_t(i)].clear();
            m.ellt[size_t(i)].clear();
            m.tevk[size_t(i)].clear();
            m.aptaj[size_t(i)].clear();
        }
    }
}

bool sorTeljes(const LapModel& m, int i) {
    return !kozos::ures(m.ellt[size_t(i)]) && !kozos::ures(m.tevk[size_t(i)]) &&
           !kozos::ures(m.aptaj[size_t(i)]);
}

bool sorUres(const LapModel& m, int i) {
    return kozos::ures(m.ellt[size_t(i)]) && kozos::ures(m.tevk[size_t(i)]) &&
           kozos::ures(m.aptaj[size_t(i)]);
}

bool fotevjo(const QString& code) {
    const QString k = code.trimmed();
    if (k.isEmpty()) return false;
    const QChar c = k.at(0);
    if ((c == u'3' || c == u'8' || c == u'9') && k.size() == 1) return false;
    return c >= u'0' && c <= u'9';
}

bool vizitszamjo(int vizit, int elrendelt, int elszamolt) {
    if (vizit < 0 || elszamolt < 0) return false;
    return vizit + elszamolt <= elrendelt && vizit + elszamolt <= 14;
}

bool vizitszamjo(int vizit, const QString& elrendelt, const QString& elszamolt) {
    return vizitszamjo(vizit, szam(elrendelt), szam(elszamolt));
}

CheckResult ellt1Exit(LapModel& m, core::AppState& state) {
    CheckResult r;
    for (int i = 0; i < m.napokszama; ++i) {
        const QString e = m.ellt[size_t(i)].trimmed();
        if (kozos::ures(e)) continue;
        if (m.apdat[size_t(i)] < m.m_szakvet) {
            state.msg.error(kDatumKisebb);
            m.ellt[size_t(i)].clear();
            return {false, nev("ellt", i)};
        }
        if (!egesz(e)) {
            state.msg.error(kCsak2456);
            r = {false, nev("ellt", i)};
        }
        if (!kozos::egyike(e, QStringLiteral("2456"))) {
            state.msg.error(kCsak2456);
            r = {false, nev("ellt", i)};
        }
    }
    return r;
}

CheckResult tevk1Exit(LapModel& m, core::AppState& state, int nap) {
    const int i = nap - 1;
    const QString t = m.tevk[size_t(i)].trimmed();
    if (kozos::ures(t)) return {};
    CheckResult r;
    if (!m.Etev.contains(t)) {
        state.msg.error(kNincsFelsorolva);
        r = {false, nev("tevk", i)};
    }
    if (!fotevjo(t)) {
        state.msg.error(egyedul(t));
        r = {false, nev("tevk", i)};
    }
    if (uj2009(state) && t.startsWith(u'9')) {
        state.msg.error(kKilenc);
        r = {false, nev("tevk", i)};
    }
    return r;
}

CheckResult aptaj1Exit(LapModel& m, core::AppState& state, int nap, QString* vagolap) {
    int c = 0;
    for (int i = 0; i < m.napokszama; ++i) {
        const QString a = m.aptaj[size_t(i)].trimmed();
        if (!kozos::ures(a) && !apolbanVan(state, a)) {
            state.msg.error(QStringLiteral("Nem szerepel az ápoló a törzsben!"));
            return {false, nev("aptaj", i)};
        }
        if (sorTeljes(m, i)) {
            const QString e = m.ellt[size_t(i)].trimmed();
            const QString t = m.tevk[size_t(i)].trimmed();
            if (e == u"2" && t == u"11") {
                state.msg.error(kSzakapolas11);
                return {false, nev("tevk", i)};
            }
            if (e > u"2" && t != u"11") {
                state.msg.error(kSzakirany11);
                return {false, nev("tevk", i)};
            }
            if (i == nap - 1 && vagolap) *vagolap = a;
            ++c;
        } else if (!sorUres(m, i)) {
            state.msg.error(kitoltendo(i));
            return {false, nev("ellt", i)};
        }
    }
    m.vszam = QString::number(c);
    if (!vizitszamjo(c, m.m_elviz, m.m_elszviz)) {
        state.msg.error(kVizitszam);
        return {false, {}};
    }
    return {};
}

QSet<QString> foglaltNapok(core::AppState& state, const QString& sorsz, const QString& idoszak,
                           bool modositas, const QStringList& datumok, const QString& taj,
                           const QString& resz) {
    QSet<QString> foglalt;
    if (datumok.isEmpty()) return foglalt;
    // One query for the whole grid: the patient's visits between the first
    // and the last day asked, then the days are matched here.
    QString lo = datumok.first(), hi = datumok.first();
    for (const QString& d : datumok) {
        lo = qMin(lo, d);
        hi = qMax(hi, d);
    }
    auto iso = [](QString d) { return d.replace(u'.', u'-'); };
    QString sql = QStringLiteral("select b.apdatum from lap a, lapb b "
                                 "where a.taj=? and b.sorsz=a.sorsz and b.resz is a.resz "
                                 "and b.idoszak=a.idoszak and b.apdatum>=? and b.apdatum<=?");
    QVariantList params{taj.trimmed(), iso(lo), iso(hi)};
    if (modositas) {
        // Leave out the visits of the sheet being changed, and only those.
        sql += QStringLiteral(" and not (b.sorsz=? and b.resz is ? and b.idoszak=?)");
        params << sorsz << blankToNull(resz) << idoszak;
    }
    QSet<QString> keresett(datumok.begin(), datumok.end());
    state.tables.dbo.each(sql, params, [&](const QVariantList& row) {
        const QString d = row.value(0).toString().replace(u'-', u'.');
        if (keresett.contains(d)) foglalt.insert(d);
    });
    return foglalt;
}

bool napatfedes(core::AppState& state, const QString& sorsz, const QString& idoszak, bool modositas,
                const QString& datum, const QString& taj, const QString& resz) {
    try {
        return foglaltNapok(state, sorsz, idoszak, modositas, {datum}, taj, resz).isEmpty();
    } catch (const engine::DbError&) {
        state.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return true;
    }
}

bool napokell(LapModel& m, core::AppState& state, Kapacitas& kapacitas) {
    bool r = true;
    kapacitas.kapacnez(state, m);
    QString f, l, tullepo;
    int c = 0;
    int h = 0;

    QStringList datumok;
    for (int i = 0; i < m.napokszama; ++i)
        if (sorTeljes(m, i)) datumok << m.apdat[size_t(i)];
    QSet<QString> foglalt;
    try {
        foglalt =
            foglaltNapok(state, m.lapsorsz, m.m_idosz, m.modositas, datumok, m.m_taj, m.lapresz);
    } catch (const engine::DbError&) {
        state.msg.error(QStringLiteral("Hiba a lefutásban!"));
    }

    auto hiba = [&](const QString& text) {
        state.msg.error(text);
        r = false;
    };
    for (int i = 0; i < m.napokszama; ++i) {
        const QString e = m.ellt[size_t(i)].trimmed();
        const QString t = m.tevk[size_t(i)].trimmed();
        const QString a = m.aptaj[size_t(i)].trimmed();
        const QString d = m.apdat[size_t(i)];
        if (!kozos::ures(a) && !apolbanVan(state, a))
            hiba(QStringLiteral("Nem szerepel az ") + a + QStringLiteral(" ápoló a törzsben!"));
        if (sorTeljes(m, i)) {
            if (f.isEmpty() || d < f) f = d;
            if (l.isEmpty() || d > l) l = d;
            if (kapacitas.hozzaad(a)) tullepo = a;
            if (e == u"2" && t == u"11")
                hiba(kSzakapolas11);
            else if (e > u"2" && t != u"11")
                hiba(kSzakirany11);
            if (!m.Etev.contains(t)) hiba(kNincsFelsorolva);
            if (!fotevjo(t)) hiba(egyedul(t));
            if (uj2009(state) && t.startsWith(u'9')) hiba(kKilenc);
            if (!egesz(e)) hiba(kCsak2456);
            if (!kozos::egyike(e, QStringLiteral("2456"))) hiba(kCsak2456);
            if (kozos::egyike(e, QStringLiteral("456"))) h = 9;
            if (foglalt.contains(d))
                hiba(QStringLiteral("Az ápolás dátuma ") + d +
                     QStringLiteral(" időben átfed egy másik teljesítést"));
            ++c;
        } else if (!sorUres(m, i)) {
            hiba(kitoltendo(i));
        }
    }
    if (m.m_szakvet > f) hiba(kDatumKisebb);
    QString lezdat = m.m_lezdat;
    lezdat.remove(u'.');
    if (!kozos::ures(lezdat) && m.m_lezdat < l)
        hiba(QStringLiteral("Az ápolás dátuma nem lehet nagyobb az ápolási eset lezárásánál !"));
    if (!vizitszamjo(c, m.m_elviz, m.m_elszviz)) hiba(kVizitszam);
    if (!onellatell(state.msg, m.CB2, h)) r = false;
    if (!tullepo.isEmpty())
        state.msg.warning(QStringLiteral("Dolgozói kapacitás túllépés a ") + tullepo +
                          QStringLiteral(" TAJ számú dolgozónál!"));
    m.vizitszam = c;
    kapacitas.felszabadit();
    return r;
}

} // namespace sheet
