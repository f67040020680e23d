// szbench: the table engine against native SQLite on tables the size of a
// large provider's data: a visit table (LAPB) of 1 000 000 records over 240
// periods and a sheet table (LAP) of 100 000 records. Prints each figure
// beside the same work on native SQLite in-memory tables.
//
// Usage: szbench [FOLDER]   (a temporary folder when none is given; the tables
// an earlier run left in FOLDER are used again, its appends included)

#include "engine/changeunit.h"
#include "engine/database.h"
#include "engine/dberror.h"
#include "engine/table.h"

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

constexpr int kYears = 20;
constexpr int kFirstYear = 2005;
constexpr int kPeriods = kYears * 12;
constexpr int kSheets = 100000;
constexpr int kVisits = 1000000;

std::vector<FieldDef> lapbFields() {
    return {fieldDef("IDOSZAK", 'C', 7), fieldDef("INTKOD", 'C', 4),  fieldDef("FINKOD", 'C', 9),
            fieldDef("SORSZ", 'C', 5),   fieldDef("RESZ", 'C', 1),    fieldDef("TEVKOD", 'C', 2),
            fieldDef("ELLTIP", 'N', 2),  fieldDef("ONKEP", 'N', 2),   fieldDef("APDATUM", 'D'),
            fieldDef("APTAJ", 'C', 9),   fieldDef("VIZITDB", 'N', 2), fieldDef("ELIDO", 'C', 7),
            fieldDef("JELOLES", 'C', 1), fieldDef("ELKULDVE", 'C', 7)};
}

std::vector<FieldDef> lapFields() {
    return {
        fieldDef("IDOSZAK", 'C', 7),  fieldDef("INTKOD", 'C', 4),    fieldDef("FINKOD", 'C', 9),
        fieldDef("SORSZ", 'C', 5),    fieldDef("RESZ", 'C', 1),      fieldDef("TAJ", 'C', 9),
        fieldDef("KOZIGKOD", 'C', 7), fieldDef("TPOTL", 'C', 1),     fieldDef("BNOKI", 'C', 5),
        fieldDef("BNOROV", 'C', 5),   fieldDef("ELB", 'D'),          fieldDef("APNAP", 'N', 3),
        fieldDef("BNOFO", 'C', 5),    fieldDef("BNOMELL", 'C', 5),   fieldDef("BNOELL", 'C', 5),
        fieldDef("ORVOSKOD", 'C', 5), fieldDef("ELSZVIZ", 'N', 3),   fieldDef("ELSZAM", 'N', 3),
        fieldDef("LEZDAT", 'D'),      fieldDef("TEVKODOK", 'C', 34), fieldDef("APTAJ1", 'C', 9),
        fieldDef("APTAJ2", 'C', 9),   fieldDef("AZTIP", 'C', 1),     fieldDef("TERKAT", 'C', 2),
        fieldDef("ALLAMP", 'C', 3),   fieldDef("SZVIZ", 'N', 2),     fieldDef("TELE", 'C', 1),
        fieldDef("JELOLES", 'C', 1),  fieldDef("ELKULDVE", 'C', 7),  fieldDef("ALLAPOT", 'C', 1),
        fieldDef("MODTIPUS", 'C', 1)};
}

QString period(int p) {
    return QStringLiteral("%1.%2")
        .arg(kFirstYear + p / 12)
        .arg(p % 12 + 1, 2, 10, QLatin1Char('0'));
}

// One generated record: field values as text, by field position.
using Values = std::vector<QByteArray>;

struct Sheet {
    QByteArray idoszak, sorsz, resz, taj, elb;
};

// The sheets: about 417 a period, numbered from 1 again each year; one in
// ten has a part "A".
std::vector<Sheet> makeSheets(std::mt19937& rng) {
    std::vector<Sheet> out;
    out.reserve(kSheets);
    int number = 0;
    for (int i = 0; i < kSheets; ++i) {
        const int p = int(std::int64_t(i) * kPeriods / kSheets);
        if (p % 12 == 0 && (i == 0 || int(std::int64_t(i - 1) * kPeriods / kSheets) != p))
            number = 0;
        Sheet s;
        s.idoszak = period(p).toLatin1();
        s.sorsz = QByteArray::number(++number).rightJustified(5, '0');
        s.resz = rng() % 10 == 0 ? "A" : "";
        s.taj = QByteArray::number(100000000 + int(rng() % 800000000));
        s.elb = QByteArray::number((kFirstYear + p / 12) * 10000 + (p % 12 + 1) * 100 + 1);
        out.push_back(s);
    }
    return out;
}

Values sheetValues(const Sheet& s, std::mt19937& rng) {
    return {s.idoszak,
            "0123",
            "123456789",
            s.sorsz,
            s.resz,
            s.taj,
            "1234567",
            "",
            "I10",
            "",
            s.elb,
            QByteArray::number(int(rng() % 31)),
            "I11",
            "",
            "",
            "12345",
            QByteArray::number(int(rng() % 100)),
            QByteArray::number(int(rng() % 100)),
            "",
            "010203",
            "",
            "",
            "1",
            "01",
            "HUN",
            QByteArray::number(int(rng() % 30)),
            "",
            "",
            s.idoszak,
            "1",
            ""};
}

Values visitValues(const Sheet& s, std::mt19937& rng) {
    return {s.idoszak,
            "0123",
            "123456789",
            s.sorsz,
            s.resz,
            QByteArray::number(10 + int(rng() % 20)),
            QByteArray::number(int(rng() % 12)),
            QByteArray::number(int(rng() % 3)),
            s.elb.left(6) + QByteArray::number(10 + int(rng() % 18)),
            s.taj,
            QByteArray::number(1 + int(rng() % 4)),
            "0130",
            "",
            s.idoszak};
}

// Writes the records straight into the file made by Table::create, as a
// builder program would: building is not what is measured.
void writeTable(const QString& path, const std::vector<FieldDef>& defs,
                const std::function<bool(Values&)>& next) {
    Table::create(path, defs);
    std::vector<FieldDef> fields;
    int recordLength = 0, headerLength = 0;
    {
        Table t;
        t.open(path);
        fields = t.fields();
        recordLength = t.header().recordLength;
        headerLength = t.header().headerLength;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite)) throw std::runtime_error("cannot write the table");
    f.seek(headerLength);
    QByteArray chunk;
    QByteArray rec(recordLength, ' ');
    quint32 count = 0;
    Values v;
    while (next(v)) {
        rec.fill(' ');
        for (size_t i = 0; i < fields.size() && i < v.size(); ++i) {
            const FieldDef& fd = fields[i];
            const QByteArray& x = v[i];
            const int n = std::min<int>(int(x.size()), fd.width);
            if (fd.type == 'N')
                memcpy(rec.data() + fd.offset + fd.width - n, x.constData(), size_t(n));
            else
                memcpy(rec.data() + fd.offset, x.constData(), size_t(n));
        }
        chunk += rec;
        ++count;
        if (chunk.size() > (4 << 20)) {
            f.write(chunk);
            chunk.clear();
        }
    }
    chunk += char(0x1A);
    f.write(chunk);
    char c[4] = {char(count & 0xFF), char((count >> 8) & 0xFF), char((count >> 16) & 0xFF),
                 char(count >> 24)};
    f.seek(4);
    f.write(c, 4);
}

// The processor time of this thread: on a machine busy with other work it
// stays what the work itself costs, where the wall clock does not.
double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double wallSeconds = 0; // wall time of the last measurement

double seconds(const std::function<void()>& f) {
    const auto a = std::chrono::steady_clock::now();
    const double c = cpuNow();
    f();
    const double cpu = cpuNow() - c;
    wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
    return cpu;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

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

QString columnList(const std::vector<FieldDef>& defs) {
    QStringList cols;
    for (const FieldDef& f : defs)
        cols << f.name.toLower() + (f.type == 'N' ? " INTEGER" : " TEXT");
    return cols.join(", ");
}

// Copies a table object's records into a native table through the engine's
// own SQL (the rows are what the program would see).
void fillNative(sqlite3* native, engine::Database& db, const QString& name,
                const std::vector<FieldDef>& defs) {
    execNative(
        native,
        QStringLiteral("create table %1 (%2)").arg(name, columnList(defs)).toUtf8().constData());
    QString marks;
    for (size_t i = 0; i < defs.size(); ++i)
        marks += i ? ",?" : "?";
    sqlite3_stmt* ins = nullptr;
    check(sqlite3_prepare_v2(
              native,
              QStringLiteral("insert into %1 values (%2)").arg(name, marks).toUtf8().constData(),
              -1, &ins, nullptr),
          native);
    sqlite3_stmt* sel = nullptr;
    check(sqlite3_prepare_v2(db.handle(),
                             QStringLiteral("select * from %1").arg(name).toUtf8().constData(), -1,
                             &sel, nullptr),
          db.handle());
    execNative(native, "begin");
    while (sqlite3_step(sel) == SQLITE_ROW) {
        for (int c = 0; c < int(defs.size()); ++c)
            sqlite3_bind_value(ins, c + 1, sqlite3_column_value(sel, c));
        check(sqlite3_step(ins), native);
        sqlite3_reset(ins);
    }
    execNative(native, "commit");
    sqlite3_finalize(sel);
    sqlite3_finalize(ins);
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

void printRow(const char* what, double ours, double native, const char* target) {
    if (native > 0)
        std::printf("%-44s %10.2f ms %10.2f ms %7.2fx   %s\n", what, ours * 1000, native * 1000,
                    ours / native, target);
    else
        std::printf("%-44s %10.2f ms %10s    %7s    %s\n", what, ours * 1000, "-", "-", target);
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir tmp;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    QDir().mkpath(dir);
    const QString lapbPath = dir + "/LAPB.DBF";
    const QString lapPath = dir + "/LAP.DBF";
    try {
        // --- building (not measured); tables left in a given folder by an
        // earlier run are used again ---
        std::mt19937 rng(42);
        const std::vector<Sheet> sheets = makeSheets(rng);
        const bool reuse = argc > 1 && QFile::exists(lapPath) && QFile::exists(lapbPath) &&
                           Table::indexFileOk(lapPath) && Table::indexFileOk(lapbPath);
        if (!reuse) {
            std::fprintf(stderr, "building %d sheets and %d visits in %s ...\n", kSheets, kVisits,
                         qPrintable(dir));
            size_t si = 0;
            writeTable(lapPath, lapFields(), [&](Values& v) {
                if (si >= sheets.size()) return false;
                v = sheetValues(sheets[si++], rng);
                return true;
            });
            int vi = 0;
            writeTable(lapbPath, lapbFields(), [&](Values& v) {
                if (vi >= kVisits) return false;
                v = visitValues(sheets[size_t(std::int64_t(vi) * kSheets / kVisits)], rng);
                ++vi;
                return true;
            });
            {
                Table t;
                t.open(lapPath);
                t.addTag("Lap1", "Sorsz+Resz");
                t.addTag("Lap2", "Taj+Idoszak");
                t.addTag("Lap3", "Idoszak+Sorsz+Resz");
            }
            {
                Table t;
                t.open(lapbPath);
                t.addTag("Lapb1", "Sorsz+Resz");
                t.addTag("Lapb2", "Idoszak+Sorsz+Resz");
            }
        }

        std::printf("processor time of the measuring thread, median of several runs\n");
        std::printf("%-44s %13s %13s %8s   %s\n", "", "engine", "native", "ratio", "target");

        // --- (1) opening the visit table with its two tags ---
        std::vector<double> opens, openWalls;
        for (int i = 0; i < 8; ++i) {
            Table t;
            const double s = seconds([&] { t.open(lapbPath); });
            if (t.tagNames().size() != 2) throw std::runtime_error("tags missing");
            if (i == 0) continue; // the first run warms the page cache
            opens.push_back(s);
            openWalls.push_back(wallSeconds);
        }
        printRow("open LAPB (1 000 000 records, 2 tags)", median(opens), 0, "< 500 ms");
        printRow("  the same, wall clock", median(openWalls), 0, "< 500 ms");

        engine::Database db(dir);
        Table lap("lap", &db), lapb("lapb", &db);
        lap.open(lapPath);
        lapb.open(lapbPath);

        sqlite3* native = nullptr;
        sqlite3_open(":memory:", &native);
        fillNative(native, db, "lap", lapFields());
        fillNative(native, db, "lapb", lapbFields());
        execNative(native, "create index lap1 on lap(sorsz, resz)");
        execNative(native, "create index lap2 on lap(taj, idoszak)");
        execNative(native, "create index lap3 on lap(idoszak, sorsz, resz)");
        execNative(native, "create index lapb1 on lapb(sorsz, resz)");
        execNative(native, "create index lapb2 on lapb(idoszak, sorsz, resz)");
        execNative(native, "analyze");

        // --- (2) one period's visits by care type ---
        const char* q2 = "select elltip, sum(vizitdb) from lapb where idoszak=? group by elltip";
        std::vector<double> ours2, nat2;
        for (int p = 5; p < kPeriods; p += 19) {
            const QByteArray per = period(p).toLatin1();
            int a = 0, b = 0;
            ours2.push_back(
                seconds([&] { a = db.query(q2, {QString::fromLatin1(per)}).rowCount(); }));
            nat2.push_back(seconds([&] { b = runNative(native, q2, {per}); }));
            if (a != b) throw std::runtime_error("the two results differ (2)");
        }
        printRow("period's visits by care type (median)", median(ours2), median(nat2), "< 3x");

        // --- (3) the visits of 10 000 sheets joined on the sheet key ---
        const char* q3 = "select count(*), sum(b.vizitdb) from lap a join lapb b on "
                         "a.sorsz=b.sorsz and a.resz is b.resz and a.idoszak=b.idoszak "
                         "where a.idoszak between ? and ?";
        const QByteArray from = period(kPeriods - 24).toLatin1(),
                         to = period(kPeriods - 1).toLatin1();
        const int sheetsIn = db.query("select count(*) from lap where idoszak between ? and ?",
                                      {QString::fromLatin1(from), QString::fromLatin1(to)})
                                 .value(0, 0)
                                 .toInt();
        std::vector<double> ours3, nat3;
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
        printRow(what3, median(ours3), median(nat3), "< 3x");

        // --- (4) 10 000 appends with posts ---
        const int n4 = 10000;
        std::mt19937 rng4(7);
        const double ours4 = seconds([&] {
            for (int i = 0; i < n4; ++i) {
                const Sheet& s = sheets[size_t(rng4() % sheets.size())];
                lapb.append();
                lapb.setValue("idoszak", QString::fromLatin1(s.idoszak));
                lapb.setValue("intkod", QStringLiteral("0123"));
                lapb.setValue("finkod", QStringLiteral("123456789"));
                lapb.setValue("sorsz", QString::fromLatin1(s.sorsz));
                lapb.setValue("resz", QString::fromLatin1(s.resz));
                lapb.setValue("tevkod", QStringLiteral("12"));
                lapb.setValue("elltip", int(rng4() % 12));
                lapb.setValue("onkep", 1);
                lapb.setValue("apdatum", QDate(2024, 5, 1 + int(rng4() % 28)));
                lapb.setValue("aptaj", QString::fromLatin1(s.taj));
                lapb.setValue("vizitdb", 1 + int(rng4() % 4));
                lapb.setValue("elido", QStringLiteral("0130"));
                lapb.setValue("jeloles", QString());
                lapb.setValue("elkuldve", QString());
                lapb.post();
            }
        });
        sqlite3_stmt* ins = nullptr;
        check(sqlite3_prepare_v2(native, "insert into lapb values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                                 -1, &ins, nullptr),
              native);
        const double nat4 = seconds([&] {
            for (int i = 0; i < n4; ++i) {
                const Sheet& s = sheets[size_t(rng4() % sheets.size())];
                const QByteArray date =
                    QDate(2024, 5, 1 + int(rng4() % 28)).toString(Qt::ISODate).toLatin1();
                sqlite3_bind_text(ins, 1, s.idoszak.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(ins, 2, "0123", -1, SQLITE_STATIC);
                sqlite3_bind_text(ins, 3, "123456789", -1, SQLITE_STATIC);
                sqlite3_bind_text(ins, 4, s.sorsz.constData(), -1, SQLITE_TRANSIENT);
                if (s.resz.isEmpty())
                    sqlite3_bind_null(ins, 5);
                else
                    sqlite3_bind_text(ins, 5, s.resz.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(ins, 6, "12", -1, SQLITE_STATIC);
                sqlite3_bind_int(ins, 7, int(rng4() % 12));
                sqlite3_bind_int(ins, 8, 1);
                sqlite3_bind_text(ins, 9, date.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(ins, 10, s.taj.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_int(ins, 11, 1 + int(rng4() % 4));
                sqlite3_bind_text(ins, 12, "0130", -1, SQLITE_STATIC);
                sqlite3_bind_null(ins, 13);
                sqlite3_bind_null(ins, 14);
                check(sqlite3_step(ins), native);
                sqlite3_reset(ins);
            }
        });
        // and the same inserts in one transaction, where SQLite does best
        const double nat4t = seconds([&] {
            execNative(native, "begin");
            for (int i = 0; i < n4; ++i) {
                const Sheet& s = sheets[size_t(rng4() % sheets.size())];
                sqlite3_bind_text(ins, 1, s.idoszak.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(ins, 4, s.sorsz.constData(), -1, SQLITE_TRANSIENT);
                if (s.resz.isEmpty())
                    sqlite3_bind_null(ins, 5);
                else
                    sqlite3_bind_text(ins, 5, s.resz.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_int(ins, 7, int(rng4() % 12));
                sqlite3_bind_int(ins, 11, 1 + int(rng4() % 4));
                check(sqlite3_step(ins), native);
                sqlite3_reset(ins);
            }
            execNative(native, "commit");
        });
        sqlite3_finalize(ins);
        printRow("10 000 appends with posts", ours4, nat4, "< 3x");
        printRow("  native inserts in one transaction", ours4, nat4t, "");

        // --- (5) a sheet save as one change unit: the sheet row edited, six
        // visit rows deleted and six appended, the journal and both tables
        // flushed to the disk ---
        std::vector<double> saves, saveWalls;
        std::mt19937 rng5(5);
        for (int i = 0; i < 11; ++i) {
            const double s = seconds([&] {
                engine::ChangeUnit unit({&lap, &lapb});
                lap.go(1 + std::uint32_t(rng5() % lap.fileRecordCount()));
                lap.edit();
                lap.setValue("APNAP", int(rng5() % 30));
                lap.post();
                const std::uint32_t first =
                    1 + std::uint32_t(rng5() % (lapb.fileRecordCount() - 6));
                for (std::uint32_t r = first; r < first + 6; ++r) {
                    const QByteArray rec(lapb.rawRecord(r), lapb.header().recordLength);
                    lapb.deleteRaw(r);
                    lapb.appendRaw(rec);
                }
                unit.commit();
            });
            saves.push_back(s);
            saveWalls.push_back(wallSeconds);
        }
        printRow("a sheet save as one unit (13 records)", median(saves), 0, "");
        printRow("  the same, wall clock with the flushes", median(saveWalls), 0, "< 100 ms");

        // the engine's rows after the appends agree with the native ones
        const QVariant total = db.query("select count(*), sum(vizitdb) from lapb").value(0, 0);
        std::fprintf(stderr, "visits now: %lld\n", total.toLongLong());
        sqlite3_close(native);
    } catch (const engine::DbError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
