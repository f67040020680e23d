#include "bench/benchdata.h"

#include "app/appstate.h"
#include "engine/table.h"

#include <QByteArray>
#include <QDate>
#include <QSet>

namespace benchdata {

QString periodOf(int p) {
    return QStringLiteral("%1.%2").arg(2006 + p / 12).arg(p % 12 + 1, 2, 10, QLatin1Char('0'));
}

void fill(app::AppState& st, const Shape& shape) {
    engine::Table& lap = st.tables.lap;
    engine::Table& lapb = st.tables.lapb;
    QByteArray sheet(lap.header().recordLength, ' ');
    QByteArray visit(lapb.header().recordLength, ' ');
    auto set = [](engine::Table& t, QByteArray& rec, const char* field, const QVariant& v) {
        t.encodeField(t.fieldIndex(QLatin1String(field)), v, rec.data());
    };
    const int n = shape.sheets;
    QSet<QString> patients;
    int number = 0;
    for (int s = 0; s < n; ++s) {
        const int p = s * 240 / n;
        if (s > 0 && p % 12 == 0 && (s - 1) * 240 / n != p) number = 0;
        const QString period = periodOf(p);
        const QString sorsz = QStringLiteral("%1").arg(++number, 5, 10, QLatin1Char('0'));
        const QString resz = shape.mixed && s % 10 == 9 ? QStringLiteral("A") : QString();
        const QString taj = QStringLiteral("%1").arg(100000000 + s * 7 % 50000, 9);
        sheet.fill(' ');
        set(lap, sheet, "IDOSZAK", period);
        set(lap, sheet, "INTKOD", QStringLiteral("1890"));
        set(lap, sheet, "SORSZ", sorsz);
        set(lap, sheet, "RESZ", resz);
        set(lap, sheet, "TAJ", taj);
        set(lap, sheet, "SZVIZ", shape.visitsPerSheet);
        if (shape.mixed) {
            set(lap, sheet, "ELSZAM", s % 3 == 0 ? 2 : 1);
            set(lap, sheet, "TPOTL", s % 4 == 0 ? QStringLiteral("I") : QStringLiteral("N"));
            if (p < 236) set(lap, sheet, "ELKULDVE", period);
            patients.insert(taj);
        } else {
            set(lap, sheet, "ELKULDVE", period);
        }
        lap.appendRaw(sheet);
        for (int v = 0; v < shape.visitsPerSheet; ++v) {
            visit.fill(' ');
            set(lapb, visit, "IDOSZAK", period);
            set(lapb, visit, "SORSZ", sorsz);
            set(lapb, visit, "RESZ", resz);
            set(lapb, visit, "ELLTIP", shape.mixed && v % 5 == 4 ? 4 : 2);
            set(lapb, visit, "ONKEP", 1 + v % 3);
            set(lapb, visit, "APDATUM",
                QDate::fromString(period + QStringLiteral(".01"), QStringLiteral("yyyy.MM.dd"))
                    .addDays(v));
            set(lapb, visit, "VIZITDB", 1);
            lapb.appendRaw(visit);
        }
    }
    if (shape.mixed) {
        engine::Table& beteg = st.tables.beteg;
        QByteArray rec(beteg.header().recordLength, ' ');
        int i = 0;
        for (const QString& taj : patients) {
            rec.fill(' ');
            set(beteg, rec, "TAJ", taj);
            set(beteg, rec, "NEV", QStringLiteral("Beteg %1").arg(++i));
            set(beteg, rec, "NEME", i % 2 ? QStringLiteral("N") : QStringLiteral("F"));
            beteg.appendRaw(rec);
        }
    }
}

} // namespace benchdata
