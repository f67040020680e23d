#pragma once
// Tleido (unit lezarido): the closing date of a care episode, entered after
// its sheet was recorded. The register positions LAP on the sheet and hands
// over the start of care (SZAKVET of the sheet's ELREND record); the dialog
// checks the date against the start of care, the sheet's period and its last
// visit, stores it in LEZDAT and, when the sheet's period has already been
// reported, marks the sheet for re-sending as a closing change ("YY"/"L").
//
// An empty or impossible date is refused before the confirmation and
// nothing is stored; a sheet without visits skips the last-visit test; a
// closed period without closing date counts as not closed later than the
// sheet's period.

#include "core/idoszak.h"
#include "sheet/lapmodel.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace core {
struct AppState;
}

namespace sheet {

// lezdatell(closing date, start of care, sheet period) of the entry window's
// checks: shows its own messages, true for a blank date.
using LezdatEll =
    std::function<bool(const QString& lezdat, const QString& szakvet, const QString& idoszak)>;

class Lezarido {
public:
    Lezarido(core::AppState& state, LezdatEll lezdatell);

    // Before the dialog shows: the sheet is LAP's current record.
    void elokeszit(const QString& szakvetszoveg);

    // ME1Exit: the date checks; on failure the focus goes back to "ME1".
    CheckResult me1Exit(const QString& me1);

    // Button1Click ("OK"). True when the dialog closes (stored, declined or
    // failed to store); false keeps it open with the focus in ME1.
    bool rogzites(const QString& me1);

    // The closing mark: the sheet of period s gets "YY"/"L" when the latest
    // closed period zi is later than s, or is s and today's day d is past 19
    // or the closing date's month zp is later than s.
    static bool lezarasJel(core::Idoszak zi, core::Idoszak zp, core::Idoszak s, int d);

    const QString& szakvetszoveg() const { return szakvet_; }
    const QString& idoszak() const { return idoszak_; }
    const QString& sorsz() const { return sorsz_; }

private:
    bool vanLap();

    core::AppState& st_;
    LezdatEll lezdatell_;
    QString szakvet_;
    QString idoszak_, sorsz_;
    std::uint32_t recno_ = 0;
};

} // namespace sheet
