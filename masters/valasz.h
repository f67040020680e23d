#pragma once
// The list picker Tvalasz (unit valasztas, "Választás") without its window:
// the sheet entry window's help for the activity codes (mode "T") and the
// care types (mode "E"). Nine activities of group 9 were dropped from the
// list shown here from 2009.09 on.

#include "core/idoszak.h"

#include <QString>
#include <QStringList>

namespace masters {

// The items shown for a mode in a period: "T" activities (code, two blanks,
// name), "E" care types ("2 Szakápolás", ...); any other mode none.
QStringList valaszItems(const QString& mode, core::Idoszak period);
// The result of "Választ" for the selected item: "T" its first two characters
// without blanks ("1", "3a", "10"), "E" its first character. No item (an
// empty text) gives an empty result.
QString valaszResult(const QString& mode, const QString& item);

} // namespace masters
