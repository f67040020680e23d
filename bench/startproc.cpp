// szstartproc: the program's start as the user waits for it, for szstartbench
// to time as a whole process. It does what the program's entry does — the
// application, the main window, the start-up sequence with the login and the
// period answered by a script, the main window shown — and ends as soon as
// the window is on the screen. It prints how long it took from its own first
// line to the window shown ("shown: 0.123 s").
//
// Usage: szstartproc FOLDER   (a program folder whose DATA holds the tables;
// the working folders are made in the current directory)

#include "app/ejelentes.h"
#include "app/mainwindow.h"
#include "app/programicon.h"
#include "app/programinfo.h"
#include "app/startup.h"
#include "bench/twentyyears.h"
#include "core/appstate.h"
#include "core/clock.h"
#include "engine/dbffile.h"
#include "engine/heap.h"
#include "ui/qttranslations.h"
#include "ui/scriptedmessages.h"
#include "ui/windowconventions.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    engine::keepFreedMemory();
    const auto t0 = std::chrono::steady_clock::now();
    if (argc < 2) {
        std::fprintf(stderr, "usage: szstartproc FOLDER\n");
        return 2;
    }
    QApplication application(argc, argv);
    // As the program's entry does: its name, icon and Qt's texts in Hungarian.
    QApplication::setApplicationName(app::programTitle());
    QApplication::setApplicationVersion(app::programVersion());
    QApplication::setWindowIcon(app::programIcon());
    ui::loadQtTranslations(QCoreApplication::applicationDirPath());
    ui::WindowConventions conventions;

    // A message box would wait for a hand that never comes: the messages are
    // recorded and printed instead.
    ui::ScriptedMessages msg;
    core::Clock clock(QDate(2025, 12, 10));
    core::AppState state(msg, clock);
    engine::setToday([&clock] { return clock.today(); });

    auto window = std::make_unique<app::MainWindow>(state);
    // The e-report window as the program wires it, so that the same libraries
    // are loaded at the start.
    window->setEjelentes(app::ejelentesAblak(state));
    bench::ScriptedDialogs dialogs;
    app::Startup startup(state, dialogs);
    if (startup.run(QString::fromLocal8Bit(argv[1])) == app::Startup::Outcome::EndProgram) {
        std::fprintf(stderr, "szstartproc: the start-up ended the program\n");
        for (const auto& m : msg.log())
            std::fprintf(stderr, "message: %s\n", m.c_str());
        return 1;
    }
    window->showPeriod();
    window->setStatusText(2, clock.today().toString(QStringLiteral("yyyy.MM.dd")));
    window->showMaximized();
    int rc = 0;
    QTimer::singleShot(0, &application, [&] {
        std::printf("shown: %.3f s\n", bench::seconds(t0));
        for (const auto& m : msg.log()) {
            std::printf("message: %s\n", m.c_str());
            rc = 1;
        }
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    application.exec();
    window.reset();
    engine::setToday(nullptr);
    return startup.interrupted() ? 1 : rc;
}
