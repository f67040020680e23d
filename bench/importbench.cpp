// szimportbench: the county office's answers read back on twenty years of a
// large provider: the full data set (the provider's own 100 000 sheets,
// 1 000 000 visit rows and their diagnoses as the office keeps them, packed
// with arj) replacing LAP, LAPB and ELREND, and the answer to the last
// shipment (its visits accepted). The first run beside the median; each
// beside native SQLite doing the same work on a database file with a
// rollback journal and synchronous=FULL: the same rows loaded from another
// database file into tables with the program's columns and index tags, and
// the same visits marked accounted row by row in one transaction.
//
// Usage: szimportbench [FOLDER]   (a temporary program folder when none is given)

#include "app/period.h"
#include "bench/native.h"
#include "bench/setup.h"
#include "core/idoszak.h"
#include "db/arj.h"
#include "engine/database.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"
#include "exchange/elszamoltlapok.h"
#include "exchange/teljesadat.h"
#include "ui/folderbrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

engine::FieldDef C(const char* n, int w) {
    return engine::fieldDef(QLatin1String(n), 'C', w);
}
engine::FieldDef N(const char* n, int w) {
    return engine::fieldDef(QLatin1String(n), 'N', w);
}
engine::FieldDef D(const char* n) {
    return engine::fieldDef(QLatin1String(n), 'D');
}

QString compact(const QVariant& period) {
    return period.toString().remove(QLatin1Char('.'));
}
QVariant dateOf(const QVariant& iso) {
    return iso.isNull() ? QVariant() : QVariant(QDate::fromString(iso.toString(), Qt::ISODate));
}
QVariant number(const QVariant& v) {
    return v.isNull() ? QVariant() : QVariant(v.toString().toLongLong());
}

// The full data set as the office sends it: the provider's sheets with their
// orders, their visits, and one diagnosis row per filled-in code.
void writeDataSet(engine::Database& db, const QString& dir) {
    engine::TableBuilder aa(
        dir + "/Aa1890.dbf",
        {C("ULVKOD", 4),   C("FINKOD", 9),  N("SORSZAM", 5),  C("RESZ", 1),      C("IDOSZAK", 6),
         N("ORVOSKOD", 5), N("JORVKOD", 5), C("TAJ", 9),      C("KOZIGKOD", 7),  C("AZTIP", 1),
         C("TERKAT", 2),   C("ALLAMP", 3),  N("TERPOT", 1),   C("TEVKODOK", 34), D("ELBOCS"),
         N("APNAP", 4),    D("ELREND"),     D("SZAKVET"),     N("ELVIZDB", 3),   C("GYAK", 15),
         N("ELSZVIZ", 3),  N("ELSZAM", 3),  D("LEZDAT"),      N("ENGSZAM", 4),   D("ENGDAT"),
         N("OVIZITDB", 2), C("MODIDO", 6),  C("MODTIPUS", 1), C("ALLAPOT", 1)});
    db.each(QStringLiteral(
                "select a.intkod, a.finkod, a.sorsz, a.resz, a.idoszak, a.orvoskod, c.jorvkod, "
                "a.taj, a.kozigkod, a.aztip, a.terkat, a.allamp, a.tpotl, a.tevkodok, a.elb, "
                "a.apnap, c.elrend, c.szakvet, c.elvizdb, c.gyak, a.elszviz, a.elszam, a.lezdat, "
                "c.engszam, c.engdat, a.szviz, a.elkuldve, a.modtipus, a.allapot from lap a, "
                "elrend c where a.idoszak=c.idoszak and a.sorsz=c.sorsz and a.resz is c.resz "
                "order by a.idoszak, a.sorsz, a.resz"),
            {}, [&](const QVariantList& r) {
                const QString allapot = r[28].toString();
                aa.addRow({r[0],
                           r[1],
                           number(r[2]),
                           r[3],
                           compact(r[4]),
                           number(r[5]),
                           number(r[6]),
                           r[7],
                           r[8],
                           r[9],
                           r[10],
                           r[11],
                           r[12].toString() == QLatin1String("I") ? 2 : 1,
                           r[13],
                           dateOf(r[14]),
                           r[15],
                           dateOf(r[16]),
                           dateOf(r[17]),
                           r[18],
                           r[19],
                           r[20],
                           r[21],
                           dateOf(r[22]),
                           r[23],
                           dateOf(r[24]),
                           r[25],
                           compact(r[26]),
                           r[27],
                           allapot == QString(QChar(0x0171)) ? QStringLiteral("u") : allapot});
            });
    engine::TableBuilder ab(dir + "/Ab1890.dbf",
                            {C("ULVKOD", 4), C("FINKOD", 9), N("SORSZAM", 5), C("RESZ", 1),
                             C("IDOSZAK", 6), C("TEVKOD", 2), N("ELLTIP", 1), N("ONKEP", 1),
                             D("DATUMTOL"), C("APTAJ", 9), N("VIZITDB", 2), C("ELSZIDO", 6)});
    db.each(QStringLiteral("select intkod, finkod, sorsz, resz, idoszak, tevkod, elltip, onkep, "
                           "apdatum, aptaj, vizitdb, elido from lapb order by idoszak, sorsz, "
                           "resz, apdatum"),
            {}, [&](const QVariantList& r) {
                ab.addRow({r[0], r[1], number(r[2]), r[3], compact(r[4]), r[5], r[6], r[7],
                           dateOf(r[8]), r[9], r[10], compact(r[11])});
            });
    engine::TableBuilder ac(dir + "/Ac1890.dbf",
                            {C("ULVKOD", 4), C("FINKOD", 9), N("SORSZAM", 5), C("RESZ", 1),
                             C("IDOSZAK", 6), N("BNOTIP", 1), C("BNOKOD", 5)});
    db.each(
        QStringLiteral("select intkod, finkod, sorsz, resz, idoszak, bnoki, bnofo, bnomell, "
                       "bnorov, bnoell from lap order by idoszak, sorsz, resz"),
        {}, [&](const QVariantList& r) {
            const int kinds[] = {1, 3, 4, 5, 6}; // the office's kinds of the five codes
            for (int k = 0; k < 5; ++k)
                if (!r[5 + k].isNull())
                    ac.addRow({r[0], r[1], number(r[2]), r[3], compact(r[4]), kinds[k], r[5 + k]});
        });
    aa.commit();
    ab.commit();
    ac.commit();
}

struct Accepted {
    QString sorsz, resz, idoszak, apdatum;
};

// The answer to the last shipment: every visit it sent accepted.
std::vector<Accepted> writeAccounted(engine::Database& db, const QString& dir,
                                     const QString& shipped, const QString& answered) {
    engine::TableBuilder mb(dir + "/Mb1890.dbf",
                            {C("ULVKOD", 4), N("SORSZAM", 5), C("RESZ", 1), C("IDOSZAK", 6),
                             D("DATUMTOL"), C("ELSZIDO", 6), N("VIZITDB", 2)});
    std::vector<Accepted> rows;
    db.each(
        QStringLiteral("select intkod, sorsz, resz, idoszak, apdatum, vizitdb from lapb "
                       "where idoszak=? and elkuldve=? order by sorsz, resz, apdatum"),
        {shipped, shipped}, [&](const QVariantList& r) {
            mb.addRow(
                {r[0], number(r[1]), r[2], compact(r[3]), dateOf(r[4]), compact(answered), r[5]});
            rows.push_back({r[1].toString(), r[2].toString(), r[3].toString(), r[4].toString()});
        });
    mb.commit();
    for (const char* n : {"Ma1890.dbf", "Mc1890.dbf"}) {
        engine::TableBuilder t(dir + "/" + n, {C("X", 1)});
        t.commit();
    }
    engine::TableBuilder rav(dir + "/Rav1890.dbf",
                             {C("IDOSZAK", 6), N("ALAPDIJ", 10), N("ELOLEG", 10)});
    rav.addRow({compact(shipped), 3450, 120000});
    rav.commit();
    return rows;
}

struct NoFolder : ui::FolderAsker {
    ui::FolderChoice chooseFolder(const QString&, const QString&) override { return {}; }
};

double since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Native SQLite loading the same rows from another database file into
// tables with the program's columns and indexes, in one transaction.
double nativeFull(const QString& file, const QString& source) {
    sqlite3* db = bench::native::openFile(file);
    const auto t0 = Clock::now();
    bench::native::exec(db, "attach '" + source + "' as src");
    bench::native::exec(db, QStringLiteral("begin"));
    for (const char* t : {"lap", "lapb", "elrend"}) {
        const QString name = QString::fromLatin1(t);
        bench::native::exec(db, QStringLiteral("create table main.%1 as select * from src.%1 "
                                               "where 0")
                                    .arg(name));
        bench::native::exec(db,
                            QStringLiteral("insert into main.%1 select * from src.%1").arg(name));
        for (const QString& index : bench::nativeIndexes(name))
            bench::native::exec(db, index);
    }
    bench::native::exec(db, QStringLiteral("commit"));
    const double s = since(t0);
    bench::native::exec(db, QStringLiteral("detach src"));
    sqlite3_close(db);
    return s;
}

// Native SQLite writing the answer into the tables nativeFull made: each
// accepted visit marked through the program's index, the sheets' payment
// state, in one transaction.
double nativeMonth(const QString& file, const std::vector<Accepted>& rows, const QString& shipped,
                   const QString& answered) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    bench::native::exec(db, QStringLiteral("pragma synchronous=full"));
    const auto t0 = Clock::now();
    bench::native::exec(db, QStringLiteral("begin"));
    sqlite3_stmt* u = nullptr;
    sqlite3_prepare_v2(db,
                       "update lapb set elido=? where idoszak=? and sorsz=? and resz is ? and "
                       "apdatum=?",
                       -1, &u, nullptr);
    const QByteArray e = answered.toUtf8();
    for (const Accepted& a : rows) {
        const QByteArray p = a.idoszak.toUtf8(), s = a.sorsz.toUtf8(), r = a.resz.toUtf8(),
                         d = a.apdatum.toUtf8();
        sqlite3_bind_text(u, 1, e.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(u, 2, p.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(u, 3, s.constData(), -1, SQLITE_TRANSIENT);
        if (a.resz.isEmpty())
            sqlite3_bind_null(u, 4);
        else
            sqlite3_bind_text(u, 4, r.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(u, 5, d.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(u);
        sqlite3_reset(u);
    }
    sqlite3_finalize(u);
    bench::native::query(db,
                         QStringLiteral("update lap set allapot = (select case when "
                                        "sum(b.vizitdb) = lap.szviz then 'u' else 'R' end from "
                                        "lapb b where b.idoszak = lap.idoszak and b.sorsz = "
                                        "lap.sorsz and b.resz is lap.resz and b.elido = ?) where "
                                        "elkuldve = ?"),
                         {answered, shipped});
    bench::native::exec(db, QStringLiteral("commit"));
    const double s = since(t0);
    sqlite3_close(db);
    return s;
}

// A line of this process's /proc/self/status in MB (Linux; 0 elsewhere):
// VmHWM the peak resident set (the mapped files' pages and the libraries
// included), RssAnon the program's own memory, RssFile the file pages
// mapped now.
double statusMb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key) && line.size() > qsizetype(strlen(key)) &&
            line[qsizetype(strlen(key))] == ':')
            return line.mid(qsizetype(strlen(key)) + 1).trimmed().split(' ').value(0).toDouble() /
                   1024;
    return 0;
}

// Starts the peak resident set (VmHWM) anew from the present (Linux).
void resetPeakMemory() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

// The full data set read three times; false when a run fails.
bool fullImports(core::AppState& st, ui::ScriptedMessages& msg, NoFolder& folders,
                 const QString& in, std::vector<double>& full) {
    for (int i = 0; i < 3; ++i) {
        exch::TeljesAdat imp(st, folders);
        msg.clear();
        // Where the time of a run goes, stage by stage.
        QString stage;
        Clock::time_point at;
        QStringList stages;
        // The peak resident set of each stage, and of the whole run.
        double peak = 0;
        auto stagePeak = [&] {
            const double mb = statusMb("VmHWM");
            peak = std::max(peak, mb);
            resetPeakMemory();
            return mb;
        };
        imp.setProgress([&](const QString& s) {
            const double mb = stagePeak();
            if (!stage.isEmpty())
                stages << QStringLiteral("%1 %2 ms (peak %3 MB)")
                              .arg(stage)
                              .arg(since(at) * 1000, 0, 'f', 0)
                              .arg(mb, 0, 'f', 0);
            stage = s;
            at = Clock::now();
        });
        resetPeakMemory();
        const auto t0 = Clock::now();
        if (!imp.beolvas(in)) {
            std::fprintf(stderr, "%s\n", qPrintable(msg.last()));
            return false;
        }
        full.push_back(since(t0));
        stages << QStringLiteral("%1 and the message %2 ms (peak %3 MB)")
                      .arg(stage)
                      .arg(since(at) * 1000, 0, 'f', 0)
                      .arg(stagePeak(), 0, 'f', 0);
        std::printf("  %s\n", qPrintable(stages.join(", ")));
        std::printf("  memory: peak %.0f MB (VmHWM); after it RssAnon %.0f MB, RssFile %.0f MB\n",
                    peak, statusMb("RssAnon"), statusMb("RssFile"));
        if (i == 0)
            std::printf("full data set: %d sheets, %d visit rows, %d diagnoses restored\n",
                        imp.osszegzes().lapok, imp.osszegzes().vizitek,
                        imp.osszegzes().diagnozisok);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    bench::Setup setup(argc, argv);
    ui::ScriptedMessages& msg = setup.msg;
    try {
        if (!setup.ensure()) return 1;
        auto stp = setup.start();
        if (!stp) return 1;
        core::AppState& st = *stp;
        const QString dir = setup.dir();
        const QString in = dir + "/floppy", month = dir + "/havi";
        QDir(in).removeRecursively();
        QDir(month).removeRecursively();
        QDir().mkpath(in);
        QDir().mkpath(month);
        const QString shipped = st.id.plusMonths(-1).text();
        const QString answered = st.id.text();

        // The office's files, and the native source database, from the
        // provider's tables as they are before any import.
        auto t0 = Clock::now();
        writeDataSet(st.tables.dbo, in);
        const std::vector<Accepted> accepted =
            writeAccounted(st.tables.dbo, month, shipped, answered);
        const QStringList files = {in + "/Aa1890.dbf", in + "/Ab1890.dbf", in + "/Ac1890.dbf"};
        if (!db::Archiver().pack(in + "/Telj1890.arj", files)) return 1;
        for (const QString& f : files)
            QFile::remove(f);
        const QString source = dir + "/native-source.db", target = dir + "/native-import.db";
        {
            sqlite3* src = bench::native::openFile(source);
            for (const char* t : {"lap", "lapb", "elrend"})
                bench::native::copyTable(src, st.tables.dbo, QString::fromLatin1(t));
            sqlite3_close(src);
        }
        std::printf("files made and packed, native source copied in %.1f s\n\n", since(t0));

        std::printf("memory before the full data set: VmHWM %.0f MB, RssAnon %.0f MB, RssFile "
                    "%.0f MB\n",
                    statusMb("VmHWM"), statusMb("RssAnon"), statusMb("RssFile"));
        NoFolder folders;
        std::vector<double> full;
        if (!fullImports(st, msg, folders, in, full)) return 1;
        std::printf("%u sheets, %u visit rows in the files after the import\n",
                    st.tables.lap.fileRecordCount(), st.tables.lapb.fileRecordCount());
        // The answer is read in the period it accounts, chosen as the user
        // chooses it (a closed period: confirmed).
        msg.answer(true);
        if (app::Period(st).ok(shipped) != app::Period::Result::Accepted) {
            std::fprintf(stderr, "the period %s cannot be chosen\n", qPrintable(shipped));
            return 1;
        }
        std::vector<double> monthRuns;
        for (int i = 0; i < 3; ++i) {
            exch::ElszamoltLapok imp(st, folders);
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
        std::vector<double> nFull, nMonth;
        for (int i = 0; i < 3; ++i) {
            nFull.push_back(nativeFull(target, source));
            nMonth.push_back(nativeMonth(target, accepted, shipped, answered));
        }
        bench::native::close(nullptr, target);
        bench::native::close(nullptr, source);
        std::printf("\n");
        bench::printHeader();
        bench::printFigure("full data set, archive to indexed tables", full, nFull, "(< 5 000 ms)");
        char what[80];
        std::snprintf(what, sizeof what, "the last shipment's answer (%zu visit rows)",
                      accepted.size());
        bench::printFigure(what, monthRuns, nMonth, "(< 500 ms)");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szimportbench: %s\n", e.what());
        return 1;
    }
    return 0;
}
