// The reading of the full data set (Aa, Ab and Ac, the raw parsing of
// teljesOlvas included) on any bytes, into the program's own layouts of LAP,
// ELREND and LAPB: it makes records holding no control character, or refuses
// with RavHiba; nothing else may happen.
#include "db/layouts.h"
#include "engine/codepage.h"
#include "engine/dberror.h"
#include "engine/dbfheader.h"
#include "exchange/ravfajl.h"
#include "exchange/teljesadat.h"
#include "fuzz/fuzzfiles.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Layout {
    std::vector<engine::FieldDef> fields;
    int length = 0;
    explicit Layout(db::TableId id) : fields(db::layout(id).fields) {
        engine::buildDbfHeader(fields, QStringLiteral("fuzz.dbf")); // the offsets
        length = 1;
        for (const engine::FieldDef& f : fields)
            length += f.width;
    }
};

// Every byte of a record made from the office's values is printable: the
// values were checked, the rest is the blanks it was filled with.
void printable(const char* rec, int n) {
    for (int i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(rec[i]);
        if (c < 0x20 || c == 0x7F) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Layout lap(db::TableId::Lap), elrend(db::TableId::Elrend), lapb(db::TableId::Lapb);
    const QList<QByteArray> p = fuzzfiles::parts(data, size, 3);
    const QString aa = fuzzfiles::write(QStringLiteral("Aa1890.dbf"), p[0]);
    const QString ab = fuzzfiles::write(QStringLiteral("Ab1890.dbf"), p[1]);
    const QString ac = fuzzfiles::write(QStringLiteral("Ac1890.dbf"), p[2]);
    exch::TeljesCel cel;
    cel.lap = &lap.fields;
    cel.elrend = &elrend.fields;
    cel.lapb = &lapb.fields;
    cel.lapHossz = lap.length;
    cel.rendHossz = elrend.length;
    cel.lapbHossz = lapb.length;
    cel.lapSor = [](const char* r) { printable(r, lap.length); };
    cel.rendSor = [](const char* r) { printable(r, elrend.length); };
    cel.lapbSor = [](const char* r) { printable(r, lapb.length); };
    exch::TeljesOsszegzes o;
    try {
        const bool van = exch::teljesOlvas(aa, ab, ac, cel, o);
        fuzzfiles::tell(van ? QStringLiteral("lapok: %1, vizitek: %2, diagnózisok: %3")
                                  .arg(o.lapok)
                                  .arg(o.vizitek)
                                  .arg(o.diagnozisok)
                            : QStringLiteral("Nincs elszámolt lap"));
    } catch (const exch::RavHiba& e) {
        fuzzfiles::tell(e.text());
    } catch (const engine::DbError& e) {
        fuzzfiles::tell(e.text());
    }
    return 0;
}
