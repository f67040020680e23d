#pragma once
// "Listák" -> "Havi összesítő a floppy küldeményhez": the signed paper that
// goes with the shipment of the current period P, "Havi összesítő jelentés
// otthoni szakápolási vizitekről", in the layout Thavil (P before 2009.01) or
// Thavil2 (from 2009.01). It covers the sheets sent in P (ELKULDVE = P),
// whatever their own period: the count of the period's own sheets, the order
// sheets the user states, the visits per activity box and fee category with
// their amounts, and the corrected, cancelled and late visits.

#include "reports/elszlap.h"
#include "reports/haviadatok.h"
#include "print/pagemodel.h"

#include <QStringList>
#include <functional>
#include <memory>

namespace core {
struct AppState;
}

namespace reports {

// The page header's data.
struct HaviFej {
    QString idoszak; // P, "YYYY.MM"
    QVariant megye;  // the provider's county code
    QString intkod, inte, szcim, szszam;
    qint64 lapsz = 0; // sheets of P sent in P
    int elrsz = 0;    // order sheets, as typed
    QString zdatum;   // the closing date of P, "YYYY.MM.DD"; empty without one
};

// Thavil or Thavil2 (by the figures' layout) over the figures.
Report makeThavil(const HaviFej& fej, std::shared_ptr<const HaviAdatok> adatok,
                  const ProgramText& program);

class HaviOsszesito {
public:
    // Shows the laid-out report modally (the print preview).
    using Preview = std::function<void(PageModel&)>;

    HaviOsszesito(core::AppState& st, ProgramText program)
        : st_(st), program_(std::move(program)) {}

    // The command once the order-sheet number is known: the status text, the
    // queries, "Nincs erre az időszakra zárás!" when nothing was sent in P,
    // the check against the shipment still in KULD (its differences shown as
    // a warning first), then the preview. A query that cannot run shows
    // "Hiba a lefutásban!". False when nothing was shown.
    bool nyomtat(int elrendeloLapok, const Preview& preview);

    // The rows of the query `havi` for P. Throws engine::DbError.
    std::vector<HaviSor> haviSorok();
    // The page header's data for P. Throws engine::DbError.
    HaviFej fej(int elrendeloLapok);
    // The figures of P from the rows.
    std::shared_ptr<HaviAdatok> adatok(const std::vector<HaviSor>& sorok) const;
    // The differences from the shipment in KULD; empty when it agrees or is
    // not there. Throws engine::DbError when its files cannot be read.
    QStringList elteresek(const HaviFej& fej, const HaviAdatok& adatok);

private:
    core::AppState& st_;
    ProgramText program_;
};

} // namespace reports
