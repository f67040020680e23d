// szbenchfolder: a program folder with `years` years of a large provider's
// data (twenty by default, forty for the growth curve), made by the same
// builder the benchmark programs use, for the benchmark that drives the real
// program (szuserbench) and for the others to share. A folder that already
// holds county tables is left as it is.
//
// Usage: szbenchfolder FOLDER [YEARS]

#include "bench/twentyyears.h"
#include "core/appstate.h"
#include "core/clock.h"
#include "engine/heap.h"
#include "ui/scriptedmessages.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    engine::keepFreedMemory();
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: szbenchfolder FOLDER [YEARS]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const int years = argc > 2 ? std::atoi(argv[2]) : 20;
    if (years < 1 || years > 40) {
        std::fprintf(stderr, "szbenchfolder: YEARS is 1 to 40\n");
        return 2;
    }
    QDir().mkpath(dir);
    QDir::setCurrent(dir);
    ui::ScriptedMessages msg;
    core::Clock clock(QDate(2025, 12, 10));
    bool ok = false;
    {
        core::AppState st(msg, clock);
        ok = bench::ensureTwentyYears(dir, st, {}, years);
    }
    for (const auto& m : msg.log())
        std::printf("message: %s\n", m.c_str());
    if (!ok) std::fprintf(stderr, "szbenchfolder: the program did not start on %s\n", argv[1]);
    return ok ? 0 : 1;
}
