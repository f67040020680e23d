#pragma once
// The printed accounting sheets: `Telszl` "SZAKÁPOLÁSI EGYÉNI ELSZÁMOLÓ LAP"
// for sheets of periods from 2005.02 on (one data row per visit row, the day
// grid of the month) and `Telszlr` "ELSZÁMOLÁSI LAP" for older sheets with
// the eighteen visit slots of the old layout. Each report reads the marked
// sheets whose contract is in force in the current period, one group per
// sheet, each on a new page.

#include "print/programtext.h"
#include "print/report.h"

#include <QHash>
#include <QString>
#include <memory>

namespace core {
struct AppState;
}

namespace reports {

// Names looked up by the sheets: BNO names by code, doctors' names by code.
struct SheetLookups {
    QHash<QString, QString> bno;    // KOD10 -> NEV, trimmed
    QHash<QString, QString> doctor; // ORVOSKOD -> ONEV, trimmed

    // Reads both tables through SQL; throws engine::DbError.
    static std::shared_ptr<SheetLookups> load(core::AppState& st);
};

// The first and last day of a period "YYYY.MM" as ISO dates, for the
// contract condition.
QString firstDayIso(const QString& period);
QString lastDayIso(const QString& period);

// The rows of the marked sheets of each layout for current period `c`.
// Throw engine::DbError when the query cannot run.
engine::Query telszlRows(core::AppState& st, const QString& c);
engine::Query telszlrRows(core::AppState& st, const QString& c);

// The reports over those rows.
Report makeTelszl(engine::Query rows, std::shared_ptr<SheetLookups> lookups,
                  const ProgramText& program);
Report makeTelszlr(engine::Query rows, std::shared_ptr<SheetLookups> lookups,
                   const ProgramText& program);

// The version text the sheets print: "v " and the version, at most six
// characters of it.
QString versionText(const QString& version);

} // namespace reports
