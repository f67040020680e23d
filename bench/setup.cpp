#include "bench/setup.h"

#include "app/startup.h"
#include "db/layouts.h"
#include "engine/heap.h"
#include "engine/sysfile.h"

#include <QRegularExpression>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdio>

namespace bench {

Setup::Setup(int argc, char** argv, QDate today) : clock(today) {
    engine::keepFreedMemory();
    dir_ = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp_.path();
    QDir().mkpath(dir_);
    QDir::setCurrent(dir_);
}

bool Setup::ensure(const std::function<void(core::AppState&)>& more) {
    core::AppState st(msg, clock);
    return ensureTwentyYears(dir_, st, more);
}

std::unique_ptr<core::AppState> Setup::start(double* took) {
    auto st = std::make_unique<core::AppState>(msg, clock);
    // A folder copied just before still has its pages waiting to be written:
    // the first save's flush would write the whole copy. A user's tables were
    // written long before the program starts.
    engine::sys::syncAll();
    const auto t0 = std::chrono::steady_clock::now();
    const bool ok = app::Startup(*st, dialogs).run(dir_) == app::Startup::Outcome::MainWindow;
    if (took) *took = seconds(t0);
    if (!ok) return nullptr;
    return st;
}

double timeOf(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return seconds(t0);
}

std::vector<double> runs(int n, const std::function<void()>& f) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i)
        v.push_back(timeOf(f));
    return v;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QStringList nativeIndexes(const QString& table) {
    static const std::pair<const char*, db::TableId> ids[] = {
        {"lap", db::TableId::Lap},         {"lapb", db::TableId::Lapb},
        {"elrend", db::TableId::Elrend},   {"beteg", db::TableId::Beteg},
        {"orvos", db::TableId::Orvos},     {"apol", db::TableId::Apol},
        {"zaras", db::TableId::Zaras},     {"maradv", db::TableId::Maradv},
        {"szerz", db::TableId::Szerz},     {"szolgsz", db::TableId::Szolgsz},
        {"telepul", db::TableId::Telepul}, {"terulet", db::TableId::Terulet},
        {"thely", db::TableId::Thely},     {"bnotorzs", db::TableId::Bnotorzs}};
    QStringList out;
    static const QRegularExpression inner(QStringLiteral("^\\w+\\(\\s*(\\w+)"));
    for (const auto& [name, id] : ids) {
        if (table != QLatin1String(name)) continue;
        for (const db::TagDef& tag : db::layout(id).tags) {
            QStringList cols;
            for (const QString& part : tag.expression.split(QLatin1Char('+'))) {
                const auto m = inner.match(part.trimmed());
                cols << (m.hasMatch() ? m.captured(1) : part.trimmed()).toLower();
            }
            out << QStringLiteral("create index %1_%2 on %1(%3)")
                       .arg(table, tag.name.toLower(), cols.join(QLatin1Char(',')));
        }
    }
    return out;
}

QString loadNow() {
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("unknown");
    return QString::fromLatin1(f.readLine()).section(QLatin1Char(' '), 0, 2);
}

void printHeader() {
    std::printf("wall time; load average %s\n", qPrintable(loadNow()));
    std::printf("%-64s %10s %10s %10s %10s %7s\n", "figure (ms)", "first", "median", "nat.first",
                "nat.median", "ratio");
}

void printFigure(const char* what, const std::vector<double>& ours,
                 const std::vector<double>& native, const char* note) {
    const double o1 = ours.empty() ? 0 : ours.front() * 1000, om = median(ours) * 1000;
    if (native.empty()) {
        std::printf("%-64s %10.2f %10.2f %21s %7s  %s\n", what, o1, om, "no native twin", "", note);
        return;
    }
    const double n1 = native.front() * 1000, nm = median(native) * 1000;
    std::printf("%-64s %10.2f %10.2f %10.2f %10.2f %6.1fx  %s\n", what, o1, om, n1, nm,
                nm > 0 ? om / nm : 0.0, note);
}

} // namespace bench
