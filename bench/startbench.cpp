// szstartbench: the start-up of the program on a large provider's data — a
// sheet table of 100 000 records and a visit table of 1 000 000 — with the
// login and the period answered by a script. Prints how long the start-up
// and a full re-indexing take.
//
// Usage: szstartbench [FOLDER]   (a temporary program folder when none is given)

#include "app/appstate.h"
#include "app/login.h"
#include "app/period.h"
#include "app/startup.h"
#include "db/layouts.h"
#include "db/tableops.h"
#include "engine/table.h"
#include "tools/demo/demodata.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

namespace {

struct ScriptedDialogs : app::StartupDialogs {
    bool login(app::AppState& st) override {
        app::Login l(st, false);
        return l.prepare() && l.ok(QStringLiteral("titok")) == app::Login::Result::Accepted;
    }
    bool period(app::AppState& st) override {
        return app::Period(st).ok(st.clock.today().toString(QStringLiteral("yyyy.MM"))) ==
               app::Period::Result::Accepted;
    }
};

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

QString periodOf(int p) {
    return QStringLiteral("%1.%2").arg(2006 + p / 12).arg(p % 12 + 1, 2, 10, QLatin1Char('0'));
}

// Twenty years of sheets, about ten visit rows each.
void fill(app::AppState& st) {
    engine::Table& lap = st.tables.lap;
    engine::Table& lapb = st.tables.lapb;
    QByteArray sheet(lap.header().recordLength, ' ');
    QByteArray visit(lapb.header().recordLength, ' ');
    auto set = [](engine::Table& t, QByteArray& rec, const char* field, const QVariant& v) {
        t.encodeField(t.fieldIndex(QLatin1String(field)), v, rec.data());
    };
    int number = 0;
    for (int s = 0; s < 100000; ++s) {
        const int p = s * 240 / 100000;
        if (s > 0 && p % 12 == 0 && (s - 1) * 240 / 100000 != p) number = 0;
        const QString period = periodOf(p);
        const QString sorsz = QStringLiteral("%1").arg(++number, 5, 10, QLatin1Char('0'));
        sheet.fill(' ');
        set(lap, sheet, "IDOSZAK", period);
        set(lap, sheet, "INTKOD", QStringLiteral("1890"));
        set(lap, sheet, "SORSZ", sorsz);
        set(lap, sheet, "TAJ", QStringLiteral("%1").arg(100000000 + s * 7 % 50000, 9));
        set(lap, sheet, "SZVIZ", 10);
        set(lap, sheet, "ELKULDVE", period);
        lap.appendRaw(sheet);
        for (int v = 0; v < 10; ++v) {
            visit.fill(' ');
            set(lapb, visit, "IDOSZAK", period);
            set(lapb, visit, "SORSZ", sorsz);
            set(lapb, visit, "ELLTIP", 2);
            set(lapb, visit, "ONKEP", 1 + v % 3);
            set(lapb, visit, "APDATUM",
                QDate::fromString(period + QStringLiteral(".01"), QStringLiteral("yyyy.MM.dd"))
                    .addDays(v));
            set(lapb, visit, "VIZITDB", 1);
            lapb.appendRaw(visit);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir tmp;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    QDir().mkpath(dir);
    QDir::setCurrent(dir);
    const QDate today(2025, 12, 10);
    ui::ScriptedMessages msg;
    app::Clock clock(today);
    ScriptedDialogs dialogs;
    try {
        if (!demo::hasCountyData(dir)) {
            demo::makeDemoData(dir, today);
            app::AppState st(msg, clock);
            if (app::Startup(st, dialogs).run(dir) != app::Startup::Outcome::MainWindow) return 1;
            const auto t0 = std::chrono::steady_clock::now();
            fill(st);
            std::printf("built 100 000 sheets and 1 000 000 visits in %.1f s\n", seconds(t0));
        }
        for (int run = 0; run < 3; ++run) {
            app::AppState st(msg, clock);
            const auto t0 = std::chrono::steady_clock::now();
            const auto outcome = app::Startup(st, dialogs).run(dir);
            std::printf("start-up: %.3f s%s\n", seconds(t0),
                        outcome == app::Startup::Outcome::MainWindow ? "" : " (ended)");
            if (run == 2) {
                const auto t1 = std::chrono::steady_clock::now();
                db::reindexAll(st.tables, st.msg);
                std::printf("re-indexing every table: %.3f s\n", seconds(t1));
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szstartbench: %s\n", e.what());
        return 1;
    }
    for (const auto& m : msg.log()) std::printf("message: %s\n", m.c_str());
    return 0;
}
