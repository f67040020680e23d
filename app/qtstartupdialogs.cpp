#include "app/qtstartupdialogs.h"

#include "app/logindialog.h"
#include "app/perioddialog.h"

namespace app {

bool QtStartupDialogs::login(core::AppState& state) {
    LoginDialog dlg(state, false, parent_.data());
    dlg.exec();
    return !dlg.endProgram();
}

bool QtStartupDialogs::period(core::AppState& state) {
    PeriodDialog dlg(state, parent_.data());
    dlg.exec();
    return !dlg.endProgram();
}

} // namespace app
