// Telszlr: the old sheet "ELSZÁMOLÁSI LAP" of periods before 2005.02, one
// data row per sheet, its visits in eighteen slots (from, to, visits).

#include "reports/elszlap.h"
#include "reports/elszlapparts.h"

namespace reports {

namespace {

// One line of the slot table: its text and its slot in the first interval
// (the second interval's slot is nine more); 0 for a heading line.
struct SlotLine {
    const char* text;
    int slot;
    bool heading;
};

const SlotLine kLines[] = {
    {"Szakápolás", 0, true},
    {"A beteg teljes ápolásra szorult", 1, false},
    {"A beteg segítségre szorult", 2, false},
    {"A beteg önellátó", 3, false},
    {"A beteg otthonában történt szakirányú terápiás szolgáltatások adatai", 0, true},
    {"Gyógytorna", 0, true},
    {"A beteg teljes ápolásra szorult", 4, false},
    {"A beteg segítségre szorult", 5, false},
    {"Fizioterápia", 0, true},
    {"A beteg teljes ápolásra szorult", 6, false},
    {"A beteg segítségre szorult", 7, false},
    {"Logopédia", 0, true},
    {"A beteg teljes ápolásra szorult", 8, false},
    {"A beteg segítségre szorult", 9, false},
};

} // namespace

Report makeTelszlr(engine::Query rows, std::shared_ptr<SheetLookups> lookups,
                   const ProgramText& program) {
    using namespace parts;
    Report r(QStringLiteral("Telszlr"), QStringLiteral("Elszámolási lap"));
    r.data = std::move(rows);
    r.groupKey = sheetKey;
    addPageBands(r, program);

    Band& g = r.groupHeader;
    g.startsNewPage = true;
    double y = addSheetHeader(g, QStringLiteral("ELSZÁMOLÁSI LAP"), false);
    g.addLabel(0, y, 62, kRow, QStringLiteral("Ellátást végző(k) TAJ-száma"), kLabel);
    g.addText(QStringLiteral("aptaj1"), 62, y, 25, kRow, {}, kValue);
    g.addText(QStringLiteral("aptaj2"), 90, y, 25, kRow, {}, kValue);
    g.height = y + kRow + 2;
    // The old sheet's caption has no colon.
    g[QStringLiteral("cap_kod")].text = QStringLiteral("Szolgáltató ULV kódja");
    g.beforePrint = [lookups](Band& b, const PrintContext& c) {
        fillSheetHeader(b, c, *lookups, false);
        b.setText(QStringLiteral("aptaj1"), c.text(QStringLiteral("aptaj1")));
        b.setText(QStringLiteral("aptaj2"), c.text(QStringLiteral("aptaj2")));
        return true;
    };

    // The slot table.
    Band& d = r.detail;
    const double x1 = 78, x2 = 135, wTol = 20, wIg = 20, wViz = 15;
    y = 0;
    for (double x : {x1, x2}) {
        d.addLabel(x, y, wTol, kRow, QStringLiteral("-tól"), kSmall, Qt::AlignCenter);
        d.addLabel(x + wTol, y, wIg, kRow, QStringLiteral("-ig"), kSmall, Qt::AlignCenter);
        d.addLabel(x + wTol + wIg, y, wViz, kRow, QStringLiteral("vizitszám"), kSmall,
                   Qt::AlignCenter);
    }
    y += kRow;
    d.addLine(0, y, 190, y, 0.2);
    for (const SlotLine& line : kLines) {
        if (line.heading) {
            d.addLabel(0, y, 190, kRow, QString::fromUtf8(line.text), kValue);
        } else {
            d.addLabel(3, y, x1 - 3, kRow, QString::fromUtf8(line.text), kLabel);
            for (int interval = 0; interval < 2; ++interval) {
                const int n = line.slot + 9 * interval;
                const double x = interval == 0 ? x1 : x2;
                d.addText(QStringLiteral("tol%1").arg(n), x, y, wTol, kRow, {}, kValue,
                          Qt::AlignCenter);
                d.addText(QStringLiteral("ig%1").arg(n), x + wTol, y, wIg, kRow, {}, kValue,
                          Qt::AlignCenter);
                d.addText(QStringLiteral("viz%1").arg(n), x + wTol + wIg, y, wViz, kRow, {}, kValue,
                          Qt::AlignRight | Qt::AlignVCenter);
            }
        }
        y += kRow;
    }
    d.addLine(0, y, 190, y, 0.2);
    d.addText(QStringLiteral("osszviz1"), x1 + wTol + wIg, y, wViz, kRow, {}, kValue,
              Qt::AlignRight | Qt::AlignVCenter);
    d.addText(QStringLiteral("osszviz2"), x2 + wTol + wIg, y, wViz, kRow, {}, kValue,
              Qt::AlignRight | Qt::AlignVCenter);
    y += kRow;
    d.addLabel(0, y, x1, kRow, QStringLiteral("Fő tevékenységi kód"), kLabel);
    d.addText(QStringLiteral("tev1"), x1, y, wTol, kRow, {}, kValue, Qt::AlignCenter);
    d.addText(QStringLiteral("tev2"), x2, y, wTol, kRow, {}, kValue, Qt::AlignCenter);
    d.height = y + kRow + 2;
    d.beforePrint = [](Band& b, const PrintContext& c) {
        int total[2] = {0, 0};
        for (int n = 1; n <= 18; ++n) {
            const QString s = QString::number(n);
            b.setText(QStringLiteral("tol") + s, c.text(QStringLiteral("tol") + s));
            b.setText(QStringLiteral("ig") + s, c.text(QStringLiteral("ig") + s));
            const QVariant v = c.value(QStringLiteral("viz") + s);
            b.setText(QStringLiteral("viz") + s, displayText(v));
            total[n > 9] += v.toInt();
        }
        b.setText(QStringLiteral("osszviz1"), QString::number(total[0]));
        b.setText(QStringLiteral("osszviz2"), QString::number(total[1]));
        b.setText(QStringLiteral("tev1"), c.text(QStringLiteral("tev1")));
        b.setText(QStringLiteral("tev2"), c.text(QStringLiteral("tev2")));
        return true;
    };

    addSheetFooter(r.groupFooter);
    return r;
}

} // namespace reports
