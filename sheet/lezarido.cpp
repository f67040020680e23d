#include "sheet/lezarido.h"

#include "core/appstate.h"
#include "core/kozos.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "sheet/zarasok.h"
#include "ui/messages.h"

namespace sheet {

namespace {

// The date with its points (and the mask's blanks) removed.
QString pontNelkul(QString s) {
    s.remove(QLatin1Char('.'));
    s.replace(QLatin1Char('_'), QLatin1Char(' '));
    return s;
}

} // namespace

Lezarido::Lezarido(core::AppState& state, LezdatEll lezdatell)
    : st_(state), lezdatell_(std::move(lezdatell)) {}

void Lezarido::elokeszit(const QString& szakvetszoveg) {
    szakvet_ = szakvetszoveg;
    engine::Table& lap = st_.tables.lap;
    recno_ = lap.isOpen() && !(lap.bof() && lap.eof()) ? lap.recno() : 0;
    idoszak_ = recno_ ? lap.text(QStringLiteral("IDOSZAK")) : QString();
    sorsz_ = recno_ ? lap.text(QStringLiteral("SORSZ")) : QString();
}

bool Lezarido::vanLap() {
    engine::Table& lap = st_.tables.lap;
    if (recno_ == 0 || recno_ > lap.fileRecordCount()) return false;
    lap.go(recno_);
    return !lap.isDeleted();
}

CheckResult Lezarido::me1Exit(const QString& me1) {
    const CheckResult vissza{false, QStringLiteral("ME1")};
    if (lezdatell_ && !lezdatell_(me1, szakvet_, idoszak_)) return vissza;
    QString datumig;
    try {
        const engine::Query q = st_.tables.dbo.query(
            QStringLiteral("select max(apdatum) as datumig from lapb where idoszak=? and sorsz=?"),
            {idoszak_, sorsz_});
        if (!q.isEmpty()) datumig = isoDatum(q.value(0, 0));
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
    }
    const QString datum = pontNelkul(me1);
    if (!kozos::ures(datum) && !datumig.isEmpty() && datum < pontNelkul(datumig)) {
        st_.msg.error(QStringLiteral("A lezárás dátuma nem lehet kisebb a teljesítés dátumánál!"));
        return vissza;
    }
    return {};
}

bool Lezarido::lezarasJel(core::Idoszak zi, core::Idoszak zp, core::Idoszak s, int d) {
    return zi > s || (zi == s && (d > 19 || zp > s));
}

bool Lezarido::rogzites(const QString& me1) {
    // Nothing can be stored without a real date: refuse it here rather than
    // after the confirmation.
    if (!kozos::kotelezo(st_.msg, pontNelkul(me1).trimmed())) return false;
    if (!kozos::datumjo(me1)) {
        st_.msg.error(QStringLiteral("Érvénytelen dátum!"));
        return false;
    }
    if (!me1Exit(me1).ok) return false;
    if (!st_.msg.question(QStringLiteral("Rendben van a lezárás ?"))) {
        st_.msg.error(QStringLiteral("Nem történt lezárás!"));
        return true;
    }
    engine::Table& lap = st_.tables.lap;
    try {
        const ZarasRekord z = utolsoZaras(st_.tables.dbo);
        const int d = st_.clock.today().day();
        if (!vanLap()) {
            st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
            return true;
        }
        engine::ChangeUnit unit({&lap});
        lap.edit();
        lap.setValue(QStringLiteral("LEZDAT"),
                     QDate::fromString(me1, QStringLiteral("yyyy.MM.dd")));
        if (lezarasJel(core::Idoszak::fromText(z.idoszak), core::Idoszak::of(z.zaras),
                       core::Idoszak::fromText(idoszak_), d)) {
            lap.setValue(QStringLiteral("ELKULDVE"), QStringLiteral("YY"));
            lap.setValue(QStringLiteral("MODTIPUS"), QStringLiteral("L"));
        }
        lap.post();
        unit.commit();
    } catch (const engine::DbError& e) {
        if (lap.state() == engine::Table::State::Edit) lap.cancel();
        st_.msg.error(e.text());
    }
    return true;
}

} // namespace sheet
