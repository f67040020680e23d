#pragma once
// The menu commands "&Szervíz" -> "&Mentés" (Ments1Click) and
// "&Visszatöltés" (Visszatlts1Click) with their windows: the folder chooser
// and the restore-source dialog. An engine error while the tables are closed,
// copied or re-indexed is shown in the error box.

#include <functional>

class QWidget;

namespace core {}

namespace core {
struct AppState;
}

namespace app {

void mentes(core::AppState& state, QWidget* parent);

// False when the program must end: the restored contract has no financing
// code (the error was shown). `szerzadat` reads the restored contract.
bool visszatoltes(core::AppState& state, QWidget* parent, const std::function<bool()>& szerzadat);

} // namespace app
