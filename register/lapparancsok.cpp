#include "register/lapparancsok.h"

#include "core/appstate.h"
#include "engine/database.h"
#include "engine/dberror.h"
#include "register/javit.h"
#include "register/lapallapot.h"
#include "register/laploader.h"
#include "register/reszlap.h"
#include "register/szurotoldas.h"
#include "register/ujlap.h"
#include "sheet/telenez.h"
#include "sheet/zarasok.h"
#include "ui/messages.h"

namespace reg {

namespace {

const QString rogzites = QStringLiteral("Elszámolási lap rögzítése");

} // namespace

void LapParancsok::mutat(sheet::LapModel& m, const QString& felirat) {
    if (h_.lapuj) h_.lapuj(m, felirat);
}

void LapParancsok::ujlap(const QString& laptipus) {
    if (jelolo() || !ujlapEll(st_)) return;
    sheet::LapModel m;
    try {
        laptolt(st_, laptipus, m);
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return;
    }
    mutat(m, rogzites);
}

void LapParancsok::kovetkezoreszszamla() {
    if (jelolo()) return;
    Reszlap r(st_);
    if (!r.inditasEll()) return;
    const QString felirat = r.felirat();
    SzuroToldas szuro(st_.tables.lap, Reszlap::szuro());
    if (h_.reszlapAblak) h_.reszlapAblak(felirat);
}

bool LapParancsok::reszlapValasztas() {
    sheet::LapModel m;
    if (!Reszlap(st_).valasztas(m)) return false;
    mutat(m, rogzites);
    return true;
}

void LapParancsok::reszszamlafeloldas() {
    Javit j(st_);
    if (!j.inditasEll()) return;
    const QString felirat = j.felirat();
    SzuroToldas szuro(st_.tables.lap, Javit::szuro());
    if (j.vanJavithato() && h_.javitAblak) h_.javitAblak(felirat);
}

void LapParancsok::lezaras() {
    if (jelolo()) return;
    engine::Table& lap = st_.tables.lap;
    if (!lap.isOpen() || (lap.bof() && lap.eof()) || lap.isDeleted()) return;
    QString szakvet;
    try {
        const engine::Query q = st_.tables.dbo.query(
            QStringLiteral("select szakvet from elrend where idoszak=? and sorsz=? and resz is ? "
                           "limit 1"),
            {lap.text(QStringLiteral("IDOSZAK")), lap.text(QStringLiteral("SORSZ")),
             reszErtek(lap.text(QStringLiteral("RESZ")))});
        if (!q.isEmpty()) szakvet = sheet::isoDatum(q.value(0, 0));
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return;
    }
    if (h_.leidoAblak) h_.leidoAblak(szakvet);
}

void LapParancsok::modositas() {
    if (jelolo()) return;
    engine::Table& lap = st_.tables.lap;
    if (!lap.isOpen() || (lap.bof() && lap.eof()) || lap.isDeleted()) return;
    const LapKulcs k{lap.text(QStringLiteral("SORSZ")), lap.text(QStringLiteral("RESZ")),
                     lap.text(QStringLiteral("IDOSZAK"))};
    if (!modosithato(st_.msg, lap.text(QStringLiteral("ELKULDVE")), k.idoszak, st_.id,
                     st_.clock.today()))
        return;
    sheet::LapModel m;
    try {
        if (!lapBetolt(st_, k, m)) return;
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return;
    }
    m.szerkesztheto = true;
    m.modositas = true;
    mutat(m, QStringLiteral("Elszámolási lap módosítása"));
}

void LapParancsok::torles() {
    if (jelolo()) return;
    const Telenez telenez = h_.telenez ? h_.telenez : [this](const QString& s, const QString& a) {
        sheet::telenez(st_, s, a);
    };
    if (reg::torles(st_, telenez) == TorlesEredmeny::Torolve && h_.szamol) h_.szamol();
}

void LapParancsok::atalakit() {
    if (jelolo()) return;
    reg::atalakit(st_);
}

} // namespace reg
