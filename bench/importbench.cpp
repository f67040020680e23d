// szimportbench: the county office's answers read back on twenty years of a
// large provider: the full data set (100 000 sheets, 1 100 000 visit rows,
// 300 000 diagnoses, packed with arj) replacing LAP, LAPB and ELREND, and a
// month's accounted sheets (5 000 visit rows). Each figure stands beside
// native SQLite doing the same work (the rows loaded into indexed tables of
// a database file; the month's updates through an index).
//
// Usage: szimportbench   (works in a temporary folder)

#include "app/startup.h"
#include "bench/twentyyears.h"
#include "core/appstate.h"
#include "db/arj.h"
#include "engine/tablebuilder.h"
#include "exchange/elszamoltlapok.h"
#include "exchange/teljesadat.h"
#include "tools/demo/demodata.h"
#include "ui/folderbrowser.h"
#include "ui/scriptedmessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPeriods = 240, kPerPeriod = 417;

engine::FieldDef C(const char* n, int w) {
    return engine::fieldDef(QLatin1String(n), 'C', w);
}
engine::FieldDef N(const char* n, int w) {
    return engine::fieldDef(QLatin1String(n), 'N', w);
}
engine::FieldDef D(const char* n) {
    return engine::fieldDef(QLatin1String(n), 'D');
}

struct Sheet {
    QString p6;
    int sorszam;
    QString resz;
    int visits;
    QDate first;
};

// Every sheet of the twenty years in the archive's order.
template <typename F> void eachSheet(F&& f) {
    for (int p = 0; p < kPeriods; ++p) {
        const QDate first(2006 + p / 12, p % 12 + 1, 1);
        const QString p6 = first.toString("yyyyMM");
        for (int k = 0; k < kPerPeriod; ++k)
            f(Sheet{p6, (p % 12) * kPerPeriod + k + 1, k % 10 == 9 ? "A" : "",
                    p == kPeriods - 1 ? 12 : 11, first});
    }
}

void writeDataSet(const QString& dir) {
    engine::TableBuilder aa(
        dir + "/Aa1890.dbf",
        {C("ULVKOD", 4),   C("FINKOD", 9),  N("SORSZAM", 5),  C("RESZ", 1),      C("IDOSZAK", 6),
         N("ORVOSKOD", 5), N("JORVKOD", 5), C("TAJ", 9),      C("KOZIGKOD", 7),  C("AZTIP", 1),
         C("TERKAT", 2),   C("ALLAMP", 3),  N("TERPOT", 1),   C("TEVKODOK", 34), D("ELBOCS"),
         N("APNAP", 4),    D("ELREND"),     D("SZAKVET"),     N("ELVIZDB", 3),   C("GYAK", 15),
         N("ELSZVIZ", 3),  N("ELSZAM", 3),  D("LEZDAT"),      N("ENGSZAM", 4),   D("ENGDAT"),
         N("OVIZITDB", 2), C("MODIDO", 6),  C("MODTIPUS", 1), C("ALLAPOT", 1)});
    engine::TableBuilder ab(dir + "/Ab1890.dbf",
                            {C("ULVKOD", 4), C("FINKOD", 9), N("SORSZAM", 5), C("RESZ", 1),
                             C("IDOSZAK", 6), C("TEVKOD", 2), N("ELLTIP", 1), N("ONKEP", 1),
                             D("DATUMTOL"), C("APTAJ", 9), N("VIZITDB", 2), C("ELSZIDO", 6)});
    engine::TableBuilder ac(dir + "/Ac1890.dbf",
                            {C("ULVKOD", 4), C("FINKOD", 9), N("SORSZAM", 5), C("RESZ", 1),
                             C("IDOSZAK", 6), N("BNOTIP", 1), C("BNOKOD", 5)});
    eachSheet([&](const Sheet& s) {
        aa.addRow(
            {"1890",     "FIN000042", s.sorszam,  s.resz,
             s.p6,       12,          44,         QStringLiteral("%1").arg(100000000 + s.sorszam),
             "1234567",  "1",         "01",       "HUN",
             1,          "AB",        QVariant(), 0,
             s.first,    s.first,     s.visits,   "heti 3",
             0,          1,           QVariant(), 0,
             QVariant(), s.visits,    s.p6,       "",
             "u"});
        for (int v = 0; v < s.visits; ++v)
            ab.addRow({"1890", "FIN000042", s.sorszam, s.resz, s.p6, "01", 2, 1, s.first.addDays(v),
                       "012345678", 1, s.p6});
        for (int t : {3, 5, 1})
            ac.addRow({"1890", "FIN000042", s.sorszam, s.resz, s.p6, t, "I10"});
    });
    aa.commit();
    ab.commit();
    ac.commit();
}

// The month's answer: every visit of the last period accepted.
void writeAccounted(const QString& dir) {
    engine::TableBuilder mb(dir + "/Mb1890.dbf",
                            {C("ULVKOD", 4), N("SORSZAM", 5), C("RESZ", 1), C("IDOSZAK", 6),
                             D("DATUMTOL"), C("ELSZIDO", 6), N("VIZITDB", 2)});
    int p = 0;
    eachSheet([&](const Sheet& s) {
        if (++p <= (kPeriods - 1) * kPerPeriod) return;
        for (int v = 0; v < s.visits; ++v)
            mb.addRow({"1890", s.sorszam, s.resz, s.p6, s.first.addDays(v), "202601", 1});
    });
    mb.commit();
    for (const char* n : {"Ma1890.dbf", "Mc1890.dbf"}) {
        engine::TableBuilder t(dir + "/" + n, {C("X", 1)});
        t.commit();
    }
    engine::TableBuilder rav(dir + "/Rav1890.dbf",
                             {C("IDOSZAK", 6), N("ALAPDIJ", 10), N("ELOLEG", 10)});
    rav.addRow({"202512", 3450, 120000});
    rav.commit();
}

struct NoFolder : ui::FolderAsker {
    ui::FolderChoice chooseFolder(const QString&, const QString&) override { return {}; }
};

void report(const char* what, std::vector<double> v, double native, const char* target) {
    const double first = v.front();
    std::sort(v.begin(), v.end());
    std::printf("%-44s first %8.0f ms  median %8.0f ms   native %8.0f ms   %s\n", what, first,
                v[v.size() / 2], native, target);
}

double since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

void exec(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", err);
        sqlite3_free(err);
    }
}

// Native SQLite loading the same rows into indexed tables of a file.
double nativeFull(const QString& file) {
    QFile::remove(file);
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    const auto t0 = Clock::now();
    exec(db, "create table lap(idoszak,intkod,finkod,sorsz,resz,taj,kozigkod,tpotl,orvoskod,"
             "szviz,allapot,elkuldve,bnofo,bnorov,bnoki,tele);"
             "create table elrend(idoszak,intkod,finkod,sorsz,resz,jorvkod,elrend,szakvet,gyak,"
             "elvizdb,elkuldve);"
             "create table lapb(idoszak,intkod,finkod,sorsz,resz,tevkod,elltip,onkep,apdatum,"
             "aptaj,vizitdb,elido,elkuldve); begin");
    sqlite3_stmt *l, *e, *b;
    sqlite3_prepare_v2(db,
                       "insert into lap values(?,'1890','FIN000042',?,?,?,'1234567','N',"
                       "'00012',?,'u',?,'I10','I10','I10',null)",
                       -1, &l, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into elrend values(?,'1890','FIN000042',?,?,'00044',?,?,"
                       "'heti 3',?,?)",
                       -1, &e, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into lapb values(?,'1890','FIN000042',?,?,'01',2,1,?,"
                       "'012345678',1,?,?)",
                       -1, &b, nullptr);
    eachSheet([&](const Sheet& s) {
        const QByteArray p = (s.p6.left(4) + "." + s.p6.mid(4)).toLatin1();
        const QByteArray sz = QByteArray::number(s.sorszam).rightJustified(5, '0');
        const QByteArray r = s.resz.toLatin1(), d = s.first.toString(Qt::ISODate).toLatin1();
        sqlite3_bind_text(l, 1, p, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(l, 2, sz, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(l, 3, r, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(l, 4, 100000000 + s.sorszam);
        sqlite3_bind_int(l, 5, s.visits);
        sqlite3_bind_text(l, 6, p, -1, SQLITE_TRANSIENT);
        sqlite3_step(l);
        sqlite3_reset(l);
        sqlite3_bind_text(e, 1, p, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(e, 2, sz, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(e, 3, r, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(e, 4, d, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(e, 5, d, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(e, 6, s.visits);
        sqlite3_bind_text(e, 7, p, -1, SQLITE_TRANSIENT);
        sqlite3_step(e);
        sqlite3_reset(e);
        for (int v = 0; v < s.visits; ++v) {
            const QByteArray dv = s.first.addDays(v).toString(Qt::ISODate).toLatin1();
            sqlite3_bind_text(b, 1, p, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(b, 2, sz, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(b, 3, r, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(b, 4, dv, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(b, 5, p, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(b, 6, p, -1, SQLITE_TRANSIENT);
            sqlite3_step(b);
            sqlite3_reset(b);
        }
    });
    exec(db, "create index lap1 on lap(sorsz,resz); create index lap2 on lap(taj,idoszak);"
             "create index lap3 on lap(idoszak,sorsz,resz); create index rend1 on "
             "elrend(sorsz,resz); create index rend2 on elrend(idoszak,sorsz,resz);"
             "create index lapb1 on lapb(sorsz,resz); create index lapb2 on "
             "lapb(idoszak,sorsz,resz); commit");
    const double ms = since(t0);
    sqlite3_finalize(l);
    sqlite3_finalize(e);
    sqlite3_finalize(b);
    sqlite3_close(db);
    return ms;
}

// Native SQLite writing the month's answer into the tables nativeFull made.
double nativeMonth(const QString& file) {
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    exec(db, "create index if not exists lapb3 on lapb(idoszak,sorsz,resz,apdatum)");
    const auto t0 = Clock::now();
    exec(db, "begin");
    sqlite3_stmt* u;
    sqlite3_prepare_v2(db,
                       "update lapb set elido='2026.01' where idoszak='2025.12' and sorsz=? "
                       "and resz is ? and apdatum=?",
                       -1, &u, nullptr);
    int p = 0;
    eachSheet([&](const Sheet& s) {
        if (++p <= (kPeriods - 1) * kPerPeriod) return;
        const QByteArray sz = QByteArray::number(s.sorszam).rightJustified(5, '0');
        for (int v = 0; v < s.visits; ++v) {
            const QByteArray dv = s.first.addDays(v).toString(Qt::ISODate).toLatin1();
            sqlite3_bind_text(u, 1, sz, -1, SQLITE_TRANSIENT);
            if (s.resz.isEmpty())
                sqlite3_bind_null(u, 2);
            else
                sqlite3_bind_text(u, 2, "A", -1, SQLITE_STATIC);
            sqlite3_bind_text(u, 3, dv, -1, SQLITE_TRANSIENT);
            sqlite3_step(u);
            sqlite3_reset(u);
        }
    });
    exec(db, "update lap set allapot = (select case when sum(b.vizitdb) = lap.szviz then 'u' "
             "else 'R' end from lapb b where b.idoszak = lap.idoszak and b.sorsz = lap.sorsz "
             "and b.resz is lap.resz and b.elido is not null) where idoszak = '2025.12'; commit");
    const double ms = since(t0);
    sqlite3_finalize(u);
    sqlite3_close(db);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    QDir::setCurrent(dir);
    ui::ScriptedMessages msg;
    core::Clock clock(QDate(2026, 1, 10));
    core::AppState st(msg, clock);
    demo::makeDemoData(dir, clock.today());
    bench::ScriptedDialogs dialogs;
    clock.setToday(QDate(2025, 12, 10));
    if (app::Startup(st, dialogs).run(dir) != app::Startup::Outcome::MainWindow) return 1;
    const QString in = dir + "/floppy", month = dir + "/havi";
    QDir().mkpath(in);
    QDir().mkpath(month);
    auto t0 = Clock::now();
    writeDataSet(in);
    writeAccounted(month);
    const QStringList files = {in + "/Aa1890.dbf", in + "/Ab1890.dbf", in + "/Ac1890.dbf"};
    if (!db::Archiver().pack(in + "/Telj1890.arj", files)) return 1;
    for (const QString& f : files)
        QFile::remove(f);
    std::printf("files made and packed in %.1f s\n\n", since(t0) / 1000);

    NoFolder folders;
    std::vector<double> full;
    for (int i = 0; i < 3; ++i) {
        exchange::TeljesAdat imp(st, folders);
        msg.clear();
        // Where the time of a run goes, stage by stage.
        QString stage;
        Clock::time_point at;
        QStringList stages;
        imp.setProgress([&](const QString& s) {
            if (!stage.isEmpty())
                stages << QStringLiteral("%1 %2 ms").arg(stage).arg(since(at), 0, 'f', 0);
            stage = s;
            at = Clock::now();
        });
        t0 = Clock::now();
        if (!imp.beolvas(in)) {
            std::fprintf(stderr, "%s\n", qPrintable(msg.last()));
            return 1;
        }
        full.push_back(since(t0));
        stages << QStringLiteral("%1 and the message %2 ms").arg(stage).arg(since(at), 0, 'f', 0);
        std::printf("  %s\n", qPrintable(stages.join(", ")));
        if (i == 0)
            std::printf("full data set: %d sheets, %d visit rows, %d diagnoses restored\n",
                        imp.osszegzes().lapok, imp.osszegzes().vizitek,
                        imp.osszegzes().diagnozisok);
    }
    std::printf("%u sheets, %u visit rows in the files after the import\n",
                st.tables.lap.fileRecordCount(), st.tables.lapb.fileRecordCount());
    std::vector<double> monthRuns;
    for (int i = 0; i < 3; ++i) {
        exchange::ElszamoltLapok imp(st, folders);
        msg.clear();
        t0 = Clock::now();
        if (!imp.beolvas(month)) {
            std::fprintf(stderr, "%s\n", qPrintable(msg.last()));
            return 1;
        }
        monthRuns.push_back(since(t0));
        if (i == 0)
            std::printf("accounted: %d rows read, %d applied\n", imp.osszegzes().olvasott,
                        imp.osszegzes().bejegyzett);
    }
    const double nFull = nativeFull(dir + "/native.db");
    const double nMonth = nativeMonth(dir + "/native.db");
    report("full data set, archive to indexed tables", full, nFull, "(target < 5 000 ms)");
    report("a month's accounted sheets (5 000 rows)", monthRuns, nMonth, "(target < 500 ms)");
    return 0;
}
