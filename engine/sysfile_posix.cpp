// The operating-system layer (engine/sysfile.h, engine/childprocess.h) on
// Linux.

#include "engine/childprocess.h"
#include "engine/sysfile.h"

#include <QFile>
#include <QProcess>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine::sys {

namespace {
QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}
} // namespace

int open(const QString& path, int flags) {
    int f = O_CLOEXEC | ((flags & ReadWrite) ? O_RDWR : O_RDONLY);
    if (flags & Create) f |= O_CREAT;
    if (flags & Truncate) f |= O_TRUNC;
    if (flags & NoWait) f |= O_NONBLOCK;
    if (flags & Directory) f |= O_DIRECTORY;
    return ::open(native(path).constData(), f, 0644);
}

int openNull() {
    return ::open("/dev/null", O_RDWR | O_CLOEXEC);
}

void close(int fd) {
    if (fd >= 0) ::close(fd);
}

void setBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
}

long long readAt(int fd, void* buf, std::size_t n, std::uint64_t offset) {
    for (;;) {
        const ssize_t r = ::pread(fd, buf, n, off_t(offset));
        if (r < 0 && errno == EINTR) continue;
        return r;
    }
}

long long writeAt(int fd, const void* buf, std::size_t n, std::uint64_t offset) {
    for (;;) {
        const ssize_t w = ::pwrite(fd, buf, n, off_t(offset));
        if (w < 0 && errno == EINTR) continue;
        return w;
    }
}

bool truncate(int fd, std::uint64_t size) {
    return ::ftruncate(fd, off_t(size)) == 0;
}

bool sync(int fd) {
#if defined(__linux__)
    // A file's contents and what reading them back needs (its length), not
    // its times: what a rollback journal and a table need after a power cut,
    // without the file system's own journal commit for the time of the last
    // change. A folder's names need the whole fsync.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return ::fdatasync(fd) == 0;
#endif
    return ::fsync(fd) == 0;
}

bool syncDirectory(const QString& dir) {
    const int fd = ::open(native(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

void syncAll() {
    ::sync();
}

bool fileInfo(int fd, FileInfo* info) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    info->regular = S_ISREG(st.st_mode);
    info->size = std::uint64_t(st.st_size);
    info->modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    info->id = std::uint64_t(st.st_ino);
    return true;
}

bool setModifiedTime(const QString& path, std::int64_t ns) {
    const timespec t{time_t(ns / 1000000000), long(ns % 1000000000)};
    const timespec times[2] = {t, t};
    return ::utimensat(AT_FDCWD, native(path).constData(), times, 0) == 0;
}

bool remove(const QString& path) {
    return ::unlink(native(path).constData()) == 0;
}

bool rename(const QString& from, const QString& to) {
    return ::rename(native(from).constData(), native(to).constData()) == 0;
}

bool link(const QString& from, const QString& to) {
    return ::link(native(from).constData(), native(to).constData()) == 0;
}

bool exchangePaths(const QString& a, const QString& b) {
    return ::renameat2(AT_FDCWD, native(a).constData(), AT_FDCWD, native(b).constData(),
                       RENAME_EXCHANGE) == 0;
}

bool lockFile(int fd, bool exclusive) {
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) return false;
    // An open-file-description lock: it conflicts with the record locks of
    // other programs, and closing another descriptor of this process does not
    // drop it as it would a classic one.
    const int access = ::fcntl(fd, F_GETFL) & O_ACCMODE;
    struct flock fl {};
    fl.l_type = short(exclusive && access != O_RDONLY ? F_WRLCK : F_RDLCK);
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // to the end, however far the file grows
    if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return true;
    // A file system without record locks leaves the flock() alone.
    if (errno == EAGAIN || errno == EACCES) {
        ::flock(fd, LOCK_UN);
        return false;
    }
    return true;
}

bool lockRecords(int fd) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    return ::fcntl(fd, F_SETLK, &fl) == 0;
}

const char* map(int fd, std::uint64_t size, std::uint64_t* mapped) {
    void* m = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, fd, 0);
    if (m == MAP_FAILED) return nullptr;
    *mapped = size;
    return static_cast<const char*>(m);
}

void unmap(const char* p, std::uint64_t size) {
    if (p) ::munmap(const_cast<char*>(p), size_t(size));
}

void readsAtRandom(const char* p, std::uint64_t size, bool random) {
    // Only advice: a map it does not take reads as before.
    if (p && size > 0)
        (void)::madvise(const_cast<char*>(p), size_t(size), random ? MADV_RANDOM : MADV_NORMAL);
}

long long processId() {
    return ::getpid();
}

bool isSuperUser() {
    return ::geteuid() == 0;
}

void binaryStream(std::FILE*) {}

void killSelf() {
    std::raise(SIGKILL);
    ::_exit(137);
}

QString programPath() {
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

bool killProcess(long long pid) {
    return pid > 0 && ::kill(pid_t(pid), SIGKILL) == 0;
}

bool endedByKill(bool crashed, int code) {
    return crashed && code == SIGKILL;
}

QuietMissingDisk::QuietMissingDisk() = default;
QuietMissingDisk::~QuietMissingDisk() = default;

} // namespace engine::sys

namespace engine {

void tieToProgram(QProcess& p) {
    const pid_t parent = ::getpid();
    p.setChildProcessModifier([parent] {
        // In the child, before the program starts: a process group of its
        // own (so that it and anything it starts can be killed at once), and
        // death with the parent, also when the parent is killed.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        // Whatever descriptor is still inheritable is not passed on.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    });
}

void killProcessTree(QProcess& p) {
    const pid_t pid = pid_t(p.processId());
    if (pid > 0) {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
    }
    p.waitForFinished(5000);
}

} // namespace engine
