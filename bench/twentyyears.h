#pragma once
// The benchmarks' data: a provider's twenty years, and the login and period
// dialogs answered by a script.

#include "app/startup.h"

#include <chrono>

namespace bench {

struct ScriptedDialogs : app::StartupDialogs {
    bool login(app::AppState& st) override;
    // The period of the clock's today.
    bool period(app::AppState& st) override;
};

inline double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Twenty years of sheets, 2006.01 to 2025.12: 100 000 sheets with ten visit
// rows each, appended straight into the open LAP and LAPB.
void fillTwentyYears(app::AppState& st);

} // namespace bench
