#include "bench/twentyyears.h"

#include "engine/table.h"
#include "tools/demo/demodata.h"

#include <QDate>
#include <cstdio>

namespace bench {

bool ScriptedDialogs::login(core::AppState& st) {
    app::Login l(st, false);
    return l.prepare() && l.ok(QStringLiteral("titok")) == app::Login::Result::Accepted;
}

bool ScriptedDialogs::period(core::AppState& st) {
    return app::Period(st).ok(st.clock.today().toString(QStringLiteral("yyyy.MM"))) ==
           app::Period::Result::Accepted;
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

QString periodOf(int p) {
    return QStringLiteral("%1.%2").arg(2006 + p / 12).arg(p % 12 + 1, 2, 10, QLatin1Char('0'));
}

void fillTwentyYears(core::AppState& st, const QStringList& nurses) {
    engine::Table& lap = st.tables.lap;
    engine::Table& lapb = st.tables.lapb;
    QByteArray sheet(lap.header().recordLength, ' ');
    QByteArray visit(lapb.header().recordLength, ' ');
    auto set = [](engine::Table& t, QByteArray& rec, const char* field, const QVariant& v) {
        t.encodeField(t.fieldIndex(QLatin1String(field)), v, rec.data());
    };
    int number = 0;
    for (int s = 0; s < 100000; ++s) {
        const int p = s * 240 / 100000;
        if (s > 0 && p % 12 == 0 && (s - 1) * 240 / 100000 != p) number = 0;
        const QString period = periodOf(p);
        const QString sorsz = QStringLiteral("%1").arg(++number, 5, 10, QLatin1Char('0'));
        sheet.fill(' ');
        set(lap, sheet, "IDOSZAK", period);
        set(lap, sheet, "INTKOD", QStringLiteral("1890"));
        set(lap, sheet, "SORSZ", sorsz);
        set(lap, sheet, "TAJ", QStringLiteral("%1").arg(100000000 + s * 7 % 50000, 9));
        set(lap, sheet, "SZVIZ", 10);
        set(lap, sheet, "ELKULDVE", period);
        lap.appendRaw(sheet);
        for (int v = 0; v < 10; ++v) {
            visit.fill(' ');
            set(lapb, visit, "IDOSZAK", period);
            set(lapb, visit, "SORSZ", sorsz);
            set(lapb, visit, "ELLTIP", 2);
            set(lapb, visit, "ONKEP", 1 + v % 3);
            set(lapb, visit, "APDATUM",
                QDate::fromString(period + QStringLiteral(".01"), QStringLiteral("yyyy.MM.dd"))
                    .addDays(v));
            set(lapb, visit, "VIZITDB", 1);
            if (!nurses.isEmpty()) {
                set(lapb, visit, "APTAJ", nurses[(s + v) % nurses.size()]);
                set(lapb, visit, "TEVKOD", QStringLiteral("7"));
            }
            lapb.appendRaw(visit);
        }
    }
}

bool ensureTwentyYears(const QString& dir, core::AppState& st,
                       const std::function<void(core::AppState&)>& more) {
    if (demo::hasCountyData(dir)) return true;
    demo::makeDemoData(dir, st.clock.today());
    ScriptedDialogs dialogs;
    if (app::Startup(st, dialogs).run(dir) != app::Startup::Outcome::MainWindow) return false;
    const auto t0 = std::chrono::steady_clock::now();
    fillTwentyYears(st);
    if (more) more(st);
    std::printf("built twenty years of data in %.1f s\n", seconds(t0));
    return true;
}

} // namespace bench
