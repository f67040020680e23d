#pragma once
// The low-level file door of the engine. Every byte the engine writes into a
// table file (.dbf) or an index file (.mdx) -- record writes, appends, header
// count and date updates, new files written under a temporary name -- goes
// through writeAt(), and every change of a file's length through truncateAt().
// That is the one place where a before-image journal can see a write before it
// happens, and where tests make the Nth write fail as a full disk would.
//
// Also here: the small file helpers the tables share (finding a file whatever
// the letter case of its name, durable renames).

#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>

namespace engine {

class DbError;

// Writes n bytes at `offset` of the open file `fd` (named `path` in errors),
// all of them or a DbError(Io); retries short writes and EINTR.
void writeAt(int fd, std::uint64_t offset, const char* data, std::size_t n, const QString& path);
// Sets the length of the open file `fd`; DbError(Io) on failure.
void truncateAt(int fd, std::uint64_t size, const QString& path);
// fsync() of the open file; DbError(Io) on failure.
void syncFile(int fd, const QString& path);
// fsync() of a folder, so that files created, renamed or removed in it stay
// so after a power cut; DbError(Io) on failure.
void syncDirectory(const QString& dir);
// Removes a file and makes the removal durable (syncDirectory of its folder).
void removeDurably(const QString& path);
// Renames `from` over `to` in one step and makes the rename itself durable
// (fsync of the folder). The caller has synced `from`'s contents first.
void renameDurably(const QString& from, const QString& to);
// Gives a complete, flushed file the name `to` as well; false when `to`
// exists or the link cannot be made. Like every other operation, nothing
// happens once the tests' simulated power is off.
bool linkName(const QString& from, const QString& to);

// Takes the lock that keeps other programs out of an open table file: the
// whole-file flock() and a POSIX record lock (fcntl) over the whole file, so
// that programs using either kind see the file held and a lock of either kind
// held by another program is respected. Exclusive asks for a write lock
// (a read lock on a descriptor open only for reading). False when another
// program, or another open of the file in this process, holds it.
bool lockFile(int fd, bool exclusive);

// A new file written under a temporary name beside its target and renamed
// over the target only when complete (contents synced first, then the rename
// made durable): never a half-written file under the real name. Destroyed
// without commit(), it removes the temporary file.
class NewFile {
public:
    NewFile(const QString& target, const QString& tmpPath);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Appends at the end of what was written so far.
    void append(const char* data, std::size_t n);
    // Writes over bytes already written (a header's count, say).
    void writeAt(std::uint64_t offset, const char* data, std::size_t n);
    std::uint64_t size() const { return size_; }
    int fd() const { return fd_; }
    const QString& target() const { return target_; }
    const QString& tmpPath() const { return tmp_; }
    // Syncs, renames over the target, syncs the folder. With keepOpen the
    // descriptor stays open (now naming the target) and is handed over.
    int commit(bool keepOpen = false);
    void abandon();
    // For a change unit that renames the file itself: sync() makes the
    // contents durable under the temporary name; release() hands the open
    // descriptor over and leaves the file where it is.
    void sync();
    int release();

private:
    QString target_, tmp_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

namespace testing {
// The test hook over the doors above: every write, truncation, flush and
// removal asks it first, with its number since the hook was set (1 first).
enum class IoOp { Write, Truncate, Sync, Remove };
enum class IoAction {
    Proceed,
    Fail, // the operation throws DbError(Io) ("disk full")
    Skip  // a flush is skipped as if done: for tests that only kill processes
          // (the page cache outlives them); other operations proceed
};
using IoHook = std::function<IoAction(IoOp op, long n)>;
// Installs `hook` (nullptr removes it) and restarts the count.
void setIoHook(IoHook hook);
// Operations counted since the hook was last set.
long ioCount();

// Shorthands: after `n` more successful writeAt() or truncateAt() calls, the
// next one throws DbError(Io) ("disk full"), as do all after it until
// clearWriteFailure(). n = 0 makes the very next write fail. Process-wide;
// tests reset it before they end.
void failWriteAfter(long n);
void clearWriteFailure();
// Writes done through writeAt()/truncateAt() since the process started.
std::uint64_t writeCount();

// Power loss, as SQLite's crash tests simulate it (a kill keeps the page
// cache; a power cut does not). After powerCutAt(n, seed) every write and
// truncation is remembered until its file is flushed; the n-th operation
// (write, truncation, flush or removal) after the call does not happen: it is
// the cut. Of the writes not yet flushed then, each is kept or lost at random
// (from `seed`), in its order, and the machine is off: every later write,
// truncation, flush, removal and rename is dropped without an error until
// powerRestored(). Independent of setIoHook.
void powerCutAt(long n, std::uint32_t seed);
bool powerIsOff();
// Unflushed writes and truncations lost and kept at the cut.
long powerCutLost();
long powerCutKept();
// Ends the simulation (nothing remembered, the power on).
void powerRestored();
} // namespace testing

// The file of `path` whatever the letter case of its name; the path itself
// when no file matches (so a new file gets the caller's spelling).
QString findFileNoCase(const QString& path);
bool fileExistsNoCase(const QString& path);
// The index file beside a table file (found whatever its letter case).
QString mdxPathFor(const QString& dbfPath);

// Removes from `dir` what a killed run left beside the tables: the files
// being written under a temporary name ("*.pack-tmp", "*.uj", "*.uj.tmp",
// "*.mdx.tmp").
// Returns how many were removed.
int removeLeftoverFiles(const QString& dir);

// Sets bytes 28 and 29 of a dBase header to 0 (the production-index flag and
// the language-driver mark). Throws DbError(Io) on any failure.
void clearHeaderFlags(const QString& path);

// Makes, writes and removes a small file in `dir`: throws DbError(Io) naming
// the folder when it is read-only (or the disk is full).
void checkDirectoryWritable(const QString& dir);

// A DbError(Io) for `path` with the system's reason appended; it keeps the
// error number (DbError::sysError).
DbError ioError(const QString& path, const QString& what);
// The reason behind a system error number, in Hungarian words for the user
// ("nincs hozzá jogosultság", "megtelt a lemez", ...), worded to follow "mert".
QString systemReason(int err);

} // namespace engine
