#pragma once
// Filling the entry window's form model from the tables: a recorded sheet
// for modification and viewing (LAP, its patient in BETEG, the BNO and
// doctor names, its ELREND record and its LAPB day rows), and the pieces that
// a new sheet and a next partial invoice share (patient, names, day grid).
// Reads through SQL with bound values, so no shared table object moves.

#include "register/lapallapot.h"
#include "sheet/lapmodel.h"

#include <QString>

namespace app {
struct AppState;
}
namespace engine {
class Database;
}

namespace reg {

// The patient located in BETEG by TAJ: m_nev, m_kozigkod, m_cim1, m_cim2,
// m_szh, m_szido, bnem. A TAJ without a patient empties them.
void betegTolt(engine::Database& db, const QString& taj, sheet::LapModel& m);

// NEV of the BNO code, ONEV of the doctor; empty when blank or not found.
QString bnoNev(engine::Database& db, const QString& kod10);
QString orvosNev(engine::Database& db, const QString& orvoskod);

// The day grid of a period: napokszama, each day's date "YYYY.MM.DD" and
// empty care type, activity and nurse; the days the month lacks stay empty.
void napokTolt(sheet::LapModel& m, const QString& idoszak);

struct BetoltesMod {
    // Modification shows the proposing doctor "00000" as an empty field;
    // viewing shows it as stored.
    bool jorv00000Ures = true;
    // Viewing leaves lapsorsz, lapresz and napokszama as they are.
    bool beallitasok = true;
};

// Loads the sheet of the key into the model as modification fills the entry
// window: returns false (the model untouched) when LAP has no such sheet.
// The current period of `state` decides whether the 2016 fields are read.
// Throws engine::DbError when a query cannot run.
bool lapBetolt(app::AppState& state, const LapKulcs& kulcs, sheet::LapModel& m,
               const BetoltesMod& mod = {});

} // namespace reg
