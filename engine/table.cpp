#include "engine/table.h"

#include "engine/changeunit.h"
#include "engine/codepage.h"
#include "engine/database.h"
#include "engine/clock.h"
#include "engine/coding.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/fieldcodec.h"
#include "engine/sysfile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace engine {

void Table::setClock(std::function<QDate()> today) {
    setToday(std::move(today));
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
    const QDate d = today();
    bytes[1] = char(d.year() % 100);
    bytes[2] = char(d.month());
    bytes[3] = char(d.day());
    bytes.append(char(0x1A));
    // Another program (or table object) holding the old file must make this fail.
    const int fd = sys::open(p, sys::ReadWrite | sys::Create);
    if (fd < 0) throw ioError(p, QStringLiteral("nem hozható létre"));
    if (!lockFile(fd, true)) {
        sys::close(fd);
        throw DbError(DbError::Kind::Locked, p,
                      QStringLiteral("az állományt egy másik program használja"));
    }
    try {
        truncateAt(fd, 0, p);
        writeAt(fd, 0, bytes.constData(), size_t(bytes.size()), p);
    } catch (...) {
        sys::close(fd);
        throw;
    }
    sys::close(fd);
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
    bool ro = mode == Mode::ReadOnly;
    // Never inherited: no program started meanwhile (the archiver) keeps the
    // file and its lock. Without waiting: a FIFO is refused, not waited on.
    int fd = sys::open(p, (ro ? sys::ReadOnly : sys::ReadWrite) | sys::NoWait);
    if (fd < 0 && !ro && (errno == EACCES || errno == EROFS)) {
        fd = sys::open(p, sys::ReadOnly | sys::NoWait);
        ro = true;
    }
    if (fd < 0) {
        if (errno == ENOENT)
            throw DbError(DbError::Kind::Io, p, QStringLiteral("az állomány nem található"));
        throw ioError(p, QStringLiteral("nem nyitható meg"));
    }
    sys::setBlocking(fd);
    if (!lockFile(fd, mode == Mode::Exclusive)) {
        sys::close(fd);
        throw DbError(DbError::Kind::Locked, p,
                      QStringLiteral("az állományt egy másik program használja"));
    }
    sys::FileInfo st;
    if (!sys::fileInfo(fd, &st)) {
        sys::close(fd);
        throw ioError(p, QStringLiteral("nem olvasható"));
    }
    if (!st.regular) {
        sys::close(fd);
        throw DbError(DbError::Kind::Io, p,
                      QStringLiteral("nem közönséges állomány (hanem eszköz, csővezeték vagy "
                                     "könyvtár), nem olvasható be"));
    }
    try {
        QByteArray head(32, '\0');
        long long r = st.size >= 32 ? sys::readAt(fd, head.data(), 32, 0) : 0;
        if (r == 32) {
            const int hl = int(quint8(head[8]) | quint8(head[9]) << 8);
            if (hl > 32 && std::uint64_t(hl) <= st.size) {
                head.resize(hl);
                r = sys::readAt(fd, head.data(), size_t(hl), 0);
                if (r != hl) head.resize(32);
            }
        } else {
            head.clear();
        }
        header_ = parseDbfHeader(head, qint64(st.size), p, HeaderMode::Table);
    } catch (...) {
        sys::close(fd);
        throw;
    }
    fd_ = fd;
    path_ = p;
    indexStampDue_ = false;
    // A rollback still due blocks the table until the next start has done
    // it: the file holds a change half-written.
    if (blocked_) {
        if (QFileInfo::exists(journalPath(QFileInfo(p).absolutePath()))) {
            sys::close(fd);
            fd_ = -1;
            throw DbError(DbError::Kind::Io, p,
                          QStringLiteral("egy félbeszakadt művelet visszaállítása még hátra van: "
                                         "lépjen ki, és indítsa újra a programot!"));
        }
        blocked_ = false;
    }
    if (!unit_) held_.reset();
    readOnly_ = ro || header_.hasMemo();
    state_ = State::Browse;
    recno_ = 0;
    bof_ = eof_ = true;
    try {
        ensureMapped(st.size);
        checkNothingPastCount(st.size);
        loadIndexFile();
        if (db_) db_->attach(this);
        first();
    } catch (...) {
        close();
        throw;
    }
}

void Table::checkNothingPastCount(std::uint64_t fileSize) const {
    // Whole records past the header's count are what a writer that stopped
    // before counting them leaves (or a count lowered by hand): they would be
    // hidden, and the next append would write over them. The end byte 0x1A,
    // padding of 0x1A or NUL bytes, and a remnant shorter than a record are
    // what other writers leave and hide nothing. Nor does one record with its
    // end byte after it, the last thing in the file: an append of one record
    // cut off before it was counted. It never happened, and the next append
    // takes its place.
    const std::uint64_t end = std::uint64_t(header_.headerLength) +
                              std::uint64_t(header_.recordCount) * header_.recordLength;
    if (header_.recordLength == 0 || fileSize < end + header_.recordLength) return;
    if (fileSize == end + header_.recordLength + 1 && map_[fileSize - 1] == 0x1A) return;
    const char* past = map_ + end;
    bool padding = true;
    for (std::uint32_t i = 0; padding && i < header_.recordLength; ++i)
        padding = past[i] == 0x1A || past[i] == 0;
    if (!padding)
        throw DbError(DbError::Kind::Damaged, path_,
                      QStringLiteral("sérült dBase állomány: a fejléc szerint %1 rekord van, de "
                                     "az állományban utánuk még %2 bájt áll")
                          .arg(header_.recordCount)
                          .arg(fileSize - end));
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
        if (!readOnly_ &&
            (indexDirty_ || indexDefaultChanged_ || indexHeaderStale_ || indexMarked_ ||
             (deletedCount_ >= 0 && !deletedCountInFile_ && !tags_.empty())))
            saveIndexFile();
    } catch (...) {
        failure = std::current_exception();
    }
    const bool stamp = indexStampDue_ && !failure && !readOnly_ && !tags_.empty() &&
                       !(held_ && !held_->empty());
    const std::uint32_t records = header_.recordCount;
    const std::uint64_t size = std::uint64_t(header_.headerLength) +
                               std::uint64_t(header_.recordCount) * header_.recordLength;
    unmap();
    sys::close(fd_);
    fd_ = -1;
    indexStampDue_ = false;
    // Some file systems set a written file's time only as it is closed: the
    // index file takes the time the next open will see, or that open would
    // take the table for one another program changed.
    if (stamp) {
        try {
            stampIndexTime(path_, records, size);
        } catch (...) {
            failure = std::current_exception();
        }
    }
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
    // Map beyond the end so that appends rarely need a new mapping; pages
    // past the end of the file are never touched.
    std::uint64_t want = std::max<std::uint64_t>(size + size / 2, size + (4u << 20));
    // (Where a map cannot reach past the end of the file, it covers what the
    // file holds, which is at least what is read.) On a failure the old map
    // stays: a rollback still reads the records it covers.
    std::uint64_t mapped = 0;
    const char* m = sys::map(fd_, want, &mapped);
    if (!m) throw ioError(path_, QStringLiteral("nem olvasható"));
    if (mapped < size) {
        sys::unmap(m, mapped);
        throw ioError(path_, QStringLiteral("nem olvasható"));
    }
    unmap();
    map_ = m;
    mapSize_ = mapped;
}

void Table::readsAtRandom(bool random) const {
    sys::readsAtRandom(map_, mapSize_, random);
}

void Table::unmap() const {
    if (map_) sys::unmap(map_, mapSize_);
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

QVariant Table::decodeField(int i, const char* record) const {
    return engine::decodeField(header_.fields[size_t(i)], record);
}

void Table::encodeField(int i, const QVariant& v, char* record) const {
    engine::encodeField(header_.fields[size_t(i)], v, record, path_);
}

RecordView Table::record(std::uint32_t recno) const {
    return RecordView(&header_.fields, rawRecord(recno));
}

QByteArray Table::tagKey(int tag, std::uint32_t recno) const {
    if (tag < 0 || size_t(tag) >= tags_.size())
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("nincs %1. index").arg(tag));
    const Tag& t = tags_[size_t(tag)];
    QByteArray key(t.expr.keyLength(), '\0');
    keyOf(t, rawRecord(recno), key.data());
    return key;
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
    const QDate d = today();
    h[0] = char(header_.version);
    h[1] = char(d.year() % 100);
    h[2] = char(d.month());
    h[3] = char(d.day());
    put32le(h + 4, header_.recordCount);
    writeAt(fd_, 1, h + 1, 7, path_);
}

void Table::checkWritable() const {
    if (readOnly_)
        throw DbError(DbError::Kind::Usage, path_, QStringLiteral("a tábla csak olvasható"));
    if (blocked_)
        throw DbError(DbError::Kind::Io, path_,
                      QStringLiteral("egy félbeszakadt művelet visszaállítása még hátra van: "
                                     "lépjen ki, és indítsa újra a programot!"));
    if (held_ && held_->replacement)
        throw DbError(DbError::Kind::Usage, path_,
                      QStringLiteral("a tábla cseréje folyamatban van, nem írható"));
}

void Table::writeRaw(std::uint32_t recno, const QByteArray& record) {
    checkOpen();
    checkWritable();
    prepareTagChanges();
    const char* old = rawRecord(recno);
    if (memcmp(old, record.constData(), header_.recordLength) == 0) return;
    const QByteArray before(old, header_.recordLength);
    if (held_) {
        QByteArray& slot = recno > held_->diskCount ? held_->appended[recno - held_->diskCount - 1]
                                                    : held_->changed[recno];
        slot = record.left(header_.recordLength);
    } else {
        touchIndexFile();
        writeAt(fd_,
                std::uint64_t(header_.headerLength) +
                    std::uint64_t(recno - 1) * header_.recordLength,
                record.constData(), header_.recordLength, path_);
    }
    for (Tag& t : tags_) {
        std::vector<char> a(size_t(t.expr.keyLength())), b(a.size());
        keyOf(t, before.constData(), a.data());
        keyOf(t, record.constData(), b.data());
        if (memcmp(a.data(), b.data(), a.size()) != 0) {
            tagErase(t, a.data(), recno);
            tagInsert(t, b.data(), recno);
            indexDirty_ = true;
        }
    }
    if (deletedCount_ >= 0 && before[0] != record[0]) deletedCount_ += record[0] == '*' ? 1 : -1;
    ++generation_;
}

std::uint32_t Table::appendRaw(const QByteArray& record) {
    checkOpen();
    checkWritable();
    prepareTagChanges();
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
    writeAt(fd_, std::uint64_t(at), bytes.constData(), size_t(bytes.size()), path_);
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
    checkWritable();
    prepareTagChanges();
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
        touchIndexFile();
        writeAt(fd_,
                std::uint64_t(header_.headerLength) +
                    std::uint64_t(recno - 1) * header_.recordLength,
                "*", 1, path_);
    }
    if (deletedCount_ >= 0) ++deletedCount_;
    ++generation_;
}

// ---------------------------------------------------------------- values
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
    return engine::decodeField(header_.fields[size_t(i)], rec);
}

QVariant Table::value(const QString& field) const {
    return value(requireField(field));
}

QString Table::text(const QString& field) const {
    const int i = requireField(field);
    checkOpen();
    const char* rec = currentRecord();
    const FieldDef& f = header_.fields[size_t(i)];
    if (!rec) return QString();
    return fieldText(f, rec);
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
    return isBlankBytes(rec + f.offset, f.width);
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

} // namespace engine
