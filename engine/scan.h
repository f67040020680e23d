#pragma once
// Reading many records of a table fast, field by field: a scan walks the
// records -- every one not flagged deleted in file order, the visible ones
// in the table's active order through its filter, or a list of record
// numbers in the caller's order -- and hands out the current record as a
// RecordView, whose typed reads (text, integer, number, date, chars) decode
// the chosen fields without a QVariant. Code above the engine reads records
// this way, never as raw bytes.
//
//     engine::Scan s(table);
//     const int taj = s.field(QStringLiteral("TAJ"));
//     while (s.next()) use(s.record().text(taj));
//
// A scan reads the table as it is while it walks; the table must stay open
// and unchanged until the scan is done.

#include "engine/fieldcodec.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace engine {

class Table;

class Scan {
public:
    enum class Order {
        File,   // every record not flagged deleted, in record-number order
        Visible // what navigation reaches, in the active tag's order
    };
    explicit Scan(const Table& table, Order order = Order::File);
    // The records numbered in `recnos`, in that order (deleted ones too).
    Scan(const Table& table, std::vector<std::uint32_t> recnos);

    // The field's number for the reads below; -1 when the table lacks it
    // (any letter case).
    int field(const QString& name) const;

    // Moves to the next record; false (and no record) after the last.
    bool next();
    // Starts again before the first record.
    void rewind();
    std::uint32_t recno() const { return recno_; }
    const RecordView& record() const { return view_; }

private:
    const Table& table_;
    bool listed_;
    std::vector<std::uint32_t> recnos_;
    std::size_t at_ = 0;
    std::uint32_t count_ = 0;
    std::uint32_t recno_ = 0;
    RecordView view_;
};

} // namespace engine
