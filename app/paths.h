#pragma once
// The text of the paths window ("&Útvonalak"): where the program, the data,
// the lists and the shipments are, and the base fee of the current period.

#include <QString>
#include <vector>

namespace core {}

namespace core {
struct AppState;
}

namespace app {

// One line of the paths window: a label and its value; both empty for the
// empty line before the base fee.
struct PathRow {
    QString label, value;
};

// The lines of pathsText, for the window that sets them in two columns.
std::vector<PathRow> pathRows(const core::AppState& state);

// Five lines, each ending in "\n", with the labels padded to 30 characters and
// an empty line before the base fee:
//   "A program helye:              /home/x"
//   ...
//   "Alapdíj:                      3700 Ft"
QString pathsText(const core::AppState& state);

} // namespace app
