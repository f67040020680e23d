// The program's own ARJ reader on any bytes: it reads an archive or refuses
// it and never fails. What it unpacks is never more than a member's declared
// size, and a member it unpacks whole has its declared size and CRC-32; the
// members written back by the writer read the same again.
#include "db/arjformat.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

namespace af = db::arjformat;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QBuffer in;
    in.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    in.open(QIODevice::ReadOnly);
    const af::Catalog c = af::readCatalog(in);
    if (!c.ok()) {
        if (!c.members.empty()) std::abort();
        return 0;
    }
    std::vector<QByteArray> bodies;
    for (const af::Member& m : c.members) {
        if (m.size > (1 << 20)) continue; // the fuzzer's time is better spent elsewhere
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        int asked = 0;
        const af::Fault f = af::extract(in, m, out, [&] { return ++asked > 1000; });
        if (quint64(out.data().size()) > m.size) std::abort();
        if (f != af::Fault::None) continue;
        if (quint64(out.data().size()) != m.size ||
            af::crc32(out.data().constData(), out.data().size()) != m.crc)
            std::abort();
        if (m.size <= (1 << 16)) bodies.push_back(out.data());
    }
    // The unpacked members (the smaller ones) written again read the same.
    std::vector<QBuffer> sources(bodies.size());
    std::vector<af::Input> inputs;
    for (size_t i = 0; i < bodies.size(); ++i) {
        sources[i].setData(bodies[i]);
        sources[i].open(QIODevice::ReadOnly);
        inputs.push_back({QByteArray("m") + QByteArray::number(qulonglong(i)), &sources[i], 0});
    }
    QBuffer again;
    again.open(QIODevice::ReadWrite);
    if (af::write(again, "f.arj", inputs, 0) != af::Fault::None) std::abort();
    again.seek(0);
    const af::Catalog back = af::readCatalog(again);
    if (!back.ok() || back.members.size() != bodies.size()) std::abort();
    for (size_t i = 0; i < bodies.size(); ++i) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        if (af::extract(again, back.members[i], out) != af::Fault::None ||
            out.data() != bodies[i])
            std::abort();
    }
    return 0;
}
