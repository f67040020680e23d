// SQL's order of the values of character and date fields, read straight
// from the records, beside the order of a tag's keys.

#include "engine/sqlorder.h"

#include "engine/codepage.h"
#include "engine/collation.h"
#include "engine/table.h"
#include "engine/tableraw.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

namespace engine {

namespace {

// The UTF-8 bytes of each cp852 byte from 0x80 up, with their count.
struct Utf8Of852 {
    char bytes[128][4]{};
    std::uint8_t size[128];
    Utf8Of852() {
        for (int b = 0; b < 128; ++b) {
            const char c = char(0x80 + b);
            const QByteArray u = decode852(&c, 1).toUtf8();
            size[b] = std::uint8_t(u.size());
            std::memcpy(bytes[b], u.constData(), size_t(u.size()));
        }
    }
};

} // namespace

int utf8From852(const char* p, int n, char* out) {
    static const Utf8Of852 table;
    char* o = out;
    for (int i = 0; i < n; ++i) {
        const auto b = std::uint8_t(p[i]);
        if (b < 0x80) {
            *o++ = char(b);
        } else {
            const int k = b - 0x80;
            std::memcpy(o, table.bytes[k], 4);
            o += table.size[k];
        }
    }
    return int(o - out);
}

// True when the field's value sorts among a tag's keys as SQL sorts it:
// a character field of blanks, digits, punctuation and capitals A-Z alone
// (their weights rise with the bytes, and no two share one), or a date of
// digits. Anything else (small letters fold onto capitals, accented letters
// follow their base letter) sends the rows through SQL's own order.
bool sortsAsSql(const FieldDef& f, const char* rec) {
    const char* p = rec + f.offset;
    if (f.type == 'D') {
        bool digits = true, blank = true;
        for (int i = 0; i < f.width; ++i) {
            digits = digits && p[i] >= '0' && p[i] <= '9';
            blank = blank && p[i] == ' ';
        }
        return digits || blank;
    }
    return capitalsAtMost(p, std::size_t(spacesTrimmed(p, f.width)));
}

// Puts the records into SQL's order of `columns`: NULL first, then
// texts byte by byte, ties kept in the order they came.
void sortAsSql(const Table& t, const std::vector<int>& columns, std::vector<std::uint32_t>& list) {
    // An order-keeping encoding of each record's values: a NULL is 00, a
    // text 01, its bytes (00 written as 00 FF) and 00 00.
    std::vector<std::pair<QByteArray, std::uint32_t>> keyed;
    keyed.reserve(list.size());
    SqlText v;
    for (std::uint32_t r : list) {
        const char* rec = TableRaw::record(t, r);
        QByteArray key;
        for (int col : columns) {
            if (!v.read(t.fields()[size_t(col)], rec)) {
                key += '\0';
                continue;
            }
            key += '\1';
            for (int i = 0; i < v.bytes; ++i) {
                key += v.data[i];
                if (v.data[i] == 0) key += '\xFF';
            }
            key += QByteArray(2, '\0');
        }
        keyed.emplace_back(std::move(key), r);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < keyed.size(); ++i)
        list[i] = keyed[i].second;
}

// True when every byte of the text is a blank, a digit, punctuation or a
// capital A-Z: below the small and accented letters, and weighing in the
// tags in the order of the bytes.
bool capitalsAtMost(const char* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (std::uint8_t(p[i]) < 0x20 || std::uint8_t(p[i]) > 0x5A) return false;
    return true;
}

// Rows expected for one value of tag ti's first `eq` components, from the
// values of those fields in 256 records picked at random (the tag's entries
// not read): each pair of picks with equal values tells of rows sharing
// a value. No pair at all: about one row a value.
double recordSampleRows(const Table& t, int ti, int eq) {
    const std::uint32_t records = t.fileRecordCount();
    const int picks = int(std::min<std::uint32_t>(records, 256));
    if (picks < 2) return 1.0;
    const auto& parts = t.tagList()[size_t(ti)].expr.components();
    std::vector<QByteArray> values;
    values.reserve(size_t(picks));
    std::uint64_t seed = 0x9E3779B97F4A7C15ULL;
    const TableRaw::RandomReads sampling(t);
    for (int i = 0; i < picks; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const char* rec = TableRaw::record(t, std::uint32_t(1 + (seed >> 33) % records));
        QByteArray v;
        for (int k = 0; k < eq && k < int(parts.size()); ++k) {
            const FieldDef& f = t.fields()[size_t(parts[size_t(k)].field)];
            v.append(rec + f.offset, f.width);
        }
        values.push_back(std::move(v));
    }
    std::sort(values.begin(), values.end());
    double pairs = 0;
    for (size_t i = 0, j; i < values.size(); i = j) {
        for (j = i + 1; j < values.size() && values[j] == values[i];)
            ++j;
        pairs += double(j - i) * double(j - i - 1) / 2;
    }
    const double all = double(picks) * (picks - 1) / 2;
    const double rows = pairs > 0 ? records * pairs / all : records / all / 2;
    return std::clamp(rows, 1.0, double(records));
}
} // namespace engine
