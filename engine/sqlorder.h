#pragma once
// SQL's order of the values of character and date fields, for the virtual
// table module (engine/sqlmodule.h) when a tag's order is not SQL's.

#include "engine/dbfheader.h"

#include "engine/codepage.h"

#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <vector>

namespace engine {

class Table;

// The value SQL sees in a character or date field: false for NULL (a blank
// field), else `bytes` of UTF-8 text at `data` (dates as YYYY-MM-DD). Plain
// ASCII is read in place, in the record.
struct SqlText {
    const char* data = nullptr;
    int bytes = 0;
    char iso[10];
    QByteArray decoded;

    bool read(const FieldDef& f, const char* rec) {
        const char* p = rec + f.offset;
        int n = f.width;
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
            --n;
        if (n == 0) return false;
        if (f.type == 'D') {
            const char d[10] = {p[0], p[1], p[2], p[3], '-', p[4], p[5], '-', p[6], p[7]};
            std::memcpy(iso, d, sizeof iso);
            data = iso;
            bytes = 10;
            return true;
        }
        bool ascii = true;
        for (int i = 0; i < n && ascii; ++i)
            ascii = std::uint8_t(p[i]) < 0x80 && p[i] != 0;
        if (ascii) {
            data = p;
            bytes = n;
        } else {
            decoded = decode852(p, n).toUtf8();
            data = decoded.constData();
            bytes = int(decoded.size());
        }
        return true;
    }
};

// True when the field's value sorts among a tag's keys as SQL sorts it:
// a character field of blanks, digits, punctuation and capitals A-Z alone
// (their weights rise with the bytes, and no two share one), or a date of
// digits. Anything else (small letters fold onto capitals, accented letters
// follow their base letter) sends the rows through SQL's own order.
bool sortsAsSql(const FieldDef& f, const char* rec);
// Puts the records into SQL's order of `columns`: NULL first, then texts
// byte by byte, ties kept in the order they came.
void sortAsSql(const Table& t, const std::vector<int>& columns, std::vector<std::uint32_t>& list);

} // namespace engine
