#include "register/reszlapwindow.h"

#include "masters/browsepanel.h"

#include <QPushButton>

namespace reg {

ReszlapWindow::ReszlapWindow(core::AppState& state, std::function<bool()> valasztas,
                             QWidget* registerWindow)
    : LapValasztoWindow(state, registerWindow, "Treszlap", QString(), QStringLiteral("Választás"),
                        QStringLiteral("Elszámolási lapok kiválasztása a következő részszámlához")),
      valasztas_(std::move(valasztas)) {
    connect(Lapkep1, &masters::BrowsePanel::doubleClicked, this, [this] { valasztClick(); });
}

void ReszlapWindow::valasztClick() {
    // An empty list chooses nothing and the window stays.
    if (valasztas_ && valasztas_()) accept();
}

} // namespace reg
