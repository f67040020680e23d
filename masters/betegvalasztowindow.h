#pragma once
// Tbetegval (unit betegmut): the patient picker ("Betegek választása"), the
// patient list with "Választ" and "Mégse". The sheet entry window and the TAJ prompt of the
// lists show it to take over a patient's data; masters::BetegValaszto holds
// the result.

#include "masters/betegvalaszto.h"

#include <QDialog>
#include <QPointer>

class QPushButton;

namespace core {
struct AppState;
}

namespace masters {

class BrowsePanel;

class BetegValasztoWindow : public QDialog {
    Q_OBJECT
public:
    // `caller`: the window that opens the picker. `fromSheet` (the flag the
    // caller sets): true from the sheet entry window - the picker's top is the
    // caller's top plus a quarter of its height, right-aligned with it; false
    // from the TAJ prompt - directly below it, a fifth of its width to the
    // left.
    BetegValasztoWindow(core::AppState& state, QWidget* caller, bool fromSheet);

    const BetegValasztas& eredmeny() const { return logic_.eredmeny(); }
    BrowsePanel* panel() const { return Betegkep1; }

protected:
    void showEvent(QShowEvent* event) override;
    // Esc: "Mégse".
    void reject() override;

private slots:
    void BB1Click();
    void BB2Click();

private:
    BetegValaszto logic_;
    QPointer<QWidget> caller_;
    bool fromSheet_;
    BrowsePanel* Betegkep1;
    QPushButton* BB1;
    QPushButton* BB2;
};

// Shows the picker modally over `caller` and returns what was chosen; an
// empty taj means nothing was.
BetegValasztas pickBeteg(core::AppState& state, QWidget* caller, bool fromSheet);

} // namespace masters
