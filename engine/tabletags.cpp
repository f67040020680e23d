// A table's index tags, kept in the index file (.mdx, engine/mdxfile.h)
// beside it: building, keeping and saving the tags, and reading them back.

#include "engine/table.h"

#include "engine/coding.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/mdxfile.h"
#include "engine/sysfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>

namespace engine {

// ---------------------------------------------------------------- tags

QString Table::indexPath() const {
    QFileInfo fi(path_);
    return findFileNoCase(fi.dir().filePath(fi.completeBaseName() + ".mdx"));
}

bool Table::indexFileOk(const QString& dbfPath) {
    MdxDirectory d;
    return readMdxDirectory(mdxPathFor(findFileNoCase(dbfPath)), d) && d.whole;
}

void Table::keyOf(const Tag& t, const char* rec, char* out) const {
    t.expr.build(rec, header_.fields, out);
}

void Table::tagsInsert(std::uint32_t recno, const char* rec) {
    for (Tag& t : tags_) {
        std::vector<char> k(size_t(t.expr.keyLength()));
        keyOf(t, rec, k.data());
        tagInsert(t, k.data(), recno);
    }
    if (!tags_.empty()) indexDirty_ = true;
}

namespace {
// Past this many pending changes a tag's entries are read and the changes
// applied: pending changes cost as much memory as entries.
constexpr std::size_t kMaxPendingChanges = 4096;
} // namespace

void Table::prepareTagChanges() {
    for (size_t i = 0; i < tags_.size(); ++i) {
        Tag& t = tags_[i];
        if (t.loaded) continue;
        // Entries the file does not hold for these records (or too many
        // changes held) are read, or rebuilt, now.
        if (t.pending.empty() ? t.fileCount != header_.recordCount
                              : t.pending.size() >= kMaxPendingChanges) {
            ensureTagLoaded(i);
            continue;
        }
        if (t.pending.empty()) t.pendingBase = header_.recordCount;
    }
}

void Table::tagInsert(Tag& t, const char* key, std::uint32_t recno) {
    if (t.loaded)
        t.index.insert(key, recno);
    else
        t.pending.push_back({true, recno, QByteArray(key, t.expr.keyLength())});
}

bool Table::tagErase(Tag& t, const char* key, std::uint32_t recno) {
    if (t.loaded) return t.index.erase(key, recno);
    t.pending.push_back({false, recno, QByteArray(key, t.expr.keyLength())});
    return true;
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
    t.loaded = true;
    t.pending.clear();
}

namespace {
std::atomic<std::uint64_t> g_tagListEpoch{0};
} // namespace

std::uint64_t Table::tagListEpoch() {
    return g_tagListEpoch.load(std::memory_order_relaxed);
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
    ++g_tagListEpoch;
    if (activeNameSet_ && active_ < 0 && activeName_.compare(name, Qt::CaseInsensitive) == 0)
        active_ = int(tags_.size()) - 1;
    indexDirty_ = true;
    saveIndexFile();
}

void Table::dropTags() {
    checkBrowse("dropTags");
    tags_.clear();
    ++g_tagListEpoch;
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

void Table::replaceTags(const std::vector<std::pair<QString, QString>>& defs) {
    checkBrowse("replaceTags");
    checkWritable();
    if (unit_)
        throw DbError(DbError::Kind::Usage, path_,
                      QStringLiteral("a tábla egy folyamatban lévő művelet része (indexelés)"));
    std::vector<Tag> fresh;
    for (const auto& [name, expression] : defs) {
        for (const Tag& t : fresh)
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                throw DbError(DbError::Kind::Usage, path_,
                              QStringLiteral("már van %1 nevű index").arg(name));
        Tag t{name, KeyExpr::parse(expression, header_.fields, path_), TagIndex()};
        buildTag(t);
        fresh.push_back(std::move(t));
    }
    std::vector<Tag> old = std::move(tags_);
    const int oldActive = active_;
    const std::uint32_t oldDirLength = indexDirLength_;
    const bool oldDirty = indexDirty_, oldMarked = indexMarked_, oldDefault = indexDefaultChanged_,
               oldHeader = indexHeaderStale_;
    tags_ = std::move(fresh);
    active_ = -1;
    if (activeNameSet_)
        for (size_t i = 0; i < tags_.size(); ++i)
            if (tags_[i].name.compare(activeName_, Qt::CaseInsensitive) == 0) active_ = int(i);
    ++g_tagListEpoch;
    indexDirty_ = true;
    indexDirLength_ = 0;
    try {
        saveIndexFile();
    } catch (...) {
        // The old index file was not touched: its tags are the table's again.
        tags_ = std::move(old);
        active_ = oldActive;
        indexDirLength_ = oldDirLength;
        indexDirty_ = oldDirty;
        indexMarked_ = oldMarked;
        indexDefaultChanged_ = oldDefault;
        indexHeaderStale_ = oldHeader;
        ++g_tagListEpoch;
        throw;
    }
}

// ---------------------------------------------------------------- index file

// Only what changed is written, in place (writeIndexInPlace): the entries
// that moved and the directory. The whole file is written under a temporary
// name (writeIndexWhole) when there is none yet, when a tag is new, outgrew
// its room or shrank far below it, or when the directory changes its length.
// Marked "being changed" before the first change after it was written, so an
// index left behind by a crash is rebuilt at the next open, and so is one
// whose checksums do not match.
void Table::saveIndexFile() {
    // Held records are not in the file yet: the index follows the file.
    if (tags_.empty() || (held_ && !held_->empty())) return;
    // A tag changed since it was read from the file, or without being read,
    // is written from its entries.
    for (size_t i = 0; i < tags_.size(); ++i)
        if (!tags_[i].pending.empty()) ensureTagLoaded(i);
    MdxDirectory d;
    d.recordCount = header_.recordCount;
    d.dbfSize = std::uint64_t(header_.headerLength) +
                std::uint64_t(header_.recordCount) * header_.recordLength;
    d.dbfTime = mdxTableTime(fd_);
    d.deletedCount = deletedCount_;
    d.defaultTag = active_ >= 0 ? tags_[size_t(active_)].name : QString();
    d.padTo = indexDirLength_;
    bool inPlace = indexDirLength_ > 0;
    for (const Tag& t : tags_) {
        MdxTagEntry e;
        e.name = t.name;
        e.expression = t.expr.text();
        e.keyLength = std::uint32_t(t.expr.keyLength());
        // A tag not read since the file was written is as the file has it.
        e.count = t.loaded ? std::uint32_t(t.index.size()) : t.fileCount;
        e.sum = t.loaded ? t.index.sum() : t.fileSum;
        e.capacity = t.fileCapacity;
        inPlace = inPlace && t.inFile && e.count <= t.fileCapacity &&
                  t.fileCapacity / 2 <= mdxRoomFor(e.count);
        d.tags.push_back(e);
    }
    QByteArray dir = buildMdxDirectory(d);
    if (inPlace && std::uint32_t(dir.size()) == indexDirLength_) {
        MdxDirectory back;
        parseMdxDirectory(dir, ~std::uint64_t(0) >> 1, back);
        for (size_t i = 0; i < tags_.size(); ++i)
            inPlace = inPlace && back.tags[i].offset == tags_[i].fileOffset;
    } else {
        inPlace = false;
    }
    QFileInfo fi(path_);
    const QString target = QFileInfo::exists(indexPath())
                               ? indexPath()
                               : fi.dir().filePath(fi.completeBaseName() + ".mdx");
    try {
        if (inPlace) {
            writeIndexInPlace(target, d);
        } else {
            ensureAllTagsLoaded();
            d.padTo = 0;
            for (size_t i = 0; i < tags_.size(); ++i) {
                d.tags[i].count = std::uint32_t(tags_[i].index.size());
                d.tags[i].sum = tags_[i].index.sum();
                d.tags[i].capacity = mdxRoomFor(d.tags[i].count);
            }
            writeIndexWhole(target, d);
        }
    } catch (const DbError& e) {
        // One reason, said once: the writes below say "nem írható (reason)".
        const QString prefix = QStringLiteral("az indexállomány nem írható");
        if (e.detail().startsWith(prefix)) throw;
        QString why = e.detail();
        const QString plain = QStringLiteral("nem írható (");
        if (why.startsWith(plain) && why.endsWith(QLatin1Char(')')))
            why = why.mid(plain.size(), why.size() - plain.size() - 1);
        throw DbError(DbError::Kind::Io, target, prefix + QStringLiteral(" (%1)").arg(why));
    }
    // The file now holds every tag's entries as they are in memory.
    dir = buildMdxDirectory(d);
    MdxDirectory back;
    parseMdxDirectory(dir, ~std::uint64_t(0) >> 1, back);
    for (size_t i = 0; i < tags_.size() && i < back.tags.size(); ++i) {
        Tag& t = tags_[i];
        t.fileCount = back.tags[i].count;
        t.fileSum = back.tags[i].sum;
        t.fileOffset = back.tags[i].offset;
        t.fileCapacity = back.tags[i].capacity;
        t.inFile = true;
        if (t.loaded) t.index.markClean();
    }
    indexDirLength_ = std::uint32_t(dir.size());
    indexDirty_ = indexMarked_ = indexDefaultChanged_ = indexHeaderStale_ = false;
    indexStampDue_ = true;
    deletedCountInFile_ = d.deletedCount >= 0;
}

void Table::writeIndexWhole(const QString& target, MdxDirectory& d) {
    const QByteArray dir = buildMdxDirectory(d);
    NewFile f(target, target + QStringLiteral(".tmp"));
    f.append(dir.constData(), std::size_t(dir.size()));
    for (size_t i = 0; i < tags_.size(); ++i) {
        std::vector<char> entries;
        tags_[i].index.save(entries);
        // the room for later appends, zeros
        entries.resize(std::size_t(d.tags[i].capacity) * std::size_t(d.tags[i].keyLength + 4));
        f.append(entries.data(), entries.size());
    }
    f.commit();
}

void Table::writeIndexInPlace(const QString& target, const MdxDirectory& d) {
    const int fd = sys::open(target, sys::ReadWrite);
    if (fd < 0) throw ioError(target, QStringLiteral("nem nyitható meg"));
    try {
        bool marked = false;
        for (const Tag& t : tags_) {
            if (!t.loaded) continue;
            const TagIndex::Changes c = t.index.changes();
            if (!c.any) continue;
            if (!marked) {
                // Durably "being changed" before any entry is overwritten: a
                // crash from here on leaves an index the next open rebuilds.
                char one[4];
                put32le(one, 1);
                writeAt(fd, kMdxDirtyOffset, one, 4, target);
                syncFile(fd, target);
                marked = true;
            }
            const std::size_t el = std::size_t(t.expr.keyLength()) + 4;
            std::vector<char> bytes;
            t.index.saveRange(c.from, c.to, bytes);
            writeAt(fd, t.fileOffset + std::uint64_t(c.from) * el, bytes.data(), bytes.size(),
                    target);
        }
        // The entries are durable before the directory says they are sound.
        if (marked) syncFile(fd, target);
        const QByteArray dir = buildMdxDirectory(d);
        writeAt(fd, 0, dir.constData(), std::size_t(dir.size()), target);
        syncFile(fd, target);
    } catch (...) {
        sys::close(fd);
        throw;
    }
    sys::close(fd);
}

void Table::markIndexStale(const QString& dbfPath) {
    const QString mdx = mdxPathFor(findFileNoCase(dbfPath));
    const int fd = sys::open(mdx, sys::ReadWrite);
    if (fd < 0) {
        if (errno == ENOENT) return;
        throw ioError(mdx, QStringLiteral("az indexállomány nem írható"));
    }
    char magic[8];
    char one[4];
    put32le(one, 1);
    try {
        if (sys::readAt(fd, magic, 8, 0) == 8 && memcmp(magic, kMdxMagic, 8) == 0)
            writeAt(fd, kMdxDirtyOffset, one, 4, mdx);
    } catch (...) {
        sys::close(fd);
        throw;
    }
    sys::close(fd);
}

void Table::touchIndexFile() {
    if (tags_.empty() || indexMarked_) return;
    indexStampDue_ = true;
    // A tag not read yet keeps its entries in the file, untouched by the
    // writes in place (which write only the entries read), so it need not
    // be read before the file is marked.
    const QString mdx = indexPath();
    const int fd = sys::open(mdx, sys::ReadWrite);
    if (fd < 0) throw ioError(mdx, QStringLiteral("az indexállomány nem írható"));
    char one[4];
    put32le(one, 1);
    try {
        writeAt(fd, kMdxDirtyOffset, one, 4, mdx);
    } catch (...) {
        sys::close(fd);
        throw;
    }
    sys::close(fd);
    indexMarked_ = true;
}

void Table::stampIndexTime(const QString& dbfPath, std::uint32_t records, std::uint64_t size) {
    const int tfd = sys::open(dbfPath, sys::ReadOnly);
    if (tfd < 0) return;
    const std::int64_t time = mdxTableTime(tfd);
    sys::close(tfd);
    const QString mdx = mdxPathFor(dbfPath);
    MdxDirectory d;
    if (!readMdxDirectory(mdx, d) || !d.whole || d.dirty != 0 || d.recordCount != records ||
        d.dbfSize != size || d.dbfTime == time)
        return;
    d.dbfTime = time;
    d.padTo = d.length;
    const QByteArray dir = buildMdxDirectory(d);
    if (std::uint32_t(dir.size()) != d.length) return;
    const int fd = sys::open(mdx, sys::ReadWrite);
    if (fd < 0) throw ioError(mdx, QStringLiteral("az indexállomány nem írható"));
    try {
        writeAt(fd, 0, dir.constData(), std::size_t(dir.size()), mdx);
        syncFile(fd, mdx);
    } catch (...) {
        sys::close(fd);
        throw;
    }
    sys::close(fd);
}

void Table::ensureTagLoaded(std::size_t i) const {
    Tag& t = const_cast<Tag&>(tags_[i]);
    if (t.loaded) return;
    auto* self = const_cast<Table*>(this);
    const int el = t.expr.keyLength() + 4;
    // The records the file's entries describe: the table's, or as many as
    // it had when the first pending change was made.
    const std::uint32_t records = t.pending.empty() ? header_.recordCount : t.pendingBase;
    bool ok = t.fileCount == records;
    if (ok) {
        // Read, checked and kept a block at a time, while the block is in
        // the processor's cache.
        t.index = TagIndex(t.expr.keyLength());
        MdxEntryCheck check(el, records);
        ok = readMdxEntries(indexPath(), t.fileOffset, t.fileCount, el,
                            [&](const char* entries, std::size_t n) {
                                if (!check.feed(entries, n)) return false;
                                t.index.appendSorted(entries, n);
                                return true;
                            }) &&
             t.index.sum() == t.fileSum;
    }
    if (ok) {
        t.index.markClean();
        // The changes made since, as they would have been made to the
        // entries (which then note what moved, to be written in place).
        for (const Tag::Change& c : t.pending) {
            if (c.insert) {
                t.index.insert(c.key.constData(), c.recno);
            } else if (!t.index.erase(c.key.constData(), c.recno)) {
                ok = false;
                break;
            }
        }
        ok = ok && t.index.size() == header_.recordCount;
    }
    if (!ok) {
        // Cannot be read whole, or not in order, or the changes do not fit
        // it: rebuilt from the records.
        self->buildTag(t);
        self->indexDirty_ = true;
    }
    if (!t.pending.empty()) self->indexDirty_ = true;
    t.pending.clear();
    t.loaded = true;
}

void Table::ensureAllTagsLoaded() const {
    for (size_t i = 0; i < tags_.size(); ++i)
        ensureTagLoaded(i);
}

bool Table::tagsAgreeWithRecords() const {
    for (size_t i = 0; i < tags_.size(); ++i) {
        ensureTagLoaded(i);
        const Tag& t = tags_[i];
        std::vector<char> k(size_t(t.expr.keyLength()));
        for (TagIndex::Pos p = t.index.begin(); !t.index.atEnd(p); t.index.next(p)) {
            keyOf(t, rawRecord(t.index.recnoAt(p)), k.data());
            if (memcmp(k.data(), t.index.keyAt(p), k.size()) != 0) return false;
        }
    }
    return true;
}

void Table::repairIndex() const {
    auto* self = const_cast<Table*>(this);
    ++self->repairs_;
    for (Tag& t : self->tags_) {
        self->buildTag(t);
        t.loaded = true;
    }
    self->indexDirty_ = true;
}

const Table::Tag& Table::tag(int i) const {
    ensureTagLoaded(size_t(i));
    return tags_[size_t(i)];
}

const std::vector<Table::Tag>& Table::tags() const {
    ensureAllTagsLoaded();
    return tags_;
}

void Table::loadIndexFile() {
    tags_.clear();
    active_ = -1;
    indexDirLength_ = 0;
    indexHeaderStale_ = false;
    deletedCountInFile_ = false;
    MdxDirectory d;
    // None, not ours, or not whole: no tags (the program rebuilds them from
    // its layouts, as indexFileOk() says no).
    if (!readMdxDirectory(indexPath(), d)) return;
    const bool stale = !d.whole || d.dirty != 0 || d.recordCount != header_.recordCount ||
                       d.dbfSize != std::uint64_t(header_.headerLength) +
                                        std::uint64_t(header_.recordCount) * header_.recordLength;
    std::vector<Tag> tags;
    for (const MdxTagEntry& e : d.tags) {
        std::optional<KeyExpr> x;
        try {
            x = KeyExpr::parse(e.expression, header_.fields, path_);
        } catch (const DbError&) {
            return; // names a field this table does not have: no usable index
        }
        if (e.keyLength != std::uint32_t(x->keyLength())) return;
        Tag t{e.name, std::move(*x), TagIndex(int(e.keyLength))};
        t.loaded = false;
        t.fileOffset = e.offset;
        t.fileSum = e.sum;
        t.fileCount = e.count;
        t.fileCapacity = e.capacity;
        t.inFile = true;
        tags.push_back(std::move(t));
    }
    tags_ = std::move(tags);
    indexDirLength_ = d.length;
    bool rebuild = stale;
    // The table changed after the index was written (another dBase program
    // edited it, or a file of the same size replaced it): every key is checked
    // against its record, and a disagreeing index is rebuilt, never followed.
    if (!rebuild && d.dbfTime != mdxTableTime(fd_)) {
        ++recordChecks_;
        rebuild = !tagsAgreeWithRecords();
        if (!rebuild) indexHeaderStale_ = true;
    }
    // An index file this program left as the table is knows how many of its
    // records are deleted: the table need not be read to count them.
    if (!rebuild && !indexHeaderStale_ && d.deletedCount >= 0 &&
        d.deletedCount <= std::int64_t(header_.recordCount)) {
        deletedCount_ = d.deletedCount;
        deletedCountInFile_ = true;
    }
    if (rebuild) {
        repairIndex();
        indexDirLength_ = 0; // written whole, not trusting its regions
        // A table opened for reading keeps the rebuilt index to itself.
        if (!readOnly_) saveIndexFile();
    }
    const QString want = activeNameSet_ ? activeName_ : d.defaultTag;
    for (size_t i = 0; i < tags_.size(); ++i)
        if (!want.isEmpty() && tags_[i].name.compare(want, Qt::CaseInsensitive) == 0)
            active_ = int(i);
}

} // namespace engine
