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

#include "core/idoszak.h"
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

namespace exchange {

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
    // dates as "YYYY.MM.DD".
    QString text(int field) const;
    bool blank(int field) const;
    // A whole number (a numeric field, or a text of digits); nullopt when
    // blank. Anything else raises RavHiba naming the row and the field.
    std::optional<qint64> integer(int field) const;
    // A number with decimals; 0 when blank; RavHiba for a text that is none.
    double number(int field) const;
    // A period, "YYYYMM" or "YYYY.MM" (text or number); RavHiba otherwise.
    core::Idoszak idoszak(int field) const;
    // A date field, or a date written as text; invalid when blank; RavHiba
    // for a text that is no date.
    QDate date(int field) const;

    // The message for a value of the current row that cannot be used.
    [[noreturn]] void hibasErtek(int field) const;

    const engine::Table& table() const { return table_; }

private:
    QString name_;
    engine::Table table_;
    std::uint32_t recno_ = 0;
    const char* rec_ = nullptr;
};

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

} // namespace exchange
