// szsavebench: saving a sheet on a large provider's data — 100 000 sheets and
// 1 000 000 visit rows — beside the same queries and writes on native SQLite
// in-memory tables. Measures the complete check and the save of a sheet with
// 14 visits (targets: under 0.1 s) and the capacity table of a busy month
// (under 50 ms).
//
// Usage: szsavebench [FOLDER]   (a temporary program folder when none is given)

#include "bench/twentyyears.h"
#include "engine/database.h"
#include "engine/table.h"
#include "sheet/kapacitas.h"
#include "sheet/lapmentes.h"
#include "sheet/napok.h"
#include "tools/demo/demodata.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The first run (what the user feels first) beside the median, ours and the
// native twin's; the ratio of the medians.
void printRow(const char* what, const std::vector<double>& ours, const std::vector<double>& native,
              const char* target) {
    const double om = median(ours), nm = median(native);
    std::printf("%-40s %9.2f / %9.2f ms %9.2f / %9.2f ms %7.1fx   %s\n", what, ours.front() * 1000,
                om * 1000, native.front() * 1000, nm * 1000, nm > 0 ? om / nm : 0.0, target);
}

// --- native SQLite ----------------------------------------------------------

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

void exec(sqlite3* db, const char* sql) {
    check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db);
}

// Copies a table as the engine's SQL sees it into a native table.
void copy(sqlite3* native, engine::Database& db, const QString& name) {
    sqlite3_stmt* sel = nullptr;
    check(sqlite3_prepare_v2(db.handle(), ("select * from " + name).toUtf8().constData(), -1, &sel,
                             nullptr),
          db.handle());
    QStringList cols, marks;
    for (int c = 0; c < sqlite3_column_count(sel); ++c) {
        cols << QString::fromUtf8(sqlite3_column_name(sel, c));
        marks << "?";
    }
    exec(native, QStringLiteral("create table %1 (%2)").arg(name, cols.join(',')).toUtf8());
    sqlite3_stmt* ins = nullptr;
    check(sqlite3_prepare_v2(
              native,
              QStringLiteral("insert into %1 values (%2)").arg(name, marks.join(',')).toUtf8(), -1,
              &ins, nullptr),
          native);
    exec(native, "begin");
    while (sqlite3_step(sel) == SQLITE_ROW) {
        for (int c = 0; c < int(cols.size()); ++c)
            sqlite3_bind_value(ins, c + 1, sqlite3_column_value(sel, c));
        check(sqlite3_step(ins), native);
        sqlite3_reset(ins);
    }
    exec(native, "commit");
    sqlite3_finalize(sel);
    sqlite3_finalize(ins);
}

int run(sqlite3* db, const char* sql, const std::vector<QByteArray>& params) {
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db);
    for (size_t i = 0; i < params.size(); ++i)
        sqlite3_bind_text(st, int(i) + 1, params[i].constData(), int(params[i].size()),
                          SQLITE_TRANSIENT);
    int rows = 0, rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        ++rows;
    check(rc, db);
    sqlite3_finalize(st);
    return rows;
}

// A complete sheet of December 2025 with 14 nursing visits.
sheet::LapModel sheetOf(int n, const QString& kozigkod, const QStringList& nurses) {
    sheet::LapModel m;
    m.lapsorsz = QStringLiteral("9%1").arg(n, 4, 10, QLatin1Char('0'));
    m.m_idosz = QStringLiteral("2025.12");
    sheet::napokBeallit(m);
    m.m_aztip = "1";
    m.m_taj = demo::tajWithCheckDigit(QStringLiteral("7%1").arg(n, 7, 10, QLatin1Char('0')));
    m.m_nev = "Mérő Béla";
    m.bnem = 0;
    m.m_kozigkod = kozigkod;
    m.m_cim2 = "Fő utca 1.";
    m.m_szido = "1940.03.02";
    m.m_terkat = "01";
    m.m_allp = "HUN";
    m.m_alapb = "I10H0";
    m.m_fodiag = "L89H0";
    m.m_eorv = "12345";
    m.orv1 = "Dr. Első Ede";
    m.m_elrend = "2025.11.30";
    m.m_szakvet = "2025.12.01";
    m.m_elviz = "14";
    m.m_gyak = "naponta";
    m.m_elszam = "1";
    m.m_elszviz = "0";
    m.m_engszam = "0";
    m.Etev = QStringLiteral("       7");
    m.CB2 = 0;
    for (int d = 0; d < 14; ++d) {
        m.ellt[size_t(d)] = "2";
        m.tevk[size_t(d)] = "7";
        m.aptaj[size_t(d)] = nurses[d % nurses.size()];
    }
    return m;
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
        demo::Options o;
        o.localData = true;
        const bool fresh = !demo::hasCountyData(dir);
        if (fresh) demo::makeDemoData(dir, today, o);
        core::AppState st(msg, clock);
        if (app::Startup(st, dialogs).run(dir) != app::Startup::Outcome::MainWindow) return 1;
        QStringList nurses;
        const engine::Query apol =
            st.tables.dbo.query(QStringLiteral("select aptaj from apol order by aptaj"));
        for (const QVariantList& r : apol.rows())
            nurses << r.value(0).toString();
        const QString kozigkod = st.tables.dbo
                                     .query(QStringLiteral("select kozigkod from telepul "
                                                           "limit 1"))
                                     .value(0, 0)
                                     .toString();
        if (fresh) {
            const auto t0 = Clock::now();
            bench::fillTwentyYears(st, nurses);
            std::printf("built 100 000 sheets and 1 000 000 visits in %.1f s\n",
                        bench::seconds(t0));
        }

        // Ours: the capacity table of the busiest month, then five saves.
        sheet::LapModel probe = sheetOf(0, kozigkod, nurses);
        std::vector<double> kap;
        for (int i = 0; i < 5; ++i) {
            sheet::Kapacitas k;
            const auto t0 = Clock::now();
            k.kapacnez(st, probe);
            kap.push_back(bench::seconds(t0));
        }
        std::vector<double> checks, save;
        for (int i = 1; i <= 5; ++i) {
            sheet::LapModel m = sheetOf(i, kozigkod, nurses);
            sheet::Kapacitas k;
            auto t0 = Clock::now();
            const bool ok = sheet::LapMentes::lapell(m, st, k);
            checks.push_back(bench::seconds(t0));
            if (!ok) {
                std::fprintf(stderr, "the sheet did not pass its check: %s\n",
                             msg.log().empty() ? "" : msg.log().back().c_str());
                return 1;
            }
            t0 = Clock::now();
            sheet::LapMentes::ir(m, st);
            sheet::Kapacitas::tempTorol(st);
            save.push_back(bench::seconds(t0));
        }

        // Native: the same queries and writes on in-memory copies.
        sqlite3* nat = nullptr;
        check(sqlite3_open(":memory:", &nat), nat);
        const auto tc = Clock::now();
        for (const char* t :
             {"lap", "lapb", "elrend", "szolgsz", "apol", "bnotorzs", "telepul", "beteg", "orvos"})
            copy(nat, st.tables.dbo, QString::fromLatin1(t));
        exec(nat, "create index lap2 on lap(taj,idoszak); create index lap3 on "
                  "lap(idoszak,sorsz,resz); create index lapb2 on lapb(idoszak,sorsz,resz); "
                  "create index apol1 on apol(aptaj); create index bno1 on bnotorzs(kod10); "
                  "create index tel1 on telepul(kozigkod); create index beteg1 on beteg(taj); "
                  "create index orvos1 on orvos(orvoskod)");
        std::printf("native copies made in %.1f s\n\n", bench::seconds(tc));

        std::vector<double> nkap, ncheck, nsave;
        for (int i = 0; i < 5; ++i) {
            const auto t0 = Clock::now();
            run(nat,
                "select a.aptaj,sum(a.vizitdb) as vizit from lapb a where a.idoszak=? group by "
                "a.aptaj order by a.aptaj",
                {"2025.12"});
            run(nat,
                "select taj,nev,szakapo,szakiro from szolgsz where kezd<=? and (veg>=? or veg is "
                "null) order by kezd,ssorszam",
                {"2025-12-31", "2025-12-01"});
            nkap.push_back(bench::seconds(t0));
        }
        for (int i = 11; i <= 15; ++i) {
            const sheet::LapModel m = sheetOf(i, kozigkod, nurses);
            const QByteArray taj = m.m_taj.toUtf8(), sorsz = m.lapsorsz.toUtf8();
            auto t0 = Clock::now();
            run(nat, "select 1 from telepul where kozigkod=? limit 1", {kozigkod.toUtf8()});
            for (const char* b : {"I10H0", "L89H0"})
                run(nat, "select 1 from bnotorzs where kod10=? limit 1", {b});
            for (int d = 0; d < 28; ++d) // the grid check and the nurse field checks
                run(nat, "select 1 from apol where aptaj=? limit 1",
                    {m.aptaj[size_t(d % 14)].toUtf8()});
            run(nat, "select a.aptaj,sum(a.vizitdb) from lapb a where a.idoszak=? group by a.aptaj",
                {"2025.12"});
            run(nat,
                "select taj,nev,szakapo,szakiro from szolgsz where kezd<=? and (veg>=? or veg is "
                "null) order by kezd,ssorszam",
                {"2025-12-31", "2025-12-01"});
            run(nat,
                "select b.apdatum from lap a, lapb b where a.taj=? and b.sorsz=a.sorsz and b.resz "
                "is a.resz and b.idoszak=a.idoszak and b.apdatum>=? and b.apdatum<=?",
                {taj, "2025-12-01", "2025-12-14"});
            ncheck.push_back(bench::seconds(t0));

            t0 = Clock::now();
            exec(nat, "begin");
            run(nat, "select rowid from lap where sorsz=? and resz is null and idoszak=?",
                {sorsz, "2025.12"});
            run(nat, "insert into lap(idoszak,sorsz,taj,szviz,tevkodok) values (?,?,?,14,?)",
                {"2025.12", sorsz, taj, "       7"});
            run(nat, "insert into elrend(idoszak,sorsz,gyak) values (?,?,?)",
                {"2025.12", sorsz, "naponta"});
            for (int d = 0; d < 14; ++d)
                run(nat,
                    "insert into lapb(idoszak,sorsz,tevkod,elltip,onkep,apdatum,aptaj,vizitdb) "
                    "values (?,?,'7',2,1,?,?,1)",
                    {"2025.12", sorsz,
                     QStringLiteral("2025-12-%1").arg(d + 1, 2, 10, QLatin1Char('0')).toUtf8(),
                     m.aptaj[size_t(d)].toUtf8()});
            run(nat, "select rowid from beteg where taj=?", {taj});
            run(nat, "insert into beteg(taj,nev) values (?,?)", {taj, "Mérő Béla"});
            run(nat, "select rowid from orvos where orvoskod=?", {"12345"});
            run(nat, "update orvos set onev=? where orvoskod=?", {"Dr. Első Ede", "12345"});
            run(nat,
                "select sorsz,sum(szviz) from lap where sorsz=? and resz is not null and "
                "idoszak>=? and idoszak<=? group by sorsz",
                {sorsz, "2025.01", "2025.12"});
            exec(nat, "commit");
            nsave.push_back(bench::seconds(t0));
        }
        sqlite3_close(nat);

        std::printf("%-40s %22s %22s %8s   %s\n", "5 runs: first / median", "ours", "native",
                    "ratio", "target");
        printRow("capacity table of a busy month", kap, nkap, "< 50 ms");
        printRow("complete check of a 14-visit sheet", checks, ncheck, "");
        printRow("save of a 14-visit sheet", save, nsave, "");
        std::vector<double> both;
        for (size_t i = 0; i < checks.size(); ++i)
            both.push_back(checks[i] + save[i]);
        std::vector<double> nboth;
        for (size_t i = 0; i < ncheck.size(); ++i)
            nboth.push_back(ncheck[i] + nsave[i]);
        printRow("complete check + save", both, nboth, "< 100 ms");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szsavebench: %s\n", e.what());
        return 1;
    }
    return 0;
}
