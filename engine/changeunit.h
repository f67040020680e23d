#pragma once
// One unit of change over several tables: after a failure, or a kill at any
// instant, the tables hold all of the unit's changes or none of them.
//
//     engine::ChangeUnit unit({&lap, &elrend, &lapb});
//     ... edit, append, post, remove through the table objects ...
//     unit.commit();
//
// While a unit is open the writes to its tables are held by the table objects
// (reads see them; Table::UnitSide is what the unit asks of a table). A
// table may also take a whole new file (Table::replaceWith), which waits for
// the commit too. commit() writes the rollback journal beside the tables
// (engine/journal.h: each changing table's record count, size, header and
// the before-images of the records to be changed, the file swaps and the new
// files) and flushes it, then writes the held records, puts the new files in
// place, flushes the tables and removes the journal. A unit destroyed
// without commit() (an exception on the way) forgets the held records: the
// files never changed. A journal left behind by a killed run is rolled back
// by recoverJournal() (engine/recovery.h) before anything opens the tables.
//
// Inside a unit a table cannot be packed; closing one of its tables gives its
// part up and the unit can then only roll back.
//
// A unit can also bring new files into being, in any folder (the shipment
// files of a sending, say): each is written whole and sealed under a
// temporary name, and addNewFile() hands it to the unit. commit() records
// it in the journal before anything changes and gives it its name with the
// tables' changes; a rollback, or the recovery of a killed unit, removes it.
// So the file exists under its name exactly when the tables record the unit.

#include "engine/journal.h"
#include "engine/recovery.h"

#include <QString>
#include <initializer_list>
#include <memory>
#include <vector>

namespace engine {

class DbError;
class Table;
class TableBuilder;

class ChangeUnit {
public:
    // Begins a unit over open tables of one directory. Throws DbError(Usage)
    // for tables of different folders, a read-only table, a table another
    // unit holds, or a journal an earlier failed rollback left in the folder
    // (Io); nothing has changed then. A unit over tables an open unit holds
    // joins that unit.
    explicit ChangeUnit(std::initializer_list<Table*> tables);
    explicit ChangeUnit(const std::vector<Table*>& tables);
    ~ChangeUnit();
    ChangeUnit(const ChangeUnit&) = delete;
    ChangeUnit& operator=(const ChangeUnit&) = delete;

    // Makes every change durable and ends the unit. Throws DbError when it
    // cannot; the unit is rolled back then. Should the rollback itself fail
    // (a dead disk), the journal stays for the next start, and until then
    // the unit's tables take no writes and no unit begins in the folder.
    void commit();
    // Undoes every change made since the unit began and ends it.
    void rollback();
    // A sealed new file (TableBuilder::seal) that takes its name at the
    // commit. Its target must not exist; the temporary name must end in
    // ".uj" (a kill before the journal leaves a leftover that start-up
    // sweeps). Throws DbError(Usage) otherwise; the file is removed then.
    void addNewFile(std::unique_ptr<TableBuilder> file);
    bool active() const { return active_; }

    // Units open at this moment in the program (the whole-table operations,
    // closing all tables, re-indexing, backup and restore, wait for none).
    static int openUnits();

    // Table::close() tells the unit that one of its tables is closing: its
    // part is given up, so the unit can only roll back.
    void tableClosing(Table& table);

private:
    struct Plan;
    // The stages of commit(): what changes, the journal written (on a
    // failure the unit is rolled back and DbError thrown), the changes made,
    // and either the changes undone after a failure (the reason when even
    // that failed) or the new files adopted.
    Plan makePlan() const;
    void writeJournalFor(const Plan& plan, const QString& journal);
    void applyPlan(const Plan& plan, const QString& journal);
    QString undoAfterFailure(const Plan& plan, const QString& journal);
    DbError undoFailed(const Plan& plan, const DbError& failure, const QString& undone);
    void adoptNewFiles(const Plan& plan);
    void end(); // releases the tables after a commit or a rollback

    std::vector<Table*> tables_;
    std::vector<std::unique_ptr<TableBuilder>> newFiles_;
    QString directory_;
    bool active_ = false;
    // A unit begun over tables that an open unit already holds joins it: its
    // commit leaves the work to the outer unit, its rollback dooms it.
    ChangeUnit* outer_ = nullptr;
    bool doomed_ = false;
};

} // namespace engine
