#include "register/megtekintes.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "core/kozos.h"
#include "engine/dberror.h"
#include "register/laploader.h"
#include "ui/messages.h"

namespace reg {

void Megtekintes::megtekintes() {
    if (h_.jelolomod && h_.jelolomod()) return;
    engine::Table& lap = st_.tables.lap;
    if (!lap.isOpen() || (lap.bof() && lap.eof()) || lap.isDeleted()) return;
    const QString idoszak = lap.text(QStringLiteral("IDOSZAK"));
    const QString sorsz = lap.text(QStringLiteral("SORSZ"));
    const QString resz = lap.text(QStringLiteral("RESZ"));
    if (core::Idoszak::fromText(idoszak) < core::hatar::ujLapforma) {
        LapfelModel m;
        if (Lapfel(st_).betolt(idoszak, sorsz, resz, m) && h_.lapfel) h_.lapfel(m);
        return;
    }
    LapKulcs k;
    k.idoszak = idoszak;
    k.sorsz = sorsz;
    k.resz = resz;
    sheet::LapModel m;
    try {
        if (!lapBetolt(st_, k, m, Betoltes::Megtekintes)) return;
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return;
    }
    // The day grid shows the days of the sheet's own month, so a 30-day
    // month has no day-31 row.
    m.napokszama = core::Idoszak::fromText(idoszak).dayCount();
    m.szerkesztheto = false;
    m.modositas = false;
    if (h_.lapuj) h_.lapuj(m, QStringLiteral("Elszámolási lap megtekintése"));
}

} // namespace reg
