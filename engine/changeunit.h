#pragma once
// One unit of change over several tables: after a failure, or a kill at any
// instant, the tables hold all of the unit's changes or none of them.
//
//     engine::ChangeUnit unit({&lap, &elrend, &lapb});
//     ... edit, append, post, remove through the table objects ...
//     unit.commit();
//
// While a unit is open every write to one of its tables is journalled first
// (the record's before-image and the table's record count, flushed before the
// record changes). commit() makes the changes durable and removes the journal;
// a unit destroyed without commit() (an exception on the way) rolls back. A
// journal left behind by a killed run is rolled back by recoverJournal()
// before anything opens the tables.

#include <QString>
#include <initializer_list>
#include <memory>
#include <vector>

namespace engine {

class Table;

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
    // cannot; the unit is rolled back then.
    void commit();
    // Undoes every change made since the unit began and ends it.
    void rollback();
    bool active() const { return active_; }

private:
    std::vector<Table*> tables_;
    bool active_ = false;
};

// Rolls back a journal left in `directory` by a run that was killed or failed
// mid-unit. Returns true when one was found and rolled back. Call before any
// table of the directory is opened. Throws DbError when the journal exists
// but cannot be applied (the tables are then left untouched).
bool recoverJournal(const QString& directory);

} // namespace engine
