// szbench: the table engine against native SQLite on a large provider's
// data as the shared builder makes it in the program's own layouts: a visit
// table (LAPB) of about 1 000 000 records over 240 periods, a sheet table
// (LAP) of 100 000, their orders (ELREND) and 30 000 patients (BETEG), with
// the program's index tags. Prints each figure beside the same work on
// native SQLite in-memory tables with the same columns, rows and indexes
// (and on disk where the figure writes).
//
// Usage: szbench [FOLDER]   (a temporary program folder when none is given;
// a folder an earlier run filled is used again, with what that run added)

#include "bench/native.h"
#include "bench/setup.h"
#include "db/layouts.h"
#include "engine/changeunit.h"
#include "engine/database.h"
#include "engine/dberror.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <random>
#include <sqlite3.h>
#include <vector>

using engine::fieldDef;
using engine::FieldDef;
using engine::Table;

namespace {

constexpr int kPeriods = 240;
int kSheets = 0; // the sheets and visit rows the builder made
int kVisits = 0;

QString period(int p) {
    return bench::periodOf(p);
}

// A sheet's key and patient, read back from LAP.
struct Sheet {
    QByteArray idoszak, sorsz, resz, taj;
};

// The processor time of this thread, shown beside the wall clock: on a
// machine busy with other work it stays what the work itself costs. The user
// waits for the wall clock, so the figures and their ratios are wall time.
double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double cpuSeconds = 0; // processor time of the last measurement

// Wall seconds of one run of f (its processor time in cpuSeconds).
double seconds(const std::function<void()>& f) {
    const auto a = std::chrono::steady_clock::now();
    const double c = cpuNow();
    f();
    cpuSeconds = cpuNow() - c;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Measured runs in the order run: a run's wall time pushed, the processor
// time of the same run kept beside it.
struct Series {
    std::vector<double> wall, cpu;
    void push_back(double w) {
        wall.push_back(w);
        cpu.push_back(cpuSeconds);
    }
    bool empty() const { return wall.empty(); }
};

// --- native SQLite ------------------------------------------------------------

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

void execNative(sqlite3* db, const char* sql) {
    check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db);
}

// Runs a query to its end on a connection; returns the number of rows and
// keeps the last column of the first row in *last.
int runNative(sqlite3* db, const char* sql, const std::vector<QByteArray>& params,
              qint64* last = nullptr) {
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db);
    for (size_t i = 0; i < params.size(); ++i)
        sqlite3_bind_text(st, int(i) + 1, params[i].constData(), int(params[i].size()),
                          SQLITE_TRANSIENT);
    int rows = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (rows == 0 && last) *last = sqlite3_column_int64(st, sqlite3_column_count(st) - 1);
        ++rows;
    }
    check(rc, db);
    sqlite3_finalize(st);
    return rows;
}

// A measured series: its first run (lazy index loads, the first write of a
// unit: what the user feels first) beside its median, wall time with the
// processor time in brackets; the ratio is of the wall medians.
void printRuns(const char* what, const Series& ours, const Series& native, const char* target) {
    const double o1 = ours.empty() ? 0 : ours.wall.front();
    const double n1 = native.empty() ? 0 : native.wall.front();
    const double om = median(ours.wall), nm = median(native.wall);
    const double oc = median(ours.cpu), nc = median(native.cpu);
    if (nm > 0)
        std::printf("%-44s first %9.2f / median %9.2f (cpu %8.2f) ms   native first %9.2f / "
                    "median %9.2f (cpu %8.2f) ms %7.2fx   %s\n",
                    what, o1 * 1000, om * 1000, oc * 1000, n1 * 1000, nm * 1000, nc * 1000,
                    om / nm, target);
    else
        std::printf("%-44s first %9.2f / median %9.2f (cpu %8.2f) ms   no native twin   %s\n",
                    what, o1 * 1000, om * 1000, oc * 1000, target);
}

// A figure of one run.
void printRow(const char* what, const Series& ours, const Series& native, const char* target) {
    printRuns(what, ours, native, target);
}

Series once(double wall) {
    Series s;
    s.push_back(wall);
    return s;
}

// A visit row the appends add.
struct Visit {
    const Sheet* s;
    int elltip, day, vizitdb;
};

void openLapb(const QString& lapbPath) {
    // --- (1) opening the visit table with its two tags ---
    Series opens;
    for (int i = 0; i < 8; ++i) {
        Table t;
        const double s = seconds([&] { t.open(lapbPath); });
        if (t.tagNames().size() != 2) throw std::runtime_error("tags missing");
        // The first run is the first in the process (the page cache as the
        // builder left it): kept, as the user feels it.
        opens.push_back(s);
    }
    printRuns("open LAPB (1 000 000 records, 2 tags)", opens, {}, "< 500 ms");
}

// What the measured steps share: the folder, the engine's tables and their
// native twins (in memory, and on disk from the appends on).
struct Bench {
    Bench(const QString& dir, const QString& lapbPath, const QString& lapPath,
          const QString& betegPath, const QString& elrendPath);
    ~Bench();

    void periodVisits();
    void joinedVisits();
    void wholeTables();
    void shipment();
    void appends();
    void sheetSave();
    void fullImport();
    void openClose();
    void closeAfterChange();

    static void writeShipment(const QString& out, int file, const std::vector<QVariantList>& rows);
    std::vector<QVariantList> nativeRows(const char* sql);
    Series nativeAppends(sqlite3* conn, const std::vector<Visit>& added);

    const QString dir, lapbPath;
    engine::Database db;
    Table lap, lapb, beteg, elrend;
    std::vector<Sheet> sheets;
    sqlite3* native = nullptr;
    sqlite3* disk = nullptr;
};

Bench::Bench(const QString& dir, const QString& lapbPath, const QString& lapPath,
             const QString& betegPath, const QString& elrendPath)
    : dir(dir), lapbPath(lapbPath), db(dir), lap("lap", &db), lapb("lapb", &db),
      beteg("beteg", &db), elrend("elrend", &db) {
    lap.open(lapPath);
    lapb.open(lapbPath);
    beteg.open(betegPath);
    elrend.open(elrendPath);

    kSheets = int(lap.recordCount());
    kVisits = int(lapb.recordCount());
    {
        const engine::Query q = db.query("select idoszak, sorsz, resz, taj from lap");
        for (const QVariantList& r : q.rows())
            sheets.push_back({r[0].toString().toLatin1(), r[1].toString().toLatin1(),
                              r[2].toString().toLatin1(), r[3].toString().toLatin1()});
    }
    std::printf("%d sheets, %d visit rows, %u patients, %u orders\n", kSheets, kVisits,
                beteg.recordCount(), elrend.recordCount());

    // The native twin in memory: the same columns and rows, the
    // program's tags as indexes.
    sqlite3_open(":memory:", &native);
    for (const char* t : {"lap", "lapb", "beteg", "elrend"})
        bench::native::copyTable(native, db, QString::fromLatin1(t));
    execNative(native, "analyze");
}

Bench::~Bench() {
    sqlite3_close(disk);
    sqlite3_close(native);
}

void Bench::periodVisits() {
    // --- (2) one period's visits by care type ---
    const char* q2 = "select elltip, sum(vizitdb) from lapb where idoszak=? group by elltip";
    Series ours2, nat2;
    for (int p = 5; p < kPeriods; p += 19) {
        const QByteArray per = period(p).toLatin1();
        int a = 0, b = 0;
        ours2.push_back(seconds([&] { a = db.query(q2, {QString::fromLatin1(per)}).rowCount(); }));
        nat2.push_back(seconds([&] { b = runNative(native, q2, {per}); }));
        if (a != b) throw std::runtime_error("the two results differ (2)");
    }
    printRuns("period's visits by care type (median)", ours2, nat2, "< 3x");
}

void Bench::joinedVisits() {
    // --- (3) the visits of 10 000 sheets joined on the sheet key ---
    const char* q3 = "select count(*), sum(b.vizitdb) from lap a join lapb b on "
                     "a.sorsz=b.sorsz and a.resz is b.resz and a.idoszak=b.idoszak "
                     "where a.idoszak between ? and ?";
    const QByteArray from = period(kPeriods - 24).toLatin1(), to = period(kPeriods - 1).toLatin1();
    const int sheetsIn = db.query("select count(*) from lap where idoszak between ? and ?",
                                  {QString::fromLatin1(from), QString::fromLatin1(to)})
                             .value(0, 0)
                             .toInt();
    Series ours3, nat3;
    qint64 sumOurs = 0, sumNative = 0;
    for (int i = 0; i < 5; ++i) {
        ours3.push_back(seconds([&] {
            sumOurs = db.query(q3, {QString::fromLatin1(from), QString::fromLatin1(to)})
                          .value(0, 1)
                          .toLongLong();
        }));
        nat3.push_back(seconds([&] { runNative(native, q3, {from, to}, &sumNative); }));
    }
    if (sumOurs != sumNative || sumOurs == 0)
        throw std::runtime_error("the two results differ (3)");
    char what3[64];
    std::snprintf(what3, sizeof what3, "visits of %d sheets, joined (median)", sheetsIn);
    printRuns(what3, ours3, nat3, "< 3x");
}

void Bench::wholeTables() {
    // --- (4) whole-table grouping and the patient join ---
    struct Q {
        const char* what;
        const char* sql;
    };
    const Q whole[] = {
        {"all sheets grouped by patient", "select taj, count(*) from lap group by taj"},
        {"all visits grouped by period", "select idoszak, sum(vizitdb) from lapb group by idoszak"},
        {"sheets joined to their patients",
         "select b.neme, count(*), sum(a.apnap) from lap a join beteg b on b.taj = a.taj "
         "group by b.neme"},
    };
    for (const Q& q : whole) {
        Series o, nt;
        int a = 0, b = 0;
        for (int i = 0; i < 3; ++i) {
            o.push_back(seconds([&] { a = db.query(q.sql).rowCount(); }));
            nt.push_back(seconds([&] { b = runNative(native, q.sql, {}); }));
        }
        if (a != b || a == 0) throw std::runtime_error(std::string("results differ: ") + q.what);
        printRuns(q.what, o, nt, "< 2x");
    }
}

void Bench::shipment() {
    // --- (4b) a month's shipment: 500 marked sheets, their orders,
    // patients, visits and diagnoses read in the shipment's order and
    // written into three small dBase files; the same files both ways ---
    {
        const QByteArray last = period(kPeriods - 1).toLatin1(),
                         before = period(kPeriods - 2).toLatin1();
        int marked = 0;
        const char* const marks[] = {
            "update lap set jeloles='*' where idoszak=?",
            "update lap set jeloles='*' where rowid in (select rowid from lap where "
            "idoszak=? order by sorsz limit 500 - (select count(*) from lap where "
            "jeloles='*'))"};
        for (const char* m : marks) {
            const QByteArray per = m == marks[0] ? last : before;
            marked += db.exec(m, {QString::fromLatin1(per)});
            runNative(native, m, {per});
        }
        const char* const ship[] = {
            "select distinct a.intkod as ulvkod,a.finkod,a.sorsz as sorszam,a.resz,a.idoszak,"
            "a.orvoskod,c.jorvkod,a.taj,a.kozigkod,a.tpotl as terpot,d.nev as cim,d.neme,"
            "a.tevkodok,a.elb as elbocs,a.apnap,a.elszam,c.elrend,c.szakvet,c.elvizdb,c.gyak,"
            "a.elszviz,a.lezdat,a.terkat,a.aztip,a.allamp,c.engszam,c.engdat,a.szviz as "
            "ovizitdb,a.modtipus from lap a, elrend c, beteg d where a.jeloles='*' and "
            "a.sorsz=c.sorsz and a.resz is c.resz and a.idoszak=c.idoszak and a.taj=d.taj "
            "order by a.idoszak,a.sorsz,a.resz",
            "select b.intkod as ulvkod,b.finkod,b.sorsz as sorszam,b.resz,b.idoszak,b.tevkod,"
            "b.elltip,b.onkep,b.apdatum as datumtol,b.aptaj from lap a, lapb b where "
            "a.jeloles='*' and a.sorsz=b.sorsz and a.resz is b.resz and a.idoszak=b.idoszak "
            "order by b.idoszak,b.sorsz,b.resz,datumtol",
            "select intkod as ulvkod,finkod,sorsz as sorszam,resz,idoszak,bnoki,bnorov,bnofo,"
            "bnomell,bnoell from lap where jeloles='*' order by idoszak,sorsz,resz"};
        QDir(dir).mkpath("kuld-engine");
        QDir(dir).mkpath("kuld-native");
        Series o, nt;
        for (int i = 0; i < 5; ++i) {
            o.push_back(seconds([&] {
                for (int f = 0; f < 3; ++f)
                    writeShipment(dir + QStringLiteral("/kuld-engine/%1.dbf").arg(f), f,
                                  db.query(ship[f]).rows());
            }));
            nt.push_back(seconds([&] {
                for (int f = 0; f < 3; ++f)
                    writeShipment(dir + QStringLiteral("/kuld-native/%1.dbf").arg(f), f,
                                  nativeRows(ship[f]));
            }));
        }
        // the files agree record for record (visits of one day may come
        // in either order)
        for (int f = 0; f < 3; ++f) {
            auto records = [&](const QString& side) {
                Table t;
                t.open(dir + QStringLiteral("/%1/%2.dbf").arg(side).arg(f), Table::Mode::ReadOnly);
                std::vector<QByteArray> out;
                for (std::uint32_t r = 1; r <= t.fileRecordCount(); ++r) {
                    const engine::RecordView v = t.record(r);
                    QByteArray rec(1, v.isDeleted() ? '*' : ' ');
                    for (int i = 0; i < v.fieldCount(); ++i)
                        rec += v.stored(i);
                    out.push_back(rec);
                }
                std::sort(out.begin(), out.end());
                return out;
            };
            const auto a = records("kuld-engine"), b = records("kuld-native");
            if (a != b || a.empty()) throw std::runtime_error("the shipment files differ");
            if (f == 1) std::fprintf(stderr, "shipment: %d sheets, %zu visits\n", marked, a.size());
        }
        printRuns("a month's shipment (500 sheets, 3 files)", o, nt, "< 2x");
        db.exec("update lap set jeloles=null where jeloles='*'");
        execNative(native, "update lap set jeloles=null where jeloles='*'");
    }
}

// Each file of a shipment: one text field per column, a record per row (for
// the diagnosis file, one per filled-in code).
void Bench::writeShipment(const QString& out, int file, const std::vector<QVariantList>& rows) {
    const int ncol = rows.empty() ? 1 : int(rows.front().size());
    std::vector<FieldDef> defs;
    for (int c = 0; c < (file == 2 ? 6 : ncol); ++c)
        defs.push_back(fieldDef(QStringLiteral("F%1").arg(c), 'C', 34));
    engine::TableBuilder b(out, defs);
    for (const QVariantList& r : rows) {
        if (file != 2) {
            b.addRow(r);
            continue;
        }
        for (int k = 5; k < r.size(); ++k)
            if (!r[k].isNull()) b.addRow({r[0], r[1], r[2], r[3], r[4], r[k]});
    }
    b.commit();
}

std::vector<QVariantList> Bench::nativeRows(const char* sql) {
    std::vector<QVariantList> rows;
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(native, sql, -1, &st, nullptr), native);
    const int ncol = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        QVariantList row;
        for (int c = 0; c < ncol; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                row << qlonglong(sqlite3_column_int64(st, c));
                break;
            case SQLITE_NULL:
                row << QVariant();
                break;
            default:
                row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                         sqlite3_column_bytes(st, c));
            }
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    return rows;
}

void Bench::appends() {
    // --- (5) 10 000 appends with posts, beside native inserts in one
    // transaction, in memory and on disk with WAL; the same rows ---
    const int n4 = 10000;
    std::vector<Visit> added;
    std::mt19937 rng4(7);
    for (int i = 0; i < n4; ++i)
        added.push_back({&sheets[size_t(rng4() % sheets.size())], int(rng4() % 12),
                         1 + int(rng4() % 28), 1 + int(rng4() % 4)});
    sqlite3_open(QFile::encodeName(dir + "/native.db").constData(), &disk);
    {
        sqlite3_backup* bk = sqlite3_backup_init(disk, "main", native, "main");
        sqlite3_backup_step(bk, -1);
        sqlite3_backup_finish(bk);
        execNative(disk, "pragma journal_mode=wal");
        execNative(disk, "pragma synchronous=normal");
    }
    const Series ours4 = once(seconds([&] {
        for (const Visit& v : added) {
            lapb.append();
            lapb.setValue("idoszak", QString::fromLatin1(v.s->idoszak));
            lapb.setValue("intkod", QStringLiteral("0123"));
            lapb.setValue("finkod", QStringLiteral("123456789"));
            lapb.setValue("sorsz", QString::fromLatin1(v.s->sorsz));
            lapb.setValue("resz", QString::fromLatin1(v.s->resz));
            lapb.setValue("tevkod", QStringLiteral("12"));
            lapb.setValue("elltip", v.elltip);
            lapb.setValue("onkep", 1);
            lapb.setValue("apdatum", QDate(2024, 5, v.day));
            lapb.setValue("aptaj", QString::fromLatin1(v.s->taj));
            lapb.setValue("vizitdb", v.vizitdb);
            lapb.setValue("elido", QStringLiteral("0130"));
            lapb.setValue("jeloles", QString());
            lapb.setValue("elkuldve", QString());
            lapb.post();
        }
    }));
    const Series nat4m = nativeAppends(native, added);
    const Series nat4d = nativeAppends(disk, added);
    printRow("10 000 appends, native in memory (1 txn)", ours4, nat4m, "< 3x");
    printRow("10 000 appends, native on disk WAL (1 txn)", ours4, nat4d, "< 3x");
    const char* sums = "select count(*), sum(vizitdb) + sum(elltip) from lapb";
    qint64 sumN = 0, sumD = 0;
    runNative(native, sums, {}, &sumN);
    runNative(disk, sums, {}, &sumD);
    const qint64 sumO = db.query(sums).value(0, 1).toLongLong();
    if (sumO != sumN || sumO != sumD) throw std::runtime_error("the appended rows differ");
}

Series Bench::nativeAppends(sqlite3* conn, const std::vector<Visit>& added) {
    sqlite3_stmt* ins = nullptr;
    check(sqlite3_prepare_v2(conn, "insert into lapb values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)", -1,
                             &ins, nullptr),
          conn);
    const Series s = once(seconds([&] {
        execNative(conn, "begin");
        for (const Visit& v : added) {
            const QByteArray date = QDate(2024, 5, v.day).toString(Qt::ISODate).toLatin1();
            sqlite3_bind_text(ins, 1, v.s->idoszak.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(ins, 2, "0123", -1, SQLITE_STATIC);
            sqlite3_bind_text(ins, 3, "123456789", -1, SQLITE_STATIC);
            sqlite3_bind_text(ins, 4, v.s->sorsz.constData(), -1, SQLITE_TRANSIENT);
            if (v.s->resz.isEmpty())
                sqlite3_bind_null(ins, 5);
            else
                sqlite3_bind_text(ins, 5, v.s->resz.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(ins, 6, "12", -1, SQLITE_STATIC);
            sqlite3_bind_int(ins, 7, v.elltip);
            sqlite3_bind_int(ins, 8, 1);
            sqlite3_bind_text(ins, 9, date.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(ins, 10, v.s->taj.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(ins, 11, v.vizitdb);
            sqlite3_bind_text(ins, 12, "0130", -1, SQLITE_STATIC);
            sqlite3_bind_null(ins, 13);
            sqlite3_bind_null(ins, 14);
            check(sqlite3_step(ins), conn);
            sqlite3_reset(ins);
        }
        execNative(conn, "commit");
    }));
    sqlite3_finalize(ins);
    return s;
}

void Bench::sheetSave() {
    // --- (5) a sheet save as one change unit: the sheet row edited, six
    // visit rows deleted and six appended, the journal and both tables
    // flushed to the disk ---
    Series saves;
    std::mt19937 rng5(5);
    for (int i = 0; i < 11; ++i) {
        const double s = seconds([&] {
            engine::ChangeUnit unit({&lap, &lapb});
            lap.go(1 + std::uint32_t(rng5() % lap.fileRecordCount()));
            lap.edit();
            lap.setValue("APNAP", int(rng5() % 30));
            lap.post();
            const std::uint32_t first = 1 + std::uint32_t(rng5() % (lapb.fileRecordCount() - 6));
            for (std::uint32_t r = first; r < first + 6; ++r) {
                const engine::RecordView v = lapb.record(r);
                QVariantList values;
                for (int f = 0; f < v.fieldCount(); ++f)
                    values << v.value(f);
                lapb.go(r);
                lapb.remove();
                lapb.append();
                for (int f = 0; f < int(values.size()); ++f)
                    lapb.setValue(f, values[f]);
                lapb.post();
            }
            unit.commit();
        });
        saves.push_back(s);
    }
    // The twin on disk, durable as a unit is (synchronous=FULL): the
    // sheet row updated, six visit rows deleted and inserted again, one
    // transaction.
    execNative(disk, "pragma synchronous=full");
    Series nsaves;
    std::mt19937 rng5n(5);
    const qint64 lapRows = kSheets;
    qint64 lapbRows = 0;
    runNative(disk, "select max(rowid) from lapb", {}, &lapbRows);
    for (int i = 0; i < 11; ++i) {
        const double s = seconds([&] {
            execNative(disk, "begin");
            const QByteArray r = QByteArray::number(1 + qint64(rng5n() % quint64(lapRows)));
            runNative(disk, "update lap set apnap=? where rowid=?",
                      {QByteArray::number(int(rng5n() % 30)), r});
            const qint64 first = 1 + qint64(rng5n() % quint64(lapbRows - 6));
            for (qint64 x = first; x < first + 6; ++x) {
                const QByteArray id = QByteArray::number(x);
                runNative(disk, "insert into lapb select * from lapb where rowid=?", {id});
                runNative(disk, "delete from lapb where rowid=?", {id});
            }
            execNative(disk, "commit");
        });
        nsaves.push_back(s);
    }
    printRuns("a sheet save as one unit (13 records, flushed)", saves, nsaves, "< 100 ms");

    // the engine's rows after the appends agree with the native ones
    const QVariant total = db.query("select count(*), sum(vizitdb) from lapb").value(0, 0);
    std::fprintf(stderr, "visits now: %lld\n", total.toLongLong());
}

void Bench::fullImport() {
    // --- (6) the full import: 100 000 sheets and 1 000 000 visits read
    // from another dBase file set, replacing the tables' records ---
    Table srcLap, srcLapb;
    srcLap.open(dir + "/SRCLAP.DBF", Table::Mode::ReadOnly);
    srcLapb.open(dir + "/SRCLAPB.DBF", Table::Mode::ReadOnly);
    std::uint32_t imported = 0;
    const Series ours6 = once(seconds([&] {
        imported = lap.importFrom(srcLap, Table::Import::Replace) +
                   lapb.importFrom(srcLapb, Table::Import::Replace);
    }));
    // native: the same rows from another database file, in one transaction
    auto nativeImport = [&](sqlite3* conn) {
        const QByteArray at = "attach '" + QFile::encodeName(dir + "/src.db") + "' as src";
        execNative(conn, at.constData());
        execNative(conn, "drop table if exists src.lap; drop table if exists src.lapb; "
                         "create table src.lap as select * from main.lap where 0; "
                         "create table src.lapb as select * from main.lapb where 0");
        execNative(conn, QStringLiteral("begin; "
                                        "insert into src.lap select * from main.lap where "
                                        "rowid <= %1; "
                                        "insert into src.lapb select * from main.lapb where "
                                        "rowid <= %2; commit")
                             .arg(kSheets)
                             .arg(kVisits)
                             .toUtf8()
                             .constData());
        const Series s = once(seconds([&] {
            execNative(conn, "begin; delete from main.lap; delete from main.lapb; "
                             "insert into main.lap select * from src.lap; "
                             "insert into main.lapb select * from src.lapb; commit");
        }));
        execNative(conn, "detach src");
        return s;
    };
    const Series nat6m = nativeImport(native);
    const Series nat6d = nativeImport(disk);
    char what6[64];
    std::snprintf(what6, sizeof what6, "full import, %d records", kSheets + kVisits);
    printRow(what6, ours6, nat6m, "< 3 s");
    printRow("  the same, native on disk WAL", ours6, nat6d, "< 3 s");
    const char* isums = "select count(*), sum(vizitdb) from lapb";
    qint64 iN = 0;
    runNative(native, isums, {}, &iN);
    if (int(imported) != kSheets + kVisits || db.query(isums).value(0, 1).toLongLong() != iN)
        throw std::runtime_error("the imported rows differ");
}

void Bench::openClose() {
    // --- (7) open and close of the big table stay flat ---
    lapb.close();
    Series oc;
    for (int i = 0; i < 5; ++i)
        oc.push_back(seconds([&] {
            Table t;
            t.open(lapbPath);
            t.close();
        }));
    printRuns("open + close LAPB, unchanged", oc, {}, "flat");
}

void Bench::closeAfterChange() {
    // --- (8) closing the big table after a change of one record's key:
    // its index file is written (and flushed) ---
    Series cc;
    for (int i = 0; i < 5; ++i) {
        Table t;
        t.open(lapbPath);
        t.go(std::uint32_t(1 + i));
        t.edit();
        // A key field, so that both tags change.
        t.setValue(QStringLiteral("RESZ"),
                   t.text(QStringLiteral("RESZ")) == u"Z" ? QString() : QStringLiteral("Z"));
        t.post();
        cc.push_back(seconds([&] { t.close(); }));
    }
    printRuns("close LAPB after one change (flushed)", cc, {}, "");
}

} // namespace

int main(int argc, char** argv) {
    // The tables of a started program filled by the shared builder (the
    // program's own layouts and index tags), then opened here directly.
    bench::Setup setup(argc, argv);
    const QString dir = setup.dir();
    auto pathOf = [&](db::TableId id) {
        return QDir(dir).filePath(QStringLiteral("DATA/") + db::layout(id).fileName);
    };
    const QString lapbPath = pathOf(db::TableId::Lapb);
    const QString lapPath = pathOf(db::TableId::Lap);
    const QString betegPath = pathOf(db::TableId::Beteg);
    const QString elrendPath = pathOf(db::TableId::Elrend);
    try {
        // --- building (not measured); a folder an earlier run filled is
        // used again, with what that run added ---
        if (!setup.ensure()) return 1;
        // the data set an import reads: the same sheets and visits again
        for (const char* n :
             {"SRCLAP.DBF", "SRCLAPB.DBF", "native.db", "native.db-wal", "native.db-shm", "src.db"})
            QFile::remove(dir + "/" + n);
        if (!QFile::copy(lapPath, dir + "/SRCLAP.DBF") ||
            !QFile::copy(lapbPath, dir + "/SRCLAPB.DBF"))
            throw std::runtime_error("cannot copy the tables for the import");

        std::printf("wall time (processor time of the measuring thread in brackets); ratios "
                    "of the wall medians; uptime load: %s\n",
                    qPrintable(bench::loadNow()));

        openLapb(lapbPath);

        Bench b(dir, lapbPath, lapPath, betegPath, elrendPath);
        b.periodVisits();
        b.joinedVisits();
        b.wholeTables();
        b.shipment();
        b.appends();
        b.sheetSave();
        b.fullImport();
        b.openClose();
        b.closeAfterChange();
    } catch (const engine::DbError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
