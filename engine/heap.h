#pragma once
// How the program's heap treats big blocks. A table's index tags are loaded
// into blocks of tens of megabytes; by default the C library gives such a
// block back to the system when it is freed, and the next load of a tag
// (after a table is closed and opened again: backup, re-indexing, an import)
// has every page of it faulted in again, which costs ten times the reading
// itself. Called once at the start of the program, the freed memory is kept
// for the next load instead.

namespace engine {

void keepFreedMemory();

// Gives the freed memory kept so far back to the system: after a rare bulk
// operation (the full data set's import) whose big blocks no load soon
// after needs again. Nothing where the C library cannot.
void releaseFreedMemory();

} // namespace engine
