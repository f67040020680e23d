// szshipbench: a month's shipment on twenty years of a large provider
// (100 000 sheets, 1 000 000 visit rows): the send list's sheets (the
// month's own and the late ones of the four months before) written into the
// three shipment files of KULD and recorded as sent (ELREND, LAPB, LAP, ZARAS
// in one unit of change, with its flushes). The first run (cold tags, first
// write of a unit) beside the median; the three queries beside the same
// queries on native SQLite (a database file with the same tables, rows and
// the program's tags as indexes). The sending as a whole has no native twin.
//
// Usage: szshipbench [FOLDER]   (a temporary program folder when none is
// given; a folder an earlier run filled is used again)

#include "app/startup.h"
#include "bench/native.h"
#include "bench/setup.h"
#include "core/appstate.h"
#include "core/idoszak.h"
#include "engine/database.h"
#include "engine/table.h"
#include "exchange/kuldemeny.h"
#include "exchange/kuldes.h"
#include "exchange/szkrekord.h"
#include "tools/demo/demodata.h"
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

double secondsOf(const std::function<void()>& f) {
    const auto t0 = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The sending's three queries, each beside its native twin.
void queriesBesideNative(engine::Database& db, sqlite3* native) {
    struct Q {
        const char* what;
        QString sql;
    };
    const Q qs[] = {{"sheet query", exch::lapSql()},
                    {"visit query", exch::vizitSql()},
                    {"diagnosis query", exch::bnoSql()}};
    char what[96];
    for (const Q& q : qs) {
        std::vector<double> o, nt;
        int rows = 0, nrows = 0;
        for (int i = 0; i < 6; ++i) {
            o.push_back(secondsOf([&] { rows = db.query(q.sql, exch::sqlParams()).rowCount(); }));
            nt.push_back(secondsOf([&] {
                nrows = int(bench::native::query(native, q.sql, exch::sqlParams()).size());
            }));
        }
        if (rows != nrows) std::printf("%s: %d rows, native %d rows\n", q.what, rows, nrows);
        std::snprintf(what, sizeof what, "  %s (%d rows)", q.what, rows);
        bench::printFigure(what, o, nt, "(ratio < 1.3)");
    }
}

} // namespace

int main(int argc, char** argv) {
    bench::Setup setup(argc, argv);
    const QDate today = setup.clock.today();
    try {
        if (!setup.ensure()) return 1;
        auto stp = setup.start();
        if (!stp) return 1;
        core::AppState& st = *stp;
        engine::Database& db = st.tables.dbo;
        const core::Idoszak p = st.id;
        std::printf("period %s, %u sheets, %u visit rows\n\n", qPrintable(st.id.text()),
                    st.tables.lap.recordCount(), st.tables.lapb.recordCount());

        // Every sheet of the send list: the month's own, the late ones of the
        // four months before, the changes waiting (sent by an earlier run:
        // again).
        const QString mark = QStringLiteral(
            "update lap set jeloles='*' where (idoszak>=? and idoszak<=? and (elkuldve is null or "
            "elkuldve=?)) or (elkuldve='YY' and modtipus is not null) or (elkuldve=? and "
            "modtipus is not null)");
        const QVariantList markParams = {p.plusMonths(-4).text(), p.text(), p.text(), p.text()};
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
        // --- the sending: files in memory, KULD, the unit. The first run
        // stage by stage. ---
        const QString kuld = st.kuldkonyvtar;
        QDir().mkpath(kuld);
        std::vector<double> runs;
        std::size_t visits = 0;
        {
            db.exec(mark, markParams);
            double t0 = 0, t1 = 0, t2 = 0;
            exch::Kuldemeny k;
            t0 = secondsOf([&] { k = exch::Kuldemeny::osszeallit(db, p, demo::providerCode()); });
            t1 = secondsOf([&] {
                exch::Kuldes::konyvtarUrit(kuld, st.listakonyvtar);
                for (const exch::Fajl& f : k.fajlok)
                    exch::fajlIr(f, kuld, today);
            });
            t2 = secondsOf([&] { exch::Kuldes::elkuldveJeloles(st, n); });
            runs.push_back(t0 + t1 + t2);
            visits = k.fajlok[1].rekordok.size();
            std::printf("first run: records %.1f ms, files %.1f ms, sent state %.1f ms\n\n",
                        t0 * 1000, t1 * 1000, t2 * 1000);
        }
        for (int i = 0; i < 5; ++i) {
            db.exec(mark, markParams);
            runs.push_back(secondsOf([&] {
                exch::Kuldemeny k = exch::Kuldemeny::osszeallit(db, p, demo::providerCode());
                exch::Kuldes::konyvtarUrit(kuld, st.listakonyvtar);
                for (const exch::Fajl& f : k.fajlok)
                    exch::fajlIr(f, kuld, today);
                exch::Kuldes::elkuldveJeloles(st, n);
            }));
        }

        // --- the three queries beside native SQLite ---
        db.exec(mark, markParams);
        const QString nativePath = QDir(setup.dir()).filePath(QStringLiteral("native-ship.db"));
        sqlite3* native = bench::native::openFile(nativePath);
        for (const char* t : {"lap", "lapb", "elrend", "beteg"})
            bench::native::copyTable(native, db, QString::fromLatin1(t));
        bench::native::exec(native, QStringLiteral("analyze"));
        char what[96];
        std::snprintf(what, sizeof what, "a month's sending (%d sheets, %zu visits)", n, visits);
        bench::printHeader();
        bench::printFigure(what, runs, {}, "(< 300 ms)");
        queriesBesideNative(db, native);
        bench::native::close(native, nativePath);
        // A later run on the same folder starts from an open period again.
        db.exec(QStringLiteral("update lap set jeloles=null where jeloles='*'"));
        db.exec(QStringLiteral("delete from zaras where idoszak=?"), {st.id.text()});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
