#pragma once
// Tdlis: the visits each contracted worker made in the current period
// against the worker's monthly frame ("Otthoni szakápolás dolgozói
// teljesítések megoszlása"). A worker doing therapy is marked "*", with the
// note "* Szakirányú tevékenység" under the list; an overrun shows on grey.

#include "core/idoszak.h"
#include "reports/lista.h"

namespace reports {

// The monthly frames of a worker with the given weekly hours in period p:
// up to 2011.12 nursing 110 and therapy 88 visits for a 40-hour week, from
// 2012.01 132 for either.
struct Keret {
    double apolas = 0, szakirany = 0, osszes = 0;
};
Keret dolgozoKeret(const core::Idoszak& p, double szakapo, double szakiro);

class DolgozoLista {
public:
    DolgozoLista(core::AppState& st, ProgramText program) : st_(st), program_(std::move(program)) {}

    // No worker under contract in the period: "Nincs a szolgáltatónak
    // dolgozói kerete!".
    std::optional<Lista> keszit();

private:
    core::AppState& st_;
    ProgramText program_;
};

} // namespace reports
