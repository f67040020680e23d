#include "engine/changeunit.h"

#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/fileswap.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// The journal, all numbers little-endian:
//
//   "SZJRNL01"  magic
//   u64         sealed: 0 while the journal is being written, 1 once all of it
//               is on the disk (no table changes before that)
//   u64         length of the whole file
//   u32         tables
//   per table:  str   file name inside the folder (u32 length, UTF-8 bytes)
//               u32   records in the file before the unit
//               u64   size of the file before the unit
//               u32   header length, then the header bytes before the unit
//               u32   tail length, then the bytes that followed the records
//               u32   record length
//               u32   before-images, then each: u32 record number, the record
//   then, when the unit brings new files into being:
//               "NEWF", u32 count, per file: str temporary path, str path
//               (absolute paths, in any folder)
//   then, when the unit replaces whole files, the section of
//               engine/fileswap.h ("SWAP", u32 count, per file: str target,
//               str fresh, str saved, u32 target existed)
//   u64         checksum of everything above except the sealed word
//   "SZJEND01"
//
// The journal is written whole under a temporary name ("rollback.jnl.uj")
// and takes its own name before it is sealed. One that is not sealed was cut
// short by a kill before any table changed: it is ignored. Any other that
// cannot be read whole (its length or checksum does not match, cut short) is
// damaged: nothing is touched, and it is kept aside under a name of its own
// for whoever has to repair the tables.

namespace engine {

namespace {

constexpr char kMagic[8] = {'S', 'Z', 'J', 'R', 'N', 'L', '0', '1'};
constexpr char kEnd[8] = {'S', 'Z', 'J', 'E', 'N', 'D', '0', '1'};
constexpr int kSealedAt = 8;
constexpr int kLengthAt = 16;
constexpr int kBodyAt = 24;
constexpr quint32 kNewFilesTag = 0x4657454E; // "NEWF"

int openUnitCount = 0;

DbError damagedJournal(const QString& path, const QString& why) {
    return DbError(DbError::Kind::Damaged, path,
                   QStringLiteral("sérült visszaállító napló: ") + why);
}

void put32(QByteArray& b, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
void put64(QByteArray& b, quint64 v) {
    for (int i = 0; i < 8; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
void set64(QByteArray& b, int at, quint64 v) {
    for (int i = 0; i < 8; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}
quint64 get64(const char* p) {
    quint64 v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | quint8(p[i]);
    return v;
}

// FNV-1a over 64 bits: the journal is a few kilobytes.
quint64 checksum(const char* p, qsizetype n) {
    quint64 h = 0xCBF29CE484222325ull;
    for (qsizetype i = 0; i < n; ++i)
        h = (h ^ quint8(p[i])) * 0x100000001B3ull;
    return h;
}

// A reader that refuses to run past the end.
struct Reader {
    const QByteArray& b;
    qsizetype pos;
    bool ok = true;
    quint32 u32() {
        if (pos + 4 > b.size()) return ok = false, 0u;
        quint32 v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | quint8(b[pos + i]);
        pos += 4;
        return v;
    }
    quint64 u64() {
        if (pos + 8 > b.size()) return ok = false, 0u;
        const quint64 v = get64(b.constData() + pos);
        pos += 8;
        return v;
    }
    QByteArray bytes(quint64 n) {
        if (!ok || n > quint64(b.size() - pos)) return ok = false, QByteArray();
        QByteArray out = b.mid(pos, qsizetype(n));
        pos += qsizetype(n);
        return out;
    }
};

void putStr(QByteArray& b, const QString& s) {
    const QByteArray u = s.toUtf8();
    put32(b, quint32(u.size()));
    b.append(u);
}

// A new file of the unit: its temporary path and its path.
struct NewFileName {
    QString fresh, target;
};

// What the journal may name as a new file: absolute, clean paths, the
// temporary one the target's with a suffix ending in ".uj". A journal naming
// anything else is damaged; it never removes another file.
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

// Removes what a unit's new file left, under either name; durable.
void removeNewFile(const NewFileName& f) {
    for (const QString& p : {f.fresh, f.target})
        if (QFileInfo::exists(p) || QFileInfo(p).isSymLink()) removeDurably(p);
}

// One table's before-state as the journal holds it.
struct TableImage {
    QString file;
    quint32 count = 0;
    quint64 size = 0;
    QByteArray header;
    QByteArray tail;
    quint32 recordLength = 0;
    std::vector<std::pair<quint32, QByteArray>> images;
};

QByteArray encodeJournal(const std::vector<TableImage>& tables,
                         const std::vector<FileSwap>& swaps = {},
                         const std::vector<NewFileName>& newFiles = {}) {
    QByteArray b(kMagic, 8);
    put64(b, 0); // sealed
    put64(b, 0); // length, set below
    put32(b, quint32(tables.size()));
    for (const TableImage& t : tables) {
        const QByteArray name = t.file.toUtf8();
        put32(b, quint32(name.size()));
        b.append(name);
        put32(b, t.count);
        put64(b, t.size);
        put32(b, quint32(t.header.size()));
        b.append(t.header);
        put32(b, quint32(t.tail.size()));
        b.append(t.tail);
        put32(b, t.recordLength);
        put32(b, quint32(t.images.size()));
        for (const auto& [recno, rec] : t.images) {
            put32(b, recno);
            b.append(rec);
        }
    }
    if (!newFiles.empty()) {
        put32(b, kNewFilesTag);
        put32(b, quint32(newFiles.size()));
        for (const NewFileName& f : newFiles) {
            putStr(b, f.fresh);
            putStr(b, f.target);
        }
    }
    b.append(journal::encodeSwaps(swaps));
    set64(b, kLengthAt, quint64(b.size() + 16));
    put64(b, checksum(b.constData() + kLengthAt, b.size() - kLengthAt));
    b.append(kEnd, 8);
    return b;
}

// The journal's tables, or nullopt when it was never sealed (a kill while it
// was being written: no table had changed). Throws DbError(Damaged).
std::optional<std::vector<TableImage>> decodeJournal(const QByteArray& b, const QString& path,
                                                     std::vector<FileSwap>* swaps = nullptr,
                                                     std::vector<NewFileName>* newFiles = nullptr) {
    // A journal gets its name only whole, so one too short to say whether it
    // was sealed was cut short afterwards.
    if (b.size() < kBodyAt) throw damagedJournal(path, QStringLiteral("csonka"));
    if (!b.startsWith(QByteArray(kMagic, 8)))
        throw damagedJournal(path, QStringLiteral("ismeretlen fejléc"));
    if (get64(b.constData() + kSealedAt) == 0) return std::nullopt;
    if (get64(b.constData() + kSealedAt) != 1)
        throw damagedJournal(path, QStringLiteral("ismeretlen fejléc"));
    if (get64(b.constData() + kLengthAt) != quint64(b.size()) || b.size() < kBodyAt + 16 ||
        !b.endsWith(QByteArray(kEnd, 8)))
        throw damagedJournal(path, QStringLiteral("a hossza nem egyezik"));
    const qsizetype summed = b.size() - 16;
    if (get64(b.constData() + summed) != checksum(b.constData() + kLengthAt, summed - kLengthAt))
        throw damagedJournal(path, QStringLiteral("az ellenőrző összeg nem egyezik"));
    Reader r{b, kBodyAt};
    const quint32 count = r.u32();
    if (count > 64) throw damagedJournal(path, QStringLiteral("túl sok tábla"));
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
            throw damagedJournal(path, QStringLiteral("hibás táblaleírás"));
        for (const auto& img : t.images)
            if (img.first == 0 || img.first > t.count)
                throw damagedJournal(path, QStringLiteral("hibás rekordszám"));
    }
    if (r.pos + 4 <= summed && Reader{b, r.pos}.u32() == kNewFilesTag) {
        r.u32();
        const quint32 n = r.u32();
        if (!r.ok || n > 64 || !newFiles)
            throw damagedJournal(path, QStringLiteral("hibás új állomány"));
        for (quint32 i = 0; i < n; ++i) {
            NewFileName f;
            f.fresh = QString::fromUtf8(r.bytes(r.u32()));
            f.target = QString::fromUtf8(r.bytes(r.u32()));
            if (!r.ok || r.pos > summed || !plausibleNewFile(f))
                throw damagedJournal(path, QStringLiteral("hibás új állomány"));
            newFiles->push_back(f);
        }
    }
    if (r.pos != summed) {
        if (!swaps) throw damagedJournal(path, QStringLiteral("a hossza nem egyezik"));
        *swaps = journal::decodeSwaps(b.mid(r.pos, summed - r.pos), path);
    }
    return out;
}

// Writes the journal whole under a temporary name, flushes it, gives it its
// name, seals it and flushes again, and makes its name durable in the folder.
// Refuses to replace a journal that exists.
void writeJournal(const QString& path, const QString& dir, QByteArray bytes) {
    const QString tmp = path + QStringLiteral(".uj");
    const int fd =
        ::open(QFile::encodeName(tmp).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw ioError(path, QStringLiteral("a visszaállító napló nem hozható létre"));
    try {
        writeAt(fd, 0, bytes.constData(), size_t(bytes.size()), path);
        syncFile(fd, path);
        if (!linkName(tmp, path))
            throw ioError(path, QStringLiteral("a visszaállító napló nem hozható létre"));
        ::unlink(QFile::encodeName(tmp).constData());
        QByteArray one;
        put64(one, 1);
        writeAt(fd, kSealedAt, one.constData(), 8, path);
        syncFile(fd, path);
    } catch (...) {
        ::close(fd);
        ::unlink(QFile::encodeName(tmp).constData());
        throw;
    }
    ::close(fd);
    syncDirectory(dir);
}

// Keeps a journal that cannot be applied beside the tables under a name of
// its own ("rollback-20261209-104512.jnl"); returns that name.
QString setAside(const QString& path) {
    const QDir dir = QFileInfo(path).absoluteDir();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = dir.filePath(QStringLiteral("rollback-%1.jnl").arg(stamp));
    for (int i = 2; QFileInfo::exists(aside); ++i)
        aside = dir.filePath(QStringLiteral("rollback-%1-%2.jnl").arg(stamp).arg(i));
    renameDurably(path, aside);
    return aside;
}

// Puts one table file back as the journal describes it and flushes it.
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

// The header and record lengths a table file has now, read from its header.
bool fileLayout(int fd, quint32& headerLength, quint32& recordLength, quint64& size) {
    unsigned char h[12];
    struct stat st {};
    if (::fstat(fd, &st) != 0 || ::pread(fd, h, 12, 0) != 12) return false;
    headerLength = quint32(h[8] | h[9] << 8);
    recordLength = quint32(h[10] | h[11] << 8);
    size = quint64(st.st_size);
    return true;
}

QString dirOf(const QString& file) {
    return QFileInfo(file).absolutePath();
}

} // namespace

QString journalPath(const QString& directory) {
    return QDir(directory).filePath(QStringLiteral("rollback.jnl"));
}

int ChangeUnit::openUnits() {
    return openUnitCount;
}

ChangeUnit::ChangeUnit(std::initializer_list<Table*> tables)
    : ChangeUnit(std::vector<Table*>(tables)) {}

ChangeUnit::ChangeUnit(const std::vector<Table*>& tables) {
    for (Table* t : tables)
        if (t && std::find(tables_.begin(), tables_.end(), t) == tables_.end())
            tables_.push_back(t);
    if (tables_.empty())
        throw DbError(DbError::Kind::Usage, QString(),
                      QStringLiteral("a műveletnek nincs táblája"));
    for (Table* t : tables_) {
        t->checkOpen();
        if (t->readOnly())
            throw DbError(DbError::Kind::Usage, t->path(),
                          QStringLiteral("a tábla csak olvasható"));
    }
    // Tables an open unit holds: this one joins it when it holds them all.
    ChangeUnit* holder = tables_.front()->unit_;
    for (Table* t : tables_)
        if (t->unit_ != holder)
            throw DbError(DbError::Kind::Usage, t->path(),
                          QStringLiteral("a tábla egy másik folyamatban lévő művelet része"));
    if (holder) {
        while (holder->outer_)
            holder = holder->outer_;
        outer_ = holder;
        directory_ = holder->directory_;
        active_ = true;
        ++openUnitCount;
        return;
    }
    directory_ = dirOf(tables_.front()->path());
    for (Table* t : tables_)
        if (dirOf(t->path()) != directory_)
            throw DbError(DbError::Kind::Usage, t->path(),
                          QStringLiteral("a művelet táblái nem egy könyvtárban vannak"));
    // A journal left by a rollback that failed earlier in this run must be
    // applied first (at the next start); a new one must not replace it.
    if (QFileInfo::exists(journalPath(directory_)))
        throw DbError(DbError::Kind::Io, journalPath(directory_),
                      QStringLiteral("egy korábbi félbeszakadt művelet még nincs visszaállítva; "
                                     "indítsa újra a programot"));
    for (Table* t : tables_)
        t->holdWrites(this);
    active_ = true;
    ++openUnitCount;
}

ChangeUnit::~ChangeUnit() {
    if (active_) rollback();
}

void ChangeUnit::end() {
    if (!outer_)
        for (Table* t : tables_)
            t->releaseHeld();
    tables_.clear();
    // Files not given their names go with their builders.
    newFiles_.clear();
    active_ = false;
    --openUnitCount;
}

void ChangeUnit::rollback() {
    if (!active_) return;
    if (outer_) {
        outer_->doomed_ = true;
    } else {
        for (Table* t : tables_)
            t->dropHeld();
    }
    end();
}

void ChangeUnit::addNewFile(std::unique_ptr<TableBuilder> file) {
    if (!file) return;
    ChangeUnit* holder = this;
    while (holder->outer_)
        holder = holder->outer_;
    const auto refuse = [&](const QString& why) {
        const QString target = file->target();
        file.reset();
        return DbError(DbError::Kind::Usage, target, why);
    };
    if (!active_) throw refuse(QStringLiteral("a művelet már véget ért"));
    if (!file->sealed()) throw refuse(QStringLiteral("az új állomány nincs lezárva"));
    const NewFileName names{QDir::cleanPath(QFileInfo(file->tmpPath()).absoluteFilePath()),
                            QDir::cleanPath(QFileInfo(file->target()).absoluteFilePath())};
    if (!plausibleNewFile(names))
        throw refuse(QStringLiteral("az új állomány ideiglenes neve nem megfelelő"));
    if (QFileInfo::exists(names.target)) throw refuse(QStringLiteral("az állomány már létezik"));
    holder->newFiles_.push_back(std::move(file));
}

void ChangeUnit::tableClosing(Table& table) {
    // Only the outermost unit holds tables; the closing one leaves it.
    table.dropHeld();
    table.releaseHeld();
    tables_.erase(std::remove(tables_.begin(), tables_.end(), &table), tables_.end());
    doomed_ = true;
}

void ChangeUnit::commit() {
    if (!active_)
        throw DbError(DbError::Kind::Usage, QString(), QStringLiteral("a művelet már véget ért"));
    if (outer_) {
        end();
        return;
    }
    if (doomed_) {
        rollback();
        throw DbError(DbError::Kind::Usage, directory_,
                      QStringLiteral("a művelet egy része nem sikerült, semmi sem változott"));
    }

    // The before-state of every table that changes: its records are still
    // the file's, the held ones are not written yet.
    std::vector<Table*> changing;
    std::vector<TableImage> images;
    // Tables that take a whole new file (Table::replaceWith).
    std::vector<Table*> replacing;
    std::vector<FileSwap> swaps;
    for (Table* t : tables_) {
        if (t->held_->empty()) continue;
        if (t->held_->replacement) {
            FileSwap s;
            s.target = QFileInfo(t->path()).fileName();
            s.fresh = QFileInfo(t->held_->replacement->tmpPath()).fileName();
            s.saved = savedName(s.target);
            swaps.push_back(s);
            replacing.push_back(t);
            continue;
        }
        struct stat st {};
        if (::fstat(t->fd_, &st) != 0) {
            const DbError e = ioError(t->path(), QStringLiteral("nem olvasható"));
            rollback();
            throw e;
        }
        const DbfHeader& h = t->header_;
        TableImage img;
        img.file = QFileInfo(t->path()).fileName();
        img.count = t->held_->diskCount;
        img.size = quint64(st.st_size);
        img.recordLength = h.recordLength;
        img.header = QByteArray(t->map_, h.headerLength);
        const quint64 end = quint64(h.headerLength) + quint64(img.count) * h.recordLength;
        if (img.size > end) img.tail = QByteArray(t->map_ + end, qsizetype(img.size - end));
        for (const auto& held : t->held_->changed) {
            const std::uint32_t recno = held.first;
            img.images.emplace_back(
                recno, QByteArray(t->map_ + h.headerLength + quint64(recno - 1) * h.recordLength,
                                  h.recordLength));
        }
        changing.push_back(t);
        images.push_back(std::move(img));
    }
    std::vector<NewFileName> newFiles;
    for (const auto& f : newFiles_)
        newFiles.push_back({QDir::cleanPath(QFileInfo(f->tmpPath()).absoluteFilePath()),
                            QDir::cleanPath(QFileInfo(f->target()).absoluteFilePath())});
    if (changing.empty() && replacing.empty() && newFiles.empty()) {
        end();
        return;
    }
    // The new files become the tables' own once the journal is gone.
    auto adoptNewFiles = [&] {
        journal::finishSwaps(directory_, swaps);
        // The new files are in place under their names: their builders are
        // done and remove nothing.
        for (auto& f : newFiles_)
            ::close(f->takeSealed());
        std::vector<std::pair<Table*, std::unique_ptr<TableBuilder>>> adopt;
        for (Table* t : replacing)
            adopt.emplace_back(t, std::move(t->held_->replacement));
        end();
        for (auto& [t, built] : adopt) {
            const std::uint32_t count = built->count();
            try {
                t->adoptFile(built->takeSealed(), count);
            } catch (const DbError&) {
                // The index file was marked before the swap: rebuilt at
                // the next open.
            }
        }
    };

    const QString journal = journalPath(directory_);
    try {
        journal::prepareSwaps(directory_, swaps);
        for (const NewFileName& f : newFiles)
            if (QFileInfo::exists(f.target))
                throw DbError(DbError::Kind::Io, f.target,
                              QStringLiteral("az állomány már létezik"));
        writeJournal(journal, directory_, encodeJournal(images, swaps, newFiles));
    } catch (const DbError&) {
        // Nothing changed: the journal goes (if it was made) with the unit.
        QFile::remove(journal);
        rollback();
        throw;
    }
    try {
        for (Table* t : replacing)
            t->touchIndexFile();
        journal::applySwaps(directory_, swaps);
        for (Table* t : changing)
            t->flushHeld();
        for (Table* t : changing)
            syncFile(t->fd_, t->path());
        // The new files take their names once the tables hold the changes.
        for (const NewFileName& f : newFiles)
            renameDurably(f.fresh, f.target);
        removeDurably(journal);
    } catch (const DbError& failure) {
        // Unlinked but the folder not flushed: the changes stand (a power
        // cut now could only bring the journal back and roll them back).
        const bool removed = !QFileInfo::exists(journal);
        if (removed) {
            adoptNewFiles();
            return;
        }
        QString undone;
        try {
            for (size_t i = 0; i < changing.size(); ++i)
                restoreFile(changing[i]->fd_, images[i], changing[i]->path());
            journal::undoSwaps(directory_, swaps);
            for (const NewFileName& f : newFiles)
                removeNewFile(f);
            removeDurably(journal);
        } catch (const DbError& e) {
            undone = e.text();
            for (Table* t : changing)
                t->blocked_ = true;
            for (Table* t : replacing)
                t->blocked_ = true;
        }
        rollback();
        if (undone.isEmpty()) throw;
        // The files hold part of the unit until the next start rolls the
        // journal back: the tables show what they held before it, and take
        // no writes.
        for (size_t i = 0; i < changing.size(); ++i)
            changing[i]->showBeforeImages(images[i].images, images[i].count);
        throw DbError(DbError::Kind::Io, failure.file(),
                      failure.detail() +
                          QStringLiteral("; a változások visszaállítása sem sikerült (%1), a "
                                         "program következő indításakor megtörténik")
                              .arg(undone));
    }
    adoptNewFiles();
}

namespace {
bool applyJournal(const QString& directory, const QString& path, const QByteArray& bytes);
} // namespace

bool recoverJournal(const QString& directory) {
    const QString path = journalPath(directory);
    QFile f(path);
    if (!f.exists()) return false;
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(
            DbError::Kind::Io, path,
            QStringLiteral("a visszaállító napló nem olvasható (%1)").arg(f.errorString()));
    const QByteArray bytes = f.readAll();
    f.close();
    // A journal that cannot be applied is kept aside; the error names it.
    try {
        return applyJournal(directory, path, bytes);
    } catch (const DbError& e) {
        if (e.kind() != DbError::Kind::Damaged || e.file() != path) throw;
        QString aside;
        try {
            aside = setAside(path);
        } catch (const DbError&) {
            throw e;
        }
        throw DbError(DbError::Kind::Damaged, aside, e.detail());
    }
}

namespace {

bool applyJournal(const QString& directory, const QString& path, const QByteArray& bytes) {
    std::vector<FileSwap> swaps;
    std::vector<NewFileName> newFiles;
    const auto tables = decodeJournal(bytes, path, &swaps, &newFiles);
    if (!tables) {
        removeDurably(path);
        return true;
    }

    // Every file is checked and locked before the first is touched.
    struct Open {
        int fd;
        QString path;
    };
    std::vector<Open> files;
    auto closeAll = [&files] {
        for (const Open& o : files)
            ::close(o.fd);
    };
    try {
        for (const TableImage& t : *tables) {
            const QString p = findFileNoCase(QDir(directory).filePath(t.file));
            const int fd = ::open(QFile::encodeName(p).constData(), O_RDWR | O_CLOEXEC);
            if (fd < 0) throw ioError(p, QStringLiteral("nem nyitható meg"));
            files.push_back({fd, p});
            if (!lockFile(fd, true))
                throw DbError(DbError::Kind::Locked, p,
                              QStringLiteral("az állományt egy másik program használja"));
            quint32 hl = 0, rl = 0;
            quint64 size = 0;
            if (!fileLayout(fd, hl, rl, size) || hl != quint32(t.header.size()) ||
                rl != t.recordLength || size + t.tail.size() < t.size)
                throw damagedJournal(path,
                                     QStringLiteral("nem illik a(z) %1 táblához").arg(t.file));
        }
        for (size_t i = 0; i < files.size(); ++i)
            restoreFile(files[i].fd, (*tables)[i], files[i].path);
        for (const Open& o : files)
            Table::markIndexStale(o.path);
        // Whole files replaced by the unit go back to their old ones.
        journal::undoSwaps(directory, swaps);
        for (const FileSwap& s : swaps)
            Table::markIndexStale(findFileNoCase(QDir(directory).filePath(s.target)));
        // The files the unit brought into being go.
        for (const NewFileName& f : newFiles)
            removeNewFile(f);
    } catch (...) {
        closeAll();
        throw;
    }
    closeAll();
    removeDurably(path);
    return true;
}

} // namespace

void replaceFiles(const QString& directory,
                  const std::vector<std::pair<QString, QString>>& freshToTarget) {
    const QString dir = QDir(directory).absolutePath();
    const QString jpath = journalPath(dir);
    if (QFileInfo::exists(jpath))
        throw DbError(DbError::Kind::Io, jpath,
                      QStringLiteral("egy korábbi félbeszakadt művelet még nincs visszaállítva; "
                                     "indítsa újra a programot"));
    std::vector<FileSwap> swaps;
    for (const auto& [fresh, target] : freshToTarget) {
        if (QFileInfo(fresh).absolutePath() != dir)
            throw DbError(DbError::Kind::Usage, fresh,
                          QStringLiteral("az új állomány nem a tábla könyvtárában van"));
        FileSwap s;
        const QString t = findFileNoCase(QDir(dir).filePath(target));
        s.target = QFileInfo(t).fileName();
        s.fresh = QFileInfo(fresh).fileName();
        s.saved = savedName(s.target);
        s.hadTarget = QFileInfo::exists(t);
        swaps.push_back(s);
    }
    auto removeFresh = [&] {
        for (const FileSwap& s : swaps)
            QFile::remove(QDir(dir).filePath(s.fresh));
    };
    try {
        // The new files' contents durable before the journal names them.
        for (const FileSwap& s : swaps) {
            const QString p = QDir(dir).filePath(s.fresh);
            const int fd = ::open(QFile::encodeName(p).constData(), O_RDWR | O_CLOEXEC);
            if (fd < 0) throw ioError(p, QStringLiteral("nem nyitható meg"));
            try {
                syncFile(fd, p);
            } catch (...) {
                ::close(fd);
                throw;
            }
            ::close(fd);
        }
        journal::prepareSwaps(dir, swaps);
        writeJournal(jpath, dir, encodeJournal({}, swaps));
    } catch (const DbError&) {
        QFile::remove(jpath);
        removeFresh();
        throw;
    }
    try {
        journal::applySwaps(dir, swaps);
        removeDurably(jpath);
    } catch (const DbError& failure) {
        if (!QFileInfo::exists(jpath)) {
            journal::finishSwaps(dir, swaps);
            return;
        }
        try {
            journal::undoSwaps(dir, swaps);
            removeDurably(jpath);
        } catch (const DbError& e) {
            throw DbError(DbError::Kind::Io, failure.file(),
                          failure.detail() +
                              QStringLiteral("; az állományok visszaállítása sem sikerült (%1), "
                                             "a program következő indításakor megtörténik")
                                  .arg(e.text()));
        }
        throw;
    }
    journal::finishSwaps(dir, swaps);
}

} // namespace engine
