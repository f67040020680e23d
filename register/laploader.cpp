#include "register/laploader.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "core/kozos.h"
#include "engine/database.h"
#include "masters/torzsadat.h"
#include "sheet/beteglap.h"
#include "sheet/zarasok.h"

namespace reg {

namespace {

// A text field as stored (the tables pad on the right, never on the left).
QString szoveg(const engine::Query& q, const QString& oszlop) {
    if (q.isEmpty()) return {};
    const QVariant v = q.value(0, oszlop);
    return v.isNull() ? QString() : v.toString();
}

// A number field as the entry field shows it; empty when blank.
QString szam(const engine::Query& q, const QString& oszlop) {
    if (q.isEmpty()) return {};
    const QVariant v = q.value(0, oszlop);
    if (v.isNull()) return {};
    return QString::number(qRound64(v.toDouble()));
}

QString datum(const engine::Query& q, const QString& oszlop) {
    return q.isEmpty() ? QString() : sheet::isoDatum(q.value(0, oszlop));
}

QString bnoNev(engine::Database& db, const QString& kod) {
    return masters::bnoNeve(db, kod).value_or(QString());
}

QString orvosNev(engine::Database& db, const QString& kod) {
    return masters::orvosNeve(db, kod).value_or(QString());
}

} // namespace

void napokTolt(sheet::LapModel& m, core::Idoszak idoszak) {
    m.napokszama = idoszak.dayCount();
    for (int d = 0; d < sheet::LapModel::maxNapok; ++d) {
        m.apdat[size_t(d)] =
            d < m.napokszama ? idoszak.firstDay().addDays(d).toString(QStringLiteral("yyyy.MM.dd"))
                             : QString();
        m.ellt[size_t(d)].clear();
        m.tevk[size_t(d)].clear();
        m.aptaj[size_t(d)].clear();
    }
}

void fejTolt(core::AppState& st, const engine::Query& lap, const engine::Query& rend,
             sheet::LapModel& m, Betoltes cel) {
    engine::Database& db = st.tables.dbo;

    m.m_taj = szoveg(lap, QStringLiteral("taj"));
    m.m_nev = m.m_kozigkod = m.m_cim1 = m.m_cim2 = m.m_szh = m.m_szido = QString();
    m.bnem = -1;
    if (const auto b = masters::betegTajjal(db, m.m_taj)) sheet::betegLapra(*b, m);
    // The identifier type is the sheet's own.
    m.m_aztip = szoveg(lap, QStringLiteral("aztip"));
    // Modification and viewing show the 2016 fields only in a period that has
    // them; a next partial invoice copies them as they are.
    if (cel == Betoltes::KovetkezoResz || st.id >= core::hatar::azonositoTipus) {
        m.m_terkat = szoveg(lap, QStringLiteral("terkat"));
        m.m_allp = szoveg(lap, QStringLiteral("allamp"));
    }
    m.m_fekvd = szoveg(lap, QStringLiteral("bnoki"));
    m.m_alapb = szoveg(lap, QStringLiteral("bnorov"));
    m.m_kiserd = szoveg(lap, QStringLiteral("bnomell"));
    m.m_fodiag = szoveg(lap, QStringLiteral("bnofo"));
    m.m_ellatd = szoveg(lap, QStringLiteral("bnoell"));
    m.bno1 = bnoNev(db, m.m_fekvd);
    m.bno2 = bnoNev(db, m.m_alapb);
    m.bno3 = bnoNev(db, m.m_kiserd);
    m.bno4 = bnoNev(db, m.m_fodiag);
    m.bno5 = bnoNev(db, m.m_ellatd);
    m.m_fekdat = datum(lap, QStringLiteral("elb"));
    m.m_fapnap = szam(lap, QStringLiteral("apnap"));
    if (cel == Betoltes::KovetkezoResz && m.m_fapnap.isEmpty()) m.m_fapnap = QStringLiteral("0");
    m.CB1 = szoveg(lap, QStringLiteral("tpotl")) == QStringLiteral("I");
    m.m_eorv = szoveg(lap, QStringLiteral("orvoskod"));
    m.orv1 = orvosNev(db, m.m_eorv);
    m.m_elszam = szam(lap, QStringLiteral("elszam"));
    m.m_elszviz = szam(lap, QStringLiteral("elszviz"));
    m.m_lezdat = datum(lap, QStringLiteral("lezdat"));
    m.Etev = szoveg(lap, QStringLiteral("tevkodok"));

    if (!rend.isEmpty()) {
        m.m_jorv = szoveg(rend, QStringLiteral("jorvkod"));
        if (cel == Betoltes::Modositas && m.m_jorv == QStringLiteral("00000")) m.m_jorv.clear();
        m.orv2 = orvosNev(db, m.m_jorv);
        m.m_elrend = datum(rend, QStringLiteral("elrend"));
        m.m_szakvet = datum(rend, QStringLiteral("szakvet"));
        m.m_elviz = szam(rend, QStringLiteral("elvizdb"));
        m.m_gyak = szoveg(rend, QStringLiteral("gyak"));
        m.m_engdat = datum(rend, QStringLiteral("engdat"));
        m.m_engszam = szam(rend, QStringLiteral("engszam"));
    } else {
        m.m_jorv.clear();
        m.orv2.clear();
        m.m_elrend.clear();
        m.m_szakvet.clear();
        m.m_gyak.clear();
        m.m_engdat.clear();
        m.m_elviz = QStringLiteral("0");
        m.m_engszam = QStringLiteral("0");
    }
}

bool lapBetolt(core::AppState& st, const LapKulcs& k, sheet::LapModel& m, Betoltes cel) {
    engine::Database& db = st.tables.dbo;
    const QVariant resz = reszErtek(k.resz);
    const engine::Query lap = db.query(
        QStringLiteral("select * from lap where idoszak=? and sorsz=? and resz is ? limit 1"),
        {k.idoszak, k.sorsz, resz});
    if (lap.isEmpty()) return false;
    const engine::Query rend = db.query(
        QStringLiteral("select * from elrend where idoszak=? and sorsz=? and resz is ? limit 1"),
        {k.idoszak, k.sorsz, resz});
    const engine::Query napok =
        db.query(QStringLiteral("select apdatum, elltip, tevkod, aptaj, onkep from lapb "
                                "where idoszak=? and sorsz=? and resz is ? order by apdatum"),
                 {k.idoszak, k.sorsz, resz});

    sheet::LapModel uj = m;
    fejTolt(st, lap, rend, uj, cel);
    const bool beallitasok = cel != Betoltes::Megtekintes;
    const QString resztxt = kozos::ures(k.resz) ? QString() : k.resz.trimmed();
    if (beallitasok) {
        uj.lapsorsz = k.sorsz;
        uj.lapresz = resztxt;
    }
    uj.m_sorsz = k.sorsz + resztxt;
    uj.m_idosz = k.idoszak;

    // The day rows, found by their dates; the care need shown is the one of
    // the last day that has a row.
    sheet::LapModel napos = uj;
    napokTolt(napos, core::Idoszak::fromText(k.idoszak));
    if (beallitasok) uj.napokszama = napos.napokszama;
    int onkep = 0;
    for (int d = 0; d < sheet::LapModel::maxNapok; ++d) {
        uj.apdat[size_t(d)] = napos.apdat[size_t(d)];
        uj.ellt[size_t(d)].clear();
        uj.tevk[size_t(d)].clear();
        uj.aptaj[size_t(d)].clear();
    }
    for (const QVariantList& sor : napok.rows()) {
        const QString datum = sheet::isoDatum(sor.value(0));
        for (int d = 0; d < napos.napokszama; ++d) {
            if (uj.apdat[size_t(d)] != datum) continue;
            uj.ellt[size_t(d)] =
                sor.value(1).isNull() ? QString() : QString::number(sor.value(1).toInt());
            uj.tevk[size_t(d)] = sor.value(2).isNull() ? QString() : sor.value(2).toString();
            uj.aptaj[size_t(d)] = sor.value(3).isNull() ? QString() : sor.value(3).toString();
            if (!sor.value(4).isNull()) onkep = sor.value(4).toInt();
            break;
        }
    }
    uj.CB2 = onkep >= 1 && onkep <= 3 ? onkep - 1 : -1;

    uj.vszam = szam(lap, QStringLiteral("szviz"));
    uj.vszameVisible = uj.m_elszviz.toInt() != 0;
    uj.vszame = uj.vszameVisible ? uj.m_elszviz : QString();
    m = uj;
    return true;
}

} // namespace reg
