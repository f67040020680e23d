// szcommandbench: the register's sheet commands on a large provider's data —
// 100 000 sheets and 1 000 000 visit rows — with the questions answered by a
// script: deleting a sheet of the current period (its ELREND record, its ten
// LAPB rows and its LAP record in one unit), converting one into a first
// partial invoice and back, cancelling a sent one, loading one for
// modification, numbering a new one. Then the start-up with the deleted
// records left in the files, and the pack that re-indexing runs.
//
// Usage: szcommandbench [FOLDER]   (a temporary program folder when none is given)

#include "app/startup.h"
#include "bench/twentyyears.h"
#include "core/appstate.h"
#include "db/tableops.h"
#include "engine/database.h"
#include "engine/table.h"
#include "register/laploader.h"
#include "register/laptorles.h"
#include "register/ujlap.h"
#include "sheet/telenez.h"
#include "tools/demo/demodata.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    std::vector<double> t;
    void print(const char* what) const {
        if (t.empty()) return;
        double sum = 0;
        for (double x : t)
            sum += x;
        std::printf("%-44s n=%zu  mean %.4f s  max %.4f s\n", what, t.size(), sum / t.size(),
                    *std::max_element(t.begin(), t.end()));
    }
};

// Selects the sheet of the current period with the serial number, gives it
// an ELREND record and makes it unsent when asked.
bool prepare(core::AppState& st, const QString& sorsz, bool unsent) {
    engine::Table& lap = st.tables.lap;
    if (!lap.locate(QStringLiteral("IDOSZAK;SORSZ"), {st.id, sorsz})) return false;
    if (unsent) {
        lap.edit();
        lap.setValue(QStringLiteral("ELKULDVE"), QString());
        lap.post();
    }
    engine::Table& e = st.tables.elrend;
    e.append();
    e.setValue(QStringLiteral("IDOSZAK"), st.id);
    e.setValue(QStringLiteral("SORSZ"), sorsz);
    e.setValue(QStringLiteral("SZAKVET"), QDate(2025, 12, 1));
    e.post();
    return lap.locate(QStringLiteral("IDOSZAK;SORSZ"), {st.id, sorsz});
}

} // namespace

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
        {
            core::AppState st(msg, clock);
            auto t0 = Clock::now();
            if (app::Startup(st, dialogs).run(dir) != app::Startup::Outcome::MainWindow) return 1;
            std::printf("start-up: %.3f s (LAPB %u rows)\n", bench::seconds(t0),
                        unsigned(st.tables.lapb.fileRecordCount()));
            engine::Table& lap = st.tables.lap;
            lap.setFilter(QStringLiteral("idoszak>='2025.01' and idoszak<='2025.12'"));
            lap.setFiltered(true);
            const reg::Telenez tn = [&](const QString& s, const QString& a) {
                sheet::telenez(st, s, a);
            };

            // The period 2025.12 holds the serial numbers from about 4 584.
            Figures del, conv, back, cancel, load, number;
            for (int i = 0; i < 10; ++i) {
                const QString s = QStringLiteral("%1").arg(4600 + i, 5, 10, QLatin1Char('0'));
                if (!prepare(st, s, true)) continue;
                msg.answer(true);
                t0 = Clock::now();
                reg::atalakit(st);
                conv.t.push_back(bench::seconds(t0));
                msg.answer(true);
                t0 = Clock::now();
                reg::atalakit(st);
                back.t.push_back(bench::seconds(t0));
                sheet::LapModel m;
                t0 = Clock::now();
                reg::lapBetolt(st, {s, QString(), st.id}, m);
                load.t.push_back(bench::seconds(t0));
                msg.answer(true);
                t0 = Clock::now();
                if (reg::torles(st, tn) == reg::TorlesEredmeny::Torolve)
                    del.t.push_back(bench::seconds(t0));
            }
            for (int i = 0; i < 10; ++i) {
                const QString s = QStringLiteral("%1").arg(4700 + i, 5, 10, QLatin1Char('0'));
                if (!prepare(st, s, false)) continue;
                msg.answer(true);
                t0 = Clock::now();
                if (reg::torles(st, tn) == reg::TorlesEredmeny::Sztornozva)
                    cancel.t.push_back(bench::seconds(t0));
            }
            for (int i = 0; i < 10; ++i) {
                t0 = Clock::now();
                reg::kovetkezoSorsz(st.tables.dbo, st.id);
                number.t.push_back(bench::seconds(t0));
            }
            conv.print("conversion to a first partial invoice:");
            back.print("conversion back to a full invoice:");
            load.print("loading a sheet for modification:");
            del.print("deletion (ELREND, 10 LAPB rows, LAP):");
            cancel.print("cancellation:");
            number.print("next serial number of the year:");
        }
        {
            core::AppState st(msg, clock);
            auto t0 = Clock::now();
            if (app::Startup(st, dialogs).run(dir) != app::Startup::Outcome::MainWindow) return 1;
            std::printf("start-up with the deleted rows in the files: %.3f s (LAPB %u rows)\n",
                        bench::seconds(t0), unsigned(st.tables.lapb.fileRecordCount()));
            t0 = Clock::now();
            db::packSheetTables(st.tables, 0.0);
            std::printf(
                "pack of LAP, LAPB, ELREND (as re-indexing runs it): %.3f s (LAPB %u rows)\n",
                bench::seconds(t0), unsigned(st.tables.lapb.fileRecordCount()));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szcommandbench: %s\n", e.what());
        return 1;
    }
    int shown = 0;
    for (const auto& m : msg.log())
        if (m.rfind("question:", 0) != 0 && m.rfind("information:", 0) != 0 && ++shown <= 5)
            std::printf("message: %s\n", m.c_str());
    return 0;
}
