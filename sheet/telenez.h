#pragma once
// The completed-series mark TELE of partial invoices: a series of partial
// invoices (same SORSZ, RESZ filled, periods of one year) whose visits total
// exactly sorozatVizitek (14) gets "*" in TELE on every part; any
// other total clears it.
// Saving a sheet and deleting one call it with a blank argument; cancelling a
// series calls it with "S", which clears the mark on every part.

#include <QString>

namespace core {
struct AppState;
}

namespace sheet {

// A series of partial invoices (one serial number, the parts of one year) is
// complete with this many visits; no sheet orders or accounts more.
inline constexpr int sorozatVizitek = 14;
inline bool teljesSorozat(qint64 vizitek) {
    return vizitek == sorozatVizitek;
}

// Sets or clears TELE on the parts of series `lapsorsz` in the year of the
// current period. A query that cannot run shows "Hiba a lefutásban!" and
// changes nothing. Table failures while writing throw engine::DbError (the
// caller's change unit rolls back).
void telenez(core::AppState& state, const QString& lapsorsz, const QString& arg);

} // namespace sheet
