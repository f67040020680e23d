// Packing a table: the records not deleted go into a new file that takes the
// old one's name only when complete.

#include "engine/table.h"

#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/tablebuilder.h"

#include <QFile>

namespace engine {

// ---------------------------------------------------------------- pack

void Table::pack() {
    checkBrowse("pack");
    checkWritable();
    if (unit_)
        throw DbError(DbError::Kind::Usage, path_,
                      QStringLiteral("a tábla egy folyamatban lévő művelet része (tömörítés)"));
    // The new file takes the old one's header (fields, flags) and is locked
    // before it takes the old one's name.
    TableBuilder out(path_, header_, QByteArray(map_, header_.headerLength),
                     QStringLiteral(".pack-tmp"));
    if (!lockFile(out.fd(), true)) throw ioError(path_, QStringLiteral("a tömörítés nem sikerült"));
    for (std::uint32_t r = 1; r <= header_.recordCount; ++r) {
        const char* rec = rawRecord(r);
        if (rec[0] != '*') out.addRaw(rec);
    }
    const std::uint32_t kept = out.count();
    adoptFile(out.commit(true), kept);
}

} // namespace engine
