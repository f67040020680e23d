#include "register/javit.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "engine/changeunit.h"
#include "engine/database.h"
#include "engine/dberror.h"
#include "register/reszlap.h"
#include "sheet/telenez.h"
#include "sheet/zarasok.h"
#include "ui/messages.h"

namespace reg {

bool Javit::inditasEll() {
    core::Idoszak z;
    try {
        z = core::Idoszak::fromText(sheet::utolsoZaras(st_.tables.dbo).idoszak);
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban"));
        return false;
    }
    if (!z.isValid()) {
        // No period has been closed yet, so there is no year to name.
        st_.msg.error(QStringLiteral("Nincs lezárt időszak!"));
        return false;
    }
    if (st_.id.year() != z.year()) {
        st_.msg.error(QStringLiteral("Csak ") + QString::number(z.year()) +
                      QStringLiteral(". évben lehet javítani!"));
        return false;
    }
    return true;
}

QString Javit::felirat() {
    return partFelirat(st_, QStringLiteral(" javítható első részszámlái"));
}

bool Javit::vanJavithato() {
    if (!st_.tables.lap.isEmpty()) return true;
    st_.msg.error(QStringLiteral("Nincs javítható első részszámla!"));
    return false;
}

bool Javit::javitas() {
    engine::Table& lap = st_.tables.lap;
    if (!lap.isOpen() || (lap.bof() && lap.eof()) || !lap.isVisible(lap.recno())) return false;
    const std::uint32_t recno = lap.recno();
    const QString s = lap.text(QStringLiteral("SORSZ"));
    const QString q = lap.text(QStringLiteral("IDOSZAK"));
    int osszes = 0;
    try {
        const engine::Query sorozat = st_.tables.dbo.query(
            QStringLiteral("select sorsz, resz, szviz from lap where sorsz=? and idoszak>=? and "
                           "idoszak<=? order by sorsz, resz"),
            {s, q, core::Idoszak(core::Idoszak::fromText(q).year(), 12).text()});
        for (const QVariantList& sor : sorozat.rows())
            osszes += int(qRound64(sor.value(2).toDouble()));
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban"));
        return false;
    }
    if (sheet::teljesSorozat(osszes)) {
        st_.msg.error(QStringLiteral("Erre a lapsorszámra %1 vizitet rögzített, nem javítható")
                          .arg(sheet::sorozatVizitek));
        return false;
    }
    if (!st_.msg.question(QStringLiteral("Valóban javítja a részszámla első lapját ?"))) {
        st_.msg.information(QStringLiteral("Nem történt javítás! "));
        return false;
    }
    try {
        engine::ChangeUnit unit({&lap});
        lap.go(recno);
        lap.edit();
        lap.setValue(QStringLiteral("TELE"), QString());
        lap.post();
        unit.commit();
    } catch (const engine::DbError& e) {
        if (lap.state() == engine::Table::State::Edit) lap.cancel();
        st_.msg.error(e.text());
        return false;
    }
    lap.refresh();
    st_.msg.information(QStringLiteral("A javítás megtörtént! "));
    return true;
}

} // namespace reg
