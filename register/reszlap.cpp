#include "register/reszlap.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "core/kozos.h"
#include "engine/database.h"
#include "engine/dberror.h"
#include "register/laploader.h"
#include "register/ujlap.h"
#include "sheet/zarasok.h"
#include "ui/messages.h"

namespace reg {

namespace {

int egesz(const engine::Query& q, const QString& oszlop) {
    return q.isEmpty() ? 0 : int(qRound64(q.value(0, oszlop).toDouble()));
}

} // namespace

QString partFelirat(core::AppState& st, const QString& utotag) {
    try {
        const engine::Query q =
            st.tables.dbo.query(QStringLiteral("select megye, intkod, inte from part limit 1"));
        if (!q.isEmpty())
            return q.value(0, 0).toString().trimmed() + QLatin1Char(' ') +
                   q.value(0, 1).toString().trimmed() + QLatin1Char(' ') +
                   q.value(0, 2).toString().trimmed() + utotag;
    } catch (const engine::DbError&) {
    }
    return QStringLiteral("  ") + utotag;
}

bool Reszlap::inditasEll() {
    if (st_.id < core::hatar::ujLapRogzites) {
        st_.msg.error(QStringLiteral("Nem lehet új lapot rögzíteni 2008.01 hó előtt!"));
        return false;
    }
    if (st_.id.month() == 1) {
        st_.msg.error(QStringLiteral("Januárban nincs következő részszámla!"));
        return false;
    }
    return true;
}

bool Reszlap::valasztas(sheet::LapModel& kimenet) {
    engine::Table& lap = st_.tables.lap;
    if (!lap.isOpen() || (lap.bof() && lap.eof()) || !lap.isVisible(lap.recno()))
        return false; // an empty list chooses nothing
    const QString s = lap.text(QStringLiteral("SORSZ"));
    const QString p = lap.text(QStringLiteral("RESZ"));
    const QString q = lap.text(QStringLiteral("IDOSZAK"));
    const core::Idoszak c = st_.id;
    engine::Database& db = st_.tables.dbo;
    sheet::LapModel m = kimenet;
    try {
        // The visits of the series so far and its last part letter.
        const engine::Query sorozat = db.query(
            QStringLiteral("select sorsz, resz, szviz from lap where sorsz=? and idoszak>=? and "
                           "idoszak<=? order by sorsz, resz"),
            {s, q, core::Idoszak(core::Idoszak::fromText(q).year(), 12).text()});
        int osszes = 0;
        QString utolso;
        for (const QVariantList& sor : sorozat.rows()) {
            osszes += int(qRound64(sor.value(2).toDouble()));
            utolso = sor.value(1).toString().trimmed();
        }
        const QString uj =
            utolso.isEmpty() ? QStringLiteral("A") : QString(QChar(utolso.at(0).unicode() + 1));

        const QVariantList kulcs{s, reszErtek(p), q};
        const engine::Query elso = db.query(
            QStringLiteral("select * from lap where sorsz=? and resz is ? and idoszak=? limit 1"),
            kulcs);
        const engine::Query rend =
            db.query(QStringLiteral(
                         "select * from elrend where sorsz=? and resz is ? and idoszak=? limit 1"),
                     kulcs);
        const engine::Query onkep = db.query(
            QStringLiteral("select distinct onkep from lapb where sorsz=? and resz is ? and "
                           "idoszak=? order by onkep"),
            kulcs);

        fejUrit(m);
        m.szerkesztheto = true;
        m.modositas = false;
        m.lapsorsz = s;
        m.lapresz = uj;
        m.m_sorsz = s + uj;
        m.m_idosz = c.text();

        if (elso.isEmpty()) return false; // the chosen sheet is gone
        fejTolt(st_, elso, rend, m, Betoltes::KovetkezoResz);
        // In February the series began in January, whose visits the first
        // part counted as accounted before; otherwise the series total alone.
        m.m_elszviz = QString::number((c.month() == 2 ? m.m_elszviz.toInt() : 0) + osszes);
        const int k = onkep.isEmpty() ? 0 : egesz(onkep, QStringLiteral("onkep"));
        m.CB2 = k >= 1 && k <= 3 ? k - 1 : -1;

        napokTolt(m, c);
        m.vszam = QStringLiteral("0");
        m.vszameVisible = m.m_elszviz.toInt() != 0;
        m.vszame = m.vszameVisible ? m.m_elszviz : QString();
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban"));
        return false;
    }
    kimenet = m;
    return true;
}

} // namespace reg
