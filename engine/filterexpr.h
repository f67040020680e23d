#pragma once
// Standing filters of table objects: comparisons of fields with quoted texts,
// "and", "or", "not", parentheses, and null tests ("x=null", "x<>null",
// "x is null", "x is not null"). A blank field counts as null for the null
// tests and as an empty text in comparisons, so "tele <> '*'" holds for a
// blank TELE. Character fields compare byte by byte without their trailing
// blanks; dates compare as "YYYY.MM.DD" texts (a literal may also be written
// DD.MM.YYYY); numbers compare as numbers.

#include "engine/dbfheader.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

namespace engine {

class FilterExpr {
public:
    // Throws DbError(Usage) naming `path` when the text cannot be parsed.
    static FilterExpr parse(const QString& text, const std::vector<FieldDef>& fields,
                            const QString& path);
    FilterExpr() = default;

    bool empty() const { return !root_; }
    const QString& text() const { return text_; }
    // True when the raw record passes.
    bool matches(const char* record) const;

    // A bound on a character field that every passing record keeps: the
    // filter is a chain of "and"s one of whose comparisons is "field >=",
    // ">", "=", "<" or "<=" a text. `lo` and `hi` are raw cp852 texts
    // (empty when that side is open); a record passes only when its field,
    // without trailing blanks, lies between them byte by byte.
    struct Range {
        int field = -1;
        QByteArray lo, hi;
        bool hasLo = false, hasHi = false;
    };
    std::vector<Range> ranges() const;

    struct Node;

private:
    QString text_;
    std::shared_ptr<const Node> root_;
    std::vector<FieldDef> ownFields_;
};

} // namespace engine
