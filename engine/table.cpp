#include "engine/table.h"

#include "engine/changeunit.h"
#include "engine/codepage.h"
#include "engine/database.h"
#include "engine/dberror.h"
#include "engine/iofault.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace {

constexpr char kMdxMagic[8] = {'S', 'Z', 'M', 'D', 'X', '0', '1', '\n'};
constexpr int kMdxDirtyOffset = 8;
constexpr int kMdxSummed = 12; // the checksum covers the file from here

QString sysError() {
    return QString::fromLocal8Bit(strerror(errno));
}

DbError ioError(const QString& path, const QString& what) {
    return DbError(DbError::Kind::Io, path, what + QStringLiteral(" (") + sysError() + ")");
}

void put32(char* p, quint32 v) {
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
quint32 get32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}
void put64(QByteArray& b, quint64 v) {
    for (int i = 0; i < 8; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
void put32(QByteArray& b, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
void putStr(QByteArray& b, const QString& s) {
    const QByteArray u = s.toUtf8();
    put32(b, quint32(u.size()));
    b.append(u);
}

void writeAt(int fd, const char* data, size_t n, off_t at, const QString& path) {
    while (n > 0) {
        const ssize_t w = ioAllowed(IoOp::Write) ? ::pwrite(fd, data, n, at) : -1;
        if (w < 0) {
            if (errno == EINTR) continue;
            throw ioError(path, QStringLiteral("nem írható"));
        }
        data += w;
        n -= size_t(w);
        at += w;
    }
}

bool blank(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != 0) return false;
    return true;
}

QString mdxPathFor(const QString& dbfPath) {
    QFileInfo fi(dbfPath);
    return findFileNoCase(fi.dir().filePath(fi.completeBaseName() + ".mdx"));
}

// A reader over the bytes of an index file that refuses to run past the end.
struct Reader {
    const QByteArray& b;
    qsizetype pos = 0;
    bool ok = true;
    quint32 u32() {
        if (pos + 4 > b.size()) return ok = false, 0u;
        const quint32 v = get32(b.constData() + pos);
        pos += 4;
        return v;
    }
    quint64 u64() {
        const quint64 lo = u32();
        return lo | quint64(u32()) << 32;
    }
    QString str() {
        const quint32 n = u32();
        if (!ok || pos + qsizetype(n) > b.size()) return ok = false, QString();
        const QString s = QString::fromUtf8(b.constData() + pos, qsizetype(n));
        pos += n;
        return s;
    }
};

quint64 get64(const char* p) {
    return quint64(get32(p)) | quint64(get32(p + 4)) << 32;
}

// A checksum of index file contents, so that a damaged index is noticed and
// rebuilt rather than followed. Four lanes of 64-bit words keep it at memory
// speed for indexes of a million records.
quint64 checksum(const char* p, std::size_t n) {
    constexpr quint64 k = 0x9E3779B97F4A7C15ull;
    quint64 h[4] = {0x6A09E667F3BCC908ull ^ n, 0xBB67AE8584CAA73Bull, 0x3C6EF372FE94F82Bull,
                    0xA54FF53A5F1D36F1ull};
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32)
        for (int l = 0; l < 4; ++l) {
            const quint64 w = get64(p + i + 8 * l);
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

std::function<QDate()>& clockFn() {
    static std::function<QDate()> fn = [] { return QDate::currentDate(); };
    return fn;
}

} // namespace

void Table::setClock(std::function<QDate()> today) {
    clockFn() = today ? std::move(today) : [] { return QDate::currentDate(); };
}

// ---------------------------------------------------------------- files

QString findFileNoCase(const QString& path) {
    QFileInfo fi(path);
    if (fi.exists()) return path;
    QDir dir = fi.dir();
    if (!dir.exists()) return path;
    const QString want = fi.fileName();
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& n : names)
        if (n.compare(want, Qt::CaseInsensitive) == 0) return dir.filePath(n);
    return path;
}

bool fileExistsNoCase(const QString& path) {
    return QFileInfo::exists(findFileNoCase(path));
}

void clearHeaderFlags(const QString& path) {
    const QString p = findFileNoCase(path);
    const int fd = ::open(QFile::encodeName(p).constData(), O_RDWR);
    if (fd < 0) throw ioError(p, QStringLiteral("nem nyitható meg"));
    const char zero[2] = {0, 0};
    const ssize_t w = ::pwrite(fd, zero, 2, 28);
    const int saved = errno;
    ::close(fd);
    errno = saved;
    if (w != 2) throw ioError(p, QStringLiteral("a fejléc nem írható"));
}

// ---------------------------------------------------------------- life

Table::Table(const QString& name, Database* db) : name_(name), db_(db) {}

Table::~Table() {
    try {
        close();
    } catch (...) {
    }
}

void Table::create(const QString& path, std::vector<FieldDef> fields) {
    const QString p = findFileNoCase(path);
    QByteArray bytes = buildDbfHeader(fields, p);
    const QDate d = clockFn()();
    bytes[1] = char(d.year() % 100);
    bytes[2] = char(d.month());
    bytes[3] = char(d.day());
    bytes.append(char(0x1A));
    // Another program (or table object) holding the old file must make this fail.
    const int fd = ::open(QFile::encodeName(p).constData(), O_RDWR | O_CREAT, 0644);
    if (fd < 0) throw ioError(p, QStringLiteral("nem hozható létre"));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw DbError(DbError::Kind::Locked, p,
                      QStringLiteral("az állományt egy másik program használja"));
    }
    bool ok = ::ftruncate(fd, 0) == 0;
    try {
        if (ok) writeAt(fd, bytes.constData(), size_t(bytes.size()), 0, p);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    if (!ok) throw ioError(p, QStringLiteral("nem hozható létre"));
    const QString mdx = mdxPathFor(p);
    if (QFileInfo::exists(mdx)) QFile::remove(mdx);
}

void Table::checkOpen() const {
    if (fd_ < 0)
        throw DbError(DbError::Kind::Usage, path_.isEmpty() ? name_ : path_,
                      QStringLiteral("a tábla nincs megnyitva"));
}

void Table::checkBrowse(const char* what) const {
    checkOpen();
    if (state_ == State::Edit || state_ == State::Insert)
        throw DbError(
            DbError::Kind::Usage, path_,
            QStringLiteral("a tábla szerkesztés alatt áll (%1)").arg(QLatin1String(what)));
}

void Table::open(const QString& path, Mode mode) {
    if (isOpen()) close();
    const QString p = findFileNoCase(path);
    const QByteArray native = QFile::encodeName(p);
    bool ro = mode == Mode::ReadOnly;
    int fd = ::open(native.constData(), ro ? O_RDONLY : O_RDWR);
    if (fd < 0 && !ro && (errno == EACCES || errno == EROFS)) {
        fd = ::open(native.constData(), O_RDONLY);
        ro = true;
    }
    if (fd < 0) {
        if (errno == ENOENT)
            throw DbError(DbError::Kind::Io, p, QStringLiteral("az állomány nem található"));
        throw ioError(p, QStringLiteral("nem nyitható meg"));
    }
    if (::flock(fd, (mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        ::close(fd);
        throw DbError(DbError::Kind::Locked, p,
                      QStringLiteral("az állományt egy másik program használja"));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        throw ioError(p, QStringLiteral("nem olvasható"));
    }
    try {
        QByteArray head(32, '\0');
        ssize_t r = st.st_size >= 32 ? ::pread(fd, head.data(), 32, 0) : 0;
        if (r == 32) {
            const int hl = int(quint8(head[8]) | quint8(head[9]) << 8);
            if (hl > 32 && hl <= st.st_size) {
                head.resize(hl);
                r = ::pread(fd, head.data(), size_t(hl), 0);
                if (r != hl) head.resize(32);
            }
        } else {
            head.clear();
        }
        header_ = parseDbfHeader(head, st.st_size, p, HeaderMode::Table);
    } catch (...) {
        ::close(fd);
        throw;
    }
    fd_ = fd;
    path_ = p;
    readOnly_ = ro || header_.hasMemo();
    state_ = State::Browse;
    recno_ = 0;
    bof_ = eof_ = true;
    try {
        ensureMapped(std::uint64_t(st.st_size));
        loadIndexFile();
        if (db_) db_->attach(this);
        first();
    } catch (...) {
        close();
        throw;
    }
}

void Table::close() {
    if (fd_ < 0) return;
    // Closing a table in the middle of a unit gives up its part of the unit:
    // the held records are forgotten and the unit can only roll back.
    if (unit_) unit_->tableClosing(*this);
    if (db_) db_->detach(this);
    state_ = State::Browse;
    std::exception_ptr failure;
    try {
        if (indexDirty_ || indexDefaultChanged_) saveIndexFile();
    } catch (...) {
        failure = std::current_exception();
    }
    unmap();
    ::close(fd_);
    fd_ = -1;
    tags_.clear();
    active_ = -1;
    indexDirty_ = indexMarked_ = indexDefaultChanged_ = false;
    state_ = State::Inactive;
    recno_ = 0;
    bof_ = eof_ = true;
    buffer_.clear();
    original_.clear();
    deletedCount_ = -1;
    ++generation_;
    if (failure) std::rethrow_exception(failure);
}

void Table::ensureMapped(std::uint64_t size) const {
    if (map_ && size <= mapSize_) return;
    unmap();
    // Map beyond the end so that appends rarely need a new mapping; pages
    // past the end of the file are never touched.
    std::uint64_t want = std::max<std::uint64_t>(size + size / 2, size + (4u << 20));
    void* m = ::mmap(nullptr, size_t(want), PROT_READ, MAP_SHARED, fd_, 0);
    if (m == MAP_FAILED) throw ioError(path_, QStringLiteral("nem olvasható"));
    map_ = static_cast<const char*>(m);
    mapSize_ = want;
}

void Table::unmap() const {
    if (map_) ::munmap(const_cast<char*>(map_), size_t(mapSize_));
    map_ = nullptr;
    mapSize_ = 0;
}

int Table::fieldIndex(const QString& name) const {
    return header_.fieldIndex(name);
}

int Table::requireField(const QString& name) const {
    const int i = header_.fieldIndex(name);
    if (i < 0)
        throw DbError(DbError::Kind::Usage, path_.isEmpty() ? name_ : path_,
                      QStringLiteral("nincs ilyen mező: %1").arg(name));
    return i;
}

const char* Table::rawRecord(std::uint32_t recno) const {
    if (recno == 0 || recno > header_.recordCount)
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("nincs %1. rekord").arg(recno));
    if (held_) [[unlikely]] {
        if (recno > held_->diskCount)
            return held_->appended[recno - held_->diskCount - 1].constData();
        if (!held_->changed.empty()) {
            const auto it = held_->changed.find(recno);
            if (it != held_->changed.end()) return it->second.constData();
        }
    }
    return map_ + header_.headerLength + std::uint64_t(recno - 1) * header_.recordLength;
}

// ---------------------------------------------------------------- writing

void Table::writeHeaderCount() {
    char h[8];
    const QDate d = clockFn()();
    h[0] = char(header_.version);
    h[1] = char(d.year() % 100);
    h[2] = char(d.month());
    h[3] = char(d.day());
    put32(h + 4, header_.recordCount);
    writeAt(fd_, h + 1, 7, 1, path_);
}

void Table::writeRaw(std::uint32_t recno, const QByteArray& record) {
    checkOpen();
    if (readOnly_)
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("a tábla csak olvasható"));
    const char* old = rawRecord(recno);
    if (memcmp(old, record.constData(), header_.recordLength) == 0) return;
    const QByteArray before(old, header_.recordLength);
    if (held_) {
        QByteArray& slot = recno > held_->diskCount ? held_->appended[recno - held_->diskCount - 1]
                                                    : held_->changed[recno];
        slot = record.left(header_.recordLength);
    } else {
        touchIndexFile();
        writeAt(fd_, record.constData(), header_.recordLength,
                off_t(header_.headerLength) + off_t(recno - 1) * header_.recordLength, path_);
    }
    for (Tag& t : tags_) {
        std::vector<char> a(size_t(t.expr.keyLength())), b(a.size());
        keyOf(t, before.constData(), a.data());
        keyOf(t, record.constData(), b.data());
        if (memcmp(a.data(), b.data(), a.size()) != 0) {
            t.index.erase(a.data(), recno);
            t.index.insert(b.data(), recno);
            indexDirty_ = true;
        }
    }
    if (deletedCount_ >= 0 && before[0] != record[0]) deletedCount_ += record[0] == '*' ? 1 : -1;
    ++generation_;
}

std::uint32_t Table::appendRaw(const QByteArray& record) {
    checkOpen();
    if (readOnly_)
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("a tábla csak olvasható"));
    if (header_.recordCount == 0xFFFFFFFFu)
        throw DbError(DbError::Kind::Value, path_, QStringLiteral("a tábla megtelt"));
    if (held_) {
        QByteArray bytes = record.left(header_.recordLength);
        if (bytes.size() < header_.recordLength)
            bytes.append(QByteArray(header_.recordLength - bytes.size(), ' '));
        held_->appended.push_back(bytes);
        const std::uint32_t recno = ++header_.recordCount;
        const char* rec = rawRecord(recno);
        tagsInsert(recno, rec);
        if (deletedCount_ >= 0 && rec[0] == '*') ++deletedCount_;
        ++generation_;
        return recno;
    }
    touchIndexFile();
    const std::uint32_t recno = header_.recordCount + 1;
    const off_t at = off_t(header_.headerLength) + off_t(recno - 1) * header_.recordLength;
    QByteArray bytes = record.left(header_.recordLength);
    bytes.append(char(0x1A));
    writeAt(fd_, bytes.constData(), size_t(bytes.size()), at, path_);
    header_.recordCount = recno;
    writeHeaderCount();
    ensureMapped(std::uint64_t(at) + std::uint64_t(bytes.size()));
    const char* rec = rawRecord(recno);
    tagsInsert(recno, rec);
    if (deletedCount_ >= 0 && rec[0] == '*') ++deletedCount_;
    ++generation_;
    return recno;
}

void Table::deleteRaw(std::uint32_t recno) {
    checkOpen();
    if (readOnly_)
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("a tábla csak olvasható"));
    const char* rec = rawRecord(recno);
    if (rec[0] == '*') return;
    if (held_) {
        QByteArray bytes(rec, header_.recordLength);
        bytes[0] = '*';
        if (recno > held_->diskCount)
            held_->appended[recno - held_->diskCount - 1] = bytes;
        else
            held_->changed[recno] = bytes;
    } else {
        writeAt(fd_, "*", 1, off_t(header_.headerLength) + off_t(recno - 1) * header_.recordLength,
                path_);
    }
    if (deletedCount_ >= 0) ++deletedCount_;
    ++generation_;
}

// ---------------------------------------------------------------- values

QVariant Table::decodeField(int i, const char* record) const {
    const FieldDef& f = header_.fields[size_t(i)];
    const char* p = record + f.offset;
    switch (f.type) {
    case 'C': {
        int n = f.width;
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
            --n;
        return decode852(p, n);
    }
    case 'D': {
        if (blank(p, 8)) return QDate();
        const QDate d = QDate::fromString(QString::fromLatin1(p, 8), QStringLiteral("yyyyMMdd"));
        return d;
    }
    case 'N':
    case 'F': {
        int a = 0, n = f.width;
        while (a < n && (p[a] == ' ' || p[a] == 0))
            ++a;
        while (n > a && (p[n - 1] == ' ' || p[n - 1] == 0))
            --n;
        if (n == a) return QVariant();
        const QByteArray t(p + a, n - a);
        bool ok = false;
        if (f.decimals == 0 && f.type == 'N') {
            const qlonglong v = t.toLongLong(&ok);
            if (ok) return v;
        }
        const double d = t.toDouble(&ok);
        return ok ? QVariant(d) : QVariant();
    }
    case 'L':
        switch (*p) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            return true;
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            return false;
        default:
            return QVariant();
        }
    default: {
        int a = 0, n = f.width;
        while (a < n && (p[a] == ' ' || p[a] == 0))
            ++a;
        while (n > a && (p[n - 1] == ' ' || p[n - 1] == 0))
            --n;
        return QString::fromLatin1(p + a, n - a);
    }
    }
}

namespace {

// Parses a decimal text (sign, digits, one point or comma) into an integer
// mantissa scaled to `decimals`, rounding half away from zero.
bool scaledDecimal(const QString& in, int decimals, __int128& out) {
    QString s = in.trimmed();
    bool neg = false;
    if (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+'))) {
        neg = s.at(0) == QLatin1Char('-');
        s = s.mid(1);
    }
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    const int point = int(s.indexOf(QLatin1Char('.')));
    QString ip = point < 0 ? s : s.left(point);
    QString fp = point < 0 ? QString() : s.mid(point + 1);
    if ((ip.isEmpty() && fp.isEmpty()) || fp.contains(QLatin1Char('.'))) return false;
    for (QChar c : ip + fp)
        if (!c.isDigit() || c.unicode() > '9') return false;
    if (ip.size() + fp.size() > 36) return false;
    __int128 v = 0;
    for (QChar c : ip)
        v = v * 10 + (c.unicode() - '0');
    for (int k = 0; k < decimals; ++k)
        v = v * 10 + (k < fp.size() ? fp.at(k).unicode() - '0' : 0);
    if (fp.size() > decimals && fp.at(decimals).unicode() >= '5') ++v;
    out = neg ? -v : v;
    return true;
}

QByteArray formatScaled(__int128 v, int decimals) {
    const bool neg = v < 0;
    if (neg) v = -v;
    QByteArray digits;
    do {
        digits.prepend(char('0' + int(v % 10)));
        v /= 10;
    } while (v > 0);
    while (digits.size() < decimals + 1)
        digits.prepend('0');
    if (decimals > 0) digits.insert(digits.size() - decimals, '.');
    if (neg && digits.count('0') + (decimals > 0 ? 1 : 0) != digits.size()) digits.prepend('-');
    return digits;
}

QDate parseDateText(const QString& s, bool* blankOut) {
    const QString t = s.trimmed();
    *blankOut = false;
    QString digits = t;
    digits.remove(QLatin1Char('.')).remove(QLatin1Char('-')).remove(QLatin1Char(' '));
    if (digits.isEmpty()) {
        *blankOut = true;
        return QDate();
    }
    for (const char* fmt : {"yyyy.MM.dd", "yyyy-MM-dd", "yyyyMMdd", "dd.MM.yyyy"}) {
        const QDate d = QDate::fromString(t, QLatin1String(fmt));
        if (d.isValid()) return d;
    }
    return QDate();
}

} // namespace

void Table::encodeField(int i, const QVariant& v, char* record) const {
    const FieldDef& f = header_.fields[size_t(i)];
    char* p = record + f.offset;
    auto fail = [&](const QString& why) {
        return DbError(DbError::Kind::Value, path_, QStringLiteral("%1 mező: %2").arg(f.name, why));
    };
    const bool isNull = !v.isValid() || v.isNull();
    switch (f.type) {
    case 'C': {
        QString s = isNull ? QString() : v.toString();
        int k = int(s.size());
        while (k > 0 && s.at(k - 1) == QLatin1Char(' '))
            --k;
        s.truncate(k);
        int bad = -1;
        auto enc = encode852(s, &bad);
        if (!enc)
            throw DbError(
                DbError::Kind::Encoding, path_,
                QStringLiteral("%1 mező: a(z) „%2” karakter nem tárolható (852-es kódlap)")
                    .arg(f.name, s.mid(bad, 1)));
        if (enc->size() > f.width)
            throw fail(QStringLiteral("a szöveg hosszabb %1 karakternél").arg(f.width));
        memcpy(p, enc->constData(), size_t(enc->size()));
        memset(p + enc->size(), ' ', size_t(f.width - enc->size()));
        return;
    }
    case 'D': {
        if (isNull) {
            memset(p, ' ', 8);
            return;
        }
        QDate d;
        if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime) {
            d = v.toDate();
            if (!d.isValid()) {
                memset(p, ' ', 8);
                return;
            }
        } else {
            bool isBlank = false;
            d = parseDateText(v.toString(), &isBlank);
            if (isBlank) {
                memset(p, ' ', 8);
                return;
            }
            if (!d.isValid())
                throw fail(QStringLiteral("érvénytelen dátum: „%1”").arg(v.toString()));
        }
        if (d.year() < 1 || d.year() > 9999) throw fail(QStringLiteral("érvénytelen dátum"));
        memcpy(p, d.toString(QStringLiteral("yyyyMMdd")).toLatin1().constData(), 8);
        return;
    }
    case 'N':
    case 'F': {
        if (isNull || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty())) {
            memset(p, ' ', size_t(f.width));
            return;
        }
        __int128 scaled = 0;
        bool ok = true;
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::Long: {
            scaled = v.toLongLong();
            for (int k = 0; k < f.decimals; ++k)
                scaled *= 10;
            break;
        }
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = v.toDouble();
            if (!std::isfinite(d)) throw fail(QStringLiteral("érvénytelen szám"));
            // The shortest text that reads back as d is the decimal the caller
            // meant (2.675, not 2.67499999...); it is rounded like typed text.
            ok = scaledDecimal(QString::number(d, 'f', QLocale::FloatingPointShortest), f.decimals,
                               scaled);
            break;
        }
        case QMetaType::Bool:
            scaled = v.toBool() ? 1 : 0;
            for (int k = 0; k < f.decimals; ++k)
                scaled *= 10;
            break;
        default:
            ok = scaledDecimal(v.toString(), f.decimals, scaled);
            break;
        }
        if (!ok) throw fail(QStringLiteral("nem szám: „%1”").arg(v.toString()));
        const QByteArray t = formatScaled(scaled, f.decimals);
        if (t.size() > f.width)
            throw fail(QStringLiteral("a(z) %1 érték nem fér el %2 számjegyen")
                           .arg(QString::fromLatin1(t))
                           .arg(f.width));
        memset(p, ' ', size_t(f.width - t.size()));
        memcpy(p + f.width - t.size(), t.constData(), size_t(t.size()));
        return;
    }
    case 'L':
        *p = isNull ? '?' : (v.toBool() ? 'T' : 'F');
        return;
    default:
        throw fail(QStringLiteral("ez a mezőtípus nem írható"));
    }
}

const char* Table::currentRecord() const {
    if (state_ == State::Edit || state_ == State::Insert) return buffer_.constData();
    if (fd_ < 0 || recno_ == 0 || recno_ > header_.recordCount) return nullptr;
    return rawRecord(recno_);
}

QVariant Table::value(int i) const {
    checkOpen();
    if (i < 0 || i >= int(header_.fields.size()))
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("nincs ilyen mező: %1").arg(i));
    const char* rec = currentRecord();
    if (!rec) {
        const char t = header_.fields[size_t(i)].type;
        if (t == 'C') return QString();
        if (t == 'D') return QDate();
        return QVariant();
    }
    return decodeField(i, rec);
}

QVariant Table::value(const QString& field) const {
    return value(requireField(field));
}

QString Table::text(const QString& field) const {
    const int i = requireField(field);
    const QVariant v = value(i);
    const FieldDef& f = header_.fields[size_t(i)];
    if (f.type == 'D') {
        const QDate d = v.toDate();
        return d.isValid() ? d.toString(QStringLiteral("yyyy.MM.dd")) : QString();
    }
    if (f.type == 'N' || f.type == 'F') {
        const char* rec = currentRecord();
        if (!rec) return QString();
        return QString::fromLatin1(rec + f.offset, f.width).trimmed();
    }
    return v.toString();
}

QDate Table::date(const QString& field) const {
    return value(field).toDate();
}
double Table::number(const QString& field) const {
    return value(field).toDouble();
}

bool Table::isBlank(const QString& field) const {
    const int i = requireField(field);
    const char* rec = currentRecord();
    if (!rec) return true;
    const FieldDef& f = header_.fields[size_t(i)];
    return blank(rec + f.offset, f.width);
}

bool Table::isDeleted() const {
    const char* rec = currentRecord();
    return rec && rec[0] == '*';
}

void Table::setValue(int i, const QVariant& v) {
    checkOpen();
    if (state_ != State::Edit && state_ != State::Insert)
        throw DbError(DbError::Kind::Usage, path_,
                      QStringLiteral("a tábla nincs szerkesztő állapotban"));
    if (i < 0 || i >= int(header_.fields.size()))
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("nincs ilyen mező: %1").arg(i));
    encodeField(i, v, buffer_.data());
}

void Table::setValue(const QString& field, const QVariant& v) {
    setValue(requireField(field), v);
}

// ---------------------------------------------------------------- editing

void Table::edit() {
    checkOpen();
    if (state_ == State::Edit || state_ == State::Insert) return;
    if (readOnly_)
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("a tábla csak olvasható"));
    if (recno_ == 0 || (bof_ && eof_))
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("nincs aktuális rekord"));
    original_ = QByteArray(rawRecord(recno_), header_.recordLength);
    buffer_ = original_;
    state_ = State::Edit;
}

void Table::append() {
    checkOpen();
    if (readOnly_)
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("a tábla csak olvasható"));
    if (state_ == State::Edit || state_ == State::Insert) cancel();
    buffer_ = QByteArray(header_.recordLength, ' ');
    original_.clear();
    insertFrom_ = recno_;
    state_ = State::Insert;
}

void Table::post() {
    checkOpen();
    if (state_ == State::Edit) {
        state_ = State::Browse;
        writeRaw(recno_, buffer_);
    } else if (state_ == State::Insert) {
        state_ = State::Browse;
        recno_ = appendRaw(buffer_);
    } else {
        return;
    }
    buffer_.clear();
    original_.clear();
    bof_ = eof_ = false;
}

void Table::cancel() {
    if (state_ == State::Insert) recno_ = insertFrom_;
    if (state_ == State::Edit || state_ == State::Insert) state_ = State::Browse;
    buffer_.clear();
    original_.clear();
}

void Table::remove() {
    checkOpen();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (state_ == State::Edit) cancel();
    if (recno_ == 0 || (bof_ && eof_))
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("nincs aktuális rekord"));
    deleteRaw(recno_);
    std::uint32_t n = scan(recno_, true, false);
    if (n == 0) n = scan(recno_, false, false);
    recno_ = n;
    bof_ = eof_ = n == 0;
}

void Table::appendRows(const std::vector<QVariantList>& rows) {
    checkBrowse("append");
    const int nf = int(header_.fields.size());
    QByteArray rec(header_.recordLength, ' ');
    for (const QVariantList& row : rows) {
        rec.fill(' ');
        for (int i = 0; i < nf && i < row.size(); ++i)
            encodeField(i, row[i], rec.data());
        recno_ = appendRaw(rec);
    }
    if (!rows.empty()) bof_ = eof_ = false;
}

// ---------------------------------------------------------------- tags

QString Table::indexPath() const {
    QFileInfo fi(path_);
    return findFileNoCase(fi.dir().filePath(fi.completeBaseName() + ".mdx"));
}

bool Table::indexFileOk(const QString& dbfPath) {
    QFile f(mdxPathFor(findFileNoCase(dbfPath)));
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(8) == QByteArray(kMdxMagic, 8);
}

void Table::keyOf(const Tag& t, const char* rec, char* out) const {
    t.expr.build(rec, header_.fields, out);
}

void Table::tagsInsert(std::uint32_t recno, const char* rec) {
    for (Tag& t : tags_) {
        std::vector<char> k(size_t(t.expr.keyLength()));
        keyOf(t, rec, k.data());
        t.index.insert(k.data(), recno);
    }
    if (!tags_.empty()) indexDirty_ = true;
}

void Table::buildTag(Tag& t) {
    const int kl = t.expr.keyLength();
    const int el = kl + 4;
    std::vector<char> entries(size_t(header_.recordCount) * size_t(el));
    for (std::uint32_t r = 1; r <= header_.recordCount; ++r) {
        char* e = entries.data() + size_t(r - 1) * el;
        keyOf(t, rawRecord(r), e);
        e[kl] = char(r >> 24);
        e[kl + 1] = char(r >> 16);
        e[kl + 2] = char(r >> 8);
        e[kl + 3] = char(r);
    }
    t.index = TagIndex(kl);
    t.index.load(std::move(entries));
}

void Table::addTag(const QString& name, const QString& expression) {
    checkBrowse("addTag");
    if (readOnly_)
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("a tábla csak olvasható"));
    for (const Tag& t : tags_)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            throw DbError(DbError::Kind::Usage, path_,
                          QStringLiteral("már van %1 nevű index").arg(name));
    Tag t{name, KeyExpr::parse(expression, header_.fields, path_), TagIndex()};
    buildTag(t);
    tags_.push_back(std::move(t));
    if (activeNameSet_ && active_ < 0 && activeName_.compare(name, Qt::CaseInsensitive) == 0)
        active_ = int(tags_.size()) - 1;
    indexDirty_ = true;
    saveIndexFile();
}

void Table::dropTags() {
    checkBrowse("dropTags");
    tags_.clear();
    active_ = -1;
    const QString mdx = indexPath();
    if (QFileInfo::exists(mdx) && !QFile::remove(mdx))
        throw DbError(DbError::Kind::Io, mdx, QStringLiteral("nem törölhető"));
    indexDirty_ = indexMarked_ = indexDefaultChanged_ = false;
}

void Table::setActiveTag(const QString& name) {
    if (name.isEmpty()) {
        active_ = -1;
    } else if (isOpen()) {
        int found = -1;
        for (size_t i = 0; i < tags_.size(); ++i)
            if (tags_[i].name.compare(name, Qt::CaseInsensitive) == 0) found = int(i);
        if (found < 0)
            throw DbError(DbError::Kind::Usage, path_,
                          QStringLiteral("nincs %1 nevű index").arg(name));
        active_ = found;
    }
    activeName_ = name;
    activeNameSet_ = true;
    if (isOpen()) indexDefaultChanged_ = !tags_.empty();
}

QString Table::activeTag() const {
    if (isOpen()) return active_ >= 0 ? tags_[size_t(active_)].name : QString();
    return activeName_;
}

QStringList Table::tagNames() const {
    QStringList out;
    for (const Tag& t : tags_)
        out << t.name;
    return out;
}

QString Table::tagExpression(const QString& name) const {
    for (const Tag& t : tags_)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0) return t.expr.text();
    return QString();
}

void Table::rebuildTags() {
    checkBrowse("rebuildTags");
    for (Tag& t : tags_)
        buildTag(t);
    if (!tags_.empty()) {
        indexDirty_ = true;
        saveIndexFile();
    }
}

// The index file: magic, a "being changed" word, the table's record count
// and size when written, the default active tag, then each tag's name,
// expression, key length and sorted entries, and last a checksum of all that
// follows the "being changed" word. Written whole under a temporary name;
// marked "being changed" before the first change after it was written, so an
// index left behind by a crash is rebuilt at the next open, and so is one
// whose checksum does not match.
void Table::saveIndexFile() {
    // Held records are not in the file yet: the index follows the file.
    if (tags_.empty() || (held_ && !held_->empty())) return;
    QByteArray b(kMdxMagic, 8);
    put32(b, 0);
    put32(b, header_.recordCount);
    put64(b, std::uint64_t(header_.headerLength) +
                 std::uint64_t(header_.recordCount) * header_.recordLength);
    putStr(b, active_ >= 0 ? tags_[size_t(active_)].name : QString());
    put32(b, quint32(tags_.size()));
    std::vector<char> entries;
    for (const Tag& t : tags_) {
        putStr(b, t.name);
        putStr(b, t.expr.text());
        put32(b, quint32(t.expr.keyLength()));
        put32(b, quint32(t.index.size()));
        entries.clear();
        t.index.save(entries);
        b.append(entries.data(), qsizetype(entries.size()));
    }
    put64(b, checksum(b.constData() + kMdxSummed, std::size_t(b.size() - kMdxSummed)));
    QFileInfo fi(path_);
    const QString target = QFileInfo::exists(indexPath())
                               ? indexPath()
                               : fi.dir().filePath(fi.completeBaseName() + ".mdx");
    QSaveFile f(target);
    if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size() || !f.commit())
        throw DbError(DbError::Kind::Io, target, QStringLiteral("az indexállomány nem írható"));
    indexDirty_ = indexMarked_ = indexDefaultChanged_ = false;
}

void Table::touchIndexFile() {
    if (tags_.empty() || indexMarked_) return;
    const QString mdx = indexPath();
    const int fd = ::open(QFile::encodeName(mdx).constData(), O_RDWR);
    if (fd < 0) throw ioError(mdx, QStringLiteral("az indexállomány nem írható"));
    char one[4];
    put32(one, 1);
    const ssize_t w = ioAllowed(IoOp::Write) ? ::pwrite(fd, one, 4, kMdxDirtyOffset) : -1;
    ::close(fd);
    if (w != 4) throw ioError(mdx, QStringLiteral("az indexállomány nem írható"));
    indexMarked_ = true;
}

void Table::loadIndexFile() {
    tags_.clear();
    active_ = -1;
    QFile f(indexPath());
    if (!f.exists() || !f.open(QIODevice::ReadOnly)) return;
    const QByteArray b = f.readAll();
    if (!b.startsWith(QByteArray(kMdxMagic, 8))) return; // not ours: no tags
    if (b.size() < kMdxSummed + 8) return;
    const bool intact =
        get64(b.constData() + b.size() - 8) ==
        checksum(b.constData() + kMdxSummed, std::size_t(b.size() - kMdxSummed - 8));
    Reader r{b, 8};
    const quint32 dirty = r.u32();
    const quint32 count = r.u32();
    const quint64 size = r.u64();
    const QString def = r.str();
    const quint32 ntags = r.u32();
    if (!r.ok || ntags > 64) return;
    bool stale = !intact || dirty != 0 || count != header_.recordCount ||
                 size != std::uint64_t(header_.headerLength) +
                             std::uint64_t(header_.recordCount) * header_.recordLength;
    std::vector<Tag> tags;
    std::vector<qsizetype> at; // where each tag's entries begin
    for (quint32 i = 0; i < ntags; ++i) {
        const QString name = r.str();
        const QString expr = r.str();
        const quint32 kl = r.u32();
        const quint32 n = r.u32();
        if (!r.ok) return;
        std::optional<KeyExpr> e;
        try {
            e = KeyExpr::parse(expr, header_.fields, path_);
        } catch (const DbError&) {
            return; // names a field this table does not have: no usable index
        }
        if (kl != quint32(e->keyLength())) return;
        const qsizetype bytes = qsizetype(n) * qsizetype(kl + 4);
        if (r.pos + bytes > b.size()) return;
        if (n != header_.recordCount) stale = true; // every record has one entry
        at.push_back(r.pos);
        r.pos += bytes;
        tags.push_back(Tag{name, std::move(*e), TagIndex(int(kl))});
    }
    tags_ = std::move(tags);
    if (stale) {
        for (Tag& t : tags_)
            buildTag(t);
        // A table opened for reading keeps the rebuilt index to itself.
        if (!readOnly_) {
            indexDirty_ = true;
            saveIndexFile();
        }
    } else {
        for (size_t i = 0; i < tags_.size(); ++i)
            tags_[i].index.loadSorted(b.constData() + at[i], header_.recordCount);
    }
    const QString want = activeNameSet_ ? activeName_ : def;
    for (size_t i = 0; i < tags_.size(); ++i)
        if (!want.isEmpty() && tags_[i].name.compare(want, Qt::CaseInsensitive) == 0)
            active_ = int(i);
}

// ---------------------------------------------------------------- filter

void Table::setFilter(const QString& expression) {
    filterExpr_ = isOpen() ? FilterExpr::parse(expression, header_.fields, path_) : FilterExpr();
    filterText_ = expression;
}

void Table::setFiltered(bool on) {
    if (on && isOpen() && filterExpr_.text() != filterText_)
        filterExpr_ = FilterExpr::parse(filterText_, header_.fields, path_);
    filtered_ = on;
    if (isOpen() && state_ == State::Browse) refresh();
}

bool Table::passes(const char* rec) const {
    if (rec[0] == '*') return false;
    if (!filtered_ || filterText_.trimmed().isEmpty()) return true;
    if (filterExpr_.text() != filterText_)
        const_cast<Table*>(this)->filterExpr_ =
            FilterExpr::parse(filterText_, header_.fields, path_);
    return filterExpr_.matches(rec);
}

bool Table::isVisible(std::uint32_t recno) const {
    return recno >= 1 && recno <= header_.recordCount && passes(rawRecord(recno));
}

// ---------------------------------------------------------------- navigation

bool Table::tagPos(std::uint32_t recno, TagIndex::Pos& pos) const {
    const Tag& t = tags_[size_t(active_)];
    std::vector<char> k(size_t(t.expr.keyLength()));
    keyOf(t, rawRecord(recno), k.data());
    pos = t.index.find(k.data(), recno);
    return !t.index.atEnd(pos);
}

std::uint32_t Table::firstVisible(bool forward) const {
    if (header_.recordCount == 0) return 0;
    if (active_ < 0) {
        if (forward) {
            for (std::uint32_t r = 1; r <= header_.recordCount; ++r)
                if (passes(rawRecord(r))) return r;
        } else {
            for (std::uint32_t r = header_.recordCount; r >= 1; --r)
                if (passes(rawRecord(r))) return r;
        }
        return 0;
    }
    const TagIndex& ix = tags_[size_t(active_)].index;
    if (forward) {
        for (TagIndex::Pos p = ix.begin(); !ix.atEnd(p); ix.next(p))
            if (passes(rawRecord(ix.recnoAt(p)))) return ix.recnoAt(p);
    } else {
        TagIndex::Pos p = ix.lastPos();
        if (ix.atEnd(p)) return 0;
        do {
            if (passes(rawRecord(ix.recnoAt(p)))) return ix.recnoAt(p);
        } while (ix.prev(p));
    }
    return 0;
}

std::uint32_t Table::scan(std::uint32_t from, bool forward, bool inclusive) const {
    if (from == 0 || from > header_.recordCount) return firstVisible(forward);
    if (active_ < 0) {
        std::int64_t r =
            inclusive ? from : (forward ? std::int64_t(from) + 1 : std::int64_t(from) - 1);
        for (; r >= 1 && r <= std::int64_t(header_.recordCount); r += forward ? 1 : -1)
            if (passes(rawRecord(std::uint32_t(r)))) return std::uint32_t(r);
        return 0;
    }
    const TagIndex& ix = tags_[size_t(active_)].index;
    TagIndex::Pos p;
    if (!tagPos(from, p)) return firstVisible(forward);
    if (!inclusive) {
        if (forward)
            ix.next(p);
        else if (!ix.prev(p))
            return 0;
    }
    while (!ix.atEnd(p)) {
        const std::uint32_t r = ix.recnoAt(p);
        if (passes(rawRecord(r))) return r;
        if (forward) {
            ix.next(p);
        } else if (!ix.prev(p)) {
            break;
        }
    }
    return 0;
}

void Table::first() {
    checkBrowse("first");
    recno_ = firstVisible(true);
    bof_ = true;
    eof_ = recno_ == 0;
}

void Table::last() {
    checkBrowse("last");
    recno_ = firstVisible(false);
    eof_ = true;
    bof_ = recno_ == 0;
}

void Table::next() {
    checkBrowse("next");
    if (recno_ == 0) {
        eof_ = true;
        return;
    }
    const std::uint32_t n = scan(recno_, true, false);
    if (n == 0) {
        eof_ = true;
        if (!isVisible(recno_)) {
            recno_ = firstVisible(false);
            if (recno_ == 0) bof_ = true;
        }
    } else {
        recno_ = n;
        bof_ = eof_ = false;
    }
}

void Table::prior() {
    checkBrowse("prior");
    if (recno_ == 0) {
        bof_ = true;
        return;
    }
    const std::uint32_t n = scan(recno_, false, false);
    if (n == 0) {
        bof_ = true;
        if (!isVisible(recno_)) {
            recno_ = firstVisible(true);
            if (recno_ == 0) eof_ = true;
        }
    } else {
        recno_ = n;
        bof_ = eof_ = false;
    }
}

void Table::refresh() {
    checkOpen();
    if (state_ != State::Browse) return;
    if (recno_ != 0 && isVisible(recno_)) {
        bof_ = eof_ = false;
        return;
    }
    std::uint32_t n = recno_ ? scan(recno_, true, true) : firstVisible(true);
    if (n == 0 && recno_) n = scan(recno_, false, true);
    recno_ = n;
    bof_ = eof_ = n == 0;
}

void Table::go(std::uint32_t recno) {
    checkBrowse("go");
    rawRecord(recno); // range check
    recno_ = recno;
    bof_ = eof_ = false;
}

std::size_t Table::orderCount() const {
    if (active_ < 0) return header_.recordCount;
    return tags_[size_t(active_)].index.size();
}

std::uint32_t Table::recnoAtOrder(std::size_t ordinal) const {
    if (active_ < 0) return ordinal < header_.recordCount ? std::uint32_t(ordinal + 1) : 0;
    const TagIndex& ix = tags_[size_t(active_)].index;
    const TagIndex::Pos p = ix.atOrdinal(ordinal);
    return ix.atEnd(p) ? 0 : ix.recnoAt(p);
}

std::size_t Table::orderOf(std::uint32_t recno) const {
    if (active_ < 0) return recno ? recno - 1 : 0;
    TagIndex::Pos p;
    if (!tagPos(recno, p)) return 0;
    return tags_[size_t(active_)].index.ordinal(p);
}

std::uint32_t Table::recordCount() const {
    checkOpen();
    if (!filtered_ || filterText_.trimmed().isEmpty()) {
        if (deletedCount_ < 0) {
            std::int64_t n = 0;
            for (std::uint32_t r = 1; r <= header_.recordCount; ++r)
                if (rawRecord(r)[0] == '*') ++n;
            deletedCount_ = n;
        }
        return header_.recordCount - std::uint32_t(deletedCount_);
    }
    std::uint32_t n = 0;
    for (std::uint32_t r = 1; r <= header_.recordCount; ++r)
        if (passes(rawRecord(r))) ++n;
    return n;
}

bool Table::isEmpty() const {
    return firstVisible(true) == 0;
}

// ---------------------------------------------------------------- locate

bool Table::recordMatches(const char* rec, const std::vector<int>& fields,
                          const QVariantList& values) const {
    for (size_t k = 0; k < fields.size(); ++k) {
        const FieldDef& f = header_.fields[size_t(fields[k])];
        const QVariant want = k < size_t(values.size()) ? values[qsizetype(k)] : QVariant();
        const QVariant have = decodeField(fields[k], rec);
        if (f.type == 'C') {
            QString w = want.isNull() ? QString() : want.toString();
            while (w.endsWith(QLatin1Char(' ')))
                w.chop(1);
            if (have.toString() != w) return false;
        } else if (f.type == 'D') {
            const QDate hd = have.toDate();
            QDate wd;
            if (want.typeId() == QMetaType::QDate) {
                wd = want.toDate();
            } else if (!want.isNull()) {
                bool isBlank = false;
                wd = parseDateText(want.toString(), &isBlank);
                if (!isBlank && !wd.isValid()) return false;
            }
            if (hd != wd) return false;
        } else if (f.type == 'N' || f.type == 'F') {
            if (want.isNull() ||
                (want.typeId() == QMetaType::QString && want.toString().trimmed().isEmpty())) {
                if (!have.isNull()) return false;
            } else {
                bool ok = false;
                const double w = QString(want.toString()).replace(',', '.').toDouble(&ok);
                if (!ok || have.isNull() || have.toDouble() != w) return false;
            }
        } else if (have != want) {
            return false;
        }
    }
    return true;
}

bool Table::locate(const QString& fieldList, const QVariantList& values) {
    checkBrowse("locate");
    std::vector<int> fields;
    for (const QString& name : fieldList.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        fields.push_back(requireField(name.trimmed()));
    if (fields.empty()) return false;

    // With the active tag made of these character fields (in this order), seek.
    if (active_ >= 0) {
        const Tag& t = tags_[size_t(active_)];
        const auto& parts = t.expr.components();
        size_t k = 0;
        QByteArray prefix;
        while (k < fields.size() && k < parts.size() && parts[k].kind == KeyExpr::Kind::Field &&
               parts[k].field == fields[k] && header_.fields[size_t(fields[k])].type == 'C') {
            const FieldDef& f = header_.fields[size_t(fields[k])];
            QString w = values.value(qsizetype(k)).toString();
            while (w.endsWith(QLatin1Char(' ')))
                w.chop(1);
            auto enc = encode852(w);
            if (!enc || enc->size() > f.width) return false;
            QByteArray padded = *enc;
            padded.append(QByteArray(f.width - enc->size(), ' '));
            prefix += padded;
            ++k;
        }
        if (k > 0) {
            KeyExpr::weigh(prefix.data(), int(prefix.size()));
            const TagIndex& ix = t.index;
            const int len = int(prefix.size());
            for (TagIndex::Pos p = ix.lowerBound(prefix.constData(), len);
                 !ix.atEnd(p) && memcmp(ix.keyAt(p), prefix.constData(), size_t(len)) == 0;
                 ix.next(p)) {
                const std::uint32_t r = ix.recnoAt(p);
                const char* rec = rawRecord(r);
                if (passes(rec) && recordMatches(rec, fields, values)) {
                    recno_ = r;
                    bof_ = eof_ = false;
                    return true;
                }
            }
            return false;
        }
    }
    for (std::uint32_t r = firstVisible(true); r != 0; r = scan(r, true, false)) {
        if (recordMatches(rawRecord(r), fields, values)) {
            recno_ = r;
            bof_ = eof_ = false;
            return true;
        }
    }
    return false;
}

bool Table::locatePrefix(const QString& field, const QString& text) {
    checkBrowse("locatePrefix");
    const int fi = requireField(field);
    if (active_ >= 0) {
        const Tag& t = tags_[size_t(active_)];
        const auto& parts = t.expr.components();
        if (parts[0].kind == KeyExpr::Kind::Field && parts[0].field == fi &&
            header_.fields[size_t(fi)].type == 'C') {
            auto enc = encode852(text);
            if (!enc) return false;
            QByteArray prefix = enc->left(header_.fields[size_t(fi)].width);
            KeyExpr::weigh(prefix.data(), int(prefix.size()));
            const TagIndex& ix = t.index;
            const int len = int(prefix.size());
            for (TagIndex::Pos p = ix.lowerBound(prefix.constData(), len);
                 !ix.atEnd(p) && memcmp(ix.keyAt(p), prefix.constData(), size_t(len)) == 0;
                 ix.next(p)) {
                const std::uint32_t r = ix.recnoAt(p);
                const char* rec = rawRecord(r);
                if (passes(rec) &&
                    decodeField(fi, rec).toString().startsWith(text, Qt::CaseInsensitive)) {
                    recno_ = r;
                    bof_ = eof_ = false;
                    return true;
                }
            }
            return false;
        }
    }
    for (std::uint32_t r = firstVisible(true); r != 0; r = scan(r, true, false)) {
        const QVariant v = decodeField(fi, rawRecord(r));
        const QString s = header_.fields[size_t(fi)].type == 'D'
                              ? v.toDate().toString(QStringLiteral("yyyy.MM.dd"))
                              : v.toString();
        if (s.startsWith(text, Qt::CaseInsensitive)) {
            recno_ = r;
            bof_ = eof_ = false;
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- pack

void Table::pack() {
    checkBrowse("pack");
    if (readOnly_)
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("a tábla csak olvasható"));
    if (unit_)
        throw DbError(DbError::Kind::Usage, path_,
                      QStringLiteral("a tábla egy folyamatban lévő művelet része (tömörítés)"));
    const QString tmp = path_ + QStringLiteral(".pack-tmp");
    QByteArray head(map_, header_.headerLength);
    std::uint32_t kept = 0;
    {
        QFile out(tmp);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw DbError(DbError::Kind::Io, tmp, QStringLiteral("nem hozható létre"));
        bool ok = out.write(head) == head.size();
        for (std::uint32_t r = 1; ok && r <= header_.recordCount; ++r) {
            const char* rec = rawRecord(r);
            if (rec[0] == '*') continue;
            ok = out.write(rec, header_.recordLength) == header_.recordLength;
            ++kept;
        }
        ok = ok && out.putChar(char(0x1A));
        char count[4];
        put32(count, kept);
        const QDate d = clockFn()();
        const char date[3] = {char(d.year() % 100), char(d.month()), char(d.day())};
        ok = ok && out.seek(1) && out.write(date, 3) == 3 && out.write(count, 4) == 4;
        ok = ok && out.flush() && ::fsync(out.handle()) == 0;
        out.close();
        if (!ok) {
            QFile::remove(tmp);
            throw DbError(DbError::Kind::Io, path_, QStringLiteral("a tömörítés nem sikerült"));
        }
    }
    // Lock the new file before it takes the old one's name.
    const int nfd = ::open(QFile::encodeName(tmp).constData(), O_RDWR);
    if (nfd < 0 || ::flock(nfd, LOCK_EX | LOCK_NB) != 0) {
        if (nfd >= 0) ::close(nfd);
        QFile::remove(tmp);
        throw ioError(path_, QStringLiteral("a tömörítés nem sikerült"));
    }
    if (::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(path_).constData()) != 0) {
        ::close(nfd);
        QFile::remove(tmp);
        throw ioError(path_, QStringLiteral("a tömörítés nem sikerült"));
    }
    unmap();
    ::close(fd_);
    fd_ = nfd;
    header_.recordCount = kept;
    ensureMapped(std::uint64_t(header_.headerLength) + std::uint64_t(kept) * header_.recordLength +
                 1);
    deletedCount_ = 0;
    ++generation_;
    for (Tag& t : tags_)
        buildTag(t);
    if (!tags_.empty()) {
        indexDirty_ = true;
        saveIndexFile();
    }
    first();
}

// ---------------------------------------------------------------- change units

void Table::markIndexStale(const QString& dbfPath) {
    const QString mdx = mdxPathFor(findFileNoCase(dbfPath));
    const int fd = ::open(QFile::encodeName(mdx).constData(), O_RDWR);
    if (fd < 0) {
        if (errno == ENOENT) return;
        throw ioError(mdx, QStringLiteral("az indexállomány nem írható"));
    }
    char magic[8];
    const bool ours = ::pread(fd, magic, 8, 0) == 8 && memcmp(magic, kMdxMagic, 8) == 0;
    char one[4];
    put32(one, 1);
    const ssize_t w =
        !ours ? 4 : (ioAllowed(IoOp::Write) ? ::pwrite(fd, one, 4, kMdxDirtyOffset) : -1);
    const int saved = errno;
    ::close(fd);
    errno = saved;
    if (w != 4) throw ioError(mdx, QStringLiteral("az indexállomány nem írható"));
}

void Table::holdWrites(ChangeUnit* unit) {
    unit_ = unit;
    held_ = std::make_unique<Held>();
    held_->diskCount = header_.recordCount;
}

void Table::flushHeld() {
    if (!held_ || held_->empty()) return;
    touchIndexFile();
    const std::uint32_t rl = header_.recordLength;
    const off_t base = off_t(header_.headerLength);
    for (const auto& [recno, rec] : held_->changed)
        writeAt(fd_, rec.constData(), rl, base + off_t(recno - 1) * rl, path_);
    if (!held_->appended.empty()) {
        QByteArray block;
        block.reserve(qsizetype(held_->appended.size() * rl + 1));
        for (const QByteArray& rec : held_->appended)
            block.append(rec);
        block.append(char(0x1A));
        const off_t at = base + off_t(held_->diskCount) * rl;
        writeAt(fd_, block.constData(), size_t(block.size()), at, path_);
        writeHeaderCount();
        ensureMapped(std::uint64_t(at) + std::uint64_t(block.size()));
    }
}

void Table::dropHeld() {
    if (!held_) return;
    std::unique_ptr<Held> held = std::move(held_);
    if (state_ == State::Edit || state_ == State::Insert) cancel();
    // Back to the file's records: the held ones leave the tags, the file's
    // own come back. A tag that does not hold what it should is rebuilt.
    header_.recordCount = held->diskCount;
    for (Tag& t : tags_) {
        bool lost = false;
        std::vector<char> k(size_t(t.expr.keyLength()));
        for (const auto& [recno, rec] : held->changed) {
            keyOf(t, rec.constData(), k.data());
            lost |= !t.index.erase(k.data(), recno);
            keyOf(t, rawRecord(recno), k.data());
            t.index.insert(k.data(), recno);
        }
        for (size_t i = 0; i < held->appended.size(); ++i) {
            keyOf(t, held->appended[i].constData(), k.data());
            lost |= !t.index.erase(k.data(), held->diskCount + std::uint32_t(i) + 1);
        }
        if (lost || t.index.size() != header_.recordCount) buildTag(t);
    }
    if (!tags_.empty() && !held->empty()) indexDirty_ = true;
    deletedCount_ = -1;
    ++generation_;
    if (recno_ > header_.recordCount) recno_ = 0;
    refresh();
}

void Table::releaseHeld() {
    held_.reset();
    unit_ = nullptr;
    deletedCount_ = -1;
    ++generation_;
}

} // namespace engine
