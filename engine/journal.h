#pragma once
// The rollback journal's format (engine/changeunit.h): what a change unit
// records before it changes anything, and how the record is written, read
// back and applied to one table file. The unit writes it; the start-up
// recovery (engine/recovery.h) reads it back and rolls its tables back.
//
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

#include "engine/fileswap.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace engine {

class DbError;

// The journal of a folder of tables ("rollback.jnl" in it).
QString journalPath(const QString& directory);

namespace journal {

// A new file of a unit: its temporary path and its path.
struct NewFileName {
    QString fresh, target;
};

// What the journal may name as a new file: absolute, clean paths, the
// temporary one the target's with a suffix ending in ".uj". A journal naming
// anything else is damaged; it never removes another file.
bool plausibleNewFile(const NewFileName& f);
// Removes what a unit's new file left, under either name; durable.
void removeNewFile(const NewFileName& f);

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

// The whole journal, not yet sealed.
QByteArray encode(const std::vector<TableImage>& tables, const std::vector<FileSwap>& swaps = {},
                  const std::vector<NewFileName>& newFiles = {});
// The journal's tables, or nullopt when it was never sealed (a kill while it
// was being written: no table had changed). Throws DbError(Damaged).
std::optional<std::vector<TableImage>> decode(const QByteArray& b, const QString& path,
                                              std::vector<FileSwap>* swaps = nullptr,
                                              std::vector<NewFileName>* newFiles = nullptr);
// Writes the journal whole under a temporary name, flushes it, gives it its
// name, seals it and flushes again, and makes its name durable in the folder.
// Refuses to replace a journal that exists.
void write(const QString& path, const QString& dir, QByteArray bytes);
// Puts one table file back as the journal describes it and flushes it.
void restoreFile(int fd, const TableImage& t, const QString& path);
// A DbError(Damaged) for a journal that cannot be applied.
DbError damaged(const QString& path, const QString& why);

} // namespace journal
} // namespace engine
