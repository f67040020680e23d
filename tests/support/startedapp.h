#pragma once
// A program started for a test: a demo program folder made in code, a
// working folder as the current directory, and the real start-up sequence
// (app::Startup) with the login and the period answered by a script. Once
// constructed, every table of state.tables is open, as in the running
// program, and the messages of the start-up are forgotten.
//
//     auto app = std::make_unique<testsupport::StartedApp>();
//     app->msg.answer(true);
//     ... drive a logic class with app->state, assert app->msg.log() ...
//
// Header-only: every test program compiles only testsupport.cpp besides its
// own files.

#include "app/login.h"
#include "app/period.h"
#include "app/startup.h"
#include "core/appstate.h"
#include "core/clock.h"
#include "db/tableops.h"
#include "engine/table.h"
#include "support/testsupport.h"
#include "tools/demo/demodata.h"
#include "ui/scriptedmessages.h"

#include <QDate>
#include <QDir>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <string>

namespace testsupport {

// The login and the period dialogs answered from fixed texts.
struct ScriptedStartupDialogs : app::StartupDialogs {
    QString password = QStringLiteral("titok");
    QString periodText = QStringLiteral("2024.05");

    bool login(core::AppState& st) override {
        app::Login l(st, false);
        return l.prepare() && l.ok(password) == app::Login::Result::Accepted;
    }
    bool period(core::AppState& st) override {
        app::Period pc(st);
        return pc.ok(periodText) == app::Period::Result::Accepted;
    }
};

class StartedApp {
public:
    // Today 2024.05.15, period 2024.05, the demo provider without master
    // records unless the options say otherwise. Throws std::runtime_error
    // when the start-up does not reach the main window.
    explicit StartedApp(const demo::Options& options = {}, QDate today = QDate(2024, 5, 15),
                        const QString& period = QStringLiteral("2024.05"))
        : clock(today), state(msg, clock) {
        demo::makeDemoData(program.path(), today, options);
        QDir::setCurrent(work.path());
        dialogs.periodText = period;
        app::Startup s(state, dialogs);
        if (s.run(program.path()) != app::Startup::Outcome::MainWindow || s.interrupted()) {
            QDir::setCurrent(oldCwd_);
            throw std::runtime_error("the start-up stopped: " + msg.last().toStdString());
        }
        msg.clear();
    }
    ~StartedApp() { QDir::setCurrent(oldCwd_); }
    StartedApp(const StartedApp&) = delete;
    StartedApp& operator=(const StartedApp&) = delete;

    // A file of the program's DATA folder (the database).
    QString data(const QString& name) const { return program.path() + "/DATA/" + name; }

    // What a kill trial's child (support/childrun.h) needs for takeOver().
    QStringList folders() const { return {program.path(), work.path()}; }
    // In a kill trial's child, built as the test's program was: goes on with
    // the test's program and working folders (`folders`, the test's
    // folders()) in place of its own. Every table is closed and opened again
    // there; the test has its tables closed meanwhile.
    void takeOver(const QStringList& folders) {
        db::mindzar(state.tables);
        const QString mine[] = {work.path(), program.path()};
        const QString theirs[] = {folders.value(1), folders.value(0)};
        auto moved = [&](QString p) {
            for (int i = 0; i < 2; ++i) {
                p.replace(QDir(mine[i]).canonicalPath(), theirs[i]);
                p.replace(mine[i], theirs[i]);
            }
            return p;
        };
        for (QString* p : {&state.programDir, &state.munkakonyvtar, &state.datakonyvtar,
                           &state.listakonyvtar, &state.tempkonyvtar, &state.kuldkonyvtar,
                           &state.mentkonyvtar})
            *p = moved(*p);
        state.tables.dbo.setDirectory(moved(state.tables.directory()));
        QDir::setCurrent(folders.value(1));
        db::mindnyit(state.tables);
    }

    TempDir program; // the program's folder: DATA and DATA/MENT
    TempDir work;    // the current directory: LISTA, KULD, DATA, TEMP
    ui::ScriptedMessages msg;
    core::Clock clock;
    ScriptedStartupDialogs dialogs;
    core::AppState state;

private:
    QString oldCwd_ = QDir::currentPath();
};

} // namespace testsupport
