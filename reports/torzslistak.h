#pragma once
// The master-data lists of "Tö&rzslisták": nurses (Taplis), patients
// (Tbetlis), doctors (Torvlis), all BNO codes and the BNO codes of one
// disease group (Tbnolis). Each writes its status text and reads its table
// through SQL, so the table objects keep their position.

#include "masters/bcsop.h"
#include "reports/lista.h"

namespace reports {

class Torzslistak {
public:
    Torzslistak(core::AppState& st, ProgramText program) : st_(st), program_(std::move(program)) {}

    Lista apolok();
    Lista betegek();
    Lista orvosok();
    Lista bnoTeljes();
    // The codes from the group's lowest to its highest, its name as the
    // subtitle; no group (the dialog cancelled): "Nincs megadva
    // betegségcsoport" on status panel 0 and no list.
    std::optional<Lista> bnoCsoport(const std::optional<masters::BnoGroup>& csoport);

private:
    Lista bno(const QString& alcim, const QString& where, const QVariantList& params);

    core::AppState& st_;
    ProgramText program_;
};

} // namespace reports
