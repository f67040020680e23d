#pragma once
// Twenty years of a large provider's sheets for the benchmarks: 100 000 LAP
// records over 240 periods (2006.01 to 2025.12), about ten LAPB rows each,
// written into the open tables of a started program.

#include <QString>

namespace app {
struct AppState;
}

namespace benchdata {

struct Shape {
    int sheets = 100000;
    int visitsPerSheet = 10;
    // false: every sheet a full invoice, sent in its own period, nursing
    // visits of a first order only (the start-up benchmark's data).
    // true: as a register sees them: one sheet in ten a partial invoice,
    // repeated orders, supplements, therapy visits, the last four periods
    // not yet sent, and the patients in BETEG.
    bool mixed = false;
};

// The p-th period from 2006.01 ("2006.01" for 0, "2025.12" for 239).
QString periodOf(int p);

// Appends the sheets and visits (and, when mixed, the patients).
void fill(app::AppState& st, const Shape& shape = {});

} // namespace benchdata
