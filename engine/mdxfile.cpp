// The index file's format (.mdx): its directory built, parsed and read from
// the disk, its checksums, and the check of a tag's entries.

#include "engine/mdxfile.h"

#include "engine/coding.h"
#include "engine/sysfile.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

constexpr int kSummedFrom = 12; // the directory checksum covers it from here
constexpr char kDeletedMark[] = "DELC"; // begins the padding: the deleted count

bool readWhole(int fd, char* out, std::size_t n, std::uint64_t at) {
    while (n > 0) {
        const long long r = sys::readAt(fd, out, n, at);
        if (r <= 0) return false;
        out += r;
        n -= size_t(r);
        at += std::uint64_t(r);
    }
    return true;
}

std::int64_t fileTimeOf(int fd) {
    sys::FileInfo fi;
    return sys::fileInfo(fd, &fi) ? fi.modifiedNs : 0;
}

} // namespace

std::int64_t mdxTableTime(int fd) {
    return fileTimeOf(fd);
}

bool readMdxDirectory(const QString& path, MdxDirectory& d) {
    const int fd = sys::open(path, sys::ReadOnly);
    if (fd < 0) return false;
    sys::FileInfo st;
    QByteArray head;
    bool ok = sys::fileInfo(fd, &st);
    if (ok) {
        char first[16];
        ok = readWhole(fd, first, 16, 0) && memcmp(first, kMdxMagic, 8) == 0;
        const std::uint32_t len = ok ? get32le(first + 12) : 0;
        ok = ok && len >= 16 && len <= kMdxMaxDirectory && len <= st.size;
        if (ok) {
            head.resize(len);
            ok = readWhole(fd, head.data(), len, 0);
        }
    }
    sys::close(fd);
    return ok && parseMdxDirectory(head, st.size, d);
}

bool readMdxEntries(const QString& path, std::uint64_t at, std::size_t count, int entryLength,
                    const std::function<bool(const char*, std::size_t)>& take) {
    const int fd = sys::open(path, sys::ReadOnly);
    if (fd < 0) return false;
    const std::size_t el = std::size_t(entryLength);
    const std::size_t per = std::max<std::size_t>(1, (64u << 10) / el);
    std::vector<char> block(std::min(count, per) * el);
    bool ok = true;
    for (std::size_t done = 0; ok && done < count;) {
        const std::size_t n = std::min(per, count - done);
        ok = readWhole(fd, block.data(), n * el, at + done * el) && take(block.data(), n);
        done += n;
    }
    sys::close(fd);
    return ok;
}

std::uint64_t mdxChecksum(const char* p, std::size_t n) {
    constexpr quint64 k = 0x9E3779B97F4A7C15ull;
    quint64 h[4] = {0x6A09E667F3BCC908ull ^ n, 0xBB67AE8584CAA73Bull, 0x3C6EF372FE94F82Bull,
                    0xA54FF53A5F1D36F1ull};
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32)
        for (int l = 0; l < 4; ++l) {
            const quint64 w = get64le(p + i + 8 * l);
            h[l] = (h[l] ^ w) * k;
            h[l] ^= h[l] >> 29;
        }
    for (; i < n; ++i) {
        h[0] = (h[0] ^ std::uint8_t(p[i])) * k;
        h[0] ^= h[0] >> 29;
    }
    quint64 out = 0;
    for (int l = 0; l < 4; ++l)
        out = (out ^ h[l]) * k + quint64(l);
    return out ^ (out >> 32);
}

bool parseMdxDirectory(const QByteArray& b, std::uint64_t fileSize, MdxDirectory& d) {
    if (b.size() < 24 || !b.startsWith(QByteArray(kMdxMagic, 8))) return false;
    ByteReader r{b, 8};
    d.dirty = r.u32();
    d.length = r.u32();
    if (d.length < 40 || d.length > kMdxMaxDirectory || d.length > b.size() || d.length > fileSize)
        return false;
    const quint64 sum = get64le(b.constData() + d.length - 8);
    if (sum != mdxChecksum(b.constData() + kSummedFrom, std::size_t(d.length - 8 - kSummedFrom)))
        return false;
    const QByteArray body = b.left(d.length - 8);
    ByteReader s{body, r.pos};
    d.recordCount = s.u32();
    d.dbfSize = s.u64();
    d.dbfTime = std::int64_t(s.u64());
    d.defaultTag = s.str();
    const quint32 ntags = s.u32();
    if (!s.ok || ntags > 64) return false;
    d.tags.clear();
    std::uint64_t at = d.length;
    for (quint32 i = 0; i < ntags; ++i) {
        MdxTagEntry t;
        t.name = s.str();
        t.expression = s.str();
        t.keyLength = s.u32();
        t.count = s.u32();
        t.capacity = s.u32();
        t.offset = s.u64();
        t.sum = s.u64();
        if (!s.ok || t.keyLength == 0 || t.keyLength > 4096 || t.capacity < t.count) return false;
        if (t.offset != at) d.whole = false;
        at += std::uint64_t(t.capacity) * (t.keyLength + 4);
        d.tags.push_back(std::move(t));
    }
    const quint32 pad = s.u32();
    if (!s.ok || pad > quint32(body.size() - s.pos)) return false;
    d.deletedCount = -1;
    if (pad >= 8 && body.mid(s.pos, 4) == kDeletedMark)
        d.deletedCount = get32le(body.constData() + s.pos + 4);
    s.pos += qsizetype(pad);
    if (s.pos != body.size()) return false;
    d.whole = d.whole && at == fileSize;
    return true;
}

QByteArray buildMdxDirectory(const MdxDirectory& d) {
    QByteArray b(kMdxMagic, 8);
    append32le(b, d.dirty);
    append32le(b, 0); // the length, filled in below
    append32le(b, d.recordCount);
    append64le(b, d.dbfSize);
    append64le(b, quint64(d.dbfTime));
    appendStr(b, d.defaultTag);
    append32le(b, quint32(d.tags.size()));
    std::vector<qsizetype> offsets;
    for (const MdxTagEntry& t : d.tags) {
        appendStr(b, t.name);
        appendStr(b, t.expression);
        append32le(b, t.keyLength);
        append32le(b, t.count);
        append32le(b, std::max(t.capacity, t.count));
        offsets.push_back(b.size());
        append64le(b, 0);
        append64le(b, t.sum);
    }
    // Padding (zeros after its length), so that the directory keeps its
    // length when the default tag's name changes.
    QByteArray deleted;
    if (d.deletedCount >= 0 && d.deletedCount <= 0xFFFFFFFFll) {
        deleted = QByteArray(kDeletedMark);
        append32le(deleted, quint32(d.deletedCount));
    }
    const quint32 natural = quint32(b.size() + 4 + deleted.size() + 8);
    const quint32 length = d.padTo >= natural ? d.padTo : (natural + 64 + 127) / 128 * 128;
    append32le(b, quint32(length - natural + deleted.size()));
    b.append(deleted);
    b.append(QByteArray(qsizetype(length - natural), '\0'));
    put32le(b.data() + 12, length);
    std::uint64_t at = length;
    for (size_t i = 0; i < d.tags.size(); ++i) {
        for (int k = 0; k < 8; ++k)
            b[offsets[i] + k] = char((at >> (8 * k)) & 0xFF);
        at += std::uint64_t(std::max(d.tags[i].capacity, d.tags[i].count)) *
              (d.tags[i].keyLength + 4);
    }
    append64le(b, mdxChecksum(b.constData() + kSummedFrom, std::size_t(b.size() - kSummedFrom)));
    return b;
}

MdxEntryCheck::MdxEntryCheck(int entryLength, std::uint32_t records)
    : el_(std::size_t(entryLength)), records_(records), seen_(std::size_t(records) + 1) {}

bool MdxEntryCheck::feed(const char* e, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const char* p = e + i * el_;
        const auto* u = reinterpret_cast<const unsigned char*>(p + el_ - 4);
        const std::uint32_t r =
            std::uint32_t(u[0]) << 24 | std::uint32_t(u[1]) << 16 | std::uint32_t(u[2]) << 8 | u[3];
        if (r == 0 || r > records_ || seen_[r]) return false;
        seen_[r] = true;
        const char* before = i > 0 ? p - el_ : (last_.empty() ? nullptr : last_.data());
        if (before && memcmp(before, p, el_) >= 0) return false;
    }
    if (count > 0) last_.assign(e + (count - 1) * el_, e + count * el_);
    return true;
}

} // namespace engine
