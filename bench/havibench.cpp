// szhavibench: the monthly summary on a large provider's data — twenty years
// of sheets and visits, and the month's shipment made by the program itself
// (the sheets of 2025.12 and the late ones of the months before, marked,
// written into KULD and recorded as sent). Prints how long the command takes
// from the menu (once the order-sheet number is typed) to the laid-out first
// page: the queries, the figures, the check against KULD and the layout;
// the first run beside the median. No native twin: the figures and the
// layout are the program's own work.
//
// Usage: szhavibench [FOLDER]   (a temporary program folder when none is given)

#include "app/programinfo.h"
#include "core/appstate.h"

#include "bench/native.h"
#include "bench/setup.h"
#include "core/idoszak.h"
#include "engine/database.h"
#include "engine/table.h"
#include "exchange/kuldemeny.h"
#include "exchange/kuldes.h"
#include "reports/haviosszesito.h"
#include "tools/demo/demodata.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sqlite3.h>
#include <vector>

namespace {

const QString kPeriod = QStringLiteral("2025.12");

// The month's shipment as "Adatküldés" makes it: the sheets of the send
// list marked (the month's own and the late ones of the four months
// before), the three files written into KULD, the sent state recorded.
void shipment(core::AppState& st) {
    engine::Database& db = st.tables.dbo;
    const core::Idoszak p = *core::Idoszak::parse(kPeriod);
    db.exec(QStringLiteral("update lap set jeloles='*' where (idoszak>=? and idoszak<=? and "
                           "elkuldve is null) or (elkuldve='YY' and modtipus is not null)"),
            {p.plusMonths(-4).text(), p.text()});
    const int n =
        db.query(QStringLiteral("select count(*) from lap where jeloles='*'")).value(0, 0).toInt();
    exch::Kuldemeny k = exch::Kuldemeny::osszeallit(db, p, demo::providerCode());
    exch::Kuldes::konyvtarUrit(st.kuldkonyvtar, st.listakonyvtar);
    for (const exch::Fajl& f : k.fajlok)
        exch::fajlIr(f, st.kuldkonyvtar, st.clock.today());
    exch::Kuldes::elkuldveJeloles(st, n);
    std::printf("shipment in KULD: %d sheets, %zu visits\n", n, k.fajlok[1].rekordok.size());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication gui(argc, argv);
    bench::Setup setup(argc, argv);
    ui::ScriptedMessages& msg = setup.msg;
    try {
        if (!setup.ensure(shipment)) return 1;
        // The month is closed by its shipment; the summary is printed after
        // it, so the period is taken as closed.
        msg.answer(true);
        auto stp = setup.start();
        if (!stp) return 1;
        core::AppState& st = *stp;
        msg.clear();
        std::vector<double> times;
        int pages = 0;
        {
            // The first run step by step, as the command takes them (the
            // preview's own drawing aside). Its query `havi` is the
            // session's first seek in LAPB, which reads LAPB's index tag
            // (a million keys) from the index file.
            reports::HaviOsszesito h(st, {app::programTitle(), app::programVersion()});
            const auto t0 = std::chrono::steady_clock::now();
            const std::clock_t c0 = std::clock();
            const reports::HaviFej fej = h.fej(12);
            const double tFej = bench::seconds(t0);
            const auto sorok = h.haviSorok();
            const double tHavi = bench::seconds(t0);
            const auto adatok = h.adatok(sorok);
            const QStringList elter = h.elteresek(fej, *adatok);
            const double tKuld = bench::seconds(t0);
            reports::Report r = reports::makeThavil(fej, adatok, {app::programTitle(), "3.61"});
            pages = reports::layout(r, QDateTime::currentDateTime()).pageCount();
            times.push_back(bench::seconds(t0));
            const double cpu = double(std::clock() - c0) / CLOCKS_PER_SEC;
            std::printf("run 1: header queries %.3f s, havi (%zu rows) %.3f s, figures and"
                        " KULD check (%lld differences) %.3f s, layout %.3f s: %.3f s"
                        " (%.3f s of processor time; %d page)\n",
                        tFej, sorok.size(), tHavi - tFej, (long long)elter.size(), tKuld - tHavi,
                        times.back() - tKuld, times.back(), cpu, pages);
        }
        // Then as it runs once LAPB's index is in memory (after the
        // shipment, the register or an earlier summary of the session).
        for (int run = 1; run < 9; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            double firstPage = 0;
            reports::HaviOsszesito(st, {app::programTitle(), app::programVersion()})
                .nyomtat(12, [&](reports::PageModel& m) {
                    firstPage = bench::seconds(t0);
                    pages = m.pageCount();
                });
            times.push_back(firstPage);
            std::printf("run %d: menu to first page %.3f s (%d page)\n", run + 1, firstPage, pages);
        }
        // The summary's queries alone (its header and `havi`), beside the
        // same statements on a native copy of the tables.
        bench::native::Recorder rec(st.tables.dbo);
        std::vector<double> queries;
        QStringList sql;
        for (int run = 0; run < 6; ++run) {
            rec.start();
            queries.push_back(bench::timeOf([&] {
                reports::HaviOsszesito h(st, {app::programTitle(), app::programVersion()});
                h.fej(12);
                h.haviSorok();
            }));
            sql = rec.stop();
        }
        const QString nativePath = QDir(setup.dir()).filePath(QStringLiteral("native-havi.db"));
        sqlite3* native = bench::native::openFile(nativePath);
        bench::native::copyAll(native, st.tables.dbo);
        QString failed;
        const auto nativeQueries =
            bench::runs(6, [&] { bench::native::replay(native, sql, &failed); });
        bench::native::close(native, nativePath);
        if (!failed.isEmpty()) std::printf("native could not run: %s\n", qPrintable(failed));
        std::printf("\n");
        bench::printHeader();
        bench::printFigure("monthly summary: menu to first page", times);
        char what[80];
        std::snprintf(what, sizeof what, "  its queries (%lld statements)", (long long)sql.size());
        bench::printFigure(what, queries, nativeQueries);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szhavibench: %s\n", e.what());
        return 1;
    }
    for (const auto& m : msg.log())
        std::printf("message: %s\n", m.c_str());
    return 0;
}
