// szstartbench: the start-up of the program on a large provider's data — a
// sheet table of 100 000 records and a visit table of 1 000 000 — with the
// login and the period answered by a script. Prints how long the start-up
// and a full re-indexing take.
//
// Usage: szstartbench [FOLDER]   (a temporary program folder when none is given)

#include "app/login.h"
#include "app/period.h"
#include "app/startup.h"
#include "bench/twentyyears.h"
#include "core/appstate.h"
#include "db/layouts.h"
#include "db/tableops.h"
#include "engine/table.h"
#include "tools/demo/demodata.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    QTemporaryDir tmp;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    QDir().mkpath(dir);
    QDir::setCurrent(dir);
    const QDate today(2025, 12, 10);
    ui::ScriptedMessages msg;
    core::Clock clock(today);
    bench::ScriptedDialogs dialogs;
    try {
        {
            core::AppState st(msg, clock);
            if (!bench::ensureTwentyYears(dir, st)) return 1;
        }
        for (int run = 0; run < 3; ++run) {
            core::AppState st(msg, clock);
            const auto t0 = std::chrono::steady_clock::now();
            const auto outcome = app::Startup(st, dialogs).run(dir);
            std::printf("start-up: %.3f s%s\n", bench::seconds(t0),
                        outcome == app::Startup::Outcome::MainWindow ? "" : " (ended)");
            if (run == 2) {
                const auto t1 = std::chrono::steady_clock::now();
                db::reindexAll(st.tables, st.msg);
                std::printf("re-indexing every table: %.3f s\n", bench::seconds(t1));
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szstartbench: %s\n", e.what());
        return 1;
    }
    for (const auto& m : msg.log())
        std::printf("message: %s\n", m.c_str());
    return 0;
}
