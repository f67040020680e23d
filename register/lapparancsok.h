#pragma once
// The register's record-mode commands that start or change a sheet, as one
// object the register window calls from its menu items and keys:
//
//     reg::LapParancsok p(state, hooks);
//     p.teljesszamla();      // Ctrl+T   Teljesszmla1Click
//     p.elsoreszszamla();    // Ctrl+E   Elsrszszmla1Click
//     p.kovetkezoreszszamla(); // Ctrl+K Kvetkezrszszmla1Click (Treszlap)
//     p.reszszamlafeloldas(); // F5      Rszszmlafelolds1Click (Tjavit)
//     p.lezaras();           // F4       Lezrs1Click (Tleido)
//     p.modositas();         // Enter    Mdosts1Click
//     p.torles();            // Del      Trls1Click
//     p.atalakit();          // F3       talakt1Click
//
// The commands act on LAP's current record (the register's selection). The
// windows they open are hooks, so that the logic runs without a display:
// the register window connects them to Tlapuj, Treszlap, Tjavit and Tleido.

#include "register/laptorles.h"
#include "sheet/lapmodel.h"

#include <QString>
#include <functional>

namespace core {
struct AppState;
}

namespace reg {

struct LapParancsHooks {
    // The register's selection-mode flag: the commands do nothing while set.
    std::function<bool()> jelolomod{};
    // Shows the entry window modally with the prepared model and caption.
    std::function<void(sheet::LapModel& m, const QString& felirat)> lapuj{};
    // Treszlap shown modally while the filter is appended; "Választás" there
    // calls LapParancsok::reszlapValasztas.
    std::function<void(const QString& felirat)> reszlapAblak{};
    // Tjavit shown modally; "Javítás" there calls Javit::javitas.
    std::function<void(const QString& felirat)> javitAblak{};
    // Tleido shown modally for LAP's current record with its start of care.
    std::function<void(const QString& szakvetszoveg)> leidoAblak{};
    // The series check of the day grid; sheet::telenez when empty.
    Telenez telenez{};
    // eddigi and eddigift in the empty mode, then the list refreshed.
    std::function<void()> szamol{};
};

class LapParancsok {
public:
    LapParancsok(core::AppState& state, LapParancsHooks hooks) : st_(state), h_(std::move(hooks)) {}

    void teljesszamla() { ujlap(QStringLiteral("T")); }
    void elsoreszszamla() { ujlap(QStringLiteral("E")); }
    void kovetkezoreszszamla();
    // Treszlap's "Választás": true when the entry window was shown (the
    // chooser then closes).
    bool reszlapValasztas();
    void reszszamlafeloldas();
    void lezaras();
    void modositas();
    void torles();
    void atalakit();

    const LapParancsHooks& hooks() const { return h_; }

private:
    bool jelolo() const { return h_.jelolomod && h_.jelolomod(); }
    void ujlap(const QString& laptipus);
    void mutat(sheet::LapModel& m, const QString& felirat);

    core::AppState& st_;
    LapParancsHooks h_;
};

} // namespace reg
