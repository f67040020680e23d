// The operating-system layer (engine/sysfile.h, engine/childprocess.h) on
// Windows. Descriptors are C runtime descriptors over handles opened with
// CreateFileW; every failure leaves in errno the value of the same meaning
// on Linux, so that the user reads the same reason on both.

#include "engine/childprocess.h"
#include "engine/sysfile.h"

#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <memory>
#include <string>
#include <windows.h>
#include <tlhelp32.h>

namespace engine::sys {

namespace {

// The table lock lies far beyond the end of any table file: Windows locks
// are mandatory, and one over the data would stop the program's own other
// descriptors from reading it. A lock over the whole file (what other dBase
// programs take, lockRecords) covers it too.
constexpr DWORD kLockOffsetHigh = 0x40000000;
constexpr DWORD kLockLength = 1;

int errnoOf(DWORD e) {
    switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_CANNOT_MAKE:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_BUSY:
        return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
        return EFBIG;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
        return ENXIO;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
        return EIO;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_CALL_NOT_IMPLEMENTED:
        return ENOSYS;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_SUCCESS:
        return 0;
    default:
        return EINVAL;
    }
}

// errno from the thread's last system error; for `return fail();`.
bool fail() {
    errno = errnoOf(::GetLastError());
    return false;
}

std::wstring wide(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

HANDLE handleOf(int fd) {
    return fd < 0 ? INVALID_HANDLE_VALUE : HANDLE(::_get_osfhandle(fd));
}

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED ov{};
    ov.Offset = DWORD(offset & 0xFFFFFFFFu);
    ov.OffsetHigh = DWORD(offset >> 32);
    return ov;
}

int adopt(HANDLE h, int crtFlags) {
    if (h == INVALID_HANDLE_VALUE) return fail(), -1;
    const int fd = ::_open_osfhandle(intptr_t(h), crtFlags);
    if (fd < 0) {
        ::CloseHandle(h);
        errno = EMFILE;
    }
    return fd;
}

} // namespace

int open(const QString& path, int flags) {
    const bool rw = flags & ReadWrite;
    DWORD how = OPEN_EXISTING;
    if ((flags & Create) && (flags & Truncate))
        how = CREATE_ALWAYS;
    else if (flags & Create)
        how = OPEN_ALWAYS;
    else if (flags & Truncate)
        how = TRUNCATE_EXISTING;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (flags & Directory) attributes = FILE_FLAG_BACKUP_SEMANTICS;
    // Not inherited (no security attributes): a started program gets none.
    const HANDLE h = ::CreateFileW(wide(path).c_str(), rw ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   how, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED &&
        !(flags & Directory) && QFileInfo(path).isDir()) {
        errno = EISDIR;
        return -1;
    }
    return adopt(h, (rw ? _O_RDWR : _O_RDONLY) | _O_BINARY);
}

int openNull() {
    return adopt(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr),
                 _O_RDWR | _O_BINARY);
}

void close(int fd) {
    if (fd < 0) return;
    // The table lock goes at once, not whenever the system gets to it.
    OVERLAPPED ov = at(std::uint64_t(kLockOffsetHigh) << 32);
    ::UnlockFileEx(handleOf(fd), 0, kLockLength, 0, &ov);
    ::_close(fd);
}

void setBlocking(int) {}

long long readAt(int fd, void* buf, std::size_t n, std::uint64_t offset) {
    // ReadFile reads at most 4 GiB less one at a time: more never comes.
    const DWORD want = DWORD(std::min<std::size_t>(n, 1u << 30));
    OVERLAPPED ov = at(offset);
    DWORD got = 0;
    if (!::ReadFile(handleOf(fd), buf, want, &got, &ov)) {
        if (::GetLastError() == ERROR_HANDLE_EOF) return 0;
        return fail(), -1;
    }
    return got;
}

long long writeAt(int fd, const void* buf, std::size_t n, std::uint64_t offset) {
    const DWORD want = DWORD(std::min<std::size_t>(n, 1u << 30));
    OVERLAPPED ov = at(offset);
    DWORD done = 0;
    if (!::WriteFile(handleOf(fd), buf, want, &done, &ov)) return fail(), -1;
    return done;
}

bool truncate(int fd, std::uint64_t size) {
    FILE_END_OF_FILE_INFO eof{};
    eof.EndOfFile.QuadPart = LONGLONG(size);
    return ::SetFileInformationByHandle(handleOf(fd), FileEndOfFileInfo, &eof, sizeof eof) ||
           fail();
}

bool sync(int fd) {
    if (::FlushFileBuffers(handleOf(fd))) return true;
    // A folder, or a file open only for reading: nothing to flush.
    const DWORD e = ::GetLastError();
    if (e == ERROR_ACCESS_DENIED || e == ERROR_INVALID_FUNCTION) return true;
    return fail();
}

void syncAll() {}

bool syncDirectory(const QString&) {
    // NTFS keeps renames and removals in its own journal; a folder cannot
    // be flushed.
    return true;
}

bool fileInfo(int fd, FileInfo* info) {
    const HANDLE h = handleOf(fd);
    BY_HANDLE_FILE_INFORMATION bi{};
    if (!::GetFileInformationByHandle(h, &bi)) return fail();
    info->regular = ::GetFileType(h) == FILE_TYPE_DISK &&
                    !(bi.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    info->size = std::uint64_t(bi.nFileSizeHigh) << 32 | bi.nFileSizeLow;
    // 100 ns steps since 1601 -> ns since 1970.
    const std::int64_t t =
        std::int64_t(std::uint64_t(bi.ftLastWriteTime.dwHighDateTime) << 32 |
                     bi.ftLastWriteTime.dwLowDateTime);
    info->modifiedNs = (t - 116444736000000000LL) * 100;
    info->id = std::uint64_t(bi.nFileIndexHigh) << 32 | bi.nFileIndexLow;
    return true;
}

bool setModifiedTime(const QString& path, std::int64_t ns) {
    const HANDLE h = ::CreateFileW(wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return fail();
    const std::uint64_t t = std::uint64_t(ns / 100 + 116444736000000000LL);
    FILETIME ft{DWORD(t), DWORD(t >> 32)};
    const bool ok = ::SetFileTime(h, nullptr, &ft, &ft);
    if (!ok) fail();
    ::CloseHandle(h);
    return ok;
}

// A name of this process's own beside `path` for a file on its way out;
// ending in ".uj", what a kill leaves goes with the start-up's leftovers.
std::wstring asideName(const std::wstring& path, const wchar_t* why) {
    static std::atomic<unsigned> asides{0};
    return path + why + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(++asides) + L".uj";
}

bool remove(const QString& path) {
    // A removed file that is still open somewhere keeps its name on Windows
    // until it is closed, and the name can be neither opened nor taken
    // again. It steps aside first, so that its name is free at once, as on
    // Linux.
    const std::wstring name = wide(path);
    const std::wstring aside = asideName(name, L".torolt-");
    if (!::MoveFileExW(name.c_str(), aside.c_str(), 0))
        return ::DeleteFileW(name.c_str()) || fail();
    if (::DeleteFileW(aside.c_str())) return true;
    fail();
    const int saved = errno;
    ::MoveFileExW(aside.c_str(), name.c_str(), 0);
    errno = saved;
    return false;
}

// The rename with POSIX semantics (Windows 10 1607 and later): it replaces
// a target that is open, as Linux does; MoveFileExW refuses one.
bool renamePosix(const std::wstring& from, const std::wstring& to) {
    const HANDLE h = ::CreateFileW(from.c_str(), DELETE | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    struct Rename {
        DWORD flags;
        HANDLE root;
        DWORD length;
        WCHAR name[MAX_PATH * 4];
    } r{};
    const std::wstring full = L"\\\\?\\" + to;
    bool ok = full.size() < std::size(r.name);
    if (ok) {
        r.flags = 0x1 | 0x2; // FILE_RENAME_FLAG_REPLACE_IF_EXISTS, _POSIX_SEMANTICS
        r.length = DWORD(full.size() * sizeof(WCHAR));
        full.copy(r.name, full.size());
        ok = ::SetFileInformationByHandle(h, FILE_INFO_BY_HANDLE_CLASS(22), // FileRenameInfoEx
                                          &r, DWORD(sizeof r));
    }
    const DWORD e = ::GetLastError();
    ::CloseHandle(h);
    ::SetLastError(e);
    return ok;
}

bool rename(const QString& from, const QString& to) {
    const std::wstring a = wide(QFileInfo(from).absoluteFilePath());
    const std::wstring b = wide(QFileInfo(to).absoluteFilePath());
    if (renamePosix(a, b)) return true;
    constexpr DWORD how = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (::MoveFileExW(a.c_str(), b.c_str(), how)) return true;
    if (::GetLastError() != ERROR_ACCESS_DENIED) return fail();
    const DWORD target = ::GetFileAttributesW(b.c_str());
    if (target == INVALID_FILE_ATTRIBUTES) return fail();
    // A file never takes the place of a folder (Linux: EISDIR); the folder
    // must not step aside for it either.
    if ((target & FILE_ATTRIBUTE_DIRECTORY) &&
        !(::GetFileAttributesW(a.c_str()) & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EISDIR;
        return false;
    }
    // A file system (or Wine) without that rename, and the target open: the
    // target steps aside first (an open file may be renamed), and goes when
    // its last descriptor closes. Not one step: a power cut in between leaves
    // the old file under the second name only. Each aside name is new: one
    // set aside earlier keeps its name while it is open, and an open file
    // cannot be replaced.
    const std::wstring aside = asideName(b, L".csere-");
    if (!::MoveFileExW(b.c_str(), aside.c_str(), how)) return fail();
    if (!::MoveFileExW(a.c_str(), b.c_str(), how)) {
        fail();
        const int saved = errno;
        ::MoveFileExW(aside.c_str(), b.c_str(), how);
        errno = saved;
        return false;
    }
    ::DeleteFileW(aside.c_str());
    return true;
}

bool link(const QString& from, const QString& to) {
    return ::CreateHardLinkW(wide(to).c_str(), wide(from).c_str(), nullptr) || fail();
}

bool exchangePaths(const QString&, const QString&) {
    errno = ENOSYS;
    return false;
}

bool lockFile(int fd, bool exclusive) {
    OVERLAPPED ov = at(std::uint64_t(kLockOffsetHigh) << 32);
    const DWORD how = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return ::LockFileEx(handleOf(fd), how, 0, kLockLength, 0, &ov) || fail();
}

bool lockRecords(int fd) {
    OVERLAPPED ov = at(0);
    return ::LockFileEx(handleOf(fd), LOCKFILE_FAIL_IMMEDIATELY | LOCKFILE_EXCLUSIVE_LOCK, 0,
                        MAXDWORD, MAXDWORD, &ov) ||
           fail();
}

const char* map(int fd, std::uint64_t size, std::uint64_t* mapped) {
    // A view cannot reach past the end of the file: the file's length is
    // mapped, and an empty file gets an empty map.
    FileInfo info;
    if (!fileInfo(fd, &info)) return nullptr;
    const std::uint64_t n = std::min(size, info.size);
    if (n == 0) {
        static const char empty = 0;
        *mapped = 0;
        return &empty;
    }
    const HANDLE m = ::CreateFileMappingW(handleOf(fd), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!m) return fail(), nullptr;
    void* p = ::MapViewOfFile(m, FILE_MAP_READ, 0, 0, SIZE_T(n));
    if (!p) fail();
    ::CloseHandle(m); // the view keeps the mapping
    if (!p) return nullptr;
    *mapped = n;
    return static_cast<const char*>(p);
}

void unmap(const char* p, std::uint64_t size) {
    if (p && size > 0) ::UnmapViewOfFile(p);
}

void readsAtRandom(const char*, std::uint64_t, bool) {}

long long processId() {
    return ::GetCurrentProcessId();
}

bool isSuperUser() {
    return false;
}

// The exit code of a killed process (as a shell reports 128 + SIGKILL).
constexpr UINT kKilledCode = 137;

void binaryStream(std::FILE* f) {
    ::_setmode(::_fileno(f), _O_BINARY);
}

void killSelf() {
    ::TerminateProcess(::GetCurrentProcess(), kKilledCode);
    ::ExitProcess(kKilledCode);
}

QString programPath() {
    std::wstring buf(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
    return QDir::fromNativeSeparators(QString::fromWCharArray(buf.data(), int(n)));
}

bool killProcess(long long pid) {
    const HANDLE h = ::OpenProcess(PROCESS_TERMINATE, FALSE, DWORD(pid));
    if (!h) return false;
    const bool ok = ::TerminateProcess(h, kKilledCode);
    ::CloseHandle(h);
    return ok;
}

bool endedByKill(bool, int code) {
    return code == int(kKilledCode);
}

QuietMissingDisk::QuietMissingDisk() {
    DWORD old = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old);
    old_ = old;
}

QuietMissingDisk::~QuietMissingDisk() {
    ::SetThreadErrorMode(DWORD(old_), nullptr);
}

} // namespace engine::sys

namespace engine {

namespace {

// The job object of a started program: it and everything it starts end when
// the job is closed (with this object, or with the program however it ends).
class ChildJob : public QObject {
public:
    explicit ChildJob(QProcess& p) : QObject(&p) { setObjectName(QStringLiteral("szChildJob")); }
    ~ChildJob() override {
        if (job) ::CloseHandle(job);
    }
    HANDLE job = nullptr;
    PROCESS_INFORMATION* info = nullptr;
};

void putInJob(ChildJob* tie) {
    if (!tie->info || !tie->info->hProcess) return;
    if (tie->job) ::CloseHandle(tie->job); // of an earlier start
    tie->job = ::CreateJobObjectW(nullptr, nullptr);
    if (tie->job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        ::SetInformationJobObject(tie->job, JobObjectExtendedLimitInformation, &limits,
                                  sizeof limits);
        ::AssignProcessToJobObject(tie->job, tie->info->hProcess);
    }
    // Started suspended, so that nothing it starts escapes the job.
    if (tie->info->hThread) ::ResumeThread(tie->info->hThread);
}

} // namespace

void tieToProgram(QProcess& p) {
    auto* tie = new ChildJob(p);
    p.setCreateProcessArgumentsModifier([tie](QProcess::CreateProcessArguments* args) {
        args->flags |= CREATE_SUSPENDED;
        tie->info = args->processInformation;
    });
    // Emitted by start() right after the process was made, before anything
    // else happens to it.
    QObject::connect(&p, &QProcess::stateChanged, tie, [tie](QProcess::ProcessState s) {
        if (s == QProcess::Running) putInJob(tie);
    });
}

void killProcessTree(QProcess& p) {
    auto* tie = p.findChild<ChildJob*>(QStringLiteral("szChildJob"), Qt::FindDirectChildrenOnly);
    if (tie && tie->job)
        ::TerminateJobObject(tie->job, 137);
    else
        p.kill();
    p.waitForFinished(5000);
}

} // namespace engine
