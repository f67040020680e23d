#pragma once
// Telszam: the monthly settlement of the visits the county office accounted
// in the current period ("Havi összesítő az elszámolt vizitekről"): per
// sheet, care type and self-care category the accounted visits, the base
// fee, the fee multiplier and the territorial supplement, and the amount.
//
// Tellhiba: the check list of the sheets of the period (or sent with its
// shipment) that have no order record ("Hiányzó elrendelési adatok").

#include "reports/lista.h"

namespace reports {

// The weight of one line: the multiplier of the sheet's order ordinal,
// care type and category in the sheet's period (0 where the table has
// none), and the supplement factor, 1.1 unless TPOTL is "N".
double elszamoltSzorzo(const QVariant& elszam, const QVariant& elltip, const QVariant& onkep,
                       const QString& idoszak);
double potlekSzorzo(const QVariant& tpotl);

class HaviElszamolas {
public:
    HaviElszamolas(core::AppState& st, ProgramText program)
        : st_(st), program_(std::move(program)) {}

    // No accounting read back for the period: "Nincs a szolgáltatónak
    // beolvasott elszámolása!".
    std::optional<Lista> keszit();

private:
    core::AppState& st_;
    ProgramText program_;
};

class Adatrogzites {
public:
    Adatrogzites(core::AppState& st, ProgramText program) : st_(st), program_(std::move(program)) {}

    // The sheets without an order record among those of the current period
    // and those sent with its shipment. Throws engine::DbError.
    int hibasLapok();
    // The count first: none gives "Nincs hiba az adatrögzítésben!"; a count
    // that cannot run "Hiba a lefutásban!"; else "Hibás adatrögzítés,
    // hibalista nyomtatása!" and the list.
    std::optional<Lista> keszit();

private:
    core::AppState& st_;
    ProgramText program_;
};

} // namespace reports
