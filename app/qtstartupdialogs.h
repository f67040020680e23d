#pragma once
// The start-up's two dialogs as windows: the login and the period dialog,
// each created, shown modally and destroyed for its one use.

#include "app/startup.h"

#include <QPointer>
#include <QWidget>

namespace app {

class QtStartupDialogs : public StartupDialogs {
public:
    // `parent`: none at start-up, so that the dialogs sit in the middle of the
    // screen before the main window is shown.
    explicit QtStartupDialogs(QWidget* parent = nullptr) : parent_(parent) {}

    bool login(core::AppState& state) override;
    bool period(core::AppState& state) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace app
