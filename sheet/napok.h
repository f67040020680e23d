#pragma once
// The day grid of the sheet entry window Tlapuj (page "3.oldal"): one row per
// day of the month with the care type (ellt), the main activity (tevk) and the
// nurse's TAJ number (aptaj). The exit checks of the three fields and the
// complete day-grid check that runs before saving; each shows its own
// messages through state.msg and says where the focus goes.
//
// A row is complete when all three fields are filled (one visit), empty when
// all three are blank, and partial otherwise.

#include "sheet/lapmodel.h"

#include <QSet>
#include <QString>

namespace core {
struct AppState;
}

namespace sheet {

class Kapacitas;

// Prepares the grid for the month of m.m_idosz: napokszama and the date of
// every row in use; the rows beyond the month are emptied.
void napokBeallit(LapModel& m);

// Row i (0-based) of the grid.
bool sorTeljes(const LapModel& m, int i);
bool sorUres(const LapModel& m, int i);

// A main-activity code may stand alone: not a bare "3", "8" or "9", and it
// begins with a digit.
bool fotevjo(const QString& code);

// Visits of the sheet plus those accounted before stay within the order and
// within 14.
bool vizitszamjo(int vizit, int elrendelt, int elszamolt);
// The same with the texts of m_elviz and m_elszviz (blank or not a number
// counts as 0).
bool vizitszamjo(int vizit, const QString& elrendelt, const QString& elszamolt);

// Leaving any care-type field: the dates and care types of every row.
CheckResult ellt1Exit(LapModel& m, core::AppState& state);
// Leaving the main-activity field of day `nap` (1-based).
CheckResult tevk1Exit(LapModel& m, core::AppState& state, int nap);
// Leaving the nurse field of day `nap` (1-based): nurse lookup, row
// completeness and the visit count (sets m.vszam). When the row left is
// complete, *vagolap receives its TAJ number (for the clipboard).
CheckResult aptaj1Exit(LapModel& m, core::AppState& state, int nap, QString* vagolap = nullptr);

// The days ("YYYY.MM.DD") of `datumok` on which the patient `taj` already has a
// visit on another sheet. When `modositas`, the visits of the sheet being
// changed (serial, part, period) are left out. Throws engine::DbError when the
// query cannot run.
QSet<QString> foglaltNapok(core::AppState& state, const QString& sorsz, const QString& idoszak,
                           bool modositas, const QStringList& datumok, const QString& taj,
                           const QString& resz);

// True when the patient has no visit on another sheet on day `datum`.
// A query that cannot run shows "Hiba a lefutásban!" and counts as true.
bool napatfedes(core::AppState& state, const QString& sorsz, const QString& idoszak, bool modositas,
                const QString& datum, const QString& taj, const QString& resz);

// The complete day-grid check: reports every failure of every row, builds
// the capacity table (kapacnez) and warns on an overrun without failing, and
// sets m.vizitszam. The capacity table is closed at the end; its file stays
// in TEMP until the saver removes it.
bool napokell(LapModel& m, core::AppState& state, Kapacitas& kapacitas);

} // namespace sheet
