#pragma once
// The engine's write-failure hook. Every write the engine makes to a table,
// its index mark or a rollback journal, and every flush, truncation and
// removal of a journal, asks here first; tests install a hook to make the Nth
// of them fail as a full disk or a dead device would (or to kill the process
// at that point). Without a hook everything passes at the cost of a counter.

#include <functional>

namespace engine {

enum class IoOp {
    Write,    // bytes into a table, index or journal file
    Sync,     // fsync/fdatasync of a file or folder
    Truncate, // a table cut back to its size before a unit
    Remove    // the journal removed
};

enum class IoAction {
    Proceed,
    Fail, // the operation fails with EIO
    Skip  // a flush is skipped as if done: for tests that only kill processes
          // (the page cache outlives them); other operations proceed
};

// Called before each operation with its number (1 for the first after the
// hook was set).
using IoHook = std::function<IoAction(IoOp op, long n)>;

// Installs `hook` (nullptr removes it) and restarts the count.
void setIoHook(IoHook hook);
// Shorthand: the nth operation from now fails, every other one passes.
void failNthIo(long n);
// Operations counted since the hook was last set.
long ioCount();

// For the engine's writers: counts the operation and asks the hook. On Fail
// errno is EIO and the caller reports the failure as usual.
IoAction ioAction(IoOp op);
inline bool ioAllowed(IoOp op) {
    return ioAction(op) != IoAction::Fail;
}

} // namespace engine
