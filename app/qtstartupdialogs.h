#pragma once
// The start-up's two dialogs as windows: the login and the period dialog,
// each created, shown modally and destroyed for its one use; and the window
// of the one-time upgrade of old table layouts, shown only while one runs.

#include "app/startup.h"

#include <QPointer>
#include <QWidget>
#include <memory>

namespace ui {
class ProgressWindow;
}

namespace app {

class QtStartupDialogs : public StartupDialogs {
public:
    // `parent`: none at start-up, so that the dialogs sit in the middle of the
    // screen before the main window is shown.
    explicit QtStartupDialogs(QWidget* parent = nullptr);
    ~QtStartupDialogs() override;

    bool login(core::AppState& state) override;
    bool period(core::AppState& state) override;
    // The upgrade's window, made when an upgrade first tells something.
    void progress(const QString& what, qint64 done, qint64 total) override;
    ui::ProgressWindow* progressWindow() const { return progress_.get(); }

private:
    QPointer<QWidget> parent_;
    std::unique_ptr<ui::ProgressWindow> progress_;
};

} // namespace app
