#include "engine/journal.h"
#include "engine/sysfile.h"

#include "engine/coding.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace engine {

QString journalPath(const QString& directory) {
    return QDir(directory).filePath(QStringLiteral("rollback.jnl"));
}

namespace journal {

namespace {

constexpr char kMagic[8] = {'S', 'Z', 'J', 'R', 'N', 'L', '0', '1'};
constexpr char kEnd[8] = {'S', 'Z', 'J', 'E', 'N', 'D', '0', '1'};
constexpr int kSealedAt = 8;
constexpr int kLengthAt = 16;
constexpr int kBodyAt = 24;
constexpr quint32 kNewFilesTag = 0x4657454E; // "NEWF"

// FNV-1a over 64 bits: the journal is a few kilobytes.
quint64 checksum(const char* p, qsizetype n) {
    quint64 h = 0xCBF29CE484222325ull;
    for (qsizetype i = 0; i < n; ++i)
        h = (h ^ quint8(p[i])) * 0x100000001B3ull;
    return h;
}

} // namespace

DbError damaged(const QString& path, const QString& why) {
    return DbError(DbError::Kind::Damaged, path,
                   QStringLiteral("sérült visszaállító napló: ") + why);
}

bool plausibleNewFile(const NewFileName& f) {
    auto clean = [](const QString& p) {
        return !p.isEmpty() && QDir::isAbsolutePath(p) && QDir::cleanPath(p) == p &&
               !p.endsWith(QLatin1Char('/'));
    };
    return clean(f.target) && clean(f.fresh) && f.fresh.size() >= f.target.size() + 3 &&
           f.fresh.startsWith(f.target) && f.fresh.at(f.target.size()) == QLatin1Char('.') &&
           f.fresh.endsWith(QLatin1String(".uj")) &&
           !f.fresh.mid(f.target.size()).contains(QLatin1Char('/'));
}

void removeNewFile(const NewFileName& f) {
    for (const QString& p : {f.fresh, f.target})
        if (QFileInfo::exists(p) || QFileInfo(p).isSymLink()) removeDurably(p);
}

QByteArray encode(const std::vector<TableImage>& tables, const std::vector<FileSwap>& swaps,
                  const std::vector<NewFileName>& newFiles) {
    QByteArray b(kMagic, 8);
    append64le(b, 0); // sealed
    append64le(b, 0); // length, set below
    append32le(b, quint32(tables.size()));
    for (const TableImage& t : tables) {
        const QByteArray name = t.file.toUtf8();
        append32le(b, quint32(name.size()));
        b.append(name);
        append32le(b, t.count);
        append64le(b, t.size);
        append32le(b, quint32(t.header.size()));
        b.append(t.header);
        append32le(b, quint32(t.tail.size()));
        b.append(t.tail);
        append32le(b, t.recordLength);
        append32le(b, quint32(t.images.size()));
        for (const auto& [recno, rec] : t.images) {
            append32le(b, recno);
            b.append(rec);
        }
    }
    if (!newFiles.empty()) {
        append32le(b, kNewFilesTag);
        append32le(b, quint32(newFiles.size()));
        for (const NewFileName& f : newFiles) {
            appendStr(b, f.fresh);
            appendStr(b, f.target);
        }
    }
    b.append(journal::encodeSwaps(swaps));
    put64le(b.data() + kLengthAt, quint64(b.size() + 16));
    append64le(b, checksum(b.constData() + kLengthAt, b.size() - kLengthAt));
    b.append(kEnd, 8);
    return b;
}

std::optional<std::vector<TableImage>> decode(const QByteArray& b, const QString& path,
                                              std::vector<FileSwap>* swaps,
                                              std::vector<NewFileName>* newFiles) {
    // A journal gets its name only whole, so one too short to say whether it
    // was sealed was cut short afterwards.
    if (b.size() < kBodyAt) throw damaged(path, QStringLiteral("csonka"));
    if (!b.startsWith(QByteArray(kMagic, 8)))
        throw damaged(path, QStringLiteral("ismeretlen fejléc"));
    if (get64le(b.constData() + kSealedAt) == 0) return std::nullopt;
    if (get64le(b.constData() + kSealedAt) != 1)
        throw damaged(path, QStringLiteral("ismeretlen fejléc"));
    if (get64le(b.constData() + kLengthAt) != quint64(b.size()) || b.size() < kBodyAt + 16 ||
        !b.endsWith(QByteArray(kEnd, 8)))
        throw damaged(path, QStringLiteral("a hossza nem egyezik"));
    const qsizetype summed = b.size() - 16;
    if (get64le(b.constData() + summed) != checksum(b.constData() + kLengthAt, summed - kLengthAt))
        throw damaged(path, QStringLiteral("az ellenőrző összeg nem egyezik"));
    ByteReader r{b, kBodyAt};
    const quint32 count = r.u32();
    if (count > 64) throw damaged(path, QStringLiteral("túl sok tábla"));
    std::vector<TableImage> out(count);
    for (TableImage& t : out) {
        t.file = QString::fromUtf8(r.bytes(r.u32()));
        t.count = r.u32();
        t.size = r.u64();
        t.header = r.bytes(r.u32());
        t.tail = r.bytes(r.u32());
        t.recordLength = r.u32();
        const quint32 n = r.u32();
        for (quint32 i = 0; r.ok && i < n; ++i) {
            const quint32 recno = r.u32();
            t.images.emplace_back(recno, r.bytes(t.recordLength));
        }
        const bool sane = t.header.size() >= 32 && t.recordLength > 0 &&
                          t.size == quint64(t.header.size()) + quint64(t.count) * t.recordLength +
                                        quint64(t.tail.size());
        if (!r.ok || !sane || t.file.isEmpty() || t.file.contains(QLatin1Char('/')))
            throw damaged(path, QStringLiteral("hibás táblaleírás"));
        for (const auto& img : t.images)
            if (img.first == 0 || img.first > t.count)
                throw damaged(path, QStringLiteral("hibás rekordszám"));
    }
    if (r.pos + 4 <= summed && ByteReader{b, r.pos}.u32() == kNewFilesTag) {
        r.u32();
        const quint32 n = r.u32();
        if (!r.ok || n > 64 || !newFiles)
            throw damaged(path, QStringLiteral("hibás új állomány"));
        for (quint32 i = 0; i < n; ++i) {
            NewFileName f;
            f.fresh = QString::fromUtf8(r.bytes(r.u32()));
            f.target = QString::fromUtf8(r.bytes(r.u32()));
            if (!r.ok || r.pos > summed || !plausibleNewFile(f))
                throw damaged(path, QStringLiteral("hibás új állomány"));
            newFiles->push_back(f);
        }
    }
    if (r.pos != summed) {
        if (!swaps) throw damaged(path, QStringLiteral("a hossza nem egyezik"));
        *swaps = journal::decodeSwaps(b.mid(r.pos, summed - r.pos), path);
    }
    return out;
}

void write(const QString& path, const QString& dir, QByteArray bytes) {
    const QString tmp = path + QStringLiteral(".uj");
    const int fd = sys::open(tmp, sys::ReadWrite | sys::Create | sys::Truncate);
    if (fd < 0) throw ioError(path, QStringLiteral("a visszaállító napló nem hozható létre"));
    try {
        writeAt(fd, 0, bytes.constData(), size_t(bytes.size()), path);
        syncFile(fd, path);
        if (!linkName(tmp, path))
            throw ioError(path, QStringLiteral("a visszaállító napló nem hozható létre"));
        sys::remove(tmp);
        QByteArray one;
        append64le(one, 1);
        writeAt(fd, kSealedAt, one.constData(), 8, path);
        syncFile(fd, path);
    } catch (...) {
        sys::close(fd);
        sys::remove(tmp);
        throw;
    }
    sys::close(fd);
    syncDirectory(dir);
}

void restoreFile(int fd, const TableImage& t, const QString& path) {
    const std::uint64_t hl = std::uint64_t(t.header.size());
    for (const auto& [recno, rec] : t.images)
        writeAt(fd, hl + std::uint64_t(recno - 1) * t.recordLength, rec.constData(),
                size_t(rec.size()), path);
    writeAt(fd, 0, t.header.constData(), size_t(t.header.size()), path);
    const std::uint64_t end = hl + std::uint64_t(t.count) * t.recordLength;
    if (!t.tail.isEmpty()) writeAt(fd, end, t.tail.constData(), size_t(t.tail.size()), path);
    truncateAt(fd, t.size, path);
    syncFile(fd, path);
}

} // namespace journal
} // namespace engine
