#pragma once
// Common checks on what the user types into the entry fields, and small text
// helpers. The checks that have something to say show it themselves (error
// boxes through Messages) and return whether the field is acceptable; where
// the focus goes next is the window's business.
//
// Dates are texts "YYYY.MM.DD" and periods "YYYY.MM", as the masked edits give
// them; both compare as text. An untouched date field reads "    .  .  ".

#include "core/idoszak.h"
#include "db/bnotipus.h"

#include <QDate>
#include <QString>

namespace engine {
class Table;
}
namespace ui {
class Messages;
}

namespace kozos {

// Empty, or only blanks, NUL and code-255 characters.
bool ures(const QString& text);

// A required field: "A mező kitöltése kötelező!" when blank.
bool kotelezo(ui::Messages& msg, const QString& text);

// A real calendar date written "YYYY.MM.DD".
bool datumjo(const QString& text);

// An accounting period the user may choose: a real month, 1999.06 or later and
// not after the month of today. Every failed rule shows its own message.
bool idoszakell(ui::Messages& msg, const QString& period, QDate today);

// A birth date: valid, from 1895.01.01 on, not after the last day of the
// current accounting period. Every failed rule shows its own message, so an
// untouched field gets two. An invalid current period gives false silently.
bool szulidoell(ui::Messages& msg, const QString& date, core::Idoszak currentPeriod);

// A date of care, order, discharge or permission: as szulidoell with the lower
// bound 1996.10.01.
bool datumell(ui::Messages& msg, const QString& date, core::Idoszak currentPeriod);

// Blank, or nine digits whose ninth is the check digit of the first eight.
bool tajell(const QString& text);

// A count or a number of days as a field holds it: one to nine digits,
// without a sign, blanks around them allowed. The value into *value.
bool egeszSzam(const QString& text, int* value = nullptr);

// The kinds of BNO fields on a sheet (db/bnotipus.h, where the shipment's
// diagnosis file takes them too).
using db::BnoMezo;
using enum db::BnoMezo;

// Only the factor field takes codes of chapter Z, and it takes nothing else.
bool zkodell(ui::Messages& msg, const QString& code, int kind);

// Day and month numbers with two digits: 5 -> "05", 10 -> "10".
QString ketjegyu(int n);

// True when text is exactly one of the characters of list ("2456", "456").
bool egyike(const QString& text, const QString& list);

// The text cut or padded on the right to width with fill (blank when empty).
QString jobbtolt(const QString& text, int width, const QString& fill);

// The text cut to width and padded on the left with whole copies of fill
// (blank when empty): baltolt("123", 5, "0") == "00123".
QString baltolt(const QString& text, int width, const QString& fill);

// Makes current the first record of the table (in its active order, through
// its filter) whose field equals value exactly. Any failure of the lookup (an
// unknown field, a closed table) counts as not found.
bool mezokeres(const QString& field, const QString& value, engine::Table& table);

// Writes 0 into bytes 28 and 29 of a dBase header (the production-index flag
// and the language-driver mark), so that a table whose index file is gone can
// be opened and indexed again. Throws engine::DbError(Io) when the file cannot
// be opened or written.
void dbfjeltorol(const QString& path);

} // namespace kozos
