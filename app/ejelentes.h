#pragma once
// The e-report step of the sending as the program wires it: the embedded
// browser window (exch::TszwebWindow) when the program was built with Qt
// WebEngine (SZ_WEBENGINE) and the browser can start on this machine, else
// the portal in the default browser with the KULD folder's files
// (exch::TszwebKulsoWindow). The choice is made each time, before any part
// of the browser exists.

#include <QWidget>
#include <functional>

namespace core {
struct AppState;
}

namespace app {

// The main window's e-report hook (MainWindow::setEjelentes).
std::function<void(QWidget*)> ejelentesAblak(core::AppState& state);

} // namespace app
