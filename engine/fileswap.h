#pragma once
// Whole table files put in place of others as part of the rollback journal
// (engine/changeunit.h): a change unit whose table takes a new file
// (Table::replaceWith, Table::importFrom(..., Replace)) and replaceFiles()
// for files of closed tables record each replacement in the journal before
// any file moves:
//
//   target  the table file in the folder
//   fresh   the complete new file beside it (synced)
//   saved   the old file's second name while the unit runs
//
// The swap links the old file under `saved`, then renames `fresh` over
// `target` (each step made durable). Until the journal goes, the old file
// can be put back; the start-up recovery (recoverJournal) does so for every
// replacement of a journal it finds, along with the record before-images,
// so that after a kill every table is wholly old or wholly new. Once the
// journal is removed the saved names are removed too (a "*.uj" left by a
// kill in between goes with the start-up's leftovers).

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

namespace engine {

struct FileSwap {
    QString target, fresh, saved; // file names inside the folder
    bool hadTarget = true;        // false: the target is a new file
};

// The second name of a replaced file while its unit runs.
QString savedName(const QString& target);

// Puts each `fresh` file (a path in `directory`) in place of its target
// (a file name in `directory`) in one journalled step. The tables of the
// files must be closed. On a failure every target is as it was and the
// fresh files are removed; DbError is thrown.
void replaceFiles(const QString& directory,
                  const std::vector<std::pair<QString, QString>>& freshToTarget);

namespace journal {
// The journal section that follows the tables' before-images.
QByteArray encodeSwaps(const std::vector<FileSwap>& swaps);
// Throws DbError(Damaged) naming `path` for a section that does not parse.
std::vector<FileSwap> decodeSwaps(const QByteArray& section, const QString& path);
// Before the journal is written: no saved name may be left from before.
void prepareSwaps(const QString& dir, const std::vector<FileSwap>& swaps);
// The swaps made, in order, each step durable.
void applySwaps(const QString& dir, const std::vector<FileSwap>& swaps);
// Every target back to its old file, fresh files removed; what was not yet
// swapped is left as it is. Durable.
void undoSwaps(const QString& dir, const std::vector<FileSwap>& swaps);
// After the journal is gone: the saved names removed (failures ignored).
void finishSwaps(const QString& dir, const std::vector<FileSwap>& swaps);
} // namespace journal

} // namespace engine
