#pragma once
// The accounting period: a month "YYYY.MM" chosen at every start and from
// the menu. A closed period (its ZARAS record has a closing date) is taken
// only after a confirmation, and then sets zartidoszak.

#include "core/idoszak.h"

#include <QString>

namespace core {
struct AppState;
}

namespace app {

class Period {
public:
    enum class Result {
        Accepted,  // label ID holds the new period; the dialog closes
        StayOpen,  // refused: focus back to the field with its text selected
        Closed,    // the dialog closes, the period unchanged
        EndProgram // during start-up: the program ends at once
    };

    explicit Period(core::AppState& state) : st_(state) {}

    // "OK" and Enter in the field.
    Result ok(const QString& text);
    // "Mégsem" and Esc.
    Result cancel();
    // The window's close box: at start-up it ends the program as "Mégsem".
    Result closeBox() { return cancel(); }

private:
    core::AppState& st_;
};

// Sets kezdnap, vegnap, kezdnaprev and vegnaprev from a period.
void napokszamol(core::AppState& state, core::Idoszak period);

// The base fee of a period and the substitute identifier base.
void ertad(core::AppState& state);

} // namespace app
