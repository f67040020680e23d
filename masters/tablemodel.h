#pragma once
// A read-only item model over one table object for the browse grids: the
// rows are the table's live records in the active tag's order through its
// standing filter, read on demand (only the cells a view asks for are
// decoded), so that a list of 100 000 sheets opens at once.
//
// With no filter and no deleted record, row i is simply the i-th entry of the
// active tag. Otherwise the visible entries are collected in one pass over
// the tag (raw records, nothing decoded) and kept until the table is written,
// its tag or its filter changes. sync() notices such a change and resets the
// model; a view calls it after writes (the panel does so on its own when it
// repaints).
//
// Dates show as "yyyy.MM.dd", numbers as stored, character fields without
// their trailing blanks.

#include "masters/browseconfig.h"

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace masters {

class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TableModel(engine::Table& table, std::vector<BrowseColumn> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // True when the table changed since the rows were last taken (written,
    // another tag, another filter, closed or reopened).
    bool isStale() const;
    // Takes the rows again when stale (a model reset); returns true if so.
    bool sync();

    // The record shown in a row (0 when out of range) and the row of a record
    // (-1 when it is not shown: deleted, filtered out or no such record).
    std::uint32_t recnoAt(int row) const;
    int rowOf(std::uint32_t recno) const;
    // The text of one cell, as the grid shows it.
    QString cellText(int row, int column) const;

    engine::Table& table() const { return table_; }
    const std::vector<BrowseColumn>& columns() const { return columns_; }
    // Changes a column's title (the windows that give the grid their own).
    void setTitle(int column, const QString& title);
    // A background for whole rows (the register's colouring by period): the
    // value the model gives for Qt::BackgroundRole of every cell of the row
    // showing record `recno`; an invalid QVariant keeps the grid's colours.
    using RowStyle = std::function<QVariant(const engine::Table&, std::uint32_t recno)>;
    void setRowBackground(RowStyle style);

private:
    struct Key {
        bool open = false;
        std::uint64_t generation = 0;
        int tag = -1;
        QString filter;
        bool filtered = false;
        std::uint32_t fileRecords = 0;
        bool operator==(const Key&) const = default;
    };
    Key currentKey() const;
    void rebuild();

    engine::Table& table_;
    std::vector<BrowseColumn> columns_;
    RowStyle rowBackground_;
    std::vector<int> fieldIndex_; // per column; -1 for a computed column
    Key key_;
    int rows_ = 0;
    bool direct_ = true;                // row i is the tag's entry i
    std::vector<std::uint32_t> order_;  // otherwise: ordinals of the visible entries
    std::vector<std::uint32_t> recnos_; // and their records
};

} // namespace masters
