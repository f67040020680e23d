// Index tags and the index file (.mdx) beside a table: building, keeping and
// saving the tags, and reading them back.

#include "engine/table.h"

#include "engine/dberror.h"
#include "engine/dbffile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace engine {

namespace {

constexpr char kMdxMagic[8] = {'S', 'Z', 'M', 'D', 'X', '0', '1', '\n'};
constexpr int kMdxDirtyOffset = 8;
constexpr int kMdxSummed = 12; // the checksum covers the file from here

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

// A reader over the bytes of an index file that refuses to run past the end.
struct Reader {
    const QByteArray& b;
    qsizetype pos = 0;
    bool ok = true;
    quint32 u32() {
        if (pos + 4 > b.size()) return ok = false, 0u;
        const quint32 v = get32le(b.constData() + pos);
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

} // namespace

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
    if (tags_.empty()) return;
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
    try {
        NewFile f(target, target + QStringLiteral(".tmp"));
        f.append(b.constData(), std::size_t(b.size()));
        f.commit();
    } catch (const DbError& e) {
        throw DbError(DbError::Kind::Io, target,
                      QStringLiteral("az indexállomány nem írható (%1)").arg(e.detail()));
    }
    indexDirty_ = indexMarked_ = indexDefaultChanged_ = false;
}

void Table::touchIndexFile() {
    if (tags_.empty() || indexMarked_) return;
    const QString mdx = indexPath();
    const int fd = ::open(QFile::encodeName(mdx).constData(), O_RDWR);
    if (fd < 0) throw ioError(mdx, QStringLiteral("az indexállomány nem írható"));
    char one[4];
    put32le(one, 1);
    try {
        writeAt(fd, kMdxDirtyOffset, one, 4, mdx);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
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
        get64le(b.constData() + b.size() - 8) ==
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

} // namespace engine
