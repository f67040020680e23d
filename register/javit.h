#pragma once
// Tjavit's logic: "Részszámla feloldás" reopens a completed series of
// partial invoices (TELE "*" on its first part) so that a further part can be
// recorded. Allowed only in the year of the latest closed period; a series of
// exactly 14 visits stays complete.

#include <QString>

namespace core {
struct AppState;
}

namespace reg {

class Javit {
public:
    explicit Javit(core::AppState& state) : st_(state) {}

    // Rszszmlafelolds1Click, step 1: the year of the current period must be
    // the year of the latest closed period. Shows the refusal.
    bool inditasEll();

    static QString szuro() { return QStringLiteral(" and resz='A' and tele = '*'"); }
    QString felirat();

    // With the filter on: shows "Nincs javítható első részszámla!" and
    // returns false when no sheet passes.
    bool vanJavithato();

    // "Javítás" for LAP's current record: true when TELE was emptied.
    bool javitas();

private:
    core::AppState& st_;
};

} // namespace reg
