// szregisterbench: the sheet register on twenty years of a large provider
// (100 000 sheets, 1 000 000 visit rows, 50 000 patients): opening it in
// record mode with all its figures, marking the month's sheets, scrolling
// the grid and the type-ahead search. Each figure stands beside the same
// queries on native SQLite tables (in memory, with the same indexes).
//
// Usage: szregisterbench [FOLDER]   (a temporary program folder when none is
// given; a folder an earlier run filled is used again)

#include "app/login.h"
#include "app/period.h"
#include "app/startup.h"
#include "bench/twentyyears.h"
#include "core/appstate.h"
#include "engine/database.h"
#include "engine/table.h"
#include "masters/browseconfig.h"
#include "masters/browsesearch.h"
#include "masters/tablemodel.h"
#include "register/lapok.h"
#include "tools/demo/demodata.h"
#include "ui/scriptedmessages.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <sqlite3.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The twenty years as a register sees them: one sheet in ten a first
// partial invoice, a third of the orders repeated, a quarter with the
// territorial supplement, a fifth of the visits therapy, the last four
// periods not yet sent, and the patients in BETEG.
void mix(core::AppState& st) {
    engine::Database& db = st.tables.dbo;
    db.exec(QStringLiteral("update lap set resz='A' where cast(sorsz as integer) % 10 = 9"));
    db.exec(QStringLiteral("update lapb set resz='A' where cast(sorsz as integer) % 10 = 9"));
    db.exec(QStringLiteral("update lap set elszam=case when cast(sorsz as integer) % 3 = 0 "
                           "then 2 else 1 end, tpotl=case when cast(sorsz as integer) % 4 = 0 "
                           "then 'I' else 'N' end"));
    db.exec(QStringLiteral("update lap set elkuldve=null where idoszak>='2025.09'"));
    db.exec(QStringLiteral(
        "update lapb set elltip=4 where cast(substr(apdatum, 9, 2) as integer) % 5 = 0"));
    db.exec(QStringLiteral("insert into beteg(taj, nev, neme) select taj, 'Beteg ' || taj, 'N' "
                           "from lap group by taj"));
}

double secondsOf(const std::function<void()>& f) {
    const auto t0 = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The median of `runs` runs, in milliseconds.
double ms(int runs, const std::function<void()>& f) {
    std::vector<double> v;
    for (int i = 0; i < runs; ++i)
        v.push_back(secondsOf(f) * 1000.0);
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void row(const char* what, double ours, double native, const char* target) {
    if (native >= 0)
        std::printf("%-56s %9.2f ms   native %8.2f ms   %s\n", what, ours, native, target);
    else
        std::printf("%-56s %9.2f ms   %26s%s\n", what, ours, "", target);
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

// Reads every cell of `rows` rows from `first` on, as the grid paints them.
void paint(masters::TableModel& m, int first, int rows) {
    for (int r = first; r < std::min(first + rows, m.rowCount()); ++r)
        for (int c = 0; c < m.columnCount(); ++c) {
            (void)m.cellText(r, c);
            (void)m.data(m.index(r, c), Qt::BackgroundRole);
        }
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
        engine::Table& lap = st.tables.lap;
        const QString c = st.id;
        std::printf("period %s, %u sheets, %u visit rows\n\n", qPrintable(c), lap.recordCount(),
                    st.tables.lapb.recordCount());

        sqlite3* native = nullptr;
        sqlite3_open(":memory:", &native);
        const double copy = secondsOf([&] {
            copyTable(native, st.tables.dbo, "lap");
            copyTable(native, st.tables.dbo, "lapb");
            sqlite3_exec(native,
                         "create index lap1 on lap(sorsz,resz); "
                         "create index lap2 on lap(taj,idoszak); "
                         "create index lap3 on lap(idoszak,sorsz,resz); "
                         "create index lapb2 on lapb(idoszak,sorsz,resz);",
                         nullptr, nullptr, nullptr);
        });
        std::printf("native copy with indexes: %.1f s\n\n", copy);
        const QString year = c.left(4);
        const QString gridSql = QStringLiteral(
            "select sorsz,resz,taj,idoszak,szviz,elkuldve,allapot,jeloles,modtipus from lap "
            "where idoszak>=? and idoszak<=? order by sorsz,resz limit 30 offset ?");
        const QVariantList gridParams = {year + ".01", year + ".12", 0};

        masters::BrowseConfig cfg = masters::lapPanel(st.tables);
        reg::Lapok lapok(st);
        std::unique_ptr<masters::TableModel> model;

        // --- opening in record mode ---
        auto open = [&] {
            lapok.rogzitesMod();
            lap.setActiveTag(QStringLiteral("LAP1"));
            lap.first();
            model = std::make_unique<masters::TableModel>(lap, cfg.columns);
            model->setRowBackground([&](const engine::Table&, std::uint32_t r) -> QVariant {
                return lapok.sorSzin(r) == reg::SorSzin::Normal ? QVariant() : QVariant(1);
            });
            paint(*model, 0, 30);
        };
        const double first = secondsOf(open) * 1000.0;
        const double opening = ms(5, [&] {
            lapok.bezaras();
            open();
        });
        const double nativeOpening = ms(5, [&] {
            runNative(native, gridSql, gridParams);
            runNative(native, reg::Lapok::eddigiSql(false), reg::Lapok::sqlParams(c, false));
            runNative(native, reg::Lapok::eddigiftSql(false), reg::Lapok::sqlParams(c, false));
        });
        row("record mode: filter, figures, first screen (1st)", first, -1, "");
        row("record mode: filter, figures, first screen", opening, nativeOpening, "(< 300 ms)");
        row("  eddigi, sheets of C", ms(5, [&] { lapok.eddigi(QString()); }),
            ms(5,
               [&] {
                   runNative(native, reg::Lapok::eddigiSql(false), reg::Lapok::sqlParams(c, false));
               }),
            "");
        row("  eddigift, sheets of C", ms(5, [&] { lapok.eddigift(QString()); }),
            ms(5,
               [&] {
                   runNative(native, reg::Lapok::eddigiftSql(false),
                             reg::Lapok::sqlParams(c, false));
               }),
            "");
        row("  szvissza", ms(5, [&] { lapok.szvissza(); }), -1, "");
        row("  grid rows of the year (filter pass over the tag)",
            ms(5,
               [&] {
                   masters::TableModel m(lap, cfg.columns);
                   (void)m.rowCount();
               }),
            ms(5, [&] { runNative(native, gridSql, gridParams); }), "");

        // --- scrolling and type-ahead search ---
        std::mt19937 rng(7);
        const int rows = model->rowCount();
        row("scrolling: one screen (30 rows) at a random place",
            ms(201, [&] { paint(*model, int(rng() % std::uint32_t(std::max(rows, 1))), 30); }),
            ms(201,
               [&] {
                   runNative(native, gridSql,
                             {year + ".01", year + ".12", int(rng() % std::uint32_t(rows + 1))});
               }),
            "");
        masters::BrowseSearch search(cfg, msg);
        search.enter();
        model->sync();
        const QString sorsz = QStringLiteral("00417");
        int k = 0;
        row("type-ahead on Sorszám: one key",
            ms(25,
               [&] {
                   if (k % 5 == 0) search.keyDown(masters::vk::Escape);
                   search.keyDown(sorsz.at(k % 5).unicode());
                   search.keyPress(sorsz.at(k % 5));
                   ++k;
                   model->sync();
               }),
            ms(25,
               [&] {
                   runNative(native,
                             "select rowid from lap where sorsz>=? and idoszak>=? and idoszak<=? "
                             "order by sorsz,resz limit 1",
                             {sorsz.left(k % 5 + 1), year + ".01", year + ".12"});
                   ++k;
               }),
            "");
        search.titleClick(2);
        const QString taj = QStringLiteral("100031");
        k = 0;
        row("type-ahead on Taj szám: one key",
            ms(25,
               [&] {
                   if (k % 6 == 0) search.keyDown(masters::vk::Escape);
                   search.keyDown(taj.at(k % 6).unicode());
                   search.keyPress(taj.at(k % 6));
                   ++k;
                   model->sync();
               }),
            ms(25,
               [&] {
                   runNative(native,
                             "select rowid from lap where taj>=? and idoszak>=? and idoszak<=? "
                             "order by taj,idoszak limit 1",
                             {taj.left(k % 6 + 1), year + ".01", year + ".12"});
                   ++k;
               }),
            "");
        search.enter();

        // --- marking ---
        lapok.nyomtatasMod();
        model->sync();
        row("print selection: one sheet (E), grid re-read",
            ms(5,
               [&] {
                   lapok.jelol(QLatin1Char('E'));
                   model->sync();
                   paint(*model, 0, 30);
               }),
            -1, "");
        row("print selection: month's sheets (A), grid re-read",
            ms(6,
               [&] {
                   lapok.jelol(QLatin1Char('A'));
                   model->sync();
                   paint(*model, 0, 30);
               }),
            ms(6,
               [&] {
                   runNative(native,
                             "update lap set jeloles=case when jeloles is null then '*' end "
                             "where idoszak=? and (elkuldve is null or elkuldve=?)",
                             {c, c});
               }),
            "(< 300 ms)");
        lapok.kuldesMod();
        model->sync();
        row("send selection: opening (marks cleared, figures M)",
            ms(5,
               [&] {
                   lapok.bezaras();
                   lapok.kuldesMod();
                   model->sync();
                   paint(*model, 0, 30);
               }),
            -1, "");
        row("send selection: one sheet (E), figures M, grid re-read",
            ms(5,
               [&] {
                   lapok.jelol(QLatin1Char('E'));
                   model->sync();
                   paint(*model, 0, 30);
               }),
            -1, "");
        row("send selection: month's sheets (A), figures M",
            ms(6,
               [&] {
                   lapok.jelol(QLatin1Char('A'));
                   model->sync();
                   paint(*model, 0, 30);
               }),
            ms(6,
               [&] {
                   runNative(native,
                             "update lap set jeloles=case when jeloles is null then '*' end "
                             "where idoszak=? and (elkuldve is null or elkuldve=?)",
                             {c, c});
                   runNative(native, reg::Lapok::eddigiSql(true), reg::Lapok::sqlParams(c, true));
                   runNative(native, reg::Lapok::eddigiftSql(true), reg::Lapok::sqlParams(c, true));
               }),
            "(< 300 ms)");
        row("send selection: every listed sheet (O), figures M",
            ms(6,
               [&] {
                   lapok.jelol(QLatin1Char('O'));
                   model->sync();
                   paint(*model, 0, 30);
               }),
            -1, "");
        if (!lapok.jelolKapcsolo()) lapok.jelol(QLatin1Char('O'));
        // The same marks on the native tables: every sheet of the send list.
        runNative(native, "update lap set jeloles=null", {});
        runNative(native,
                  "update lap set jeloles='*' where idoszak>=? and idoszak<=? and "
                  "(elkuldve is null or elkuldve=?)",
                  {reg::Lapok::negyHonappalKorabban(c), c, c});
        row("  eddigi, marked sheets", ms(5, [&] { lapok.eddigi(QStringLiteral("M")); }),
            ms(5,
               [&] {
                   runNative(native, reg::Lapok::eddigiSql(true), reg::Lapok::sqlParams(c, true));
               }),
            "");
        row("  eddigift, marked sheets", ms(5, [&] { lapok.eddigift(QStringLiteral("M")); }),
            ms(5,
               [&] {
                   runNative(native, reg::Lapok::eddigiftSql(true), reg::Lapok::sqlParams(c, true));
               }),
            "");
        std::printf("\nfigures of the marked sheets: visits %s / %s, amount %s eFt (tp %s)\n",
                    qPrintable(lapok.figures().STav), qPrintable(lapok.figures().STiv),
                    qPrintable(lapok.figures().STtf), qPrintable(lapok.figures().STtp));
        lapok.bezaras();
        sqlite3_close(native);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szregisterbench: %s\n", e.what());
        return 1;
    }
    for (const auto& m : msg.log())
        std::printf("message: %s\n", m.c_str());
    return 0;
}
