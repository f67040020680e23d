#include "engine/dbfheader.h"

#include "engine/clock.h"
#include "engine/coding.h"
#include "engine/dberror.h"

#include <QDate>
#include <algorithm>

namespace engine {

namespace {

DbError damaged(const QString& path, const QString& why) {
    return DbError(DbError::Kind::Damaged, path, QStringLiteral("sérült dBase állomány: ") + why);
}

bool knownVersion(std::uint8_t v, HeaderMode mode) {
    if (v == 0x03 || v == 0x83) return true;
    if (mode == HeaderMode::Table) return false;
    // Other members of the family that keep the dBase III layout: FoxBase,
    // dBase IV with and without memo, FoxPro and Visual FoxPro.
    switch (v) {
    case 0x02:
    case 0x04:
    case 0x05:
    case 0x30:
    case 0x31:
    case 0x32:
    case 0x43:
    case 0x63:
    case 0x7B:
    case 0x8B:
    case 0x8E:
    case 0xCB:
    case 0xE5:
    case 0xF5:
    case 0xFB:
        return true;
    default:
        return false;
    }
}

} // namespace

int DbfHeader::fieldIndex(const QString& name) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

DbfHeader parseDbfHeader(const QByteArray& bytes, qint64 fileSize, const QString& path,
                         HeaderMode mode) {
    if (bytes.size() < 32 || fileSize < 32)
        throw damaged(path, QStringLiteral("a fejléc rövidebb 32 bájtnál"));
    const char* d = bytes.constData();
    DbfHeader h;
    h.version = std::uint8_t(d[0]);
    if (!knownVersion(h.version, mode))
        throw DbError(DbError::Kind::Damaged, path,
                      QStringLiteral("nem dBase III állomány (verzióbájt: 0x%1)")
                          .arg(h.version, 2, 16, QLatin1Char('0')));
    // Writers store the year as two digits (the county office's files do) or
    // as years since 1900.
    const int y = std::uint8_t(d[1]);
    h.year = y >= 100 ? 1900 + y : (y < 80 ? 2000 + y : 1900 + y);
    h.month = std::uint8_t(d[2]);
    h.day = std::uint8_t(d[3]);
    h.recordCount = get32le(d + 4);
    h.headerLength = get16le(d + 8);
    h.recordLength = get16le(d + 10);
    h.indexFlag = std::uint8_t(d[28]);
    h.languageDriver = std::uint8_t(d[29]);

    if (h.headerLength < 32)
        throw damaged(path, QStringLiteral("a fejléchossz (%1) túl kicsi").arg(h.headerLength));
    if (h.headerLength > fileSize)
        throw damaged(
            path,
            QStringLiteral("a fejléc (%1 bájt) túlnyúlik az állomány végén").arg(h.headerLength));
    if (bytes.size() < h.headerLength)
        throw damaged(path, QStringLiteral("a fejléc nem olvasható be egészen"));

    // Descriptors run from byte 32 to the terminator 0x0D; the header length
    // decides how many there are where a writer put another byte in the
    // terminator's place or left it out.
    int pos = 32;
    const bool foxpro = h.version == 0x30 || h.version == 0x31 || h.version == 0x32;
    while (pos + 32 <= h.headerLength && std::uint8_t(d[pos]) != 0x0D) {
        FieldDef f;
        int n = 0;
        while (n < 11 && d[pos + n] != 0)
            ++n;
        f.name = QString::fromLatin1(d + pos, n).trimmed();
        f.type = d[pos + 11];
        f.width = std::uint8_t(d[pos + 16]);
        f.decimals = std::uint8_t(d[pos + 17]);
        if (f.width <= 0 && mode == HeaderMode::Table)
            throw damaged(path, QStringLiteral("a(z) %1 mező hossza 0").arg(f.name));
        if (mode == HeaderMode::Table) {
            const bool ok = (f.type == 'C' || f.type == 'N' || f.type == 'D' || f.type == 'L' ||
                             f.type == 'F' || f.type == 'M');
            if (!ok)
                throw damaged(path, QStringLiteral("a(z) %1 mező típusa ismeretlen (%2)")
                                        .arg(f.name, QString(QLatin1Char(f.type))));
        }
        h.fields.push_back(f);
        pos += 32;
    }
    // A character field's decimal-count byte is a high length byte for
    // Clipper and FoxPro (fields wider than 255) and a stray count for
    // others (Excel writes them): the record length tells which.
    int plain = 1, wide = 1;
    for (const FieldDef& f : h.fields) {
        plain += f.width;
        wide += f.width + (f.type == 'C' && !foxpro ? f.decimals * 256 : 0);
    }
    const bool useWide = wide != plain && wide == h.recordLength;
    int offset = 1;
    for (FieldDef& f : h.fields) {
        if (f.type == 'C' && useWide && !foxpro) {
            f.width += f.decimals * 256;
            f.decimals = 0;
        }
        f.offset = offset;
        offset += f.width;
    }
    if (h.fields.empty()) {
        // A table without fields holds nothing; one that announces records
        // is damaged.
        if (h.recordCount != 0) throw damaged(path, QStringLiteral("nincs egyetlen mezője sem"));
        h.recordLength = std::max<std::uint16_t>(h.recordLength, 1);
        return h;
    }
    if (offset != h.recordLength)
        throw damaged(path, QStringLiteral("a rekordhossz (%1) nem egyezik a mezők hosszával (%2)")
                                .arg(h.recordLength)
                                .arg(offset));
    const qint64 room = fileSize - h.headerLength;
    const qint64 need = qint64(h.recordCount) * h.recordLength;
    if (need > room) {
        if (room / h.recordLength < qint64(h.recordCount) && room % h.recordLength != 0 &&
            room / h.recordLength + 1 == qint64(h.recordCount))
            throw damaged(path, QStringLiteral("az utolsó rekord csonka"));
        throw damaged(path, QStringLiteral("a fejléc szerint %1 rekord van, de csak %2 fér el")
                                .arg(h.recordCount)
                                .arg(room / h.recordLength));
    }
    return h;
}

QByteArray buildDbfHeader(std::vector<FieldDef>& fields, const QString& path) {
    if (fields.empty() || fields.size() > 255)
        throw DbError(DbError::Kind::Value, path, QStringLiteral("hibás mezőlista"));
    const int headerLength = 32 + 32 * int(fields.size()) + 1;
    QByteArray b(headerLength, '\0');
    char* d = b.data();
    d[0] = 0x03;
    const QDate today = engine::today();
    d[1] = char(today.year() % 100);
    d[2] = char(today.month());
    d[3] = char(today.day());
    int offset = 1;
    int pos = 32;
    for (FieldDef& f : fields) {
        const QByteArray name = f.name.toLatin1();
        if (name.isEmpty() || name.size() > 10)
            throw DbError(DbError::Kind::Value, path,
                          QStringLiteral("hibás mezőnév: \"%1\"").arg(f.name));
        if (f.type == 'D') f.width = 8;
        if (f.type == 'L') f.width = 1;
        const bool typeOk = f.type == 'C' || f.type == 'N' || f.type == 'D' || f.type == 'L';
        if (!typeOk || f.width < 1 || f.width > 254 || (f.type == 'N' && f.width > 20) ||
            f.decimals < 0 || (f.decimals > 0 && (f.type != 'N' || f.decimals > f.width - 2)))
            throw DbError(DbError::Kind::Value, path,
                          QStringLiteral("hibás mezőleírás: %1").arg(f.name));
        memcpy(d + pos, name.toUpper().constData(), size_t(name.size()));
        d[pos + 11] = f.type;
        put32le(d + pos + 12, quint32(offset));
        d[pos + 16] = char(f.width);
        d[pos + 17] = char(f.decimals);
        f.name = QString::fromLatin1(name.toUpper());
        f.offset = offset;
        offset += f.width;
        pos += 32;
    }
    if (offset > 65535)
        throw DbError(DbError::Kind::Value, path, QStringLiteral("túl hosszú rekord"));
    d[pos] = 0x0D;
    put32le(d + 4, 0);
    put16le(d + 8, quint16(headerLength));
    put16le(d + 10, quint16(offset));
    return b;
}

} // namespace engine
