// szlistakbench: the lists of the "Listák" menu on a large provider's data —
// twenty years of sheets and visits (100 000 sheets, 1 000 000 visit rows),
// 50 000 patients, an order record for every sheet. Prints, for each list,
// the first run and the median of five: the query with the list's bands,
// and the layout of every page; for the TAJ check list of all patients from
// 1999.04 also the time until its first page is laid out.
//
// Usage: szlistakbench [FOLDER]   (a temporary program folder when none is given)

#include "app/programinfo.h"
#include "core/appstate.h"

#include "bench/twentyyears.h"
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
#include <vector>

namespace {

// 50 000 patients (the TAJ numbers the sheets carry), an order record for
// every sheet, a fee for every period and the visits of the last month
// accounted.
void moreData(core::AppState& st) {
    engine::Table& beteg = st.tables.beteg;
    QByteArray rec(beteg.header().recordLength, ' ');
    auto set = [](engine::Table& t, QByteArray& r, const char* f, const QVariant& v) {
        t.encodeField(t.fieldIndex(QLatin1String(f)), v, r.data());
    };
    for (int i = 0; i < 50000; ++i) {
        rec.fill(' ');
        set(beteg, rec, "TAJ", QStringLiteral("%1").arg(100000000 + i, 9));
        set(beteg, rec, "NEV", QStringLiteral("Beteg %1").arg(i));
        set(beteg, rec, "NEME", QStringLiteral("N"));
        set(beteg, rec, "SZULI", QDate(1940, 1, 1).addDays(i % 10000));
        beteg.appendRaw(rec);
    }
    engine::Table& elrend = st.tables.elrend;
    QByteArray er(elrend.header().recordLength, ' ');
    int number = 0;
    for (int s = 0; s < 100000; ++s) {
        const int p = s * 240 / 100000;
        if (s > 0 && p % 12 == 0 && (s - 1) * 240 / 100000 != p) number = 0;
        if (s % 997 == 0) {
            ++number; // a sheet left without its order record
            continue;
        }
        er.fill(' ');
        set(elrend, er, "IDOSZAK", bench::periodOf(p));
        set(elrend, er, "INTKOD", QStringLiteral("1890"));
        set(elrend, er, "SORSZ", QStringLiteral("%1").arg(++number, 5, 10, QLatin1Char('0')));
        set(elrend, er, "SZAKVET", QDate(2005, 1, 1));
        set(elrend, er, "ELVIZDB", 10);
        elrend.appendRaw(er);
    }
    st.tables.dbo.exec(QStringLiteral("update lapb set elido=idoszak where idoszak='2025.12'"));
    for (int n = 0; n < 20; ++n) {
        st.tables.apol.append();
        st.tables.apol.setValue(QStringLiteral("APTAJ"),
                                QStringLiteral("3000000%1").arg(n, 2, 10, QLatin1Char('0')));
        st.tables.apol.setValue(QStringLiteral("ANEV"), QStringLiteral("Ápoló %1").arg(n));
        st.tables.apol.post();
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void measure(const char* name, const std::function<std::optional<reports::Lista>()>& build,
             const QDateTime& at) {
    std::vector<double> q, l;
    int pages = 0;
    for (int run = 0; run < 5; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        std::optional<reports::Lista> list = build();
        q.push_back(bench::seconds(t0));
        const auto t1 = std::chrono::steady_clock::now();
        if (list) pages = reports::layout(list->report, at).pageCount();
        l.push_back(bench::seconds(t1));
    }
    std::printf("%-34s query %.3f s (median %.3f), layout of %d pages %.3f s (median %.3f)\n", name,
                q[0], median(q), pages, l[0], median(l));
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
            if (!bench::ensureTwentyYears(dir, st, moreData)) return 1;
        }
        core::AppState st(msg, clock);
        if (app::Startup(st, dialogs).run(dir) != app::Startup::Outcome::MainWindow) return 1;
        const reports::ProgramText program{app::programTitle(), app::programVersion()};
        // The base fee of the current period read back from the county office.
        if (st.tables.dbo
                .query(QStringLiteral("select count(*) from zaras where idoszak=? and "
                                      "alapdij>0"),
                       {st.id})
                .value(0, 0)
                .toInt() == 0) {
            st.tables.zaras.append();
            st.tables.zaras.setValue(QStringLiteral("IDOSZAK"), st.id);
            st.tables.zaras.setValue(QStringLiteral("ALAPDIJ"), 3550);
            st.tables.zaras.post();
        }
        const QDateTime at(today, QTime(12, 0));

        // The TAJ check list of all patients from 1999.04: the first page.
        std::vector<double> first;
        for (int run = 0; run < 3; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            // What the preview shows first: the list's first 80 sheets.
            auto list =
                reports::TajLista(st, program).osszes({reports::TajIdoszak::Fajta::Teljes, {}}, 80);
            const int pages = reports::layout(list->report, at).pageCount();
            first.push_back(bench::seconds(t0));
            std::printf("TAJ check list, all from 1999.04: first %d page(s) in %.3f s\n", pages,
                        first.back());
        }
        std::printf("TAJ check list first page: first run %.3f s, median %.3f s\n", first[0],
                    median(first));
        measure(
            "TAJ check list, all from 1999.04",
            [&] {
                return reports::TajLista(st, program)
                    .osszes({reports::TajIdoszak::Fajta::Teljes, {}});
            },
            at);
        measure(
            "TAJ check list, one patient",
            [&] { return reports::TajLista(st, program).egyBeteg(QStringLiteral("100000007")); },
            at);
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
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szlistakbench: %s\n", e.what());
        return 1;
    }
    for (const auto& m : msg.log())
        std::printf("message: %s\n", m.c_str());
    return 0;
}
