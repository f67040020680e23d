// szprintbench: printing the marked sheets on a large provider's data —
// twenty years of sheets and visits, and 500 marked sheets (the 417 or so
// of the current period and the latest of the month before, each with its
// patient, order, nurses and visits as recorded). Prints the first run and
// the median of the query (beside the same statement on a native copy of its
// tables) and of the layout of the pages, and writing them as a PDF. The
// layout and the PDF have no native twin: they are the report engine's work.
//
// Usage: szprintbench [FOLDER]   (a temporary program folder when none is given)

#include "app/programinfo.h"
#include "bench/native.h"
#include "bench/setup.h"
#include "engine/database.h"
#include "engine/table.h"
#include "reports/elszlap.h"
#include "print/renderer.h"
#include "reports/sheetprint.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <sqlite3.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication gui(argc, argv);
    bench::Setup setup(argc, argv);
    try {
        if (!setup.ensure()) return 1;
        auto stp = setup.start();
        if (!stp) return 1;
        core::AppState& st = *stp;
        const QString mark = QStringLiteral(
            "update lap set jeloles='*' where rowid in (select rowid from lap where idoszak>=? "
            "order by idoszak desc, sorsz limit 500)");
        st.tables.dbo.exec(QStringLiteral("update lap set jeloles=null where jeloles='*'"));
        st.tables.dbo.exec(mark, {QStringLiteral("2025.11")});
        int rowCount = 0, pages = 0;
        bench::native::Recorder rec(st.tables.dbo);
        rec.start();
        const auto query =
            bench::runs(3, [&] { rowCount = reports::telszlRows(st, st.id.text()).rowCount(); });
        const QStringList querySql = rec.stop();
        // The query's twin: the same statement on a native copy of its tables.
        const QString nativePath = QDir(setup.dir()).filePath(QStringLiteral("native-print.db"));
        sqlite3* native = bench::native::openFile(nativePath);
        for (const char* t : {"lap", "elrend", "part", "szerz", "beteg", "lapb", "apol"})
            bench::native::copyTable(native, st.tables.dbo, QString::fromLatin1(t));
        bench::native::exec(native, QStringLiteral("analyze"));
        QString failed;
        const auto nativeQuery = bench::runs(3, [&] {
            bench::native::replay(native, querySql.mid(0, querySql.size() / 3), &failed);
        });
        bench::native::close(native, nativePath);
        if (!failed.isEmpty()) std::printf("native could not run: %s\n", qPrintable(failed));
        std::printf("statements of the query: %lld\n", (long long)(querySql.size() / 3));
        reports::PageModel model;
        const auto layout = bench::runs(3, [&] {
            model = reports::SheetPrint(st, {app::programTitle(), app::programVersion()})
                        .pages(QStringLiteral("Telszl"));
            pages = model.pageCount();
        });
        const auto pdf = bench::runs(1, [&] {
            reports::writePdf(model, QDir(setup.dir()).filePath(QStringLiteral("lapok.pdf")));
        });
        std::printf("%d visit rows of the marked sheets, %d pages\n\n", rowCount, pages);
        bench::printHeader();
        bench::printFigure("query of the marked sheets' visit rows", query, nativeQuery);
        bench::printFigure("query and layout of 500 sheets", layout);
        bench::printFigure("PDF of the 500 sheets (one run)", pdf);
        st.tables.dbo.exec(QStringLiteral("update lap set jeloles=null where jeloles='*'"));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szprintbench: %s\n", e.what());
        return 1;
    }
    for (const auto& m : setup.msg.log())
        std::printf("message: %s\n", m.c_str());
    return 0;
}
