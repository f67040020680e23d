#pragma once
// The start-up recovery: a rollback journal (engine/journal.h) left in a
// folder by a change unit that was killed, or whose rollback failed, puts
// the unit's tables back as they were before it.

#include <QString>

namespace engine {

// Rolls back a journal left in `directory` by a run that was killed or failed
// mid-unit (the new files it names, wherever they lie, are removed). Returns
// true when one was found and rolled back. Call before any
// table of the directory is opened. Throws DbError when the journal exists
// but cannot be applied (the tables are then left untouched): Locked or Io
// with the journal in its place, to be tried again at the next start; or
// Damaged when it cannot be read whole or does not fit its tables -- it is
// then kept aside beside the tables under a name of its own, which the
// error names (file()), unless even that fails (file() is then the journal).
bool recoverJournal(const QString& directory);

} // namespace engine
