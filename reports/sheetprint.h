#pragma once
// "Nyomtatás" of the register's print-selection mode (nyomtatClick): the
// marked sheets previewed in the old layout (periods before 2006.01 only) and
// in the new one, then every mark of every sheet cleared, printed or not.

#include "core/idoszak.h"
#include "reports/elszlap.h"
#include "print/pagemodel.h"

#include <functional>

namespace core {
struct AppState;
}

namespace reports {

class SheetPrint {
public:
    // Shows one report's pages modally (the print preview); returns when the
    // user closes it. The pages may be moved from.
    using Preview = std::function<void(PageModel&)>;

    SheetPrint(core::AppState& st, ProgramText program) : st_(st), program_(std::move(program)) {}

    // Runs the command for the current period: the previews, the message
    // "Nincs kiválasztva elszámolási lap!" when nothing was marked, then the
    // marks cleared. A failure shows "Hiba a lefutásban!" and ends the
    // command, the marks kept. `progress` sees the layout of each report.
    void nyomtat(const Preview& preview, const LayoutProgress& progress = {});

    // The layouts that run for period c, in order: "Telszlr" then "Telszl"
    // before 2006.01, "Telszl" alone from it.
    static QStringList layoutsFor(core::Idoszak c);

    // Lays out one layout's marked sheets; no pages when none is marked.
    // Throws engine::DbError.
    PageModel pages(const QString& layoutName, const LayoutProgress& progress = {});

    // "update lap set jeloles=null where jeloles='*'" as one unit.
    void clearMarks();

    int printedReports() const { return printed_; }

private:
    core::AppState& st_;
    ProgramText program_;

    int printed_ = 0;
};

} // namespace reports
