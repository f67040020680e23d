// szprintbench: printing the marked sheets on a large provider's data —
// twenty years of sheets and visits, and 500 marked sheets of the current
// period with 14 visits each. Prints how long the query and the layout of
// the 500 pages take, and writing them as a PDF.
//
// Usage: szprintbench [FOLDER]   (a temporary program folder when none is given)

#include "app/programinfo.h"
#include "core/appstate.h"

#include "bench/twentyyears.h"
#include "engine/table.h"
#include "reports/elszlap.h"
#include "reports/renderer.h"
#include "reports/sheetprint.h"
#include "tools/demo/demodata.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void add(engine::Table& t, std::initializer_list<std::pair<const char*, QVariant>> values) {
    t.append();
    for (const auto& [field, value] : values)
        t.setValue(QLatin1String(field), value);
    t.post();
}

// 500 marked sheets of 2025.12, 14 visits each, with their order records,
// patients and six nurses.
void markedSheets(core::AppState& st) {
    const QString period = QStringLiteral("2025.12");
    for (int n = 0; n < 6; ++n)
        add(st.tables.apol, {{"APTAJ", QStringLiteral("3000000%1").arg(n, 2, 10, QLatin1Char('0'))},
                             {"ANEV", QStringLiteral("Ápoló %1").arg(n + 1)}});
    add(st.tables.orvos, {{"ORVOSKOD", "12345"}, {"ONEV", "Dr. Elrendelő"}});
    for (int s = 0; s < 500; ++s) {
        const QString taj = QStringLiteral("2000%1").arg(s, 5, 10, QLatin1Char('0'));
        const QString sorsz = QStringLiteral("%1").arg(90000 + s, 5, 10, QLatin1Char('0'));
        add(st.tables.beteg, {{"TAJ", taj},
                              {"NEV", QStringLiteral("Beteg %1").arg(s)},
                              {"NEME", s % 2 ? "F" : "N"},
                              {"KOZIGKOD", "1234567"},
                              {"CIME1", "Veszprém"},
                              {"CIME2", "Fő utca 1."},
                              {"SZULI", QDate(1940, 1, 1).addDays(s)}});
        add(st.tables.lap, {{"IDOSZAK", period},
                            {"INTKOD", "1890"},
                            {"SORSZ", sorsz},
                            {"TAJ", taj},
                            {"TPOTL", "N"},
                            {"BNOFO", "I10"},
                            {"ORVOSKOD", "12345"},
                            {"ELSZAM", 1},
                            {"SZVIZ", 14},
                            {"JELOLES", "*"}});
        add(st.tables.elrend, {{"IDOSZAK", period},
                               {"INTKOD", "1890"},
                               {"SORSZ", sorsz},
                               {"JORVKOD", "12345"},
                               {"SZAKVET", QDate(2025, 11, 20)},
                               {"ELVIZDB", 14}});
        for (int v = 0; v < 14; ++v)
            add(st.tables.lapb,
                {{"IDOSZAK", period},
                 {"INTKOD", "1890"},
                 {"SORSZ", sorsz},
                 {"TEVKOD", "1"},
                 {"ELLTIP", 2},
                 {"ONKEP", 1 + s % 3},
                 {"APDATUM", QDate(2025, 12, 1 + 2 * v)},
                 {"APTAJ", QStringLiteral("3000000%1").arg((s + v) % 6, 2, 10, QLatin1Char('0'))},
                 {"VIZITDB", 1}});
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication gui(argc, argv);
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
            if (!bench::ensureTwentyYears(dir, st, [](core::AppState& s) { markedSheets(s); }))
                return 1;
        }
        core::AppState st(msg, clock);
        if (app::Startup(st, dialogs).run(dir) != app::Startup::Outcome::MainWindow) return 1;
        reports::PageModel model;
        for (int run = 0; run < 3; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            const engine::Query rows = reports::telszlRows(st, st.id);
            std::printf("query of %d visit rows: %.3f s\n", rows.rowCount(), bench::seconds(t0));
        }
        for (int run = 0; run < 3; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            model = reports::SheetPrint(st, {app::programTitle(), app::programVersion()})
                        .pages(QStringLiteral("Telszl"));
            std::printf("query and layout of %d sheets: %.3f s\n", model.pageCount(),
                        bench::seconds(t0));
        }
        const auto t1 = std::chrono::steady_clock::now();
        reports::writePdf(model, QDir(dir).filePath(QStringLiteral("lapok.pdf")));
        std::printf("PDF of %d pages: %.3f s\n", model.pageCount(), bench::seconds(t1));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szprintbench: %s\n", e.what());
        return 1;
    }
    for (const auto& m : msg.log())
        std::printf("message: %s\n", m.c_str());
    return 0;
}
