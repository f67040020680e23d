// The reader of the accounted visits and fees (Mb and Rav) on any bytes: it
// returns the answer, every value of which fits where it goes, or refuses
// with RavHiba; nothing else may happen.
#include "engine/dberror.h"
#include "exchange/elszamoltlapok.h"
#include "exchange/ravfajl.h"
#include "fuzz/fuzzfiles.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QList<QByteArray> p = fuzzfiles::parts(data, size, 2);
    const QString mb = fuzzfiles::write(QStringLiteral("Mb1890.dbf"), p[0]);
    const QString rav = fuzzfiles::write(QStringLiteral("Rav1890.dbf"), p[1]);
    try {
        const exch::ElszamoltValasz v =
            exch::elszamoltOlvas(mb, rav, QStringLiteral("2016.03"));
        for (const exch::ElszamoltValasz::Vizit& x : v.vizitek) {
            // What reaches LAPB: a serial of five digits, a part of at most
            // one character, a real day, a period or nothing.
            if (x.sorsz.size() != 5 || x.resz.size() > 1 || !x.datum.isValid() ||
                (x.elido.size() != 7 && !x.elido.isEmpty()))
                std::abort();
        }
        fuzzfiles::tell(QStringLiteral("beolvasva: %1 vizit").arg(v.vizitek.size()));
    } catch (const exch::RavHiba& e) {
        fuzzfiles::tell(e.text());
    } catch (const engine::DbError& e) {
        fuzzfiles::tell(e.text());
    }
    return 0;
}
