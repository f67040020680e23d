#pragma once
// The index file format (.mdx) beside a table, as the engine writes it:
//
//   magic "SZMDX03\n", a "being changed" word, the directory's length, the
//   table's record count, size and modification time when written, the
//   default active tag, and per tag its name, expression, key length, entry
//   count, room (entries its region holds), where its region lies and the
//   checksum of its entries; padding (which may begin with "DELC" and the
//   number of the table's records marked deleted, when it was known); then a
//   checksum of the directory; then each
//   tag's region: its sorted entries, then room for more (zeros).
//
// The directory is read when the table opens; a tag's entries only when the
// tag is first used, so opening a big table costs the same as a small one.
//
// A tag's checksum is the sum (modulo 2^64) of a hash of each entry, so that
// it follows an insertion or a removal without reading the other entries;
// their order, and each record once, are checked when the entries are read
// (mdxEntriesSound). Closing a table after a few changes writes only the
// entries that moved, in place, inside the tags' regions: the file is marked
// "being changed" and flushed first, the entries are written and flushed,
// then the directory, cleared, is written and flushed. An index file found
// "being changed" is rebuilt. A tag that outgrows its room, or a directory
// that changes its length, makes the whole file be written anew under a
// temporary name. Files of an older format ("SZMDX02") are not read: the
// program finds them not its own and rebuilds them.

#include <QByteArray>
#include <QString>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace engine {

inline constexpr char kMdxMagic[8] = {'S', 'Z', 'M', 'D', 'X', '0', '3', '\n'};
inline constexpr int kMdxDirtyOffset = 8;
inline constexpr std::uint32_t kMdxMaxDirectory = 1u << 20;

struct MdxTagEntry {
    QString name, expression;
    std::uint32_t keyLength = 0, count = 0;
    std::uint32_t capacity = 0; // entries the tag's region holds (count at most)
    std::uint64_t offset = 0, sum = 0;
};

struct MdxDirectory {
    std::uint32_t dirty = 0;
    std::uint32_t length = 0; // of the directory, its checksum included
    std::uint32_t recordCount = 0;
    std::uint64_t dbfSize = 0;
    std::int64_t dbfTime = 0; // modification time of the table, nanoseconds
    QString defaultTag;
    // Records of the table marked deleted when written; -1: not known.
    std::int64_t deletedCount = -1;
    std::vector<MdxTagEntry> tags;
    bool whole = true; // every tag's entries lie in the file, which ends there
    // Building: the length the directory is padded to when it fits (that of
    // the directory in the file, so that it can be written over it); else it
    // gets room for a longer default tag name.
    std::uint32_t padTo = 0;
};

// Parses the directory from the first bytes of an index file of `fileSize`
// bytes; false when the file is not ours or its directory cannot be read (cut
// short, a checksum that does not match). out.whole says whether every tag's
// entries are in the file too; a file that is not whole is rebuilt.
bool parseMdxDirectory(const QByteArray& head, std::uint64_t fileSize, MdxDirectory& out);
QByteArray buildMdxDirectory(const MdxDirectory& dir);

// Reads and parses the directory of the index file at `path`: false when
// there is no such file, it is not ours, or its directory cannot be read.
bool readMdxDirectory(const QString& path, MdxDirectory& out);
// Reads `count` entries of `entryLength` bytes at `at` of the index file at
// `path` (a tag's entries) a block at a time, and hands each block to
// `take` (its entries and their number), which returns false to stop:
// false when they cannot all be read or `take` stopped. A block is small
// enough to stay in the processor's cache while it is checked and kept.
bool readMdxEntries(const QString& path, std::uint64_t at, std::size_t count, int entryLength,
                    const std::function<bool(const char*, std::size_t)>& take);
// The modification time of an open table file as the directory records it
// (nanoseconds).
std::int64_t mdxTableTime(int fd);

// A checksum of index file contents, so that a damaged index is noticed.
std::uint64_t mdxChecksum(const char* p, std::size_t n);

// The hash of one entry of `n` bytes; a tag's checksum is the sum of its
// entries' hashes.
inline std::uint64_t mdxEntryHash(const char* p, int n) {
    // Words read little-endian whatever the machine; the last word is the
    // entry's last eight bytes (overlapping the one before it), so that no
    // read has a length known only at run time.
    auto word = [](const char* q) {
        std::uint64_t w = 0;
        std::memcpy(&w, q, 8);
        if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
        return w;
    };
    std::uint64_t h = 0x9E3779B97F4A7C15ull * std::uint64_t(n + 1);
    auto mix = [&h](std::uint64_t w) {
        h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    };
    if (n >= 8) {
        for (int i = 0; i + 8 < n; i += 8)
            mix(word(p + i));
        mix(word(p + n - 8));
    } else {
        std::uint64_t w = 0;
        for (int k = 0; k < n; ++k)
            w |= std::uint64_t(std::uint8_t(p[k])) << (8 * k);
        mix(w);
    }
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 32);
}

// The room a tag of `count` entries is given when its file is written whole:
// a thirty-second more, and at least 32 entries, so that the appends of many
// closings fit in place.
inline std::uint32_t mdxRoomFor(std::uint32_t count) {
    const std::uint64_t room = std::uint64_t(count) + count / 32 + 32;
    return room > 0xFFFFFFFFull ? 0xFFFFFFFFu : std::uint32_t(room);
}

// Checks that entries of `entryLength` bytes (key, then the record number
// big-endian), fed in order a block at a time, are in strictly increasing
// order with record numbers in 1..records, each at most once.
class MdxEntryCheck {
public:
    MdxEntryCheck(int entryLength, std::uint32_t records);
    // False once any entry fed so far breaks the rule.
    bool feed(const char* entries, std::size_t count);

private:
    std::size_t el_;
    std::uint32_t records_;
    std::vector<bool> seen_;
    std::vector<char> last_; // the last entry fed, empty before the first
};

} // namespace engine
