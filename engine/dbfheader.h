#pragma once
// The dBase III file header: 32 bytes, one 32-byte descriptor per field, the
// terminator 0x0D, records from the header length on. Parsing checks that the
// file is whole; writing produces the exact bytes the county office expects.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace engine {

struct FieldDef {
    QString name;    // as stored (upper case for the program's tables)
    char type = 'C'; // C, N, D, L, F (and others in foreign files)
    int width = 0;
    int decimals = 0;
    int offset = 0; // inside the record, the deletion flag being byte 0
};

// A field definition for creating a table: name as the caller spells it.
inline FieldDef fieldDef(const QString& name, char type, int width = 0, int decimals = 0) {
    FieldDef f;
    f.name = name;
    f.type = type;
    f.width = type == 'D' ? 8 : width;
    f.decimals = decimals;
    return f;
}

struct DbfHeader {
    std::uint8_t version = 0x03;
    int year = 0, month = 0, day = 0; // last update, the year in full
    std::uint32_t recordCount = 0;
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    std::uint8_t indexFlag = 0;      // byte 28
    std::uint8_t languageDriver = 0; // byte 29
    std::vector<FieldDef> fields;

    bool hasMemo() const {
        return version == 0x83 || version == 0x8B || version == 0xF5 || version == 0xCB ||
               version == 0xFB;
    }
    int fieldIndex(const QString& name) const; // case-insensitive, -1 when absent
};

enum class HeaderMode {
    Table,  // what the engine opens: dBase III, with or without memo
    Lenient // what dbfdump reads: any version byte that shares the dBase III layout
};

// Parses and validates the header in `bytes` (at least the whole header of the
// file) against the file's size. Throws DbError(Damaged) naming `path` when
// the file is short, the descriptors run past the header or the file, the
// record length does not match the fields, or the records announced do not
// fit in the file.
DbfHeader parseDbfHeader(const QByteArray& bytes, qint64 fileSize, const QString& path,
                         HeaderMode mode = HeaderMode::Table);

// The header bytes of a new, empty dBase III table (version 0x03) with the
// given fields, today's date and no index flag; offsets are filled in.
// Throws DbError(Value) for an invalid field list.
QByteArray buildDbfHeader(std::vector<FieldDef>& fields, const QString& path);

} // namespace engine
