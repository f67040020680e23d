#pragma once
// SQL's order of the values of character and date fields, for the virtual
// table module (engine/sqlmodule.h) when a tag's order is not SQL's, and
// the module's reading of those values and of the rows a tag's key finds.

#include "engine/dbfheader.h"

#include "engine/codepage.h"

#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <vector>

namespace engine {

class Table;

// Writes the `n` cp852 bytes at `p` as UTF-8 to `out`, which has room for
// 3 * n + 4 bytes (a character's bytes are stored four at a time); returns
// the bytes written.
int utf8From852(const char* p, int n, char* out);

// How many of the `n` bytes at `p` are, from the first, plain ASCII (below
// 0x80, no zero byte): text that is the same in cp852 and UTF-8. Read eight
// bytes at a time.
inline int plainAsciiLength(const char* p, int n) {
    static constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
    int i = 0;
    for (std::uint64_t w; i + 8 <= n; i += 8) {
        std::memcpy(&w, p + i, 8);
        if ((w & kHigh) != 0 || ((w - kOnes) & ~w & kHigh) != 0) break;
    }
    while (i < n && std::uint8_t(p[i]) < 0x80 && p[i] != 0)
        ++i;
    return i;
}

// The length of the `n` bytes at `p` without their trailing spaces; a wide
// field of short texts is mostly spaces, so whole words are skipped first.
inline int spacesTrimmed(const char* p, int n) {
    static constexpr std::uint64_t kSpaces = 0x2020202020202020ULL;
    std::uint64_t w;
    while (n >= 8 && (std::memcpy(&w, p + n - 8, 8), w == kSpaces))
        n -= 8;
    while (n > 0 && p[n - 1] == ' ')
        --n;
    return n;
}

// The length of the field's `n` bytes at `p` without its trailing blanks
// (spaces and zero bytes).
inline int trimmedWidth(const char* p, int n) {
    n = spacesTrimmed(p, n);
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
        --n;
    return n;
}

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
        const int n = trimmedWidth(p, f.width);
        if (n == 0) return false;
        if (f.type == 'D') {
            const char d[10] = {p[0], p[1], p[2], p[3], '-', p[4], p[5], '-', p[6], p[7]};
            std::memcpy(iso, d, sizeof iso);
            data = iso;
            bytes = 10;
            return true;
        }
        const int plain = plainAsciiLength(p, n);
        if (plain == n) {
            data = p;
            bytes = n;
        } else if (n <= kMaxConverted) {
            std::memcpy(utf8, p, size_t(plain));
            bytes = plain + utf8From852(p + plain, n - plain, utf8 + plain);
            data = utf8;
        } else {
            decoded = decode852(p, n).toUtf8();
            data = decoded.constData();
            bytes = int(decoded.size());
        }
        return true;
    }

private:
    // A field's cp852 text as UTF-8: at most three bytes a character (and
    // the room utf8From852 writes past its last one).
    static constexpr int kMaxConverted = 255;
    char utf8[3 * kMaxConverted + 4];
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

// True when every byte of the text is a blank, a digit, punctuation or a
// capital A-Z: below the small and accented letters, and weighing in the
// tags in the order of the bytes.
bool capitalsAtMost(const char* p, std::size_t n);

// Rows expected for one value of tag ti's first `eq` components, from the
// values of those fields in 256 records picked at random (for a tag whose
// entries are not read).
double recordSampleRows(const Table& t, int ti, int eq);

} // namespace engine
