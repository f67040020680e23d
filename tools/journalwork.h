#pragma once
// The work of the change-unit tests, shared by journaltool (the child process
// that is killed) and the tests that check what it left: three tables shaped
// like the sheet save (a sheet table, its visit rows and a settings table)
// and a numbered series of saves, each one unit. After any number c of
// committed saves the tables hold exactly what expected(c) describes, and
// the settings row MENTES holds c.

#include "engine/changeunit.h"
#include "engine/table.h"

#include <QDir>
#include <QString>
#include <QStringList>

namespace journalwork {

constexpr int kSheets = 8;
constexpr int kInitialRows = 2; // visit rows per sheet before any save

inline QString sheetKey(int s) {
    return QStringLiteral("S%1").arg(s, 4, 10, QLatin1Char('0'));
}
// Save i (1, 2, ...) rewrites this sheet with this many visit rows.
inline int sheetOf(long i) {
    return int((i * 5) % kSheets);
}
inline int rowsOf(long i) {
    return 1 + int((i * 7) % 4);
}

struct Tables {
    engine::Table lap{QStringLiteral("lap")};
    engine::Table lapb{QStringLiteral("lapb")};
    engine::Table elrend{QStringLiteral("elrend")};

    void open(const QString& dir, bool tags = true) {
        const QDir d(dir);
        lap.open(d.filePath(QStringLiteral("lap.dbf")));
        lapb.open(d.filePath(QStringLiteral("lapb.dbf")));
        elrend.open(d.filePath(QStringLiteral("elrend.dbf")));
        if (!tags) return;
        lap.setActiveTag(QStringLiteral("SORSZ"));
        lapb.setActiveTag(QStringLiteral("SORSZ"));
        elrend.setActiveTag(QStringLiteral("KULCS"));
    }
    void close() {
        lap.close();
        lapb.close();
        elrend.close();
    }
    std::vector<engine::Table*> all() { return {&lap, &lapb, &elrend}; }
};

inline void init(const QString& dir) {
    using engine::fieldDef;
    const QDir d(dir);
    engine::Table::create(
        d.filePath(QStringLiteral("lap.dbf")),
        {fieldDef("SORSZ", 'C', 5), fieldDef("GEN", 'N', 8), fieldDef("NEV", 'C', 20)});
    engine::Table::create(d.filePath(QStringLiteral("lapb.dbf")),
                          {fieldDef("SORSZ", 'C', 5), fieldDef("SOR", 'N', 3),
                           fieldDef("GEN", 'N', 8), fieldDef("NAP", 'D')});
    engine::Table::create(d.filePath(QStringLiteral("elrend.dbf")),
                          {fieldDef("KULCS", 'C', 10), fieldDef("ERTEK", 'N', 10)});
    Tables t;
    t.open(dir, false);
    t.lap.addTag(QStringLiteral("SORSZ"), QStringLiteral("SORSZ"));
    t.lap.addTag(QStringLiteral("GEN"), QStringLiteral("STR(GEN,8)+SORSZ"));
    t.lapb.addTag(QStringLiteral("SORSZ"), QStringLiteral("SORSZ+STR(SOR,3)"));
    t.lapb.addTag(QStringLiteral("GEN"), QStringLiteral("STR(GEN,8)"));
    t.elrend.addTag(QStringLiteral("KULCS"), QStringLiteral("KULCS"));
    t.close();
    t.open(dir);
    for (int s = 0; s < kSheets; ++s) {
        t.lap.appendRows({{sheetKey(s), 0, QStringLiteral("Beteg %1").arg(s)}});
        for (int r = 1; r <= kInitialRows; ++r)
            t.lapb.appendRows({{sheetKey(s), r, 0, QDate(2026, 11, r)}});
    }
    t.elrend.appendRows({{QStringLiteral("MENTES"), 0}});
    t.close();
}

// Saves recorded in the settings row.
inline long committed(Tables& t) {
    if (!t.elrend.locate(QStringLiteral("KULCS"), QStringLiteral("MENTES"))) return -1;
    return long(t.elrend.number(QStringLiteral("ERTEK")));
}

// Save number i as one unit: the sheet row, its visit rows deleted and new
// ones appended (appended blank, then filled in, as the form does), the
// counter. Throws what the engine throws; the unit then rolls back.
inline void save(Tables& t, long i) {
    engine::ChangeUnit unit(t.all());
    const QString key = sheetKey(sheetOf(i));
    if (!t.lap.locate(QStringLiteral("SORSZ"), key)) throw std::runtime_error("no sheet");
    t.lap.edit();
    t.lap.setValue(QStringLiteral("GEN"), qlonglong(i));
    t.lap.post();
    while (t.lapb.locate(QStringLiteral("SORSZ"), key))
        t.lapb.remove();
    for (int r = 1; r <= rowsOf(i); ++r) {
        t.lapb.append();
        t.lapb.setValue(QStringLiteral("SORSZ"), key);
        t.lapb.setValue(QStringLiteral("SOR"), r);
        t.lapb.setValue(QStringLiteral("GEN"), -1);
        t.lapb.post();
        t.lapb.edit();
        t.lapb.setValue(QStringLiteral("GEN"), qlonglong(i));
        t.lapb.setValue(QStringLiteral("NAP"), QDate(2026, 12, 1 + int(i % 28)));
        t.lapb.post();
    }
    if (!t.elrend.locate(QStringLiteral("KULCS"), QStringLiteral("MENTES")))
        throw std::runtime_error("no counter");
    t.elrend.edit();
    t.elrend.setValue(QStringLiteral("ERTEK"), qlonglong(i));
    t.elrend.post();
    unit.commit();
}

// What the tables must hold after c committed saves; empty when they do,
// else what differs.
inline QString check(Tables& t, long c) {
    QStringList errors;
    if (committed(t) != c)
        errors << QStringLiteral("counter %1, expected %2").arg(committed(t)).arg(c);
    long appended = 0;
    for (long i = 1; i <= c; ++i)
        appended += rowsOf(i);
    const std::uint32_t want = std::uint32_t(kSheets * kInitialRows + appended);
    if (t.lapb.fileRecordCount() != want)
        errors << QStringLiteral("lapb has %1 records, expected %2")
                      .arg(t.lapb.fileRecordCount())
                      .arg(want);
    if (t.lap.fileRecordCount() != kSheets) errors << QStringLiteral("lap record count");
    if (t.elrend.fileRecordCount() != 1) errors << QStringLiteral("elrend record count");
    for (int s = 0; s < kSheets; ++s) {
        long last = 0;
        for (long i = 1; i <= c; ++i)
            if (sheetOf(i) == s) last = i;
        const QString key = sheetKey(s);
        if (!t.lap.locate(QStringLiteral("SORSZ"), key) ||
            long(t.lap.number(QStringLiteral("GEN"))) != last)
            errors << QStringLiteral("%1: sheet generation, expected %2").arg(key).arg(last);
        int rows = 0;
        for (t.lapb.first(); !t.lapb.eof(); t.lapb.next()) {
            if (t.lapb.text(QStringLiteral("SORSZ")) != key) continue;
            ++rows;
            if (long(t.lapb.number(QStringLiteral("GEN"))) != last)
                errors << QStringLiteral("%1: a visit row of generation %2, expected %3")
                              .arg(key)
                              .arg(t.lapb.text(QStringLiteral("GEN")))
                              .arg(last);
        }
        if (rows != (last ? rowsOf(last) : kInitialRows))
            errors << QStringLiteral("%1: %2 visit rows").arg(key).arg(rows);
    }
    return errors.join(QStringLiteral("; "));
}

} // namespace journalwork
