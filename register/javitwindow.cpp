#include "register/javitwindow.h"

#include "masters/browsepanel.h"

namespace reg {

JavitWindow::JavitWindow(core::AppState& state, QWidget* registerWindow)
    : LapValasztoWindow(state, registerWindow, "Tjavit",
                        QStringLiteral("Első részszámla választhatóvá tétele"),
                        QStringLiteral("Javítás"), QString()),
      logic_(state) {}

void JavitWindow::valasztClick() {
    logic_.javitas();
    Lapkep1->refresh();
}

} // namespace reg
