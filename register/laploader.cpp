#include "register/laploader.h"

#include "app/appstate.h"
#include "engine/database.h"
#include "sheet/kozos.h"
#include "sheet/zarasok.h"

namespace reg {

namespace {

QString szoveg(const engine::Query& q, const QString& oszlop) {
    const QVariant v = q.value(0, oszlop);
    return v.isNull() ? QString() : v.toString().trimmed();
}

// A number field as the entry field shows it; empty when blank.
QString szam(const engine::Query& q, const QString& oszlop) {
    const QVariant v = q.value(0, oszlop);
    if (v.isNull()) return {};
    return QString::number(qRound64(v.toDouble()));
}

} // namespace

void betegTolt(engine::Database& db, const QString& taj, sheet::LapModel& m) {
    const engine::Query q =
        db.query(QStringLiteral("select nev, kozigkod, cime1, cime2, szulh, szuli, neme from beteg "
                                "where taj=? limit 1"),
                 {taj});
    m.m_nev = m.m_kozigkod = m.m_cim1 = m.m_cim2 = m.m_szh = m.m_szido = QString();
    m.bnem = -1;
    if (q.isEmpty()) return;
    m.m_nev = szoveg(q, QStringLiteral("nev"));
    m.m_kozigkod = szoveg(q, QStringLiteral("kozigkod"));
    m.m_cim1 = szoveg(q, QStringLiteral("cime1"));
    m.m_cim2 = szoveg(q, QStringLiteral("cime2"));
    m.m_szh = szoveg(q, QStringLiteral("szulh"));
    m.m_szido = sheet::isoDatum(q.value(0, QStringLiteral("szuli")));
    const QString neme = szoveg(q, QStringLiteral("neme"));
    m.bnem = neme == QStringLiteral("F") ? 0 : neme == QStringLiteral("N") ? 1 : -1;
}

QString bnoNev(engine::Database& db, const QString& kod10) {
    if (kozos::ures(kod10)) return {};
    const engine::Query q = db.query(
        QStringLiteral("select nev from bnotorzs where kod10=? limit 1"), {kod10.trimmed()});
    return q.isEmpty() ? QString() : q.value(0, 0).toString().trimmed();
}

QString orvosNev(engine::Database& db, const QString& orvoskod) {
    if (kozos::ures(orvoskod)) return {};
    const engine::Query q = db.query(
        QStringLiteral("select onev from orvos where orvoskod=? limit 1"), {orvoskod.trimmed()});
    return q.isEmpty() ? QString() : q.value(0, 0).toString().trimmed();
}

void napokTolt(sheet::LapModel& m, const QString& idoszak) {
    m.napokszama = kozos::honapnapok(idoszak);
    for (int d = 0; d < sheet::LapModel::maxNapok; ++d) {
        m.apdat[size_t(d)] =
            d < m.napokszama ? idoszak + QLatin1Char('.') + kozos::ketjegyu(d + 1) : QString();
        m.ellt[size_t(d)].clear();
        m.tevk[size_t(d)].clear();
        m.aptaj[size_t(d)].clear();
    }
}

bool lapBetolt(app::AppState& st, const LapKulcs& k, sheet::LapModel& m, const BetoltesMod& mod) {
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

    const QString resztxt = kozos::ures(k.resz) ? QString() : k.resz.trimmed();
    if (mod.beallitasok) {
        m.lapsorsz = k.sorsz;
        m.lapresz = resztxt;
    }
    m.m_sorsz = k.sorsz + resztxt;
    m.m_idosz = k.idoszak;

    m.m_taj = szoveg(lap, QStringLiteral("taj"));
    betegTolt(db, m.m_taj, m);
    m.m_aztip = szoveg(lap, QStringLiteral("aztip"));
    if (st.id >= QStringLiteral("2016.01")) {
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
    m.m_fekdat = sheet::isoDatum(lap.value(0, QStringLiteral("elb")));
    m.m_fapnap = szam(lap, QStringLiteral("apnap"));
    m.CB1 = szoveg(lap, QStringLiteral("tpotl")) == QStringLiteral("I");
    m.m_eorv = szoveg(lap, QStringLiteral("orvoskod"));
    m.orv1 = orvosNev(db, m.m_eorv);
    m.m_elszam = szam(lap, QStringLiteral("elszam"));
    m.m_elszviz = szam(lap, QStringLiteral("elszviz"));
    m.m_lezdat = sheet::isoDatum(lap.value(0, QStringLiteral("lezdat")));
    m.Etev = szoveg(lap, QStringLiteral("tevkodok"));

    if (!rend.isEmpty()) {
        m.m_jorv = szoveg(rend, QStringLiteral("jorvkod"));
        if (mod.jorv00000Ures && m.m_jorv == QStringLiteral("00000")) m.m_jorv.clear();
        m.orv2 = orvosNev(db, m.m_jorv);
        m.m_elrend = sheet::isoDatum(rend.value(0, QStringLiteral("elrend")));
        m.m_szakvet = sheet::isoDatum(rend.value(0, QStringLiteral("szakvet")));
        m.m_elviz = szam(rend, QStringLiteral("elvizdb"));
        m.m_gyak = szoveg(rend, QStringLiteral("gyak"));
        m.m_engdat = sheet::isoDatum(rend.value(0, QStringLiteral("engdat")));
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

    // The day rows, found by their dates; the care need shown is the one of
    // the last day that has a row.
    sheet::LapModel napos = m;
    napokTolt(napos, k.idoszak);
    if (mod.beallitasok) m.napokszama = napos.napokszama;
    int onkep = 0;
    for (int d = 0; d < sheet::LapModel::maxNapok; ++d) {
        m.apdat[size_t(d)] = napos.apdat[size_t(d)];
        m.ellt[size_t(d)].clear();
        m.tevk[size_t(d)].clear();
        m.aptaj[size_t(d)].clear();
    }
    for (const QVariantList& sor : napok.rows()) {
        const QString datum = sheet::isoDatum(sor.value(0));
        for (int d = 0; d < napos.napokszama; ++d) {
            if (m.apdat[size_t(d)] != datum) continue;
            m.ellt[size_t(d)] =
                sor.value(1).isNull() ? QString() : QString::number(sor.value(1).toInt());
            m.tevk[size_t(d)] = sor.value(2).toString().trimmed();
            m.aptaj[size_t(d)] = sor.value(3).toString().trimmed();
            if (!sor.value(4).isNull()) onkep = sor.value(4).toInt();
            break;
        }
    }
    m.CB2 = onkep >= 1 && onkep <= 3 ? onkep - 1 : -1;

    m.vszam = szam(lap, QStringLiteral("szviz"));
    const int elszviz = m.m_elszviz.toInt();
    m.vszameVisible = elszviz != 0;
    m.vszame = m.vszameVisible ? m.m_elszviz : QString();
    return true;
}

} // namespace reg
