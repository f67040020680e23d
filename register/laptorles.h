#pragma once
// "Törlés" (Del) on the register's selected sheet (LAP's current record): a
// sheet never sent, or one of the latest closed period within the ten days
// after its closing, is removed with its ELREND record and its LAPB rows; a
// sent sheet inside the correction time is cancelled instead ("YY"/"S"), so
// that the cancellation travels with the next shipment; an older sent sheet
// is refused.
//
// Each change is one unit (all or nothing). The deleted records stay in the
// files, flagged, and are invisible to every read; the files are packed at
// re-indexing and at start-up when the deleted share is large
// (db::packSheetTables), not here: packing a million visit rows on every
// deletion would make it slow.

#include <QString>
#include <functional>

namespace core {
struct AppState;
}

namespace reg {

// telenez(lapsorsz, argument) of the entry window's day grid: sets or clears
// TELE on the series of the serial number (blank argument: by its visits;
// "S": cleared).
using Telenez = std::function<void(const QString& lapsorsz, const QString& argumentum)>;

enum class TorlesEredmeny { Semmi, Torolve, Sztornozva };

// Trls1Click's decision and change for LAP's current record. The caller
// recomputes the register figures after Torolve.
TorlesEredmeny torles(core::AppState& state, const Telenez& telenez);

// talakt1Click: full invoice <-> first partial invoice for LAP's current
// record. True when the sheet was converted.
bool atalakit(core::AppState& state);

} // namespace reg
