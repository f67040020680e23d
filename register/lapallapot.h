#pragma once
// The rules that decide from a sheet's send state and today's date whether a
// register command may change it: the correction limit, the reference period
// of new sheets, the recent-closing exception of deletion, the lock of the
// conversion and the modification rule. Plain functions over texts and
// dates; the commands read the values and show the messages.

#include "core/idoszak.h"
#include "register/lapok.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace ui {
class Messages;
}
namespace sheet {
struct ZarasRekord;
}

namespace reg {

// The part letter as a bound SQL value: NULL for a full invoice, so that
// "resz IS ?" finds the blank field.
QVariant reszErtek(const QString& resz);

// Correction limit K: the period of today minus 5 calendar months (from
// 2011-01-01; before it minus 4). A sheet of an earlier period is outside
// the correction time.
core::Idoszak korrekciosHatar(const QDate& today);

// The oldest period a new sheet may be recorded in: today minus 2 calendar
// months while the current period c is before 2016.01, minus 4 from it.
core::Idoszak potjelentesHatar(const QDate& today, core::Idoszak c);

// Deletion's exception for a sent sheet of period p: the latest closed
// period is p, it was closed in today's month and today is day 1 to 10.
bool torlesKivetel(const sheet::ZarasRekord& utolso, const QString& p, const QDate& today);

// The conversion of a sent sheet is locked unless the user works in a closed
// period whose ZARAS record (zc) was closed in today's month and today is
// day 1 to 9.
bool atalakitasZarolt(bool zartidoszak, const sheet::ZarasRekord& zc, const QDate& today);

// The modification rule for a sheet of period p with ELKULDVE e in the
// current period c: shows the refusal and returns false.
bool modosithato(ui::Messages& msg, const QString& e, const QString& p, core::Idoszak c,
                 const QDate& today);

} // namespace reg
