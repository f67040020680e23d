// The check of the office's contract files on any bytes: the first byte
// chooses the table (SZERZ, TERULET, SZOLGSZ, THELY, PART), the rest is the
// file; the check passes or refuses with RavHiba; nothing else may happen.
#include "db/layouts.h"
#include "engine/dberror.h"
#include "exchange/ravfajl.h"
#include "exchange/szerzodesek.h"
#include "fuzz/fuzzfiles.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const db::TableId tables[] = {db::TableId::Szerz, db::TableId::Terulet,
                                         db::TableId::Szolgsz, db::TableId::Thely,
                                         db::TableId::Part};
    const db::TableId t = tables[data[0] % 5];
    const QString path =
        fuzzfiles::write(QStringLiteral("szerz.dbf"),
                         QByteArray(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1)));
    try {
        exch::szerzodesEllenoriz(path, QStringLiteral("As1890.dbf"), t);
        fuzzfiles::tell(QStringLiteral("elfogadva"));
    } catch (const exch::RavHiba& e) {
        fuzzfiles::tell(e.text());
    } catch (const engine::DbError& e) {
        fuzzfiles::tell(e.text());
    }
    return 0;
}
