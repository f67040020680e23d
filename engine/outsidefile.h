#pragma once
// Files that come from outside the program (a folder the user chose, the
// county office's floppy, an unpacked archive) are read only when they are
// what they seem: a regular file (a link is followed to what it names), not
// a device such as /dev/zero, a FIFO, a socket or a folder, which are
// refused at once, without reading from them or waiting on them; and a dBase
// table no larger than its own header says it is.

#include <QString>

namespace engine {

// Opens `path` for reading, close-on-exec and without waiting. Returns the
// descriptor, and in `size` the file's size at that moment (what a copy
// reads, however the file grows meanwhile). Throws DbError(Io) naming the
// file when it cannot be opened or is not a regular file.
int openRegularFile(const QString& path, qint64* size = nullptr);

// A dBase table from outside: a regular file whose size is at most what its
// header gives (the header, the records and an end mark) plus `slack` bytes.
// Throws DbError(Io) for a file that is not regular or cannot be read,
// DbError(Damaged) for one larger than that. A file too short for a header
// passes: its reader refuses it in its own words.
void checkOutsideTable(const QString& path, qint64 slack = 64 * 1024);

} // namespace engine
