#include "engine/dbffile.h"

#include "engine/dberror.h"
#include "engine/filename.h"
#include "engine/sysfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <random>

namespace engine {

namespace {

std::atomic<std::uint64_t> writes{0};
std::atomic<std::uint64_t> bytesWritten{0};
testing::IoHook ioHook;
long ioCounter = 0;

// --- the power-loss simulation of the tests (testing::powerCutAt)

// One write or truncation not yet flushed: enough to undo it and to do it
// again.
struct Unflushed {
    bool truncation = false;
    std::uint64_t offset = 0; // a write's offset; a truncation's new length
    QByteArray before;        // the bytes it overwrote or cut off
    std::uint64_t sizeBefore = 0;
    QByteArray after; // a write's bytes
    std::uint64_t sizeAfter = 0;
};

struct PowerLoss {
    bool tracking = false;
    bool off = false;
    long cutAt = 0;
    long count = 0;
    long lost = 0;
    long kept = 0;
    std::mt19937 rng;
    std::map<QString, std::vector<Unflushed>> pending; // by path
};

PowerLoss& power() {
    static PowerLoss p;
    return p;
}

std::uint64_t fileSize(int fd) {
    sys::FileInfo info;
    return sys::fileInfo(fd, &info) ? info.size : 0;
}

QByteArray readRange(int fd, std::uint64_t offset, std::uint64_t end) {
    QByteArray b;
    if (end <= offset) return b;
    b.resize(qsizetype(end - offset));
    const long long r = sys::readAt(fd, b.data(), size_t(b.size()), offset);
    b.resize(r < 0 ? 0 : qsizetype(r));
    return b;
}

void rawWrite(int fd, std::uint64_t offset, const QByteArray& b) {
    if (!b.isEmpty() && sys::writeAt(fd, b.constData(), size_t(b.size()), offset) < 0) {
    }
}

void rawTruncate(int fd, std::uint64_t size) {
    if (!sys::truncate(fd, size)) {
    }
}

// The moment of the cut: each file goes back to what was last flushed, then
// gets a random part of the writes since then, in their order (the page
// cache wrote some pages out, not others). From now on the machine is off.
void cut() {
    PowerLoss& p = power();
    std::bernoulli_distribution keep(0.5);
    for (auto& [path, list] : p.pending) {
        std::vector<bool> kept;
        for (size_t i = 0; i < list.size(); ++i)
            kept.push_back(keep(p.rng));
        const int fd = sys::open(path, sys::ReadWrite);
        if (fd < 0) continue; // removed since: nothing of it survives
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            if (it->truncation) {
                rawTruncate(fd, it->sizeBefore);
                rawWrite(fd, it->offset, it->before);
            } else {
                rawWrite(fd, it->offset, it->before);
                rawTruncate(fd, it->sizeBefore);
            }
        }
        for (size_t i = 0; i < list.size(); ++i) {
            if (!kept[i]) {
                ++p.lost;
                continue;
            }
            ++p.kept;
            if (list[i].truncation)
                rawTruncate(fd, list[i].sizeAfter);
            else
                rawWrite(fd, list[i].offset, list[i].after);
        }
        sys::close(fd);
    }
    p.pending.clear();
    p.tracking = false;
    p.off = true;
}

// Counts an operation and asks the test hook: throws when it fails, false
// when the operation is not to be done (a skipped flush; anything while the
// simulated power is off).
bool gate(testing::IoOp op, const QString& path) {
    PowerLoss& p = power();
    if (p.off) return false;
    if (p.tracking && ++p.count >= p.cutAt) {
        cut();
        return false;
    }
    ++ioCounter;
    const testing::IoAction a = ioHook ? ioHook(op, ioCounter) : testing::IoAction::Proceed;
    if (a == testing::IoAction::Fail) {
        errno = ENOSPC;
        throw ioError(path, QStringLiteral("nem írható"));
    }
    if (op == testing::IoOp::Write || op == testing::IoOp::Truncate) ++writes;
    return a != testing::IoAction::Skip || op != testing::IoOp::Sync;
}

void countWrite(const QString& path) {
    gate(testing::IoOp::Write, path);
}

} // namespace

DbError ioError(const QString& path, const QString& what) {
    const int err = errno;
    return DbError(DbError::Kind::Io, path,
                   what + QStringLiteral(" (") + QString::fromLocal8Bit(strerror(err)) + ")", err);
}

QString systemReason(int err) {
    switch (err) {
    case EACCES:
    case EPERM:
        return QStringLiteral("nincs hozzá jogosultság");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("nincs ilyen mappa");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
        return QStringLiteral("megtelt a lemez");
    case EROFS:
        return QStringLiteral("a lemez írásvédett");
    case EIO:
        return QStringLiteral("a lemez nem olvasható vagy nem írható, lehet, hogy hibás");
    case ENODEV:
    case ENXIO:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
        return QStringLiteral("nincs lemez a meghajtóban");
    case ENAMETOOLONG:
        return QStringLiteral("a mappa neve túl hosszú");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("az állományt egy másik program használja");
    case 0:
        return QStringLiteral("a rendszer nem adta meg az okát");
    default:
        return QStringLiteral("a rendszer %1. számú hibát jelezte").arg(err);
    }
}

void writeAt(int fd, std::uint64_t offset, const char* data, std::size_t n, const QString& path) {
    if (power().off) return;
    countWrite(path);
    if (power().off) return;
    if (power().tracking) {
        Unflushed u;
        u.offset = offset;
        u.sizeBefore = fileSize(fd);
        u.before = readRange(fd, offset, std::min<std::uint64_t>(offset + n, u.sizeBefore));
        u.after = QByteArray(data, qsizetype(n));
        u.sizeAfter = std::max<std::uint64_t>(u.sizeBefore, offset + n);
        power().pending[path].push_back(std::move(u));
    }
    bytesWritten += n;
    while (n > 0) {
        const long long w = sys::writeAt(fd, data, n, offset);
        if (w < 0) {
            throw ioError(path, QStringLiteral("nem írható"));
        }
        if (w == 0) {
            errno = ENOSPC;
            throw ioError(path, QStringLiteral("nem írható"));
        }
        data += w;
        n -= size_t(w);
        offset += std::uint64_t(w);
    }
}

void truncateAt(int fd, std::uint64_t size, const QString& path) {
    if (!gate(testing::IoOp::Truncate, path)) return;
    if (power().tracking) {
        Unflushed u;
        u.truncation = true;
        u.offset = size;
        u.sizeBefore = fileSize(fd);
        u.before = readRange(fd, size, u.sizeBefore);
        u.sizeAfter = size;
        power().pending[path].push_back(std::move(u));
    }
    if (!sys::truncate(fd, size)) throw ioError(path, QStringLiteral("nem írható"));
}

void syncFile(int fd, const QString& path) {
    if (!gate(testing::IoOp::Sync, path)) return; // skipped: nothing is flushed
    if (!sys::sync(fd)) throw ioError(path, QStringLiteral("nem írható"));
    if (power().tracking) power().pending.erase(path);
}

void syncDirectory(const QString& dir) {
    const int fd = sys::open(dir, sys::Directory);
    if (fd < 0) throw ioError(dir, QStringLiteral("a könyvtár nem nyitható meg"));
    try {
        syncFile(fd, dir);
    } catch (...) {
        sys::close(fd);
        throw;
    }
    sys::close(fd);
}

void removeDurably(const QString& path) {
    if (!gate(testing::IoOp::Remove, path)) return;
    if (!sys::remove(path))
        throw ioError(path, QStringLiteral("nem törölhető"));
    if (power().tracking) power().pending.erase(path);
    syncDirectory(QFileInfo(path).absolutePath());
}

bool linkName(const QString& from, const QString& to) {
    if (power().off) return true;
    return sys::link(from, to);
}

namespace {

// A file renamed over one whose name differs in letter case only (KEZELO.dbf
// by Kezelo.DBF) may keep the old spelling on Windows: it gets the one asked
// for by a rename of its letters alone (which Wine cannot do: there the old
// spelling stays). The contents are in place already, so a failure here
// costs nothing but the spelling.
void respell(const QString& path) {
#ifdef Q_OS_WIN
    const QString onDisk = findFileNoCase(path);
    if (QFileInfo(onDisk).fileName() != QFileInfo(path).fileName()) sys::rename(onDisk, path);
#else
    Q_UNUSED(path);
#endif
}

} // namespace

bool sameFileName(const QString& a, const QString& b) {
#ifdef Q_OS_WIN
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath())
               .compare(QDir::cleanPath(QFileInfo(b).absoluteFilePath()), Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

void renameDurably(const QString& from, const QString& to) {
    if (power().off) return;
    if (power().tracking) {
        power().pending.erase(to);
        if (auto it = power().pending.find(from); it != power().pending.end()) {
            power().pending[to] = std::move(it->second);
            power().pending.erase(from);
        }
    }
    if (!sys::rename(from, to)) throw ioError(to, QStringLiteral("nem cserélhető le"));
    respell(to);
    sys::syncDirectory(QFileInfo(to).absolutePath());
}

bool lockFile(int fd, bool exclusive) {
    return sys::lockFile(fd, exclusive);
}

NewFile::NewFile(const QString& target, const QString& tmpPath) : target_(target), tmp_(tmpPath) {
    // With the tests' simulated power off no file comes into being: the
    // writes that follow go nowhere.
    if (power().off) {
        fd_ = sys::openNull();
        if (fd_ < 0) throw ioError(tmp_, QStringLiteral("nem hozható létre"));
        return;
    }
    fd_ = sys::open(tmp_, sys::ReadWrite | sys::Create | sys::Truncate);
    if (fd_ < 0) throw ioError(tmp_, QStringLiteral("nem hozható létre"));
}

NewFile::~NewFile() {
    abandon();
}

void NewFile::append(const char* data, std::size_t n) {
    engine::writeAt(fd_, size_, data, n, tmp_);
    size_ += n;
}

void NewFile::writeAt(std::uint64_t offset, const char* data, std::size_t n) {
    engine::writeAt(fd_, offset, data, n, tmp_);
    size_ = std::max<std::uint64_t>(size_, offset + n);
}

int NewFile::commit(bool keepOpen) {
    if (fd_ < 0)
        throw DbError(DbError::Kind::Usage, tmp_, QStringLiteral("az állomány már le van zárva"));
    try {
        syncFile(fd_, tmp_);
        renameDurably(tmp_, target_);
    } catch (...) {
        abandon();
        throw;
    }
    const int fd = fd_;
    fd_ = -1;
    if (keepOpen) return fd;
    sys::close(fd);
    return -1;
}

void NewFile::sync() {
    syncFile(fd_, tmp_);
}

int NewFile::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void NewFile::abandon() {
    if (fd_ < 0) return;
    sys::close(fd_);
    fd_ = -1;
    if (!power().off) sys::remove(tmp_);
}

namespace testing {
void setIoHook(IoHook hook) {
    ioHook = std::move(hook);
    ioCounter = 0;
}
long ioCount() {
    return ioCounter;
}
void failWriteAfter(long n) {
    if (n < 0) return setIoHook(nullptr);
    setIoHook([left = n](IoOp op, long) mutable {
        if (op != IoOp::Write && op != IoOp::Truncate) return IoAction::Proceed;
        if (left == 0) return IoAction::Fail;
        --left;
        return IoAction::Proceed;
    });
}
void clearWriteFailure() {
    setIoHook(nullptr);
}
std::uint64_t writeCount() {
    return writes.load();
}
std::uint64_t byteCount() {
    return bytesWritten.load();
}
void powerCutAt(long n, std::uint32_t seed) {
    PowerLoss& p = power();
    p = PowerLoss();
    p.tracking = true;
    p.cutAt = std::max(1L, n);
    p.rng.seed(seed);
}
bool powerIsOff() {
    return power().off;
}
long powerCutLost() {
    return power().lost;
}
long powerCutKept() {
    return power().kept;
}
void powerRestored() {
    power() = PowerLoss();
}
} // namespace testing

QString findFileNoCase(const QString& path) {
    QFileInfo fi(path);
#ifndef Q_OS_WIN
    // A file system that tells letter cases apart: a file found is the name.
    if (fi.exists()) return path;
#endif
    // Windows finds a file by any spelling: the name as the folder holds it
    // is looked up all the same, so that messages, listings and a replacing
    // save speak of the file as it is written.
    QDir dir = fi.dir();
    if (!dir.exists()) return path;
    const QString want = fi.fileName();
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    if (names.contains(want)) return path;
    for (const QString& n : names)
        if (n.compare(want, Qt::CaseInsensitive) == 0) return dir.filePath(n);
    return path;
}

bool fileExistsNoCase(const QString& path) {
    return QFileInfo::exists(findFileNoCase(path));
}

QString mdxPathFor(const QString& dbfPath) {
    QFileInfo fi(dbfPath);
    return findFileNoCase(fi.dir().filePath(fi.completeBaseName() + ".mdx"));
}

int removeLeftoverFiles(const QString& dir) {
    const QDir d(dir);
    if (dir.isEmpty() || !d.exists()) return 0;
    int removed = 0;
    const QStringList names = d.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& n : names) {
        const QString low = n.toLower();
        if ((low.endsWith(QLatin1String(".pack-tmp")) || low.endsWith(QLatin1String(".uj")) ||
             low.endsWith(QLatin1String(".uj.tmp")) || low.endsWith(QLatin1String(".mdx.tmp"))) &&
            QFile::remove(d.filePath(n)))
            ++removed;
    }
    return removed;
}

void checkDirectoryWritable(const QString& dir) {
    const QString probe =
        QDir(dir).filePath(QStringLiteral(".irasproba-%1.uj").arg(qint64(sys::processId())));
    const int fd = sys::open(probe, sys::ReadWrite | sys::Create | sys::Truncate);
    if (fd < 0) throw ioError(dir, QStringLiteral("a könyvtár nem írható"));
    try {
        writeAt(fd, 0, "x", 1, dir);
    } catch (const DbError&) {
        const int saved = errno;
        sys::close(fd);
        sys::remove(probe);
        errno = saved;
        throw ioError(dir, QStringLiteral("a könyvtár nem írható"));
    }
    sys::close(fd);
    sys::remove(probe);
}

void clearHeaderFlags(const QString& path) {
    const QString p = findFileNoCase(path);
    const int fd = sys::open(p, sys::ReadWrite);
    if (fd < 0) throw ioError(p, QStringLiteral("nem nyitható meg"));
    const char zero[2] = {0, 0};
    try {
        writeAt(fd, 28, zero, 2, p);
    } catch (...) {
        sys::close(fd);
        throw;
    }
    sys::close(fd);
}

} // namespace engine
