#pragma once
// A table's raw records -- the bytes of a record as the file holds them --
// for the engine's own modules (the SQL module and its ordering) and the
// engine's own tests. Code above the engine reads records through
// engine::Scan and Table::record (RecordView's typed reads) and writes them
// through the table's editing or a TableBuilder, never as a table's bytes:
// Table's raw members are private to it and to this class, and this header
// compiles only where SZ_ENGINE_INTERNAL is defined (the engine library and
// its tests).

#ifndef SZ_ENGINE_INTERNAL
#error "engine/tableraw.h belongs to the engine: read records through engine/scan.h"
#endif

#include "engine/table.h"

namespace engine {

class TableRaw {
public:
    // Record n's bytes (deleted or not, the unit's held writes included);
    // throws for a bad number.
    static const char* record(const Table& t, std::uint32_t recno) { return t.rawRecord(recno); }
    // While it lives, the table's records are read at random places (a
    // sample): a cold file gives each read its own page, not a read-around
    // that, over a few hundred reads, brings the whole file from the disk.
    class RandomReads {
    public:
        explicit RandomReads(const Table& t) : t_(t) { t_.readsAtRandom(true); }
        ~RandomReads() { t_.readsAtRandom(false); }
        RandomReads(const RandomReads&) = delete;
        RandomReads& operator=(const RandomReads&) = delete;

    private:
        const Table& t_;
    };
    // Record n replaced by `record` (its tags follow).
    static void write(Table& t, std::uint32_t recno, const QByteArray& record) {
        t.writeRaw(recno, record);
    }
    // `record` appended; returns its number.
    static std::uint32_t append(Table& t, const QByteArray& record) { return t.appendRaw(record); }
    // Record n flagged deleted.
    static void remove(Table& t, std::uint32_t recno) { t.deleteRaw(recno); }
    // Field i of a raw record of the table, encoded (throws for a bad
    // value) and decoded.
    static void encodeField(const Table& t, int field, const QVariant& v, char* record) {
        t.encodeField(field, v, record);
    }
    static QVariant decodeField(const Table& t, int field, const char* record) {
        return t.decodeField(field, record);
    }
};

} // namespace engine
