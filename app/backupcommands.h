#pragma once
// The menu commands "&Szervíz" -> "&Mentés" (Ments1Click) and
// "&Visszatöltés" (Visszatlts1Click) with their windows: the folder chooser
// and the restore-source dialog. An engine error while the tables are closed,
// copied or re-indexed is shown in the error box.

#include "db/arj.h"
#include "ui/progresswindow.h"

#include <functional>

class QWidget;

namespace core {
struct AppState;
}

namespace app {

// The restore's unpacking shown in the progress window, with its "Mégse".
class ProgressWatch : public db::UnpackWatch {
public:
    ProgressWatch(const QString& title, QWidget* parent);
    void begin(const QString& archiveName) override;
    bool stopRequested() override;
    void end() override;
    ui::ProgressWindow& window() { return window_; }

private:
    ui::ProgressWindow window_;
};

void mentes(core::AppState& state, QWidget* parent);

// False when the program must end: the restored contract has no financing
// code (the error was shown). `szerzadat` reads the restored contract.
bool visszatoltes(core::AppState& state, QWidget* parent, const std::function<bool()>& szerzadat);

} // namespace app
