#pragma once
// A file the county office sent back (the accounted visits, the fees, the
// full data set's sheets, visits and diagnoses): another program's dBase
// table, read by field name whatever the type it gave a field. A serial
// number may come as a number or as text, a period as "YYYYMM" or
// "YYYY.MM", a date as a date field or as text; other fields are ignored.
//
// The file is opened read-only and checked whole before anything is read: a
// file that is not a readable dBase table, or that lacks a field the import
// needs, raises RavHiba with a message naming the file (and the field).
//
// Every value is checked as it is read, by the rules a value typed into the
// field it goes to meets (ui::fault: its width, digits only for a number,
// characters code page 852 holds) and with no control character in it; a
// date must be a real date, a period a real month, a number finite. A value
// that does not fit is refused, never cut: RavHiba names the file, the row,
// the field and what stands in it.

#include "core/idoszak.h"
#include "engine/scan.h"
#include "engine/table.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <stdexcept>

namespace ui {
class Messages;
}

namespace exch {

// A returned file that cannot be used; text() is the message for the user.
class RavHiba : public std::runtime_error {
public:
    explicit RavHiba(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

class RavFajl {
public:
    // Opens `path` and checks that it has every field of `needed`. Messages
    // name the file `shownName` (default: the file's own name), so that a
    // copy is reported under the name the office gave it.
    RavFajl(const QString& path, const QStringList& needed, const QString& shownName = {});

    // The file's name as messages show it.
    const QString& name() const { return name_; }
    // Records in the file, deleted ones included.
    std::uint32_t fileCount() const { return table_.fileRecordCount(); }

    // Record order, deleted records skipped: first() then next() until false.
    bool first();
    bool next();
    std::uint32_t recno() const { return recno_; }

    // The index of a field (any letter case); -1 when the file lacks it.
    int field(const QString& name) const { return table_.fieldIndex(name); }

    // The value as text, trimmed: numbers without decimals as whole numbers,
    // dates as "YYYY.MM.DD". Not checked.
    QString text(int field) const;
    // The value as it stands: a text without its padding on the right (what
    // stands before it, control characters included, is its own), anything
    // else as text(). Not checked.
    QString nyers(int field) const;
    bool blank(int field) const;
    // The text, checked for `column` of a local table (digits: a code made
    // of digits whatever the column's type); RavHiba when it does not fit.
    QString text(int field, const engine::FieldDef& column, bool digits = false) const;
    // A whole number (a numeric field, or a text of digits); nullopt when
    // blank. Anything else raises RavHiba naming the row and the field.
    std::optional<qint64> integer(int field) const;
    // A number with decimals; 0 when blank; RavHiba for a text that is none
    // and for a number that is not finite.
    double number(int field) const;
    // A period, "YYYYMM" or "YYYY.MM" (text or number); RavHiba otherwise.
    core::Idoszak idoszak(int field) const;
    // A date field, or a date written as text; invalid when blank; RavHiba
    // for anything that is no real date.
    QDate date(int field) const;

    // The message for a value of the current row that cannot be used, `why`
    // on a line of its own after it.
    [[noreturn]] void hibasErtek(int field, const QString& why = {}) const;
    // The same for the field of row `recno` read as `rec`.
    [[noreturn]] void hibasErtek(std::uint32_t recno, const engine::RecordView& rec, int field,
                                 const QString& why) const;

    const engine::Table& table() const { return table_; }

private:
    QString name_;
    engine::Table table_;
    std::optional<engine::Scan> scan_; // from first() on
    std::uint32_t recno_ = 0;
    engine::RecordView rec_{nullptr, nullptr};
};

// A date field's eight bytes as the number yyyyMMdd when they are a real
// day, as a typed date must be; -1 otherwise (blanks included).
int valodiNap(const char* bytes);
// A date written as text: an invalid date when blank, nullopt when it is no
// date (a control character in it included).
std::optional<QDate> szovegDatum(const QString& text);

// What stands in a field of an office file's record, for a message: its
// stored characters decoded, the padding on the right dropped, each control
// character shown by its code ("AB[00][1A]").
QString talaltErtek(const engine::RecordView& record, int field);

// Why `text`, read from the office's field `mezo`, cannot be stored in
// `column`: a control character, or what a value typed into that field
// would be told (ui::fault; `digits` for a code made of digits). Empty when
// it can.
QString ertekHiba(const QString& text, const QString& mezo, const engine::FieldDef& column,
                  bool digits = false);

// The message naming the file, the row, the field and what stands in it.
QString hibasErtekSzoveg(const QString& file, std::uint32_t row, const QString& mezo,
                         const QString& talalt, const QString& why);

// The reasons of hibasErtekSzoveg that are not a typed field's own.
QString kitoltendo(); // the required field's message
QString nemDatum();
QString nemIdoszak();
QString nemEgesz();
QString nemSzam();

// The accounted period as LAPB.ELIDO holds it ("YYYY.MM"), from a period
// in either of the office's forms or a date; blank stays blank; nullopt for
// anything else.
std::optional<QString> elszamolasiIdoszak(const QString& text);

// The whole number as a text of `width` characters filled with "0" on the
// left (`baltolt` on the number's digits).
QString nullakkal(qint64 n, int width = 5);

// Prints an import's summary: the title and the closing message's lines.
using OsszegzesNyomtato = std::function<void(const QString& cim, const QString& szoveg)>;

// After an import: when it finished (`zaroUzenet` not empty) and printing is
// at hand, asks "Kinyomtatja az összegzést?" and on yes hands the summary to
// `nyomtat`. True when it was handed on.
bool osszegzesNyomtatasa(ui::Messages& msg, const QString& cim, const QString& zaroUzenet,
                         const OsszegzesNyomtato& nyomtat);

} // namespace exch
