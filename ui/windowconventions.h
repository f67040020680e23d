#pragma once
// What every window of the program does alike, watched for the whole
// application by one object that the program installs at its start:
//
// - Enter (or the keypad's Enter) presses the focused push or tool button,
//   as Space does (the administrators come from a system where it did).
// - Shift+F10 opens the context menu of the focused control, as the Menu key
//   does (a grid's menu at its current row).
// - A window that closes, whatever way it closed, hands the keyboard back:
//   the modal window still open (the register that opened the entry window)
//   or else the window it stood over becomes active again, with the control
//   that had the focus there.
// - A window being shown is fitted to its screen with its frame (title bar
//   and borders) inside the screen's free area (ui/screenfit.h), and again
//   when the window manager tells its frame extents.

#include <QObject>

namespace ui {

class WindowConventions : public QObject {
    Q_OBJECT
public:
    // Watches the whole application while it lives.
    explicit WindowConventions(QObject* parent = nullptr);
    ~WindowConventions() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace ui
