// The program's entry: the application, the message service, the shared state
// and the main window; the start-up sequence (login, period, tables, folders)
// runs before the main window is shown and may end the program first.

#include "app/ejelentes.h"
#include "app/mainwindow.h"
#include "app/programicon.h"
#include "app/programinfo.h"
#include "app/qtstartupdialogs.h"
#include "app/scriptedstart.h"
#include "app/startup.h"
#include "core/appstate.h"
#include "core/clock.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/heap.h"
#include "ui/qtmessages.h"
#include "ui/qttranslations.h"
#include "ui/windowconventions.h"

#include <QApplication>
#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char* argv[]) {
    engine::keepFreedMemory();
    // No shared OpenGL context now: making it costs the start more than the
    // tables. The e-report window's embedded browser makes it when it is
    // first opened (app/ejelentes.cpp).
    QApplication application(argc, argv);
    // No display name: the platform would append it to every caption.
    QApplication::setApplicationName(app::programTitle());
    QApplication::setApplicationVersion(app::programVersion());
    QApplication::setWindowIcon(app::programIcon());
    // Qt's own dialogs and buttons in Hungarian.
    ui::loadQtTranslations(QCoreApplication::applicationDirPath());
    // Enter on buttons, Shift+F10, the keyboard handed back, windows fitted.
    ui::WindowConventions conventions;

    // The smoke test's start with no hand at the keyboard (app/scriptedstart.h).
    QString optionError;
    const auto scriptedOptions =
        app::scriptedStartOptions(QCoreApplication::arguments(), &optionError);
    if (!optionError.isEmpty()) {
        std::fprintf(stderr, "%s\n", optionError.toUtf8().constData());
        return 2;
    }
    std::unique_ptr<app::ScriptedStart> scripted;
    if (scriptedOptions) scripted = std::make_unique<app::ScriptedStart>(*scriptedOptions, stdout);

    ui::QtMessages msg(nullptr, app::programTitle());
    core::Clock clock;
    core::AppState state(msg, clock);

    std::unique_ptr<app::MainWindow> window;
    try {
        window = std::make_unique<app::MainWindow>(state);
        app::MainWindow* w = window.get();
        msg.setStatusSink([w](int panel, const QString& text) { w->setStatusText(panel, text); });
        w->setEjelentes(app::ejelentesAblak(state));

        // The start-up's dialogs and boxes come before the main window is on
        // the screen: they stand alone in the middle of the screen.
        app::QtStartupDialogs dialogs;
        if (app::Startup(state, dialogs).run(QCoreApplication::applicationDirPath()) ==
            app::Startup::Outcome::EndProgram) {
            if (scripted) scripted->say(QStringLiteral("vége: az indítás befejezte a programot"));
            return 0;
        }
    } catch (const engine::DbError& e) {
        msg.error(QStringLiteral("Hiba a program indításakor: ") + e.text());
    } catch (const std::exception& e) {
        msg.error(QStringLiteral("Hiba a program indításakor: ") +
                  QString::fromLocal8Bit(e.what()));
    }
    if (!window) return 1;

    msg.setParent(window.get());
    window->showPeriod();
    window->setStatusText(2, clock.today().toString(QStringLiteral("yyyy.MM.dd")));
    window->showMaximized();
    const int rc = application.exec();
    if (scripted) scripted->say(QStringLiteral("vége: %1").arg(rc));
    return rc;
}
