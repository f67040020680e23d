#include "engine/scan.h"

#include "engine/table.h"

namespace engine {

Scan::Scan(const Table& table, Order order)
    : table_(table), listed_(order == Order::Visible), view_(&table.fields(), nullptr) {
    if (listed_) table.visibleInOrder(recnos_);
    count_ = table.fileRecordCount();
}

Scan::Scan(const Table& table, std::vector<std::uint32_t> recnos)
    : table_(table), listed_(true), recnos_(std::move(recnos)), view_(&table.fields(), nullptr) {
    count_ = table.fileRecordCount();
}

int Scan::field(const QString& name) const {
    return table_.fieldIndex(name);
}

void Scan::rewind() {
    at_ = 0;
    recno_ = 0;
    view_ = RecordView(&table_.fields(), nullptr);
}

bool Scan::next() {
    if (listed_) {
        if (at_ < recnos_.size()) {
            recno_ = recnos_[at_++];
            view_ = table_.record(recno_);
            return true;
        }
    } else {
        while (at_ < count_) {
            view_ = table_.record(std::uint32_t(++at_));
            if (!view_.isDeleted()) {
                recno_ = std::uint32_t(at_);
                return true;
            }
        }
    }
    recno_ = 0;
    view_ = RecordView(&table_.fields(), nullptr);
    return false;
}

} // namespace engine
