// szbench: the table engine against native SQLite on tables the size of a
// large provider's data: a visit table (LAPB) of 1 000 000 records over 240
// periods and a sheet table (LAP) of 100 000 records. Prints each figure
// beside the same work on native SQLite in-memory tables.
//
// Usage: szbench [FOLDER]   (a temporary folder when none is given; the tables
// are built fresh on every run)

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

constexpr int kYears = 20;
constexpr int kFirstYear = 2005;
constexpr int kPeriods = kYears * 12;
constexpr int kSheets = 100000;
constexpr int kVisits = 1000000;
constexpr int kPatients = 30000;

std::vector<FieldDef> lapbFields() {
    return {fieldDef("IDOSZAK", 'C', 7), fieldDef("INTKOD", 'C', 4),  fieldDef("FINKOD", 'C', 9),
            fieldDef("SORSZ", 'C', 5),   fieldDef("RESZ", 'C', 1),    fieldDef("TEVKOD", 'C', 2),
            fieldDef("ELLTIP", 'N', 2),  fieldDef("ONKEP", 'N', 2),   fieldDef("APDATUM", 'D'),
            fieldDef("APTAJ", 'C', 9),   fieldDef("VIZITDB", 'N', 2), fieldDef("ELIDO", 'C', 7),
            fieldDef("JELOLES", 'C', 1), fieldDef("ELKULDVE", 'C', 7)};
}

std::vector<FieldDef> betegFields() {
    return {fieldDef("TAJ", 'C', 9), fieldDef("NEV", 'C', 30), fieldDef("NEME", 'C', 1)};
}

std::vector<FieldDef> elrendFields() {
    return {fieldDef("IDOSZAK", 'C', 7), fieldDef("SORSZ", 'C', 5),  fieldDef("RESZ", 'C', 1),
            fieldDef("JORVKOD", 'C', 5), fieldDef("ELREND", 'C', 1), fieldDef("SZAKVET", 'C', 1),
            fieldDef("ELVIZDB", 'N', 3), fieldDef("GYAK", 'C', 2),   fieldDef("ENGSZAM", 'C', 10),
            fieldDef("ENGDAT", 'D')};
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
        s.taj = QByteArray::number(100000000 + int(rng() % kPatients) * 7919);
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

// A measured series: its first run (lazy index loads, the first write of a
// unit: what the user feels first) beside its median.
void printRuns(const char* what, const std::vector<double>& ours, const std::vector<double>& native,
               const char* target) {
    const double o1 = ours.empty() ? 0 : ours.front();
    const double n1 = native.empty() ? 0 : native.front();
    const double om = median(ours), nm = median(native);
    if (nm > 0)
        std::printf("%-44s first %9.2f / median %9.2f ms   native first %9.2f / median %9.2f ms "
                    "%7.2fx   %s\n",
                    what, o1 * 1000, om * 1000, n1 * 1000, nm * 1000, om / nm, target);
    else
        std::printf("%-44s first %9.2f / median %9.2f ms   no native twin   %s\n", what, o1 * 1000,
                    om * 1000, target);
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
    const QString betegPath = dir + "/BETEG.DBF";
    const QString elrendPath = dir + "/ELREND.DBF";
    try {
        // --- building (not measured); tables left in a given folder by an
        // earlier run are used again ---
        std::mt19937 rng(42);
        const std::vector<Sheet> sheets = makeSheets(rng);
        for (const char* n : {"LAP.DBF", "LAP.MDX", "LAPB.DBF", "LAPB.MDX", "BETEG.DBF",
                              "BETEG.MDX", "ELREND.DBF", "ELREND.MDX", "SRCLAP.DBF", "SRCLAPB.DBF",
                              "native.db", "native.db-wal", "native.db-shm"})
            QFile::remove(dir + "/" + n);
        {
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
            int pi = 0;
            writeTable(betegPath, betegFields(), [&](Values& v) {
                if (pi >= kPatients) return false;
                v = {QByteArray::number(100000000 + pi * 7919), "Beteg " + QByteArray::number(pi),
                     pi % 2 ? "1" : "2"};
                ++pi;
                return true;
            });
            {
                Table t;
                t.open(betegPath);
                t.addTag("Beteg1", "Taj");
            }
            // the orders: one a sheet
            si = 0;
            writeTable(elrendPath, elrendFields(), [&](Values& v) {
                if (si >= sheets.size()) return false;
                const Sheet& s = sheets[si++];
                v = {s.idoszak,
                     s.sorsz,
                     s.resz,
                     "54321",
                     "1",
                     "2",
                     QByteArray::number(int(rng() % 60)),
                     "01",
                     "",
                     s.elb};
                return true;
            });
            {
                Table t;
                t.open(elrendPath);
                t.addTag("Rend1", "Sorsz+Resz");
                t.addTag("Rend2", "Idoszak+Sorsz+Resz");
            }
            // the data set an import reads: the same sheets and visits again
            std::mt19937 rng2(42);
            makeSheets(rng2);
            si = 0;
            writeTable(dir + "/SRCLAP.DBF", lapFields(), [&](Values& v) {
                if (si >= sheets.size()) return false;
                v = sheetValues(sheets[si++], rng2);
                return true;
            });
            vi = 0;
            writeTable(dir + "/SRCLAPB.DBF", lapbFields(), [&](Values& v) {
                if (vi >= kVisits) return false;
                v = visitValues(sheets[size_t(std::int64_t(vi) * kSheets / kVisits)], rng2);
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
        printRuns("open LAPB (1 000 000 records, 2 tags)", opens, {}, "< 500 ms");
        printRuns("  the same, wall clock", openWalls, {}, "< 500 ms");

        engine::Database db(dir);
        Table lap("lap", &db), lapb("lapb", &db), beteg("beteg", &db), elrend("elrend", &db);
        lap.open(lapPath);
        lapb.open(lapbPath);
        beteg.open(betegPath);
        elrend.open(elrendPath);

        sqlite3* native = nullptr;
        sqlite3_open(":memory:", &native);
        fillNative(native, db, "lap", lapFields());
        fillNative(native, db, "lapb", lapbFields());
        fillNative(native, db, "beteg", betegFields());
        fillNative(native, db, "elrend", elrendFields());
        execNative(native, "create index rend1 on elrend(sorsz, resz)");
        execNative(native, "create index rend2 on elrend(idoszak, sorsz, resz)");
        execNative(native, "create index beteg1 on beteg(taj)");
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
        printRuns("period's visits by care type (median)", ours2, nat2, "< 3x");

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
        printRuns(what3, ours3, nat3, "< 3x");

        // --- (4) whole-table grouping and the patient join ---
        struct Q {
            const char* what;
            const char* sql;
        };
        const Q whole[] = {
            {"all sheets grouped by patient", "select taj, count(*) from lap group by taj"},
            {"all visits grouped by period",
             "select idoszak, sum(vizitdb) from lapb group by idoszak"},
            {"sheets joined to their patients",
             "select b.neme, count(*), sum(a.apnap) from lap a join beteg b on b.taj = a.taj "
             "group by b.neme"},
        };
        for (const Q& q : whole) {
            std::vector<double> o, nt;
            int a = 0, b = 0;
            for (int i = 0; i < 3; ++i) {
                o.push_back(seconds([&] { a = db.query(q.sql).rowCount(); }));
                nt.push_back(seconds([&] { b = runNative(native, q.sql, {}); }));
            }
            if (a != b || a == 0)
                throw std::runtime_error(std::string("results differ: ") + q.what);
            printRuns(q.what, o, nt, "< 2x");
        }

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
            // Each file: one text field per column, a record per row (for the
            // diagnosis file, one per filled-in code).
            auto write = [&](const QString& out, int file, const std::vector<QVariantList>& rows) {
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
            };
            auto nativeRows = [&](const char* sql) {
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
                            row << QString::fromUtf8(
                                reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                sqlite3_column_bytes(st, c));
                        }
                    }
                    rows.push_back(std::move(row));
                }
                sqlite3_finalize(st);
                return rows;
            };
            QDir(dir).mkpath("kuld-engine");
            QDir(dir).mkpath("kuld-native");
            std::vector<double> o, nt;
            for (int i = 0; i < 5; ++i) {
                o.push_back(seconds([&] {
                    for (int f = 0; f < 3; ++f)
                        write(dir + QStringLiteral("/kuld-engine/%1.dbf").arg(f), f,
                              db.query(ship[f]).rows());
                }));
                nt.push_back(seconds([&] {
                    for (int f = 0; f < 3; ++f)
                        write(dir + QStringLiteral("/kuld-native/%1.dbf").arg(f), f,
                              nativeRows(ship[f]));
                }));
            }
            // the files agree record for record (visits of one day may come
            // in either order)
            for (int f = 0; f < 3; ++f) {
                auto records = [&](const QString& side) {
                    Table t;
                    t.open(dir + QStringLiteral("/%1/%2.dbf").arg(side).arg(f),
                           Table::Mode::ReadOnly);
                    std::vector<QByteArray> out;
                    for (std::uint32_t r = 1; r <= t.fileRecordCount(); ++r)
                        out.emplace_back(t.rawRecord(r), t.header().recordLength);
                    std::sort(out.begin(), out.end());
                    return out;
                };
                const auto a = records("kuld-engine"), b = records("kuld-native");
                if (a != b || a.empty()) throw std::runtime_error("the shipment files differ");
                if (f == 1)
                    std::fprintf(stderr, "shipment: %d sheets, %zu visits\n", marked, a.size());
            }
            printRuns("a month's shipment (500 sheets, 3 files)", o, nt, "< 2x");
            db.exec("update lap set jeloles=null where jeloles='*'");
            execNative(native, "update lap set jeloles=null where jeloles='*'");
        }

        // --- (5) 10 000 appends with posts, beside native inserts in one
        // transaction, in memory and on disk with WAL; the same rows ---
        const int n4 = 10000;
        struct Visit {
            const Sheet* s;
            int elltip, day, vizitdb;
        };
        std::vector<Visit> added;
        std::mt19937 rng4(7);
        for (int i = 0; i < n4; ++i)
            added.push_back({&sheets[size_t(rng4() % sheets.size())], int(rng4() % 12),
                             1 + int(rng4() % 28), 1 + int(rng4() % 4)});
        sqlite3* disk = nullptr;
        sqlite3_open(QFile::encodeName(dir + "/native.db").constData(), &disk);
        {
            sqlite3_backup* bk = sqlite3_backup_init(disk, "main", native, "main");
            sqlite3_backup_step(bk, -1);
            sqlite3_backup_finish(bk);
            execNative(disk, "pragma journal_mode=wal");
            execNative(disk, "pragma synchronous=normal");
        }
        const double ours4 = seconds([&] {
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
        });
        auto nativeAppends = [&](sqlite3* conn) {
            sqlite3_stmt* ins = nullptr;
            check(sqlite3_prepare_v2(conn, "insert into lapb values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                                     -1, &ins, nullptr),
                  conn);
            const double s = seconds([&] {
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
            });
            sqlite3_finalize(ins);
            return s;
        };
        const double nat4m = nativeAppends(native);
        const double nat4d = nativeAppends(disk);
        printRow("10 000 appends, native in memory (1 txn)", ours4, nat4m, "< 3x");
        printRow("10 000 appends, native on disk WAL (1 txn)", ours4, nat4d, "< 3x");
        const char* sums = "select count(*), sum(vizitdb) + sum(elltip) from lapb";
        qint64 sumN = 0, sumD = 0;
        runNative(native, sums, {}, &sumN);
        runNative(disk, sums, {}, &sumD);
        const qint64 sumO = db.query(sums).value(0, 1).toLongLong();
        if (sumO != sumN || sumO != sumD) throw std::runtime_error("the appended rows differ");

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
        printRuns("a sheet save as one unit (13 records)", saves, {}, "");
        printRuns("  the same, wall clock with the flushes", saveWalls, {}, "< 100 ms");

        // the engine's rows after the appends agree with the native ones
        const QVariant total = db.query("select count(*), sum(vizitdb) from lapb").value(0, 0);
        std::fprintf(stderr, "visits now: %lld\n", total.toLongLong());

        // --- (6) the full import: 100 000 sheets and 1 000 000 visits read
        // from another dBase file set, replacing the tables' records ---
        Table srcLap, srcLapb;
        srcLap.open(dir + "/SRCLAP.DBF", Table::Mode::ReadOnly);
        srcLapb.open(dir + "/SRCLAPB.DBF", Table::Mode::ReadOnly);
        std::uint32_t imported = 0;
        const double ours6 = seconds([&] {
            imported = lap.importFrom(srcLap, Table::Import::Replace) +
                       lapb.importFrom(srcLapb, Table::Import::Replace);
        });
        const double ours6wall = wallSeconds;
        // native: the same rows from another database file, in one transaction
        sqlite3* src = nullptr;
        sqlite3_open(QFile::encodeName(dir + "/src.db").constData(), &src);
        execNative(src, "drop table if exists lap; drop table if exists lapb");
        execNative(src, QStringLiteral("create table lap (%1)")
                            .arg(columnList(lapFields()))
                            .toUtf8()
                            .constData());
        execNative(src, QStringLiteral("create table lapb (%1)")
                            .arg(columnList(lapbFields()))
                            .toUtf8()
                            .constData());
        sqlite3_close(src);
        auto nativeImport = [&](sqlite3* conn) {
            const QByteArray at = "attach '" + QFile::encodeName(dir + "/src.db") + "' as src";
            execNative(conn, at.constData());
            execNative(conn, "begin; delete from src.lap; delete from src.lapb; "
                             "insert into src.lap select * from main.lap where rowid <= 100000; "
                             "insert into src.lapb select * from main.lapb where rowid <= 1000000; "
                             "commit");
            const double s = seconds([&] {
                execNative(conn, "begin; delete from main.lap; delete from main.lapb; "
                                 "insert into main.lap select * from src.lap; "
                                 "insert into main.lapb select * from src.lapb; commit");
            });
            execNative(conn, "detach src");
            return s;
        };
        const double nat6m = nativeImport(native);
        const double nat6d = nativeImport(disk);
        printRow("full import, 1 100 000 records (CPU)", ours6, nat6m, "< 3 s");
        printRow("  the same, native on disk WAL", ours6, nat6d, "< 3 s");
        printRow("  engine wall clock", ours6wall, 0, "");
        const char* isums = "select count(*), sum(vizitdb) from lapb";
        qint64 iN = 0;
        runNative(native, isums, {}, &iN);
        if (imported != kSheets + kVisits || db.query(isums).value(0, 1).toLongLong() != iN)
            throw std::runtime_error("the imported rows differ");

        // --- (7) open and close of the big table stay flat ---
        lapb.close();
        std::vector<double> oc;
        for (int i = 0; i < 5; ++i)
            oc.push_back(seconds([&] {
                Table t;
                t.open(lapbPath);
                t.close();
            }));
        printRuns("open + close LAPB, unchanged", oc, {}, "flat");

        // --- (8) closing the big table after a change of one record's key:
        // its index file is written (and flushed) ---
        std::vector<double> cc, ccWall;
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
            ccWall.push_back(wallSeconds);
        }
        printRuns("close LAPB after one change (CPU)", cc, {}, "");
        printRuns("  the same, wall clock with the flush", ccWall, {}, "");
        sqlite3_close(disk);
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
