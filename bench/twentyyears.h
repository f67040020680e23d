#pragma once
// Twenty years of a large provider's data for the benchmarks: 100 000 sheets
// (periods 2006.01 to 2025.12) with ten visit rows each, written straight
// into the open LAP and LAPB tables of a started program.

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

// Appends the sheets and visits. The visits are made by `nurses` in turn
// (blank when the list is empty).
void fillTwentyYears(core::AppState& st, const QStringList& nurses = {});

// A folder with twenty years of data: when `dir` has no county tables yet,
// the demo provider's are made, the program is started on them, the sheets
// and visits appended, then `more` runs on the started state. False when the
// program does not start.
bool ensureTwentyYears(const QString& dir, core::AppState& st,
                       const std::function<void(core::AppState&)>& more = {});

} // namespace bench
