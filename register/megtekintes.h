#pragma once
// "Megtekintés" (F2, megtekintes) of the register's record mode: the
// selected sheet shown read-only. A sheet of 2005.02 or later fills the entry
// window as the modification does, except that the proposing doctor "00000"
// shows as stored, and every field is disabled; an older sheet opens the
// old-layout window Tlapfel after its checks. The windows are hooks, so that
// the logic runs without a display.

#include "register/lapfel.h"
#include "sheet/lapmodel.h"

#include <functional>

namespace core {
struct AppState;
}

namespace reg {

struct MegtekintesHooks {
    // The register's selection-mode flag: viewing does nothing while set.
    std::function<bool()> jelolomod{};
    // Shows the entry window modally with the model and caption.
    std::function<void(sheet::LapModel& m, const QString& felirat)> lapuj{};
    // Shows the old-layout window modally.
    std::function<void(const LapfelModel& m)> lapfel{};
};

class Megtekintes {
public:
    Megtekintes(core::AppState& state, MegtekintesHooks hooks) : st_(state), h_(std::move(hooks)) {}

    // Views LAP's current record (the register's selection).
    void megtekintes();

private:
    core::AppState& st_;
    MegtekintesHooks h_;
};

} // namespace reg
