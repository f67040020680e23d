#include "app/qtstartupdialogs.h"

#include "app/logindialog.h"
#include "app/perioddialog.h"
#include "ui/progresswindow.h"

namespace app {

QtStartupDialogs::QtStartupDialogs(QWidget* parent) : parent_(parent) {}

QtStartupDialogs::~QtStartupDialogs() = default;

void QtStartupDialogs::progress(const QString& what, qint64 done, qint64 total) {
    if (!progress_) {
        if (what.isEmpty()) return;
        progress_ = std::make_unique<ui::ProgressWindow>(
            QStringLiteral("Adatok átalakítása"),
            QStringLiteral("A program új változatának első indításakor a táblákat egyszer át kell "
                           "alakítani. Kérem, várjon!"),
            parent_.data());
    }
    progress_->report(what, done, total);
}

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
