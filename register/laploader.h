#pragma once
// Filling the entry window's form model from a recorded sheet: one loader for
// modification, viewing and the next partial invoice of a series (LAP, its
// patient in BETEG, the BNO and doctor names, its ELREND record), and the
// pieces that a new sheet shares (the day grid). Reads through SQL with bound
// values, so no shared table object moves.
//
// Text fields come as stored: the activity text TEVKODOK is positional (one
// slot per entry of the activity list, blanks where not chosen), so leading
// blanks are part of the value.

#include "core/idoszak.h"
#include "register/lapallapot.h"
#include "sheet/lapmodel.h"

#include <QString>

namespace core {
struct AppState;
}
namespace engine {
class Database;
class Query;
} // namespace engine

namespace reg {

// The day grid of a period: napokszama, each day's date "YYYY.MM.DD" and
// empty care type, activity and nurse; the days the month lacks stay empty.
void napokTolt(sheet::LapModel& m, core::Idoszak idoszak);

// What the loaded sheet is for; the three take the same header and differ
// only where their commands do:
// - Modositas: the proposing doctor "00000" shows as an empty field; the
//   payment category and citizenship only when the current period has them;
//   the key, the period's days and the day grid from LAPB.
// - Megtekintes: as Modositas, but "00000" is shown as stored and the key
//   settings (lapsorsz, lapresz, napokszama) are left as they are.
// - KovetkezoResz: the header of a series' first part copied into a new
//   sheet: every field as stored (the days in hospital "0" when blank); the
//   key, the grid and the visits are the series' business (Reszlap).
enum class Betoltes { Modositas, Megtekintes, KovetkezoResz };

// The header fields of one LAP row and its ELREND row (either may be an
// empty result; an empty ELREND gives the order fields of a sheet without
// one) with the patient and the names they point at.
// Throws engine::DbError when a lookup cannot run.
void fejTolt(core::AppState& state, const engine::Query& lap, const engine::Query& elrend,
             sheet::LapModel& m, Betoltes cel);

// Loads the sheet of the key into the model for modification or viewing:
// returns false (the model untouched) when LAP has no such sheet. Throws
// engine::DbError when a query cannot run.
bool lapBetolt(core::AppState& state, const LapKulcs& kulcs, sheet::LapModel& m,
               Betoltes cel = Betoltes::Modositas);

} // namespace reg
