#pragma once
// Saving a sheet of the entry window Tlapuj ("Mentés"): the complete check
// lapell, the confirmation, and the writing of the sheet into LAP, ELREND and
// LAPB, with the patient into BETEG and the doctors into ORVOS, as one unit of
// change: after a failure or a kill at any point the tables hold either the
// whole save or nothing of it.
//
// A changed sheet's visits are replaced: the old LAPB rows are deleted (they
// stay in the file, flagged, invisible to navigation, locate and SQL) and the
// new ones appended. LAPB is not packed on every save: the flagged rows are
// removed physically at re-indexing, and at start-up once a tenth of the file
// is flagged (db::packSheetTables).

#include "sheet/lapmodel.h"

#include <QString>

namespace core {
struct AppState;
}

namespace sheet {

class Kapacitas;

class LapMentes {
public:
    enum class Eredmeny {
        Hibas,    // lapell failed: the window shows page 1 and focuses m_taj
        Elvetve,  // "Nem" to the question: the window closes, nothing saved
        Letezik,  // a new sheet whose key is taken: the window stays open
        IrasHiba, // the tables refused a write: nothing saved, window stays
        Mentve,   // saved: the window closes
    };

    // mentClick without the window: check, ask, write, remove Temp.dbf.
    static Eredmeny mentes(LapModel& m, core::AppState& state);

    // The complete check: required fields, then every check in its order,
    // each failure with its own message; builds the capacity table and sets
    // m.vizitszam. True when the sheet may be saved.
    static bool lapell(LapModel& m, core::AppState& state, Kapacitas& kapacitas);

    // The summary of the blank required fields (empty when none).
    static QString hianyzoMezok(const LapModel& m);

    // A changed sheet of period `idoszak` must be sent again: the period is
    // closed in ZARAS, and not in this month up to day 10.
    static bool ujrakuldes(core::AppState& state, const QString& idoszak);

    // LAP already holds a sheet with the model's key.
    static bool letezik(core::AppState& state, const LapModel& m);

    // Writes the sheet (new, or replacing the one with its key when
    // m.modositas) and recomputes TELE of its series, as one unit. Throws
    // engine::DbError when a write fails; nothing has changed then.
    static void ir(LapModel& m, core::AppState& state);
};

} // namespace sheet
