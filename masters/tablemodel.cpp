#include "masters/tablemodel.h"

#include "engine/table.h"

#include <QDate>
#include <algorithm>

namespace masters {

TableModel::TableModel(engine::Table& table, std::vector<BrowseColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns)) {
    rebuild();
}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= int(columns_.size())) return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignment(index.column()));
    case Qt::BackgroundRole:
        if (rowBackground_) {
            const std::uint32_t recno = recnoAt(index.row());
            if (recno != 0) return rowBackground_(table_, recno);
        }
        return {};
    default:
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size())) return {};
    if (role == Qt::DisplayRole) return columns_[size_t(section)].title;
    return {};
}

Qt::Alignment TableModel::alignment(int column) const {
    const BrowseColumn& c = columns_[size_t(column)];
    // Numbers stand right-aligned unless the column says otherwise.
    const int fi = fieldIndex_[size_t(column)];
    if (c.align == BrowseColumn().align && fi >= 0 && fi < int(table_.fields().size())) {
        const char type = table_.fields()[size_t(fi)].type;
        if (type == 'N' || type == 'F') return Qt::AlignRight | Qt::AlignVCenter;
    }
    return c.align;
}

int TableModel::columnChars(int column) const {
    if (column < 0 || column >= int(columns_.size())) return 0;
    const BrowseColumn& c = columns_[size_t(column)];
    int chars = int(c.title.size());
    const int fi = fieldIndex_[size_t(column)];
    if (fi >= 0 && fi < int(table_.fields().size())) {
        const engine::FieldDef& f = table_.fields()[size_t(fi)];
        chars = std::max(chars, f.type == 'D' ? 10 : int(f.width));
    } else if (c.chars > 0) {
        chars = std::max(chars, c.chars);
    }
    return chars;
}

void TableModel::setTitle(int column, const QString& title) {
    if (column < 0 || column >= int(columns_.size())) return;
    columns_[size_t(column)].title = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void TableModel::setRowBackground(RowStyle style) {
    rowBackground_ = std::move(style);
    if (rows_ > 0 && !columns_.empty())
        emit dataChanged(index(0, 0), index(rows_ - 1, int(columns_.size()) - 1),
                         {Qt::BackgroundRole});
}

TableModel::Key TableModel::currentKey() const {
    Key k;
    k.open = table_.isOpen();
    if (!k.open) return k;
    k.generation = table_.generation();
    k.tag = table_.activeTagIndex();
    k.filter = table_.filter();
    k.filtered = table_.filtered();
    k.fileRecords = table_.fileRecordCount();
    return k;
}

bool TableModel::isStale() const {
    return !(currentKey() == key_);
}

bool TableModel::sync() {
    if (!isStale()) return false;
    beginResetModel();
    rebuild();
    endResetModel();
    return true;
}

void TableModel::rebuild() {
    key_ = currentKey();
    order_.clear();
    recnos_.clear();
    fieldIndex_.assign(columns_.size(), -1);
    direct_ = true;
    rows_ = 0;
    if (!key_.open) return;

    for (size_t c = 0; c < columns_.size(); ++c)
        if (!columns_[c].value && !columns_[c].field.isEmpty())
            fieldIndex_[c] = table_.fieldIndex(columns_[c].field);

    const bool filterOn = key_.filtered && !key_.filter.trimmed().isEmpty();
    // recordCount() counts the deleted records once and then keeps the count
    // up to date as records are written.
    if (!filterOn && table_.recordCount() == key_.fileRecords &&
        table_.orderCount() == key_.fileRecords) {
        rows_ = int(key_.fileRecords);
        return;
    }

    // The visible entries in tag order (a filter bounding a tag's leading
    // field reads only that tag's range).
    direct_ = false;
    table_.visibleInOrder(recnos_, &order_);
    rows_ = int(recnos_.size());
}

std::uint32_t TableModel::recnoAt(int row) const {
    if (row < 0 || row >= rows_ || !table_.isOpen()) return 0;
    const std::uint32_t r = direct_ ? table_.recnoAtOrder(size_t(row)) : recnos_[size_t(row)];
    return r <= table_.fileRecordCount() ? r : 0;
}

int TableModel::rowOf(std::uint32_t recno) const {
    if (!table_.isOpen() || recno == 0 || recno > table_.fileRecordCount() ||
        !table_.isVisible(recno))
        return -1;
    const std::size_t ordinal = table_.orderOf(recno);
    if (direct_) {
        if (ordinal >= std::size_t(rows_) || table_.recnoAtOrder(ordinal) != recno) return -1;
        return int(ordinal);
    }
    // The visible entries are in tag order: a binary search by ordinal.
    const auto it = std::lower_bound(order_.begin(), order_.end(), std::uint32_t(ordinal));
    if (it == order_.end() || *it != ordinal) return -1;
    const int row = int(it - order_.begin());
    return recnos_[size_t(row)] == recno ? row : -1;
}

QString TableModel::cellText(int row, int column) const {
    if (column < 0 || column >= int(columns_.size())) return {};
    const std::uint32_t recno = recnoAt(row);
    if (recno == 0) return {};
    const BrowseColumn& c = columns_[size_t(column)];
    if (c.value) return c.value(table_, recno);
    const int fi = fieldIndex_[size_t(column)];
    if (fi < 0 || fi >= int(table_.fields().size())) return {};
    const QString text = table_.record(recno).text(fi);
    return c.shown ? c.shown(text) : text;
}

} // namespace masters
