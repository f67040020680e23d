#include "db/arjformat.h"

#include "db/arjdecode.h"

#include <QBuffer>
#include <array>

namespace db::arjformat {

namespace {

// A header's bytes (after the mark and the size) are at most this many.
constexpr int kMaxHeader = 2600;
// The fixed part of a main header and of a member's header as written.
constexpr int kMainFixed = 34;
constexpr int kLocalFixed = 46;

// Header flags.
constexpr quint8 kGarbled = 0x01;
constexpr quint8 kVolume = 0x04;    // continues in the next volume
constexpr quint8 kExtFile = 0x08;   // (a member's) starts in the previous one
constexpr quint8 kPathSlash = 0x10; // folders are separated with "/"

constexpr quint8 kHostUnix = 2;
constexpr quint8 kHostNext = 8;
constexpr quint16 kRegularFileMode = 0x81A4; // a regular file, rw-r--r--

constexpr std::array<quint32, 256> crcTable() {
    std::array<quint32, 256> t{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t[i] = c;
    }
    return t;
}
constexpr std::array<quint32, 256> kCrc = crcTable();

quint8 u8(const QByteArray& b, qsizetype at) {
    return quint8(b[at]);
}
quint16 le16(const QByteArray& b, qsizetype at) {
    return quint16(u8(b, at) | (u8(b, at + 1) << 8));
}
quint32 le32(const QByteArray& b, qsizetype at) {
    return quint32(le16(b, at)) | (quint32(le16(b, at + 2)) << 16);
}
void put16(QByteArray& b, quint32 v) {
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}
void put32(QByteArray& b, quint32 v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

struct Header {
    QByteArray basic; // the header's bytes
    qint64 next = 0;  // what follows it (and its extended headers)
    bool end = false; // the empty header that ends the archive
};

// The extended headers after a header: each its size, bytes and CRC-32,
// until a size of 0. Skipped, but checked.
Fault skipExtended(QIODevice& in, qint64* pos, const Stop& stop) {
    for (int count = 1;; ++count) {
        if (count % 1024 == 0 && stop && stop()) return Fault::Stopped;
        const QByteArray size = in.read(2);
        if (size.size() < 2) return Fault::Truncated;
        *pos += 2;
        const int n = le16(size, 0);
        if (n == 0) return Fault::None;
        const QByteArray ext = in.read(n + 4);
        if (ext.size() < n + 4) return Fault::Truncated;
        if (crc32(ext.constData(), n) != le32(ext, n)) return Fault::BadHeader;
        *pos += n + 4;
    }
}

Fault readHeader(QIODevice& in, qint64 at, Header* h, bool first, const Stop& stop) {
    if (!in.seek(at)) return first ? Fault::NotArj : Fault::Truncated;
    const QByteArray head = in.read(4);
    if (head.size() < 4) return first ? Fault::NotArj : Fault::Truncated;
    if (u8(head, 0) != 0x60 || u8(head, 1) != 0xEA) return first ? Fault::NotArj : Fault::BadHeader;
    const int size = le16(head, 2);
    if (size == 0) {
        h->end = true;
        h->next = at + 4;
        return first ? Fault::NotArj : Fault::None;
    }
    if (size > kMaxHeader) return first ? Fault::NotArj : Fault::BadHeader;
    const QByteArray body = in.read(size + 4);
    if (body.size() < size + 4) return Fault::Truncated;
    if (crc32(body.constData(), size) != le32(body, size)) return Fault::BadHeader;
    h->basic = body.first(size);
    h->end = false;
    h->next = at + 4 + size + 4;
    return skipExtended(in, &h->next, stop);
}

Fault mainHeader(const QByteArray& b) {
    if (b.size() < 30 || u8(b, 0) < 30 || u8(b, 0) >= b.size() || u8(b, 6) != 2)
        return Fault::BadHeader;
    if (u8(b, 4) & kGarbled) return Fault::Encrypted;
    if (u8(b, 4) & kVolume) return Fault::MultiVolume;
    return Fault::None;
}

Fault memberHeader(const QByteArray& b, Member* m) {
    const int first = b.isEmpty() ? 0 : u8(b, 0);
    if (b.size() < 30 || first < 30 || first >= b.size()) return Fault::BadHeader;
    const qsizetype nul = b.indexOf('\0', first);
    if (nul < 0 || b.indexOf('\0', nul + 1) < 0) return Fault::BadHeader;
    m->name = b.mid(first, nul - first);
    const quint8 flags = u8(b, 4);
    m->method = u8(b, 5);
    const quint8 type = u8(b, 6);
    m->kind = type <= 1 ? Kind::File : type == 3 ? Kind::Folder : Kind::Other;
    m->host = u8(b, 3);
    m->stamp = le32(b, 8);
    m->packed = le32(b, 12);
    m->size = le32(b, 16);
    m->crc = le32(b, 20);
    if (flags & kGarbled) return Fault::Encrypted;
    if (flags & (kVolume | kExtFile)) return Fault::MultiVolume;
    if (m->method > 4) return Fault::UnknownMethod;
    if (m->method == 0 && m->packed != m->size) return Fault::BadHeader;
    return Fault::None;
}

QByteArray withMark(const QByteArray& basic) {
    QByteArray h("\x60\xEA", 2);
    put16(h, quint32(basic.size()));
    h += basic;
    put32(h, crc32(basic.constData(), basic.size()));
    put16(h, 0); // no extended header
    return h;
}

QByteArray mainBasic(const QByteArray& archiveName, quint32 created) {
    QByteArray b;
    b.append(char(kMainFixed)).append(char(11)).append(char(1)).append(char(kHostUnix));
    b.append(char(kPathSlash)).append(char(0)).append(char(2)).append(char(0));
    put32(b, created);
    put32(b, created);
    b.append(QByteArray(kMainFixed - b.size(), '\0'));
    return b + archiveName + QByteArray(2, '\0'); // the name and an empty comment
}

QByteArray localBasic(const Input& in, int method, quint32 packed, quint32 size, quint32 crc) {
    QByteArray b;
    b.append(char(kLocalFixed)).append(char(11)).append(char(1)).append(char(kHostUnix));
    b.append(char(kPathSlash)).append(char(method)).append(char(0)).append(char(0));
    put32(b, in.modified);
    put32(b, packed);
    put32(b, size);
    put32(b, crc);
    put16(b, 0); // where the bare name starts
    put16(b, kRegularFileMode);
    put16(b, 0);   // chapters
    put32(b, 0);   // position in a split file
    put32(b, in.modified);
    put32(b, in.modified);
    put32(b, 0);
    return b + in.name + QByteArray(2, '\0');
}

bool fits(const QByteArray& name) {
    return !name.isEmpty() && !name.contains('\0') && name.size() + kLocalFixed + 2 <= kMaxHeader;
}

// Copies one input after its header, its size and CRC-32 counted.
Fault copyInput(QIODevice& out, const Input& in, quint32* size, quint32* crc, const Stop& stop) {
    std::vector<char> buf(1 << 16);
    quint64 total = 0;
    quint32 c = 0;
    for (;;) {
        const qint64 got = in.data->read(buf.data(), qint64(buf.size()));
        if (got < 0) return Fault::ReadFailed;
        if (got == 0) break;
        total += quint64(got);
        if (total > 0xFFFFFFFFu) return Fault::ReadFailed;
        c = crc32(buf.data(), got, c);
        if (out.write(buf.data(), got) != got) return Fault::WriteFailed;
        if (stop && stop()) return Fault::Stopped;
    }
    *size = quint32(total);
    *crc = c;
    return Fault::None;
}

// An input of at most this many bytes is packed in memory (with method 4,
// where that makes it smaller); a larger one is stored as it is read.
constexpr qint64 kPackAtMost = 64 << 20;

Fault writePacked(QIODevice& out, const Input& in, const Stop& stop) {
    const QByteArray data = in.data->read(kPackAtMost + 1);
    if (data.size() > kPackAtMost || !in.data->atEnd()) return Fault::ReadFailed;
    const quint32 crc = crc32(data.constData(), data.size());
    const std::optional<QByteArray> packed = encodeFastest(data, stop);
    if (!packed) return Fault::Stopped;
    // Packed only when that is smaller and unpacks to the same bytes.
    bool smaller = packed->size() < data.size();
    if (smaller) {
        QBuffer check;
        check.setData(*packed);
        check.open(QIODevice::ReadOnly);
        quint32 back = 0;
        const Sink sink = [&](const char* d, qsizetype n) {
            back = crc32(d, n, back);
            return true;
        };
        const Fault f = decode(check, quint64(packed->size()), quint64(data.size()), true, sink, stop);
        if (f == Fault::Stopped) return f;
        smaller = f == Fault::None && back == crc;
    }
    const QByteArray& body = smaller ? *packed : data;
    const QByteArray header = withMark(
        localBasic(in, smaller ? 4 : 0, quint32(body.size()), quint32(data.size()), crc));
    if (out.write(header) != header.size() || out.write(body) != body.size())
        return Fault::WriteFailed;
    return stop && stop() ? Fault::Stopped : Fault::None;
}

} // namespace

quint32 crc32(const char* data, qsizetype size, quint32 crc) {
    crc = ~crc;
    for (qsizetype i = 0; i < size; ++i)
        crc = kCrc[(crc ^ quint8(data[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

Catalog readCatalog(QIODevice& in, const Stop& stop) {
    Catalog c;
    const qint64 total = in.size();
    Header h;
    c.fault = readHeader(in, 0, &h, true, stop);
    if (c.fault == Fault::None) c.fault = mainHeader(h.basic);
    qint64 at = h.next;
    while (c.fault == Fault::None) {
        c.fault = readHeader(in, at, &h, false, stop);
        if (c.fault != Fault::None) break;
        if (c.members.size() % 256 == 255 && stop && stop()) {
            c.fault = Fault::Stopped;
            break;
        }
        if (h.end) return c;
        if (c.members.size() >= kMaxMembers) {
            c.fault = Fault::TooMany;
            break;
        }
        Member m;
        c.fault = memberHeader(h.basic, &m);
        c.entry = m.name;
        c.method = m.method;
        if (c.fault != Fault::None) break;
        m.offset = h.next;
        if (m.offset > total || m.packed > quint64(total - m.offset)) c.fault = Fault::Truncated;
        at = m.offset + qint64(m.packed);
        c.members.push_back(std::move(m));
    }
    c.members.clear();
    return c;
}

Fault extract(QIODevice& in, const Member& m, QIODevice& out, const Stop& stop) {
    if (m.kind != Kind::File) return Fault::BadData;
    if (!in.seek(m.offset)) return Fault::Truncated;
    quint32 crc = 0;
    const Sink sink = [&](const char* data, qsizetype n) {
        crc = crc32(data, n, crc);
        return out.write(data, n) == n;
    };
    Fault f = Fault::None;
    if (m.method == 0) {
        std::vector<char> buf(1 << 15);
        for (quint64 left = m.size; left > 0 && f == Fault::None;) {
            const qint64 want = qint64(std::min<quint64>(left, buf.size()));
            if (in.read(buf.data(), want) != want) return Fault::Truncated;
            left -= quint64(want);
            if (!sink(buf.data(), want)) return Fault::WriteFailed;
            if (stop && stop()) return Fault::Stopped;
        }
    } else if (m.method <= 4) {
        f = decode(in, m.packed, m.size, m.method == 4, sink, stop);
    } else {
        return Fault::UnknownMethod;
    }
    if (f == Fault::None && crc != m.crc) f = Fault::BadData;
    return f;
}

Fault write(QIODevice& out, const QByteArray& archiveName, const std::vector<Input>& inputs,
            quint32 created, const Stop& stop) {
    if (archiveName.contains('\0') || archiveName.size() + kMainFixed + 2 > kMaxHeader)
        return Fault::WriteFailed;
    const QByteArray main = withMark(mainBasic(archiveName, created));
    if (out.write(main) != main.size()) return Fault::WriteFailed;
    for (const Input& in : inputs) {
        if (!fits(in.name) || !in.data) return Fault::ReadFailed;
        if (!in.data->isSequential() && in.data->size() - in.data->pos() <= kPackAtMost) {
            const Fault f = writePacked(out, in, stop);
            if (f != Fault::None) return f;
            continue;
        }
        const qint64 at = out.pos();
        const QByteArray before = withMark(localBasic(in, 0, 0, 0, 0));
        if (out.write(before) != before.size()) return Fault::WriteFailed;
        quint32 size = 0, crc = 0;
        const Fault f = copyInput(out, in, &size, &crc, stop);
        if (f != Fault::None) return f;
        const qint64 end = out.pos();
        const QByteArray after = withMark(localBasic(in, 0, size, size, crc));
        if (!out.seek(at) || out.write(after) != after.size() || !out.seek(end))
            return Fault::WriteFailed;
    }
    const QByteArray endMark("\x60\xEA\0\0", 4);
    return out.write(endMark) == endMark.size() ? Fault::None : Fault::WriteFailed;
}

QDateTime modifiedAt(const Member& m) {
    if (m.host == kHostUnix || m.host == kHostNext)
        return QDateTime::fromSecsSinceEpoch(qint64(m.stamp), Qt::UTC);
    const QDate d(int(m.stamp >> 25) + 1980, int((m.stamp >> 21) & 15), int((m.stamp >> 16) & 31));
    const QTime t(int((m.stamp >> 11) & 31), int((m.stamp >> 5) & 63), int((m.stamp & 31) * 2));
    return QDateTime(d, t);
}

} // namespace db::arjformat
