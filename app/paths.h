#pragma once
// The text of the paths window ("&Útvonalak"): where the program, the data,
// the lists and the shipments are, and the base fee of the current period.

#include <QString>

namespace core {}

namespace core {
struct AppState;
}

namespace app {

// Five lines, each ending in "\n", with the labels padded to 30 characters and
// an empty line before the base fee:
//   "A program helye:              /home/x"
//   ...
//   "Alapdíj:                      3700 Ft"
QString pathsText(const core::AppState& state);

} // namespace app
