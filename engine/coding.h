#pragma once
// Little-endian numbers in the engine's file formats: the dBase header, the
// index file, the rollback journal and its file-swap section. Numbers are
// read from and written to bytes in place (get/put) or appended to a
// buffer that is being built (append); ByteReader reads a buffer front to
// back and refuses to run past its end.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace engine {

inline void put16le(char* p, std::uint16_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
inline void put32le(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
inline void put64le(char* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
inline std::uint16_t get16le(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint16_t(u[0] | u[1] << 8);
}
inline std::uint32_t get32le(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 |
           std::uint32_t(u[3]) << 24;
}
inline std::uint64_t get64le(const char* p) {
    return std::uint64_t(get32le(p)) | std::uint64_t(get32le(p + 4)) << 32;
}

inline void append32le(QByteArray& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
inline void append64le(QByteArray& b, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
// A text as its UTF-8 length (u32) and bytes.
inline void appendStr(QByteArray& b, const QString& s) {
    const QByteArray u = s.toUtf8();
    append32le(b, std::uint32_t(u.size()));
    b.append(u);
}

// Reads numbers and texts from `b` at `pos` on. A read past the end clears
// `ok` and gives 0 or nothing; so does every read of bytes after it.
struct ByteReader {
    const QByteArray& b;
    qsizetype pos = 0;
    bool ok = true;
    std::uint32_t u32() {
        if (pos + 4 > b.size()) return ok = false, 0u;
        const std::uint32_t v = get32le(b.constData() + pos);
        pos += 4;
        return v;
    }
    std::uint64_t u64() {
        if (pos + 8 > b.size()) return ok = false, 0u;
        const std::uint64_t v = get64le(b.constData() + pos);
        pos += 8;
        return v;
    }
    QByteArray bytes(std::uint64_t n) {
        if (!ok || n > std::uint64_t(b.size() - pos)) return ok = false, QByteArray();
        QByteArray out = b.mid(pos, qsizetype(n));
        pos += qsizetype(n);
        return out;
    }
    // A text written by appendStr.
    QString str() {
        const std::uint32_t n = u32();
        if (!ok || n > std::uint64_t(b.size() - pos)) return ok = false, QString();
        const QString s = QString::fromUtf8(b.constData() + pos, qsizetype(n));
        pos += qsizetype(n);
        return s;
    }
};

} // namespace engine
