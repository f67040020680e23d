#pragma once
// Index key expressions in the dBase form the table layouts use: field names
// joined with "+", dtos(date), dtoc(date), str(number,width). A key is a fixed
// number of bytes computed from a raw record and mapped through the collation
// weights, so that two keys compare with memcmp.

#include "engine/dbfheader.h"

#include <QString>
#include <vector>

namespace engine {

class KeyExpr {
public:
    enum class Kind { Field, Dtos, Dtoc, Str };
    struct Component {
        Kind kind;
        int field;  // index into the table's fields
        int width;  // bytes this component adds to the key
        int offset; // where it starts inside the key
    };

    // Parses `text` against the table's fields; throws DbError(Usage) naming
    // `path` for an unknown field or a form the engine does not know.
    static KeyExpr parse(const QString& text, const std::vector<FieldDef>& fields,
                         const QString& path);

    const QString& text() const { return text_; }
    int keyLength() const { return length_; }
    const std::vector<Component>& components() const { return parts_; }

    // Writes the key of `record` (a raw record, deletion flag first) to `out`.
    void build(const char* record, const std::vector<FieldDef>& fields, char* out) const;

    // Maps raw bytes in place through the collation weights.
    static void weigh(char* bytes, int len);

private:
    QString text_;
    std::vector<Component> parts_;
    int length_ = 0;
};

} // namespace engine
