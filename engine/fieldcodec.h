#pragma once
// The field codec: the one set of rules that turns a field's stored bytes into
// a value or a text and a value back into bytes. The table, its text() and
// the browse grids all read through it, so padding (blanks, and the NUL bytes
// some other tools write) is trimmed the same way everywhere.

#include "engine/dbfheader.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

namespace engine {

// True when the n bytes are all blanks or NULs.
bool isBlankBytes(const char* p, int n);

// The value of field f in the raw record: character fields without trailing
// padding, dates as QDate (invalid when blank), numbers as qlonglong (no
// decimals) or double, NULL when blank; logicals as bool or NULL.
QVariant decodeField(const FieldDef& f, const char* record);

// The field as text: character fields without trailing padding, dates as
// "YYYY.MM.DD" (empty when blank), numbers, logicals and others as stored
// without padding on either side.
QString fieldText(const FieldDef& f, const char* record);

// Encodes v into the raw record for field f; throws DbError(Value/Encoding)
// naming `path` for a value that does not fit.
void encodeField(const FieldDef& f, const QVariant& v, char* record, const QString& path);

// A date typed as text ("2024.01.31", "2024-01-31", "20240131", "31.01.2024");
// *blank is set when the text holds no digits.
QDate parseDateText(const QString& s, bool* blank);

// A read-only view of one record of a table: what grids and reports read.
class RecordView {
public:
    RecordView(const std::vector<FieldDef>* fields, const char* record)
        : fields_(fields), rec_(record) {}
    bool valid() const { return rec_ != nullptr; }
    bool isDeleted() const { return rec_ && rec_[0] == '*'; }
    int fieldCount() const { return fields_ ? int(fields_->size()) : 0; }
    QVariant value(int field) const { return decodeField(def(field), rec_); }
    QString text(int field) const { return fieldText(def(field), rec_); }
    bool isBlank(int field) const {
        const FieldDef& f = def(field);
        return isBlankBytes(rec_ + f.offset, f.width);
    }
    // Typed reads that make no QVariant (values as value() gives them):
    // a whole number (none when blank, or not a whole number), a number
    // (0 when blank or no number), a date (invalid when blank or no date).
    std::optional<qint64> integer(int field) const;
    double number(int field) const;
    QDate date(int field) const;
    // The field's stored characters (code page 852) as text() trims them --
    // a character field without padding on the right, any other without
    // padding on either side -- for readers that compare or copy them
    // without making a QString. Valid while the record is.
    QByteArrayView chars(int field) const;
    // The field's bytes as stored, its whole width (padding included): for
    // copying a field into a file of the same layout.
    QByteArrayView stored(int field) const {
        const FieldDef& f = def(field);
        return QByteArrayView(rec_ + f.offset, f.width);
    }
    const FieldDef& fieldDef(int field) const { return def(field); }

private:
    const FieldDef& def(int field) const { return (*fields_)[size_t(field)]; }
    const std::vector<FieldDef>* fields_;
    const char* rec_;
};

} // namespace engine
