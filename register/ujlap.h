#pragma once
// A new sheet from the register: "Teljes számla" (kind "T") and "Első
// részszámla" (kind "E"). The checks of the current period against the
// first period that takes new sheets and the late-report time, the next
// serial number of the year, and `laptolt`, which prepares the entry
// window's form model for the new sheet.

#include "core/idoszak.h"
#include "sheet/lapmodel.h"

#include <QString>

namespace core {
struct AppState;
}
namespace engine {
class Database;
}

namespace reg {

// May a new sheet be recorded in the current period? Shows the refusal.
bool ujlapEll(core::AppState& state);

// The largest SORSZ of the year of period c plus one, five characters
// padded with "0" ("00001" for the year's first sheet). Throws
// engine::DbError when the query cannot run.
QString kovetkezoSorsz(engine::Database& db, core::Idoszak c);

// laptolt: the model of a new sheet of kind "T" or "E" in the current
// period, numbered; szerkesztheto true, modositas false. Throws
// engine::DbError when the numbering query cannot run.
void laptolt(core::AppState& state, const QString& laptipus, sheet::LapModel& m);

// Every header field emptied, the counters "0", no choices: what laptolt
// and the next partial invoice start from.
void fejUrit(sheet::LapModel& m);

} // namespace reg
