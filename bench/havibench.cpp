// szhavibench: the monthly summary on a large provider's data — twenty years
// of sheets and visits, and a month of 500 sheets sent in 2025.12 (416 of
// the month itself, 84 late ones of 2025.11) with the shipment's sheet and
// visit files still in KULD. Prints how long the command takes from the
// menu (once the order-sheet number is typed) to the laid-out first page:
// the queries, the figures, the check against KULD and the layout.
//
// Usage: szhavibench [FOLDER]   (a temporary program folder when none is given)

#include "app/programinfo.h"
#include "core/appstate.h"

#include "bench/twentyyears.h"
#include "engine/table.h"
#include "reports/haviosszesito.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

const QString kPeriod = QStringLiteral("2025.12");

// 84 late sheets of 2025.11 sent in 2025.12, 14 visits each, in every fee
// category; then the shipment files of the month as the shipment writes them.
void lateSheetsAndShipment(core::AppState& st) {
    std::vector<QVariantList> lap, lapb;
    const auto& lf = st.tables.lap.fields();
    const auto& bf = st.tables.lapb.fields();
    auto rowOf = [](const std::vector<engine::FieldDef>& fields,
                    std::initializer_list<std::pair<const char*, QVariant>> values) {
        QVariantList r;
        for (const engine::FieldDef& f : fields) {
            QVariant v;
            for (const auto& [name, value] : values)
                if (f.name == QLatin1String(name)) v = value;
            r << v;
        }
        return r;
    };
    for (int s = 0; s < 84; ++s) {
        const QString sorsz = QStringLiteral("%1").arg(80000 + s, 5, 10, QLatin1Char('0'));
        lap.push_back(rowOf(lf, {{"IDOSZAK", "2025.11"},
                                 {"INTKOD", "1890"},
                                 {"SORSZ", sorsz},
                                 {"TPOTL", s % 2 ? "I" : "N"},
                                 {"ELSZAM", 1 + s % 3},
                                 {"SZVIZ", 14},
                                 {"ELKULDVE", kPeriod},
                                 {"MODTIPUS", "P"}}));
        for (int v = 0; v < 14; ++v)
            lapb.push_back(rowOf(bf, {{"IDOSZAK", "2025.11"},
                                      {"INTKOD", "1890"},
                                      {"SORSZ", sorsz},
                                      {"TEVKOD", QString::number(1 + v % 11)},
                                      {"ELLTIP", 2 + (v % 4 == 3 ? 2 : 0)},
                                      {"ONKEP", 1 + v % 3},
                                      {"APDATUM", QDate(2025, 11, 1 + v)},
                                      {"VIZITDB", 1}}));
    }
    st.tables.lap.appendRows(lap);
    st.tables.lapb.appendRows(lapb);
    // The month's own sheets as the entry window leaves them.
    st.tables.dbo.exec(QStringLiteral("update lap set tpotl='N', elszam=1 where idoszak=?"),
                       {kPeriod});
    st.tables.dbo.exec(QStringLiteral("update lapb set tevkod='1' where idoszak=?"), {kPeriod});

    using engine::fieldDef;
    const QString a = QDir(st.kuldkonyvtar).filePath(QStringLiteral("Szka1890.Dbf"));
    const QString b = QDir(st.kuldkonyvtar).filePath(QStringLiteral("Szkb1890.Dbf"));
    engine::Table::create(a, {fieldDef("ULVKOD", 'C', 4), fieldDef("SORSZAM", 'N', 5),
                              fieldDef("RESZ", 'C', 1), fieldDef("IDOSZAK", 'C', 6),
                              fieldDef("TERPOT", 'N', 1), fieldDef("ELSZAM", 'N', 3),
                              fieldDef("MODIDO", 'C', 6), fieldDef("MODTIPUS", 'C', 1)});
    engine::Table::create(b, {fieldDef("ULVKOD", 'C', 4), fieldDef("SORSZAM", 'N', 5),
                              fieldDef("RESZ", 'C', 1), fieldDef("IDOSZAK", 'C', 6),
                              fieldDef("TEVKOD", 'C', 2), fieldDef("ELLTIP", 'N', 1),
                              fieldDef("ONKEP", 'N', 1), fieldDef("DATUMTOL", 'D')});
    engine::Table ta, tb;
    ta.open(a);
    tb.open(b);
    std::vector<QVariantList> ra, rb;
    st.tables.dbo.each(QStringLiteral("select intkod,sorsz,resz,idoszak,tpotl,elszam,modtipus"
                                      " from lap where elkuldve=? order by idoszak,sorsz,resz"),
                       {kPeriod}, [&](const QVariantList& r) {
                           ra.push_back({r[0], r[1].toInt(), r[2],
                                         r[3].toString().remove(QLatin1Char('.')),
                                         r[4].toString() == QLatin1String("N") ? 1 : 2, r[5],
                                         QStringLiteral("202512"), r[6]});
                       });
    st.tables.dbo.each(
        QStringLiteral("select b.intkod,b.sorsz,b.resz,b.idoszak,b.tevkod,b.elltip,b.onkep,"
                       "b.apdatum from lap a, lapb b where a.sorsz=b.sorsz and a.resz is b.resz"
                       " and a.idoszak=b.idoszak and a.elkuldve=?"),
        {kPeriod}, [&](const QVariantList& r) {
            rb.push_back({r[0], r[1].toInt(), r[2], r[3].toString().remove(QLatin1Char('.')), r[4],
                          r[5], r[6], QDate::fromString(r[7].toString(), Qt::ISODate)});
        });
    ta.appendRows(ra);
    tb.appendRows(rb);
    std::printf("shipment in KULD: %zu sheets, %zu visits\n", ra.size(), rb.size());
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
            if (!bench::ensureTwentyYears(dir, st, lateSheetsAndShipment)) return 1;
        }
        core::AppState st(msg, clock);
        if (app::Startup(st, dialogs).run(dir) != app::Startup::Outcome::MainWindow) return 1;
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
        std::vector<double> sorted(times.begin(), times.end());
        std::sort(sorted.begin(), sorted.end());
        std::printf("first run %.3f s, median of the runs %.3f s\n", times.front(),
                    sorted[sorted.size() / 2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szhavibench: %s\n", e.what());
        return 1;
    }
    for (const auto& m : msg.log())
        std::printf("message: %s\n", m.c_str());
    return 0;
}
