#pragma once
// Tjavit (unit javit): the completed first partial invoices of the year;
// "Javítás" (or Enter) reopens the chosen series (reg::Javit).

#include "register/javit.h"
#include "register/lapvalasztowindow.h"

namespace reg {

class JavitWindow : public LapValasztoWindow {
    Q_OBJECT
public:
    explicit JavitWindow(core::AppState& state, QWidget* registerWindow = nullptr);

protected:
    void valasztClick() override;

private:
    Javit logic_;
};

} // namespace reg
