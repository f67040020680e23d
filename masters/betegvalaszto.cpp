#include "masters/betegvalaszto.h"

#include "core/appstate.h"
#include "engine/table.h"

namespace masters {

void BetegValaszto::valaszt() {
    engine::Table& beteg = st_.tables.beteg;
    eredmeny_ = {};
    if (beteg.isEmpty()) return;
    eredmeny_.taj = beteg.text(QStringLiteral("TAJ"));
    eredmeny_.aztip = beteg.text(QStringLiteral("AZTIP"));
    eredmeny_.nev = beteg.text(QStringLiteral("NEV"));
    eredmeny_.neme = beteg.text(QStringLiteral("NEME"));
    eredmeny_.kozigkod = beteg.text(QStringLiteral("KOZIGKOD"));
    eredmeny_.cime1 = beteg.text(QStringLiteral("CIME1"));
    eredmeny_.cime2 = beteg.text(QStringLiteral("CIME2"));
    eredmeny_.szulh = beteg.text(QStringLiteral("SZULH"));
    eredmeny_.szuli = beteg.text(QStringLiteral("SZULI"));
}

} // namespace masters
