#pragma once
// Treszlap (unit reszlap): the first partial invoices of the year that may
// be continued; "Választás" (or Enter, or a double click) prepares the next
// part of the chosen series in the entry window, shows it, then closes.

#include "register/lapvalasztowindow.h"

#include <functional>

namespace reg {

class ReszlapWindow : public LapValasztoWindow {
    Q_OBJECT
public:
    // `valasztas`: the register command's choice (LapParancsok::
    // reszlapValasztas): true when the entry window was shown.
    ReszlapWindow(core::AppState& state, std::function<bool()> valasztas,
                  QWidget* registerWindow = nullptr);

protected:
    void valasztClick() override;

private:
    std::function<bool()> valasztas_;
};

} // namespace reg
