#pragma once
// Helpers shared by the window tests (tests/gui): finding a window's controls
// by their names, showing a window and making it the active one, keys, and
// answering the modal window that the next exec() shows.
//
//     testsupport::whenModal<QMessageBox>([](QMessageBox* box) { ... });
//     w.exec();
//
// Header-only, like startedapp.h.

#include "core/appstate.h"
#include "core/clock.h"
#include "support/testsupport.h"
#include "ui/scriptedmessages.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <type_traits>

namespace testsupport {

// The control of `w` named `name`; the test program stops when there is none.
template <class W> W* child(QWidget& w, const char* name) {
    W* c = w.findChild<W*>(QLatin1String(name));
    if (!c) qFatal("no control %s", name);
    return c;
}

// Shows `w` and waits until it is the active window.
inline bool showAndActivate(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

// Enter in a field.
inline void enter(QWidget* w) {
    QTest::keyClick(w, Qt::Key_Return);
}

// After a check failed in a handler of whenModal, the modal window it was to
// answer is still up and its exec() would wait for ever: every modal window
// of that test function is closed in turn, so the test ends with its
// failure instead of hanging (the next test function's windows stay).
inline void closeModalsAfterFailure(QByteArray test = QTest::currentTestFunction(), int left = 20) {
    QTimer::singleShot(0, qApp, [test, left] {
        QWidget* m = QApplication::activeModalWidget();
        if (!m || left == 0 || test != QTest::currentTestFunction()) return;
        if (auto* d = qobject_cast<QDialog*>(m))
            d->reject();
        else
            m->close();
        closeModalsAfterFailure(test, left - 1);
    });
}

// Runs `handle` on the modal window of type T as soon as it is up (the next
// exec() shows it), after making it the active window.
template <class T = QWidget> void whenModal(std::type_identity_t<std::function<void(T*)>> handle) {
    QTimer::singleShot(0, qApp, [handle] {
        auto* w = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!w) {
            whenModal<T>(handle); // not up yet
            return;
        }
        QApplication::setActiveWindow(w);
        handle(w);
        if (QTest::currentTestFailed()) closeModalsAfterFailure();
    });
}

// The shared state on an empty data folder, without a start-up: for the
// windows that need no tables, or make their own.
struct BareApp {
    explicit BareApp(QDate today = {}) : clock(today), state(msg, clock) {
        state.tables.dbo.setDirectory(data.path() + "/");
    }
    BareApp(const BareApp&) = delete;
    BareApp& operator=(const BareApp&) = delete;

    TempDir data;
    ui::ScriptedMessages msg;
    core::Clock clock;
    core::AppState state;
};

} // namespace testsupport
