// szregisterbench: the sheet register on twenty years of a large provider
// (100 000 sheets, 1 000 000 visit rows, 30 000 patients): opening it in
// record mode with all its figures, scrolling the grid, the type-ahead
// search, and marking sheets for printing and for sending. Each figure shows
// its first run (tags read lazily, the first write of a unit) beside the
// median, and the same work on native SQLite beside it: a database file with
// the same columns, rows and indexes (the program's tags), a rollback
// journal and synchronous=FULL, the marks written record by record inside
// one transaction as the register writes them inside one unit.
//
// Usage: szregisterbench [FOLDER]   (a temporary program folder when none is
// given; a folder an earlier run filled is used again)

#include "bench/native.h"
#include "bench/setup.h"
#include "engine/database.h"
#include "engine/table.h"
#include "masters/browseconfig.h"
#include "masters/browsesearch.h"
#include "masters/tablemodel.h"
#include "register/lapok.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sqlite3.h>
#include <vector>

namespace {

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

void execNative(sqlite3* db, const char* sql) {
    check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db);
}

void bindAll(sqlite3_stmt* st, const QVariantList& params) {
    for (int i = 0; i < params.size(); ++i) {
        if (params[i].isNull()) {
            sqlite3_bind_null(st, i + 1);
            continue;
        }
        if (params[i].typeId() == QMetaType::Int || params[i].typeId() == QMetaType::LongLong) {
            sqlite3_bind_int64(st, i + 1, params[i].toLongLong());
            continue;
        }
        const QByteArray b = params[i].toString().toUtf8();
        sqlite3_bind_text(st, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
}

// Runs a query on the native tables and steps through every row; returns
// the first column of each row.
std::vector<qint64> runNative(sqlite3* db, const QString& sql, const QVariantList& params) {
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr), db);
    bindAll(st, params);
    std::vector<qint64> first;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        first.push_back(sqlite3_column_int64(st, 0));
    check(rc, db);
    sqlite3_finalize(st);
    return first;
}

// The native twin of a screen of the grid: every cell of the rows the
// query gives read as text, as the grid's cells are.
int readScreen(sqlite3* db, const QString& sql, const QVariantList& params) {
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr), db);
    bindAll(st, params);
    int rows = 0, rc;
    const int cols = sqlite3_column_count(st);
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int c = 0; c < cols; ++c)
            (void)QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                    sqlite3_column_bytes(st, c));
        ++rows;
    }
    check(rc, db);
    sqlite3_finalize(st);
    return rows;
}

// The register's marking on the native tables: the listed rows read in the
// grid's order, then each written on its own, all in one transaction.
void markNative(sqlite3* db, const QString& where, const QVariantList& params, bool on) {
    execNative(db, "begin");
    const std::vector<qint64> rows = runNative(
        db, QStringLiteral("select rowid from lap where ") + where + " order by sorsz, resz",
        params);
    sqlite3_stmt* up = nullptr;
    check(sqlite3_prepare_v2(db, "update lap set jeloles=? where rowid=?", -1, &up, nullptr), db);
    for (qint64 r : rows) {
        if (on)
            sqlite3_bind_text(up, 1, "*", 1, SQLITE_STATIC);
        else
            sqlite3_bind_null(up, 1);
        sqlite3_bind_int64(up, 2, r);
        check(sqlite3_step(up), db);
        sqlite3_reset(up);
    }
    sqlite3_finalize(up);
    execNative(db, "commit");
}

// Reads every cell of `rows` rows from `first` on, as the grid paints them.
void paint(masters::TableModel& m, int first, int rows) {
    for (int r = first; r < std::min(first + rows, m.rowCount()); ++r)
        for (int c = 0; c < m.columnCount(); ++c) {
            (void)m.cellText(r, c);
            (void)m.data(m.index(r, c), Qt::BackgroundRole);
        }
}

// What the measured steps share: the started program, the register, its
// grid's model, and the native twin with the queries it answers.
struct RegisterBench {
    RegisterBench(core::AppState& st, ui::ScriptedMessages& msg, core::Idoszak per, sqlite3* native)
        : st(st), msg(msg), per(per), native(native) {}

    core::AppState& st;
    ui::ScriptedMessages& msg;
    const core::Idoszak per;
    const QString c = per.text();
    sqlite3* native;
    engine::Table& lap = st.tables.lap;
    const QString y1 = core::Idoszak(per.year(), 1).text();
    const QString y2 = core::Idoszak(per.year(), 12).text();
    const QString r = reg::Lapok::negyHonappalKorabban(per).text();
    // The grid's screen: the ten columns, the patient's name looked up.
    const QString gridCols = QStringLiteral(
        "select a.sorsz,a.resz,a.taj,b.nev,a.idoszak,a.szviz,a.elkuldve,a.allapot,a.jeloles,"
        "a.modtipus from lap a left join beteg b on b.taj=a.taj where ");
    const QString yearWhere = QStringLiteral("idoszak>=? and idoszak<=?");
    const QString yearWhereA = QStringLiteral("a.idoszak>=? and a.idoszak<=?");
    const QString gridSql = gridCols + yearWhereA + " order by a.sorsz,a.resz limit 30 offset ?";
    const QString sendWhere = QStringLiteral(
        "(idoszak>=? and idoszak<=? and (elkuldve is null or elkuldve=?)) or "
        "(elkuldve='YY' and modtipus is not null) or (elkuldve=? and modtipus is not null)");
    const QVariantList sendParams = {r, c, c, c};
    const QString sendGrid = gridCols + "a.rowid in (select rowid from lap where " + sendWhere +
                             ") order by a.sorsz,a.resz limit 30";
    const QString monthWhere = QStringLiteral("idoszak=? and (elkuldve is null or elkuldve=?)");
    const QVariantList monthParams = {c, c};
    masters::BrowseConfig cfg = masters::lapPanel(st.tables);
    reg::Lapok lapok{st};
    std::unique_ptr<masters::TableModel> model;

    void nativeFiguresM();
    void opening();
    void scrolling();
    void typeAhead();
    void printSelection();
    void sendSelection();
    void markedFigures();
};

void RegisterBench::nativeFiguresM() {
    runNative(native, reg::Lapok::eddigiSql(true), reg::Lapok::sqlParams(per, true));
    runNative(native, reg::Lapok::eddigiftSql(true), reg::Lapok::sqlParams(per, true));
}

void RegisterBench::opening() {
    // --- opening in record mode ---
    auto open = [&] {
        lapok.rogzitesMod();
        lap.setActiveTag(QStringLiteral("LAP1"));
        lap.first();
        model = std::make_unique<masters::TableModel>(lap, cfg.columns);
        model->setRowBackground([&](const engine::Table&, std::uint32_t rec) -> QVariant {
            return lapok.sorSzin(rec) == reg::SorSzin::Normal ? QVariant() : QVariant(1);
        });
        paint(*model, 0, 30);
    };
    std::vector<double> opening = {bench::timeOf(open)};
    for (int i = 0; i < 5; ++i)
        opening.push_back(bench::timeOf([&] {
            lapok.bezaras();
            open();
        }));
    bench::printFigure("record mode: filter, figures, first screen", opening,
                       bench::runs(6,
                                   [&] {
                                       runNative(native, gridSql, {y1, y2, 0});
                                       runNative(native, reg::Lapok::eddigiSql(false),
                                                 reg::Lapok::sqlParams(per, false));
                                       runNative(native, reg::Lapok::eddigiftSql(false),
                                                 reg::Lapok::sqlParams(per, false));
                                   }),
                       "(< 300 ms)");
    bench::printFigure("  eddigi, sheets of C", bench::runs(5, [&] { lapok.eddigi(QString()); }),
                       bench::runs(5, [&] {
                           runNative(native, reg::Lapok::eddigiSql(false),
                                     reg::Lapok::sqlParams(per, false));
                       }));
    bench::printFigure("  eddigift, sheets of C",
                       bench::runs(5, [&] { lapok.eddigift(QString()); }), bench::runs(5, [&] {
                           runNative(native, reg::Lapok::eddigiftSql(false),
                                     reg::Lapok::sqlParams(per, false));
                       }));
    bench::printFigure("  szvissza (contract figures)", bench::runs(5, [&] { lapok.szvissza(); }));
    bench::printFigure(
        "  grid rows of the year (their order)",
        bench::runs(5,
                    [&] {
                        masters::TableModel m(lap, cfg.columns);
                        (void)m.rowCount();
                    }),
        // The grid holds the year's rows in its order to scroll through them,
        // not only their count: the twin steps through the same.
        bench::runs(5, [&] {
            runNative(native,
                      "select rowid from lap where " + yearWhere + " order by sorsz,resz",
                      {y1, y2});
        }));
}

void RegisterBench::scrolling() {
    // --- scrolling and type-ahead search ---
    // The same places both ways; the twin reads the same 30 rows' cells as
    // text through the grid's query at that offset.
    std::mt19937 rng(7), rngNative(7);
    const int rows = std::max(model->rowCount(), 1);
    bench::printFigure(
        "scrolling: one screen (30 rows) at a random place",
        bench::runs(201, [&] { paint(*model, int(rng() % std::uint32_t(rows)), 30); }),
        bench::runs(201, [&] {
            readScreen(native, gridSql, {y1, y2, int(rngNative() % std::uint32_t(rows))});
        }));
}

// One key of the type-ahead search: the key handled, the grid repositioned
// and its screen's cells read; the twin reads the same screen from the key.
void RegisterBench::typeAhead() {
    masters::BrowseSearch search(cfg, msg);
    search.enter();
    model->sync();
    const QString sorsz = QStringLiteral("00417");
    int k = 0;
    const auto typeSorsz = bench::runs(25, [&] {
        if (k % 5 == 0) search.keyDown(masters::vk::Escape);
        search.keyDown(sorsz.at(k % 5).unicode());
        search.keyPress(sorsz.at(k % 5));
        ++k;
        model->sync();
        // The screen the grid then paints, from the row found.
        paint(*model, std::max(0, model->rowOf(lap.recno())), 30);
    });
    k = 0;
    bench::printFigure("type-ahead on Sorszám: one key", typeSorsz, bench::runs(25, [&] {
                           readScreen(native,
                                      gridCols + "a.sorsz>=? and " + yearWhereA +
                                          " order by a.sorsz,a.resz limit 30",
                                      {sorsz.left(k % 5 + 1), y1, y2});
                           ++k;
                       }));
    search.titleClick(2);
    const QString taj = st.tables.dbo
                            .query(QStringLiteral("select taj from lap where idoszak=? "
                                                  "order by taj limit 1 offset 200"),
                                   {c})
                            .value(0, 0)
                            .toString()
                            .left(6);
    k = 0;
    const auto typeTaj = bench::runs(25, [&] {
        if (k % 6 == 0) search.keyDown(masters::vk::Escape);
        search.keyDown(taj.at(k % 6).unicode());
        search.keyPress(taj.at(k % 6));
        ++k;
        model->sync();
        // The screen the grid then paints, from the row found.
        paint(*model, std::max(0, model->rowOf(lap.recno())), 30);
    });
    k = 0;
    bench::printFigure("type-ahead on Taj szám: one key", typeTaj, bench::runs(25, [&] {
                           readScreen(native,
                                      gridCols + "a.taj>=? and " + yearWhereA +
                                          " order by a.taj,a.idoszak limit 30",
                                      {taj.left(k % 6 + 1), y1, y2});
                           ++k;
                       }));
    search.enter();
}

void RegisterBench::printSelection() {
    // --- marking for printing ---
    lapok.nyomtatasMod();
    model->sync();
    const qint64 oneRow = runNative(native,
                                    "select rowid from lap where " + yearWhere +
                                        " order by sorsz, resz "
                                        "limit 1",
                                    {y1, y2})
                              .front();
    bool on = true;
    auto markOne = [&] {
        runNative(native, "update lap set jeloles=? where rowid=?",
                  {on ? QVariant(QStringLiteral("*")) : QVariant(), oneRow});
        on = !on;
    };
    // A single mark is one post, written to the file without a flush (no
    // unit): its twin is one UPDATE without a sync.
    execNative(native, "pragma synchronous=off");
    bench::printFigure("print selection: one sheet (E), grid re-read",
                       bench::runs(5,
                                   [&] {
                                       lapok.jelol(QLatin1Char('E'));
                                       model->sync();
                                       paint(*model, 0, 30);
                                   }),
                       bench::runs(5,
                                   [&] {
                                       markOne();
                                       runNative(native, gridSql, {y1, y2, 0});
                                   }),
                       "native: one UPDATE, no sync (a post)");
    execNative(native, "pragma synchronous=full");
    on = true;
    bench::printFigure("print selection: month's sheets (A), grid re-read",
                       bench::runs(6,
                                   [&] {
                                       lapok.jelol(QLatin1Char('A'));
                                       model->sync();
                                       paint(*model, 0, 30);
                                   }),
                       bench::runs(6,
                                   [&] {
                                       markNative(native, monthWhere, monthParams, on);
                                       on = !on;
                                       runNative(native, gridSql, {y1, y2, 0});
                                   }),
                       "(< 300 ms)");
}

void RegisterBench::sendSelection() {
    bool on = true;
    // --- marking for sending ---
    lapok.bezaras();
    lapok.kuldesMod();
    model->sync();
    execNative(native, "update lap set jeloles=null where jeloles='*'");
    bench::printFigure("send selection: opening (marks cleared, figures M)",
                       bench::runs(5,
                                   [&] {
                                       lapok.bezaras();
                                       lapok.kuldesMod();
                                       model->sync();
                                       paint(*model, 0, 30);
                                   }),
                       bench::runs(5, [&] {
                           execNative(native, "begin; update lap set jeloles=null "
                                              "where jeloles='*'; commit");
                           nativeFiguresM();
                           runNative(native, sendGrid, sendParams);
                       }));
    on = true;
    const qint64 oneSend =
        runNative(native,
                  "select rowid from lap where " + sendWhere + " order by sorsz, resz limit 1",
                  sendParams)
            .front();
    execNative(native, "pragma synchronous=off");
    bench::printFigure("send selection: one sheet (E), figures M, grid",
                       bench::runs(5,
                                   [&] {
                                       lapok.jelol(QLatin1Char('E'));
                                       model->sync();
                                       paint(*model, 0, 30);
                                   }),
                       bench::runs(5, [&] {
                           runNative(native, "update lap set jeloles=? where rowid=?",
                                     {on ? QVariant(QStringLiteral("*")) : QVariant(), oneSend});
                           on = !on;
                           nativeFiguresM();
                           runNative(native, sendGrid, sendParams);
                       }));
    execNative(native, "pragma synchronous=full");
    on = true;
    bench::printFigure("send selection: month's sheets (A), figures M",
                       bench::runs(6,
                                   [&] {
                                       lapok.jelol(QLatin1Char('A'));
                                       model->sync();
                                       paint(*model, 0, 30);
                                   }),
                       bench::runs(6,
                                   [&] {
                                       markNative(native, monthWhere, monthParams, on);
                                       on = !on;
                                       nativeFiguresM();
                                       runNative(native, sendGrid, sendParams);
                                   }),
                       "(< 300 ms)");
    on = true;
    bench::printFigure("send selection: every listed sheet (O), figures M",
                       bench::runs(6,
                                   [&] {
                                       lapok.jelol(QLatin1Char('O'));
                                       model->sync();
                                       paint(*model, 0, 30);
                                   }),
                       bench::runs(6, [&] {
                           markNative(native, sendWhere, sendParams, on);
                           on = !on;
                           nativeFiguresM();
                           runNative(native, sendGrid, sendParams);
                       }));
}

void RegisterBench::markedFigures() {
    if (!lapok.jelolKapcsolo()) lapok.jelol(QLatin1Char('O'));
    // The same marks on the native tables: every sheet of the send list.
    execNative(native, "update lap set jeloles=null");
    markNative(native, sendWhere, sendParams, true);
    bench::printFigure(
        "  eddigi, marked sheets", bench::runs(5, [&] { lapok.eddigi(QStringLiteral("M")); }),
        bench::runs(5, [&] {
            runNative(native, reg::Lapok::eddigiSql(true), reg::Lapok::sqlParams(per, true));
        }));
    bench::printFigure(
        "  eddigift, marked sheets", bench::runs(5, [&] { lapok.eddigift(QStringLiteral("M")); }),
        bench::runs(5, [&] {
            runNative(native, reg::Lapok::eddigiftSql(true), reg::Lapok::sqlParams(per, true));
        }));
    std::printf("\nfigures of the marked sheets: visits %s / %s, amount %s eFt (tp %s)\n",
                qPrintable(lapok.figures().STav), qPrintable(lapok.figures().STiv),
                qPrintable(lapok.figures().STtf), qPrintable(lapok.figures().STtp));
    // A later run on the same folder starts without marks.
    lapok.kuldesMod();
    lapok.bezaras();
}

} // namespace

int main(int argc, char** argv) {
    bench::Setup setup(argc, argv);
    ui::ScriptedMessages& msg = setup.msg;
    try {
        if (!setup.ensure()) return 1;
        auto stp = setup.start();
        if (!stp) return 1;
        core::AppState& st = *stp;
        engine::Table& lap = st.tables.lap;
        const QString c = st.id.text();
        std::printf("period %s, %u sheets, %u visit rows, %u patients\n", qPrintable(c),
                    lap.recordCount(), st.tables.lapb.recordCount(), st.tables.beteg.recordCount());

        const QString nativeFile = QDir(setup.dir()).filePath(QStringLiteral("native-register.db"));
        sqlite3* native = bench::native::openFile(nativeFile);
        const double copy = bench::timeOf([&] {
            for (const char* t : {"lap", "lapb", "beteg"})
                bench::native::copyTable(native, st.tables.dbo, QString::fromLatin1(t));
            execNative(native, "analyze");
        });
        std::printf("native file copy with the program's indexes: %.1f s\n\n", copy);
        RegisterBench b(st, msg, st.id, native);
        bench::printHeader();

        b.opening();
        b.scrolling();
        b.typeAhead();
        b.printSelection();
        b.sendSelection();
        b.markedFigures();
        bench::native::close(native, nativeFile);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szregisterbench: %s\n", e.what());
        return 1;
    }
    for (const auto& m : msg.log())
        std::printf("message: %s\n", m.c_str());
    return 0;
}
