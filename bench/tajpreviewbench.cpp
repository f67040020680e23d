// szlistapreviewbench: the TAJ check list of every patient from 1999.04 as the
// program runs it from its menu item (the runner, its progress window, the
// preview), offscreen, on twenty years of data. The clock starts where the
// span is chosen; "first page" ends when the preview has drawn its first
// page and its events are seen, "whole" when the whole list's pages are in
// the preview and no progress window is left. The longest time the events
// were not seen between the two (what the user feels as a frozen window)
// and the process's CPU time per run are printed too: on a busy machine the
// CPU time estimates the wall time of an idle one.
//
// With a third argument, the whole list's PDF is written to that file
// instead, and its writing timed (wall and CPU).
//
// Usage: szlistapreviewbench [FOLDER] [RUNS] [PDF]

#include "app/programinfo.h"
#include "bench/setup.h"
#include "print/renderer.h"
#include "reports/listakmenu.h"
#include "reports/pageview.h"
#include "reports/reportpreviewdialog.h"
#include "reports/tajlista.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Run {
    double first = -1, whole = -1, frozen = 0, cpu = 0, firstCpu = 0;
    int firstPages = 0, pages = 0;
};

Run once(core::AppState& st, const reports::ProgramText& program) {
    Run r;
    QElapsedTimer clock;
    qint64 seen = 0;
    const double cpu0 = cpuSeconds();
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (r.first >= 0) r.frozen = std::max(r.frozen, double(now - seen));
        seen = now;
        reports::ReportPreviewDialog* dlg = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<reports::ReportPreviewDialog*>(w); d && d->isVisible())
                dlg = d;
        if (!dlg) return;
        if (r.first < 0 && dlg->view()->pagesPainted() > 0) {
            r.first = double(now);
            r.firstCpu = cpuSeconds() - cpu0;
            r.firstPages = dlg->model().pageCount();
        }
        bool busy = false;
        for (QProgressDialog* p : dlg->findChildren<QProgressDialog*>())
            busy = busy || p->isVisible();
        if (r.first >= 0 && !busy && dlg->model().pageCount() > r.firstPages &&
            dlg->model().pageCount() > 0) {
            r.whole = double(now);
            r.pages = dlg->model().pageCount();
            dlg->close();
        }
    });
    poll->start(1);
    clock.start();
    const reports::TajIdoszak span{reports::TajIdoszak::Fajta::Teljes, {}};
    reports::runLista(
        st, nullptr,
        reports::ListaFuttato::HaladoBuild([&](const reports::LayoutProgress& halad) {
            reports::TajLista l(st, program);
            l.setHalad(halad);
            return l.osszes(span);
        }),
        [&] { return reports::TajLista(st, program).osszes(span, 80); });
    delete poll;
    r.cpu = cpuSeconds() - cpu0;
    return r;
}

// The whole list written as a PDF: seconds of wall and CPU time.
void pdf(core::AppState& st, const reports::ProgramText& program, const QString& path) {
    std::optional<reports::Lista> l =
        reports::TajLista(st, program).osszes({reports::TajIdoszak::Fajta::Teljes, {}});
    if (!l) return;
    const reports::PageModel pages = reports::layout(l->report, QDateTime(st.clock.today(), {}));
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    QString error;
    const bool ok = reports::writePdf(pages, path, &error);
    std::printf("PDF of %d pages: %s, %lld ms, CPU %.0f ms\n", pages.pageCount(),
                ok ? "written" : qPrintable(error), wall.elapsed(),
                (cpuSeconds() - cpu0) * 1000);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication gui(argc, argv);
    bench::Setup setup(std::min(argc, 2), argv);
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    if (!setup.ensure()) return 1;
    auto st = setup.start();
    if (!st) return 1;
    const reports::ProgramText program{app::programTitle(), app::programVersion()};
    if (argc > 3) {
        for (int i = 0; i < runs; ++i)
            pdf(*st, program, QString::fromLocal8Bit(argv[3]));
        return 0;
    }
    std::printf("load %s\n%-6s %10s %10s %10s %10s %10s %8s %8s\n", qPrintable(bench::loadNow()),
                "run", "first ms", "first CPU", "whole ms", "frozen ms", "CPU ms", "first p",
                "pages");
    for (int i = 0; i < runs; ++i) {
        const Run r = once(*st, program);
        std::printf("%-6d %10.0f %10.0f %10.0f %10.0f %10.0f %8d %8d\n", i + 1, r.first,
                    r.firstCpu * 1000, r.whole, r.frozen, r.cpu * 1000, r.firstPages, r.pages);
        std::fflush(stdout);
    }
    return 0;
}
