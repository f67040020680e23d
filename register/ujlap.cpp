#include "register/ujlap.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "core/kozos.h"
#include "engine/database.h"
#include "register/lapallapot.h"
#include "register/laploader.h"
#include "ui/messages.h"

namespace reg {

bool ujlapEll(core::AppState& st) {
    const core::Idoszak c = st.id;
    if (c < core::hatar::ujLapRogzites) {
        st.msg.error(QStringLiteral("Nem lehet új lapot rögzíteni 2008.01 hó előtt!"));
        return false;
    }
    if (c < potjelentesHatar(st.clock.today(), c)) {
        st.msg.error(QStringLiteral("Nem lehet új lapot rögzíteni a pótjelentési időn kívül!"));
        return false;
    }
    return true;
}

QString kovetkezoSorsz(engine::Database& db, core::Idoszak c) {
    const engine::Query q = db.query(
        QStringLiteral("select max(sorsz) as sorsz from lap where idoszak>=? and idoszak<=?"),
        {core::Idoszak(c.year(), 1).text(), core::Idoszak(c.year(), 12).text()});
    const int legnagyobb = q.isEmpty() ? 0 : q.value(0, 0).toString().trimmed().toInt();
    return kozos::baltolt(QString::number(legnagyobb + 1), 5, QStringLiteral("0"));
}

void fejUrit(sheet::LapModel& m) {
    for (QString* f :
         {&m.m_aztip, &m.m_taj,    &m.m_nev,     &m.m_kozigkod, &m.m_cim1,   &m.m_cim2,
          &m.m_szh,   &m.m_szido,  &m.m_terkat,  &m.m_allp,     &m.m_fekvd,  &m.m_fekdat,
          &m.m_alapb, &m.m_kiserd, &m.m_fodiag,  &m.m_ellatd,   &m.bno1,     &m.bno2,
          &m.bno3,    &m.bno4,     &m.bno5,      &m.m_eorv,     &m.orv1,     &m.m_jorv,
          &m.orv2,    &m.m_elrend, &m.m_szakvet, &m.m_gyak,     &m.m_lezdat, &m.m_engdat,
          &m.Etev,    &m.vszame})
        f->clear();
    for (QString* f : {&m.m_fapnap, &m.m_elszam, &m.m_elszviz, &m.m_elviz, &m.m_engszam})
        *f = QStringLiteral("0");
    m.bnem = -1;
    m.CB2 = -1;
    m.CB1 = false;
    m.betegtorzsbol = false;
    m.vizitszam = 0;
}

void laptolt(core::AppState& st, const QString& laptipus, sheet::LapModel& m) {
    const core::Idoszak c = st.id;
    const QString sorsz = kovetkezoSorsz(st.tables.dbo, c);
    m.laptipus = laptipus;
    m.lapsorsz = sorsz;
    m.lapresz = laptipus == QStringLiteral("E") ? QStringLiteral("A") : QString();
    m.m_sorsz = sorsz + m.lapresz;
    m.m_idosz = c.text();
    fejUrit(m);
    if (c >= core::hatar::azonositoTipus) {
        m.m_aztip = QStringLiteral("1");
        m.m_terkat = QStringLiteral("01");
        m.m_allp = QStringLiteral("HUN");
    }
    napokTolt(m, c);
    m.vszam = QStringLiteral("0");
    m.vszameVisible = false;
    m.szerkesztheto = true;
    m.modositas = false;
}

} // namespace reg
