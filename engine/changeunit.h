#pragma once
// One unit of change over several tables: after a failure, or a kill at any
// instant, the tables hold all of the unit's changes or none of them.
//
//     engine::ChangeUnit unit({&lap, &elrend, &lapb});
//     ... edit, append, post, remove through the table objects ...
//     unit.commit();
//
// While a unit is open the writes to its tables are held by the table objects
// (reads see them). commit() writes the journal beside the tables (each
// table's record count, size and header and the before-images of the records
// to be changed) and flushes it, then writes the held records, flushes the
// tables and removes the journal. A unit destroyed without commit() (an
// exception on the way) forgets the held records: the files never changed. A
// journal left behind by a killed run is rolled back by recoverJournal()
// before anything opens the tables.
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

#include <QString>
#include <initializer_list>
#include <memory>
#include <vector>

namespace engine {

class Table;
class TableBuilder;

class ChangeUnit {
public:
    // Begins a unit over open tables of one directory. Throws DbError when
    // the journal cannot be written; nothing has changed then.
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

private:
    friend class Table;
    // A table of the unit is being closed: its part is given up, so the unit
    // can only roll back.
    void tableClosing(Table& table);
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

// The journal of a folder of tables ("rollback.jnl" in it).
QString journalPath(const QString& directory);

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
