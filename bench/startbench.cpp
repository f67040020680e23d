// szstartbench: the start-up of the program on a large provider's data — a
// sheet table of 100 000 records and a visit table of 1 000 000 — with the
// login and the period answered by a script. Prints, each as the first run
// and the median of the runs:
// - the start-up sequence inside this process (app::Startup::run);
// - the whole program start as the user waits for it: szstartproc started as
//   a process (application, main window, start-up, window shown), from the
//   spawn to its exit, and the part its own clock sees (to the window shown);
// - the first start on the same data in the old layouts (LAP, LAPB and
//   ELREND without FINKOD, BETEG without AZTIP): the one-time conversion,
//   each run on a fresh copy;
// then a full re-indexing.
//
// Usage: szstartbench [FOLDER]   (a temporary program folder when none is given)

#include "app/login.h"
#include "app/period.h"
#include "app/startup.h"
#include "bench/setup.h"
#include "bench/twentyyears.h"
#include "core/appstate.h"
#include "db/layouts.h"
#include "db/tableops.h"
#include "engine/heap.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"
#include "tools/demo/demodata.h"
#include "ui/scriptedmessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <vector>

namespace {

const int kRuns = 5;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0.0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void report(const char* what, const std::vector<double>& runs) {
    if (runs.empty()) return;
    std::printf("%-58s first %.3f s, median %.3f s (%d runs)\n", what, runs.front(), median(runs),
                int(runs.size()));
}

// A layout's fields without the named ones.
std::vector<engine::FieldDef> without(db::TableId id, std::initializer_list<const char*> names) {
    std::vector<engine::FieldDef> out;
    for (const engine::FieldDef& f : db::layout(id).fields)
        if (std::none_of(names.begin(), names.end(),
                         [&](const char* n) { return f.name == QLatin1String(n); }))
            out.push_back(f);
    return out;
}

// Writes the table file again in the layout `fields` (fields of the same
// name copied byte for byte, the others blank, deletion flags kept), and
// removes its index file: the folder as an older version of the program left
// it, whose index files this one does not read.
void writeOldLayout(const QString& dbf, const std::vector<engine::FieldDef>& fields) {
    engine::Table cur;
    cur.open(dbf);
    engine::TableBuilder out(dbf, fields, QStringLiteral(".regi"));
    struct Step {
        int to, from, width; // the new record's offset, the old table's field
    };
    std::vector<Step> steps;
    for (const engine::FieldDef& f : out.fields()) {
        const int i = cur.fieldIndex(f.name);
        if (i < 0) continue;
        const engine::FieldDef& g = cur.fields()[size_t(i)];
        if (g.width != f.width || g.type != f.type)
            throw std::runtime_error("old layout: field " + f.name.toStdString() + " differs");
        steps.push_back({f.offset, i, f.width});
    }
    QByteArray rec(out.recordLength(), ' ');
    for (std::uint32_t r = 1; r <= cur.fileRecordCount(); ++r) {
        const engine::RecordView in = cur.record(r);
        rec.fill(' ');
        rec[0] = in.isDeleted() ? '*' : ' ';
        for (const Step& s : steps)
            std::memcpy(rec.data() + s.to, in.stored(s.from).data(), size_t(s.width));
        out.addRaw(rec.constData());
    }
    cur.close();
    out.commit();
    const QFileInfo fi(dbf);
    QFile::remove(fi.dir().filePath(db::indexFileName(fi.fileName())));
}

void copyFolder(const QString& from, const QString& to) {
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    for (const QFileInfo& fi : QDir(from).entryInfoList(QDir::Files))
        if (!QFile::copy(fi.filePath(), QDir(to).filePath(fi.fileName())))
            throw std::runtime_error("cannot copy " + fi.filePath().toStdString());
}

// The script's answers, and the time each stage of an upgrade took, as the
// progress window would have shown them.
struct TimedDialogs : bench::ScriptedDialogs {
    std::vector<std::pair<QString, double>> stages;
    QString current;
    std::chrono::steady_clock::time_point since;
    void progress(const QString& what, qint64, qint64) override {
        if (what == current) return;
        if (!current.isEmpty()) stages.emplace_back(current, bench::seconds(since));
        current = what;
        since = std::chrono::steady_clock::now();
    }
};

QString dataOf(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("DATA"));
}

// The measured starts, their figures, and the report of them.
struct StartBench {
    StartBench(const QString& dir, ui::ScriptedMessages& msg, core::Clock& clock,
               bench::ScriptedDialogs& dialogs)
        : dir(dir), msg(msg), clock(clock), dialogs(dialogs) {}

    void inProcessStarts();
    void processStarts();
    void oldLayoutStarts();
    void reportAndReindex();

    const QString dir;
    ui::ScriptedMessages& msg;
    core::Clock& clock;
    bench::ScriptedDialogs& dialogs;
    std::vector<double> inProcess;
    bool offscreen = false;
    std::vector<double> spawnToExit, ownClock;
    std::vector<double> oldLayout;
    std::map<QString, std::vector<double>> stageTimes;
    QStringList stageOrder;
};

void StartBench::inProcessStarts() {
    // The start-up sequence inside this process.
    for (int run = 0; run < kRuns; ++run) {
        core::AppState st(msg, clock);
        const auto t0 = std::chrono::steady_clock::now();
        const auto outcome = app::Startup(st, dialogs).run(dir);
        inProcess.push_back(bench::seconds(t0));
        if (outcome != app::Startup::Outcome::MainWindow) std::printf("start-up ended!\n");
    }
}

void StartBench::processStarts() {
    // The whole program start, as a process.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    offscreen = !env.contains(QStringLiteral("DISPLAY")) &&
                !env.contains(QStringLiteral("WAYLAND_DISPLAY"));
    if (offscreen) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (int run = 0; run < kRuns; ++run) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir);
        const auto t0 = std::chrono::steady_clock::now();
        p.start(QStringLiteral(SZSTARTPROC), {dir});
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            std::printf("szstartproc failed: %s%s\n", p.readAllStandardOutput().constData(),
                        p.readAllStandardError().constData());
            break;
        }
        spawnToExit.push_back(bench::seconds(t0));
        const QByteArray out = p.readAllStandardOutput();
        const int at = int(out.indexOf("shown: "));
        if (at >= 0) ownClock.push_back(out.mid(at + 7).split(' ').front().toDouble());
    }
}

void StartBench::oldLayoutStarts() {
    // The first start on the old layouts: a template folder made once,
    // copied afresh for every run.
    QTemporaryDir oldTmp;
    const QString oldTemplate = QDir(oldTmp.path()).filePath(QStringLiteral("regi"));
    const QString runDir = QDir(oldTmp.path()).filePath(QStringLiteral("futas"));
    copyFolder(dataOf(dir), dataOf(oldTemplate));
    const QString data = dataOf(oldTemplate);
    // The visit rows the converted table must hold: as many as now.
    std::uint32_t visits = 0;
    {
        engine::Table lapb;
        lapb.open(engine::findFileNoCase(QDir(data).filePath(QStringLiteral("Lapb.dbf"))));
        visits = lapb.fileRecordCount();
    }
    writeOldLayout(QDir(data).filePath(QStringLiteral("Beteg.dbf")),
                   without(db::TableId::Beteg, {"AZTIP"}));
    writeOldLayout(QDir(data).filePath(QStringLiteral("Elrend.dbf")),
                   without(db::TableId::Elrend, {"FINKOD"}));
    writeOldLayout(QDir(data).filePath(QStringLiteral("Lapb.dbf")),
                   without(db::TableId::Lapb, {"FINKOD"}));
    writeOldLayout(QDir(data).filePath(QStringLiteral("Lap.dbf")),
                   db::layout(db::TableId::Lapold).fields);
    for (int run = 0; run < kRuns; ++run) {
        copyFolder(dataOf(oldTemplate), dataOf(runDir));
        QDir::setCurrent(runDir);
        ui::ScriptedMessages oldMsg;
        core::AppState st(oldMsg, clock);
        TimedDialogs timed;
        const auto t0 = std::chrono::steady_clock::now();
        const auto outcome = app::Startup(st, timed).run(runDir);
        for (const auto& [what, secs] : timed.stages) {
            if (!stageOrder.contains(what)) stageOrder << what;
            stageTimes[what].push_back(secs);
        }
        oldLayout.push_back(bench::seconds(t0));
        if (outcome != app::Startup::Outcome::MainWindow || !oldMsg.isEmpty() ||
            !st.tables.lap.hasField(QStringLiteral("FINKOD")) ||
            st.tables.lapb.fileRecordCount() != visits)
            std::printf("the old-layout start did not convert cleanly\n");
        for (const auto& m : oldMsg.log())
            std::printf("message: %s\n", m.c_str());
    }
    QDir::setCurrent(dir);
}

void StartBench::reportAndReindex() {
    // What the user waits for is the process: the program's entry as
    // szstartproc runs it. The sequence inside this process leaves out the
    // application, the libraries' loading and the window; its first run is
    // the first in this process.
    std::printf("load average %s\n", qPrintable(bench::loadNow()));
    report("program start as a process (szstartproc), spawn to exit:", spawnToExit);
    report("  of it, the process's own clock, main() to window shown:", ownClock);
    if (offscreen) std::printf("  (no display: the process ran with QT_QPA_PLATFORM=offscreen)\n");
    report("start-up sequence alone, in this process (no window):", inProcess);
    report("first start on the old layouts (conversion), in process:", oldLayout);
    for (const QString& what : stageOrder)
        report(("  of it: " + what).toUtf8().constData(), stageTimes[what]);

    core::AppState st(msg, clock);
    app::Startup(st, dialogs).run(dir);
    std::vector<double> reindex;
    for (int run = 0; run < 3; ++run) {
        const auto t1 = std::chrono::steady_clock::now();
        db::reindexAll(st.tables, st.msg);
        reindex.push_back(bench::seconds(t1));
    }
    report("re-indexing every table:", reindex);
}

} // namespace

int main(int argc, char** argv) {
    engine::keepFreedMemory();
    QCoreApplication application(argc, argv);
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
            if (!bench::ensureTwentyYears(dir, st)) return 1;
        }

        StartBench b(dir, msg, clock, dialogs);
        b.inProcessStarts();
        b.processStarts();
        b.oldLayoutStarts();
        b.reportAndReindex();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szstartbench: %s\n", e.what());
        return 1;
    }
    for (const auto& m : msg.log())
        std::printf("message: %s\n", m.c_str());
    return 0;
}
