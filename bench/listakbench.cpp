// szlistakbench: the lists of the "Listák" menu on a large provider's data —
// twenty years of sheets and visits (100 000 sheets, 1 000 000 visit rows),
// 30 000 patients, an order record for every sheet, and the visits of the
// current period accounted (so that the monthly settlement has rows).
// Prints, for each list, the first run and the median of five: the query
// with the list's bands (beside the same statements replayed on native
// SQLite), the same statements alone stepped on the program's connection
// (beside the twin: the SQL without the list's work on the rows), the
// layout of every page (no native twin: the report engine's own work), and
// the query and layout together. None of them includes the preview window:
// szuserbench measures the list as the user waits for it, preview included.
// For the TAJ check list of all patients from 1999.04 also the time until
// its first pages are laid out; that runs first in the process, so the whole
// list's first run comes after it (the tables' tags already read).
//
// Usage: szlistakbench [FOLDER]   (a temporary program folder when none is given)

#include "app/programinfo.h"
#include "core/appstate.h"

#include "bench/native.h"
#include "bench/setup.h"
#include "engine/database.h"
#include "engine/table.h"
#include "reports/dolgozolista.h"
#include "reports/elszamolas.h"
#include "reports/tajlista.h"
#include "reports/torzslistak.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

// The county office's answer for the current period: its visits accounted.
void accounted(core::AppState& st) {
    st.tables.dbo.exec(QStringLiteral("update lapb set elido=idoszak where idoszak=?"),
                       {st.id.text()});
}

// The native twin of the lists' queries: the same statements on a copy of
// the tables (set in main).
sqlite3* gNative = nullptr;
// The program's own connection, for the statements alone.
sqlite3* gProgram = nullptr;
bench::native::Recorder* gRecorder = nullptr;

void measure(const char* name, const std::function<std::optional<reports::Lista>()>& build,
             const QDateTime& at, const char* note = "") {
    std::vector<double> q, l, nq;
    QStringList sql;
    int pages = 0;
    for (int run = 0; run < 5; ++run) {
        std::optional<reports::Lista> list;
        gRecorder->start();
        q.push_back(bench::timeOf([&] { list = build(); }));
        sql = gRecorder->stop();
        l.push_back(bench::timeOf([&] {
            if (list) pages = reports::layout(list->report, at).pageCount();
        }));
    }
    QString failed;
    for (int run = 0; run < 5; ++run)
        nq.push_back(bench::timeOf([&] { bench::native::replay(gNative, sql, &failed); }));
    if (!failed.isEmpty()) std::printf("native could not run: %s\n", qPrintable(failed));
    // The very statements stepped through on the program's connection, as
    // the twin steps them: the SQL alone, without the list's own work on
    // the rows (each value a QVariant, the bands filled).
    std::vector<double> sq;
    for (int run = 0; run < 5; ++run)
        sq.push_back(bench::timeOf([&] { bench::native::replay(gProgram, sql); }));
    char what[96];
    std::snprintf(what, sizeof what, "%s: query", name);
    bench::printFigure(what, q, nq, note);
    std::snprintf(what, sizeof what, "%s: its statements stepped", name);
    bench::printFigure(what, sq, nq, note);
    std::snprintf(what, sizeof what, "%s: layout of %d pages", name, pages);
    bench::printFigure(what, l, {}, note);
    std::vector<double> both;
    for (size_t i = 0; i < q.size(); ++i)
        both.push_back(q[i] + l[i]);
    std::snprintf(what, sizeof what, "%s: query and layout, no preview", name);
    bench::printFigure(what, both, {}, note);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication gui(argc, argv);
    bench::Setup setup(argc, argv);
    const QDate today = setup.clock.today();
    try {
        if (!setup.ensure(accounted)) return 1;
        auto stp = setup.start();
        if (!stp) return 1;
        core::AppState& st = *stp;
        // A folder built by another benchmark has no answer for the current
        // period yet: without it the monthly settlement has no rows.
        if (st.tables.dbo
                .query(QStringLiteral("select count(*) from lapb where idoszak=? and elido is "
                                      "not null"),
                       {st.id.text()})
                .value(0, 0)
                .toInt() == 0)
            accounted(st);
        const reports::ProgramText program{app::programTitle(), app::programVersion()};
        // The base fee of the current period read back from the county office.
        if (st.tables.dbo
                .query(QStringLiteral("select count(*) from zaras where idoszak=? and "
                                      "alapdij>0"),
                       {st.id.text()})
                .value(0, 0)
                .toInt() == 0) {
            st.tables.zaras.append();
            st.tables.zaras.setValue(QStringLiteral("IDOSZAK"), st.id.text());
            st.tables.zaras.setValue(QStringLiteral("ALAPDIJ"), 3550);
            st.tables.zaras.post();
        }
        const QDateTime at(today, QTime(12, 0));

        // The TAJ check list of all patients from 1999.04: the first page.
        int firstPages = 0;
        const auto first = bench::runs(3, [&] {
            // What the preview shows first: the list's first 80 sheets.
            auto list =
                reports::TajLista(st, program).osszes({reports::TajIdoszak::Fajta::Teljes, {}}, 80);
            firstPages = reports::layout(list->report, at).pageCount();
        });
        const QString busiest =
            st.tables.dbo
                .query(QStringLiteral("select taj from lap group by taj order by count(*) desc "
                                      "limit 1"))
                .value(0, 0)
                .toString();
        const QString nativePath = QDir(setup.dir()).filePath(QStringLiteral("native-listak.db"));
        gNative = bench::native::openFile(nativePath);
        bench::native::copyAll(gNative, st.tables.dbo);
        bench::native::Recorder recorder(st.tables.dbo);
        gRecorder = &recorder;
        gProgram = st.tables.dbo.handle();
        bench::printHeader();
        char what[96];
        std::snprintf(what, sizeof what,
                      "TAJ check list, all: first %d pages, query and layout, no preview",
                      firstPages);
        bench::printFigure(what, first);
        measure(
            "TAJ check list, all",
            [&] {
                return reports::TajLista(st, program)
                    .osszes({reports::TajIdoszak::Fajta::Teljes, {}});
            },
            at, "(first run follows the first pages')");
        measure(
            "TAJ check list, one patient",
            [&] { return reports::TajLista(st, program).egyBeteg(busiest); }, at);
        measure(
            "TAJ check list, current period",
            [&] {
                return reports::TajLista(st, program)
                    .osszes({reports::TajIdoszak::Fajta::Aktualis, {}});
            },
            at);
        measure(
            "nurses", [&] { return reports::Torzslistak(st, program).apolok(); }, at);
        measure(
            "patients", [&] { return reports::Torzslistak(st, program).betegek(); }, at);
        measure(
            "doctors", [&] { return reports::Torzslistak(st, program).orvosok(); }, at);
        measure(
            "all BNO codes", [&] { return reports::Torzslistak(st, program).bnoTeljes(); }, at);
        measure(
            "BNO codes of a group",
            [&] {
                return reports::Torzslistak(st, program)
                    .bnoCsoport(masters::bnoGroupOf(masters::bcsopItems()[13]));
            },
            at);
        measure(
            "workers' visits", [&] { return reports::DolgozoLista(st, program).keszit(); }, at);
        measure(
            "monthly settlement", [&] { return reports::HaviElszamolas(st, program).keszit(); },
            at);
        measure(
            "missing order data", [&] { return reports::Adatrogzites(st, program).keszit(); }, at);
        bench::native::close(gNative, nativePath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szlistakbench: %s\n", e.what());
        return 1;
    }
    for (const auto& m : setup.msg.log())
        std::printf("message: %s\n", m.c_str());
    return 0;
}
