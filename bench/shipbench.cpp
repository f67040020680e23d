// szshipbench: a month's shipment on twenty years of a large provider
// (100 000 sheets, 1 000 000 visit rows): 500 marked sheets written into the
// three shipment files of KULD and recorded as sent (ELREND, LAPB, LAP, ZARAS
// in one unit of change, with its flushes). The first run (cold tags, first
// write of a unit) beside the median of five; the three queries beside the
// same queries on native SQLite tables (in memory, with the same indexes).
//
// Usage: szshipbench [FOLDER]   (a temporary program folder when none is
// given; a folder an earlier run filled is used again)

#include "app/startup.h"
#include "bench/twentyyears.h"
#include "core/appstate.h"
#include "core/idoszak.h"
#include "engine/database.h"
#include "engine/table.h"
#include "exchange/kuldemeny.h"
#include "exchange/kuldes.h"
#include "exchange/szkrekord.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// What a shipment reads: doctors, diagnoses, order rows and patients for the
// sheets of the last two years.
void mix(core::AppState& st) {
    engine::Database& db = st.tables.dbo;
    db.exec(QStringLiteral("update lap set orvoskod='12345', bnofo='L89H0', tpotl='N', "
                           "finkod='FIN000042', aztip='1', szviz=10, elszam=1 where "
                           "idoszak>='2024.01'"));
    db.exec(QStringLiteral("update lap set elkuldve=null where idoszak>='2025.09'"));
    db.exec(QStringLiteral("insert into elrend(idoszak, intkod, sorsz, resz, jorvkod, elvizdb) "
                           "select idoszak, intkod, sorsz, resz, '54321', 14 from lap"));
    db.exec(QStringLiteral("insert into beteg(taj, nev, neme, cime2) select taj, 'Beteg ' || "
                           "taj, 'N', 'Fő utca 1.' from lap group by taj"));
}

double secondsOf(const std::function<void()>& f) {
    const auto t0 = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

// A native copy of one of our tables: the same columns, the same rows.
void copyTable(sqlite3* native, engine::Database& db, const char* name) {
    const engine::Query cols = db.query(QStringLiteral("select * from %1 limit 0").arg(name));
    QStringList names = cols.columns();
    check(sqlite3_exec(native,
                       QStringLiteral("create table %1(%2)")
                           .arg(name, names.join(QLatin1Char(',')))
                           .toUtf8()
                           .constData(),
                       nullptr, nullptr, nullptr),
          native);
    QStringList marks;
    for (int i = 0; i < names.size(); ++i)
        marks << QStringLiteral("?");
    sqlite3_stmt* ins = nullptr;
    check(sqlite3_prepare_v2(
              native,
              QStringLiteral("insert into %1 values(%2)").arg(name, marks.join(',')).toUtf8(), -1,
              &ins, nullptr),
          native);
    sqlite3_exec(native, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt* sel = nullptr;
    check(sqlite3_prepare_v2(db.handle(), QStringLiteral("select * from %1").arg(name).toUtf8(), -1,
                             &sel, nullptr),
          db.handle());
    while (sqlite3_step(sel) == SQLITE_ROW) {
        for (int c = 0; c < int(names.size()); ++c)
            sqlite3_bind_value(ins, c + 1, sqlite3_column_value(sel, c));
        check(sqlite3_step(ins), native);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(sel);
    sqlite3_finalize(ins);
    sqlite3_exec(native, "commit", nullptr, nullptr, nullptr);
}

// Runs a query on the native tables and steps through every row.
void runNative(sqlite3* db, const QString& sql, const QVariantList& params) {
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr), db);
    for (int i = 0; i < params.size(); ++i) {
        const QByteArray b = params[i].toString().toUtf8();
        sqlite3_bind_text(st, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    check(rc, db);
    sqlite3_finalize(st);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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
            if (!bench::ensureTwentyYears(dir, st, [](core::AppState& s) { mix(s); })) return 1;
        }
        core::AppState st(msg, clock);
        if (app::Startup(st, dialogs).run(dir) != app::Startup::Outcome::MainWindow) return 1;
        engine::Database& db = st.tables.dbo;
        const core::Idoszak p = *core::Idoszak::parse(st.id);
        std::printf("period %s, %u sheets, %u visit rows\n\n", qPrintable(st.id),
                    st.tables.lap.recordCount(), st.tables.lapb.recordCount());

        // 500 sheets of the last two periods.
        const QString mark = QStringLiteral(
            "update lap set jeloles='*' where rowid in (select rowid from lap where idoszak>=? "
            "order by idoszak desc, sorsz limit 500)");
        const QVariantList markParams = {p.plusMonths(-1).text()};
        db.exec(QStringLiteral("update lap set jeloles=null where jeloles='*'"));
        db.exec(mark, markParams);
        const int n = db.query(QStringLiteral("select count(*) from lap where jeloles='*'"))
                          .value(0, 0)
                          .toInt();

        for (const QString& q : {exch::lapSql(), exch::vizitSql(), exch::bnoSql()}) {
            const engine::Query plan = db.query("explain query plan " + q, exch::sqlParams());
            for (const QVariantList& r : plan.rows())
                std::printf("  plan: %s\n", qPrintable(r.value(3).toString()));
        }
        {
            db.exec(mark, markParams);
            double t1 = 0, t2 = 0;
            const auto a = Clock::now();
            exch::Kuldemeny k = exch::Kuldemeny::osszeallit(db, p, QStringLiteral("1890"));
            t1 = secondsOf([&] {
                exch::Kuldes::konyvtarUrit(st.kuldkonyvtar, st.listakonyvtar);
                for (const exch::Fajl& f : k.fajlok)
                    exch::fajlIr(f, st.kuldkonyvtar, today);
            });
            const double t0 = std::chrono::duration<double>(Clock::now() - a).count() - t1;
            t2 = secondsOf([&] { exch::Kuldes::elkuldveJeloles(st, n); });
            std::printf("breakdown: records %.1f ms, files %.1f ms, sent state %.1f ms\n\n",
                        t0 * 1000, t1 * 1000, t2 * 1000);
        }

        // --- the sending: files in memory, KULD, the unit ---
        const QString kuld = st.kuldkonyvtar;
        QDir().mkpath(kuld);
        std::vector<double> runs, cpu;
        std::size_t visits = 0;
        auto cpuNow = [] {
            timespec t{};
            clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
            return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
        };
        for (int i = 0; i < 6; ++i) {
            db.exec(mark, markParams);
            const double c0 = cpuNow();
            runs.push_back(secondsOf([&] {
                exch::Kuldemeny k = exch::Kuldemeny::osszeallit(db, p, QStringLiteral("1890"));
                exch::Kuldes::konyvtarUrit(kuld, st.listakonyvtar);
                for (const exch::Fajl& f : k.fajlok)
                    exch::fajlIr(f, kuld, today);
                exch::Kuldes::elkuldveJeloles(st, n);
                visits = k.fajlok[1].rekordok.size();
            }));
            cpu.push_back(cpuNow() - c0);
        }
        const double first = runs.front(), firstCpu = cpu.front();
        runs.erase(runs.begin());
        cpu.erase(cpu.begin());
        // On a shared machine the processor time tells what the wall time
        // would be on a quiet one.
        std::printf("a month's sending (%d sheets, %zu visits): first %.1f ms, median %.1f ms "
                    "wall (target < 300 ms); processor time first %.1f ms, median %.1f ms\n\n",
                    n, visits, first * 1000, median(runs) * 1000, firstCpu * 1000,
                    median(cpu) * 1000);

        // --- the three queries beside native SQLite ---
        db.exec(mark, markParams);
        sqlite3* native = nullptr;
        sqlite3_open(":memory:", &native);
        for (const char* t : {"lap", "lapb", "elrend", "beteg"})
            copyTable(native, db, t);
        sqlite3_exec(native,
                     "create index lap1 on lap(sorsz,resz); create index lap3 on "
                     "lap(idoszak,sorsz,resz); create index lapb2 on lapb(idoszak,sorsz,resz); "
                     "create index rend2 on elrend(idoszak,sorsz,resz); create index beteg1 on "
                     "beteg(taj);",
                     nullptr, nullptr, nullptr);
        struct Q {
            const char* what;
            QString sql;
        };
        const Q qs[] = {{"sheet query", exch::lapSql()},
                        {"visit query", exch::vizitSql()},
                        {"diagnosis query", exch::bnoSql()}};
        for (const Q& q : qs) {
            std::vector<double> o, nt;
            for (int i = 0; i < 6; ++i) {
                o.push_back(secondsOf([&] { db.query(q.sql, exch::sqlParams()); }));
                nt.push_back(secondsOf([&] { runNative(native, q.sql, exch::sqlParams()); }));
            }
            const double f = o.front();
            o.erase(o.begin());
            nt.erase(nt.begin());
            std::printf("%-16s first %7.2f ms   median %7.2f ms   native %7.2f ms   x%.2f "
                        "(target < 1.3)\n",
                        q.what, f * 1000, median(o) * 1000, median(nt) * 1000,
                        median(o) / median(nt));
        }
        sqlite3_close(native);
        // A later run on the same folder starts from an open period again.
        db.exec(QStringLiteral("update lap set jeloles=null where jeloles='*'"));
        db.exec(QStringLiteral("delete from zaras where idoszak=?"), {st.id});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
