#include "engine/changeunit.h"

// Placeholder until the journal lands: the unit's bookkeeping without the
// before-images, so that callers can be written against the interface.

namespace engine {

ChangeUnit::ChangeUnit(std::initializer_list<Table*> tables)
    : ChangeUnit(std::vector<Table*>(tables)) {}

ChangeUnit::ChangeUnit(const std::vector<Table*>& tables) : tables_(tables), active_(true) {}

ChangeUnit::~ChangeUnit() {
    if (active_)
        rollback();
}

void ChangeUnit::commit() { active_ = false; }

void ChangeUnit::rollback() { active_ = false; }

bool recoverJournal(const QString&) { return false; }

} // namespace engine
