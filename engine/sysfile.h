#pragma once
// The program's one door to the operating system: opening, reading,
// writing, flushing, locking, renaming, linking and removing files, the
// process's own identity, and (engine/childprocess.h) the programs it starts.
// Nothing outside this layer calls the system for these itself.
//
// sysfile_posix.cpp implements it for Linux, sysfile_win.cpp for Windows.
// Handles are small int descriptors on both (on Windows a C runtime
// descriptor over the system's handle). A call that fails returns -1 or
// false and leaves the reason in errno; on Windows the system's error is
// mapped to the errno value of the same meaning, so that
// engine::systemReason() words a locked file, a read-only folder or a full
// disk alike on both.
//
// What differs on Windows:
//  - files are opened sharing reading, writing and deletion, so that an open
//    file can be renamed, replaced or removed as on Linux; no handle is
//    inherited by a started program;
//  - syncDirectory() does nothing: the file system's own journal keeps
//    renames and removals, and a folder cannot be flushed;
//  - exchangePaths() is not there (errno ENOSYS): the caller falls back to
//    renames one after the other;
//  - the table lock is a byte-range lock far beyond any file's end, so that
//    it never stands in the way of reading or writing the file itself;
//  - a map covers the file only as far as it reaches when mapped.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace engine::sys {

// How open() opens; combined with |.
enum OpenFlag : int {
    ReadOnly = 0,
    ReadWrite = 1,
    Create = 2,   // made when missing
    Truncate = 4, // emptied when there
    NoWait = 8,   // a FIFO or device does not make the open wait (Linux)
    Directory = 16 // a folder, for sync() (which does nothing to it on Windows)
};

// A descriptor of `path`, never inherited by a started program; -1 on
// failure (errno says why).
int open(const QString& path, int flags);
// The null device, open for reading and writing.
int openNull();
void close(int fd);
// After open(..., NoWait): reads wait again as usual.
void setBlocking(int fd);

// Reads/writes up to n bytes at `offset` without moving anything else:
// the count done, -1 on failure (EINTR retried).
long long readAt(int fd, void* buf, std::size_t n, std::uint64_t offset);
long long writeAt(int fd, const void* buf, std::size_t n, std::uint64_t offset);
// Sets the file's length.
bool truncate(int fd, std::uint64_t size);
// The file's contents on the disk (a regular file: fdatasync on Linux,
// its times left to the file system; FlushFileBuffers); of a folder
// opened with Directory, its names (a no-op on Windows).
bool sync(int fd);
// A folder's names on the disk (fsync of the folder); true on Windows.
bool syncDirectory(const QString& dir);
// Every file's writes still waiting in memory, written out (sync on Linux;
// nothing on Windows, which has no such call).
void syncAll();

struct FileInfo {
    bool regular = false;  // an ordinary file (not a device, FIFO, folder)
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // last modification, ns since 1970 UTC
    std::uint64_t id = 0;        // the file itself (Linux: inode; Windows: file index)
};
bool fileInfo(int fd, FileInfo* info);
// Sets a file's last modification (ns since 1970 UTC), as a program that
// puts the time back does (tests that play one).
bool setModifiedTime(const QString& path, std::int64_t ns);

// Removes a file (an open one too).
bool remove(const QString& path);
// Renames `from` to `to`, replacing `to` (also an open file) in one step.
bool rename(const QString& from, const QString& to);
// Gives the file `from` the second name `to`; false when `to` exists.
bool link(const QString& from, const QString& to);
// Exchanges two names in one step (Linux renameat2 RENAME_EXCHANGE); false
// with errno EINVAL or ENOSYS where the file system or system cannot.
bool exchangePaths(const QString& a, const QString& b);

// The lock that keeps other programs (and other opens in this one) out of
// a table file. On Linux the whole-file flock() and an open-file-description
// record lock over the whole file; exclusive asks for a write lock (a read
// lock on a descriptor open only for reading). False when it is held
// elsewhere. Closing the descriptor drops it.
bool lockFile(int fd, bool exclusive);
// A record write lock over the whole file as other dBase programs take it
// (Linux: a classic fcntl lock); for tests that play such a program.
bool lockRecords(int fd);

// While one lives, this thread's look at a drive without its disk (a floppy,
// a card reader) fails as "not ready" instead of the system's own box about
// the missing disk, which would wait to be clicked away (Windows; nothing
// elsewhere).
class QuietMissingDisk {
public:
    QuietMissingDisk();
    ~QuietMissingDisk();
    QuietMissingDisk(const QuietMissingDisk&) = delete;
    QuietMissingDisk& operator=(const QuietMissingDisk&) = delete;

private:
    unsigned long old_ = 0;
};

// Maps `size` bytes of the file for reading from its start; `mapped` gets
// how many of them may be read (on Linux all, past the end too as long as
// they are not touched; on Windows what the file holds). nullptr on failure.
const char* map(int fd, std::uint64_t size, std::uint64_t* mapped);
void unmap(const char* p, std::uint64_t size);
// Reads of a map that jump about (random) or go on (not): jumping, a page
// not in memory brings only itself from the disk, not its neighbours too.
// Windows reads a few neighbours whatever it is told.
void readsAtRandom(const char* p, std::uint64_t size, bool random);

// This process.
long long processId();
// Runs with the system administrator's rights as "root" (never on Windows).
bool isSuperUser();
// Ends this process at once, as a kill would (tests' kill points).
[[noreturn]] void killSelf();
// Makes the standard stream `f` pass bytes as they are: on Windows a stream
// in text mode turns every "\n" into "\r\n", so a CSV's "\r\n" would come
// out as "\r\r\n". Nothing to do on Linux.
void binaryStream(std::FILE* f);
// This program's own file (a test program runs itself again as a child).
QString programPath();
// Ends the process `pid` at once, as killSelf() ends this one (SIGKILL on
// Linux, TerminateProcess on Windows).
bool killProcess(long long pid);
// Whether a process that ended as QProcess reports it (`crashed`: its
// CrashExit, and its exit code) was ended by killSelf() or killProcess():
// the signal SIGKILL on Linux, their exit code on Windows.
bool endedByKill(bool crashed, int code);

} // namespace engine::sys
