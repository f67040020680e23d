#pragma once
// Tlapuj (unit lapfeluj), page "3.oldal" and "Mentés": no window of its own,
// but the part of the entry window (LapujWindow) that binds the day-grid
// checks (ellt1Exit, tevk1Exit, aptaj1Exit), the pickers of the day fields
// (care type, main activity, nurse) and the save (mentClick) to the entry
// window's hooks. The rules live in sheet/napok and sheet/lapmentes; this only
// moves texts, the clipboard and the focus.

#include <QString>
#include <functional>
#include <optional>
#include <utility>

class QWidget;

namespace core {
struct AppState;
}

namespace sheet {

class LapujWindow;

class NapokBinding {
public:
    // The pickers of the day fields; the masters pickers unless replaced.
    struct Pickers {
        // The choice window in mode "E" (care type) or "T" (main activity);
        // empty when cancelled.
        std::function<QString(QWidget* caller, const QString& mode)> valasz;
        // The nurse picker: TAJ number and name; nullopt when cancelled.
        std::function<std::optional<std::pair<QString, QString>>(QWidget* caller)> apolo;
    };

    // Plugs page 3 and "Mentés" into the window.
    static void attach(LapujWindow& window, core::AppState& state, Pickers pickers = {});
};

} // namespace sheet
