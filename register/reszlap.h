#pragma once
// Treszlap's logic: "Következő részszámla" continues a series of partial
// invoices. The window lists the first partial invoices of the year that may
// still be continued (LAP's filter with " and resz='A' and tele <> '*'"
// appended); "Választás" on one of them prepares the entry window's model
// for the next part letter with the first part's header copied, the series'
// visits so far and its self-care category.

#include "sheet/lapmodel.h"

#include <QString>

namespace core {
struct AppState;
}

namespace reg {

// PART.megye, blank, PART.intkod, blank, PART.inte trimmed, then `utotag`.
QString partFelirat(core::AppState& state, const QString& utotag);

class Reszlap {
public:
    explicit Reszlap(core::AppState& state) : st_(state) {}

    // Kvetkezrszszmla1Click, steps 1 and 2: shows the refusal and returns
    // false before 2008.01 and in January.
    bool inditasEll();

    // The filter condition appended while the window is open.
    static QString szuro() { return QStringLiteral(" and resz='A' and tele <> '*'"); }
    // Caption of Treszlap.
    QString felirat() { return partFelirat(st_, QStringLiteral(" választható részszámlái")); }

    // "Választás" for LAP's current record. False, with the model untouched,
    // when the list is empty or a query fails ("Hiba a lefutásban").
    bool valasztas(sheet::LapModel& m);

private:
    core::AppState& st_;
};

} // namespace reg
