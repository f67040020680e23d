#pragma once
// Twenty years of a large provider's data for the benchmarks, written into
// the open tables of a started program in their own layouts: about 100 000
// sheets over the periods 2006.01 to 2025.12 (some of them partial-invoice
// series), about 1 000 000 visit rows spread over the days of each month and
// made by a staff of nurses and therapists, an order record for every sheet,
// 30 000 patients who come back over the months, the doctors who order the
// care, and the closed periods with their base fees.

#include "app/login.h"
#include "app/period.h"
#include "app/startup.h"
#include "core/appstate.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

namespace bench {

// The login and the period answered by a script: password "titok", the
// period of today.
struct ScriptedDialogs : app::StartupDialogs {
    bool login(core::AppState& st) override;
    bool period(core::AppState& st) override;
};

double seconds(std::chrono::steady_clock::time_point since);

// "2006.01" for p = 0, one month further for each step.
QString periodOf(int p);

// What the builder made, for the programs that print it.
struct TwentyYears {
    int sheets = 0, visits = 0, patients = 0, workers = 0, doctors = 0;
};

// Fills LAP, LAPB, ELREND, BETEG, ORVOS, APOL and ZARAS of a started program
// whose tables are still empty (the demo provider's county tables), and adds
// the staff that made the visits to SZOLGSZ with the contracts' visit quotas
// to match. Sheets up to 2025.10 are sent and accounted, most of 2025.11 is
// sent, 2025.12 is still being recorded. `years` years of data end there
// (twenty: from 2006.01; forty: from 1986.01, the staff and the patients
// grown to match).
TwentyYears fillTwentyYears(core::AppState& st, int years = 20);

// A folder with twenty (or `years`) years of data: when `dir` has no county tables yet,
// the demo provider's are made, the program is started on them, the tables
// filled, then `more` runs on the started state. False when the program does
// not start.
bool ensureTwentyYears(const QString& dir, core::AppState& st,
                       const std::function<void(core::AppState&)>& more = {}, int years = 20);

} // namespace bench
