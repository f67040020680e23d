#pragma once
// Ttajl: the TAJ-based check list of the sheets, one group per patient
// (TAJ number and name), one line per sheet with its period, order, permit,
// dates, diagnoses, activities and its visits counted by care type and
// self-care category, the patient's totals under the group, "Lista vége"
// at the end. For one patient (the prompt Ttajsz) or for all patients of
// the provider over a span of periods (the prompt Ttajido).

#include "reports/lista.h"
#include "reports/tajbe.h"

#include <array>

namespace reports {

// The nine visit counters of a sheet: nursing (care type 2) in self-care
// categories 1, 2, 3, then physiotherapy exercises (4), physical therapy (5)
// and speech therapy (6) each in categories 1 and 2. Other combinations are
// not counted.
using Szamlalok = std::array<long long, 9>;
// The counter of a care type and category; -1 for one that is not counted.
int szamlaloIndex(int elltip, int onkep);
// Adds an activity code to the list "1 7 10": the first as it is, later
// ones after a blank when the list does not hold that code yet.
void tevekenysegHozza(QString& lista, const QString& tevkod);

class TajLista {
public:
    TajLista(core::AppState& st, ProgramText program) : st_(st), program_(std::move(program)) {}

    // One patient's sheets; none: "Nincs a <TAJ> TAJ-számú betegnek
    // elszámolási lapja!".
    std::optional<Lista> egyBeteg(const QString& taj);
    // All patients over the span (status text "Teljes TAJ-számos lista
    // nyomtatása folyik, kis türelmet kérek..."); none: "Nincs a <K>
    // szolgáltatónak betege!". With `elsoSorok` only the list's first that
    // many sheets: its first page, shown while the whole list is laid out.
    std::optional<Lista> osszes(const TajIdoszak& span, int elsoSorok = 0);

    // The reading of a long list (every patient's sheets and visits over
    // twenty years) tells `halad` of its steps now and then (as 0 of 0: no
    // count); its false stops the list, which then gives nothing and says
    // nothing.
    void setHalad(LayoutProgress halad) { halad_ = std::move(halad); }

    // Up to this many sheets the order record, patient and visits of each
    // are sought one by one; above it each table is read in one pass.
    static inline int egyenkentHatar = 2000;
    // The progress is told once every this many records read.
    static inline int haladLepes = 2048;

    // The title of the all-patients list for the span, provider K and N and
    // current period P.
    static QString cim(const TajIdoszak& span, const QString& k, const QString& n,
                       const QString& p);

private:
    std::optional<Lista> keszit(const QString& cim, const QString& where,
                                const QVariantList& params, int elsoSorok = 0);

    core::AppState& st_;
    ProgramText program_;
    LayoutProgress halad_;
};

} // namespace reports
