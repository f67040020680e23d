// The filter parser on any text: it parses or refuses with DbError, and a
// parsed filter judges a record without failing.
#include "engine/dberror.h"
#include "engine/filterexpr.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::vector<engine::FieldDef> fields = [] {
        std::vector<engine::FieldDef> f{engine::fieldDef("IDOSZAK", 'C', 7),
                                        engine::fieldDef("DB", 'N', 4, 1),
                                        engine::fieldDef("NAP", 'D'), engine::fieldDef("OK", 'L')};
        int off = 1;
        for (auto& d : f) {
            d.offset = off;
            off += d.width;
        }
        return f;
    }();
    static const QByteArray record(" 2024.05 12.5202405011", 21);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const engine::FilterExpr e = engine::FilterExpr::parse(text, fields, QStringLiteral("f"));
        e.matches(record.constData());
    } catch (const engine::DbError&) {
    }
    return 0;
}
