#pragma once
// The index file format (.mdx) beside a table, as the engine writes it:
//
//   magic "SZMDX02\n", a "being changed" word, the directory's length, the
//   table's record count, size and modification time when written, the
//   default active tag, and per tag its name, expression, key length, entry
//   count, where its entries lie and their checksum; then a checksum of the
//   directory; then each tag's sorted entries.
//
// The directory is read when the table opens; a tag's entries only when the
// tag is first used, so opening a big table costs the same as a small one.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace engine {

inline constexpr char kMdxMagic[8] = {'S', 'Z', 'M', 'D', 'X', '0', '2', '\n'};
inline constexpr int kMdxDirtyOffset = 8;
inline constexpr std::uint32_t kMdxMaxDirectory = 1u << 20;

struct MdxTagEntry {
    QString name, expression;
    std::uint32_t keyLength = 0, count = 0;
    std::uint64_t offset = 0, sum = 0;
};

struct MdxDirectory {
    std::uint32_t dirty = 0;
    std::uint32_t length = 0; // of the directory, its checksum included
    std::uint32_t recordCount = 0;
    std::uint64_t dbfSize = 0;
    std::int64_t dbfTime = 0; // modification time of the table, nanoseconds
    QString defaultTag;
    std::vector<MdxTagEntry> tags;
    bool whole = true; // every tag's entries lie in the file, which ends there
};

// Parses the directory from the first bytes of an index file of `fileSize`
// bytes; false when the file is not ours or its directory cannot be read (cut
// short, a checksum that does not match). out.whole says whether every tag's
// entries are in the file too; a file that is not whole is rebuilt.
bool parseMdxDirectory(const QByteArray& head, std::uint64_t fileSize, MdxDirectory& out);
QByteArray buildMdxDirectory(const MdxDirectory& dir);

// A checksum of index file contents, so that a damaged index is noticed.
std::uint64_t mdxChecksum(const char* p, std::size_t n);

// Checks that `count` entries of `entryLength` bytes (key, then the record
// number big-endian) are in strictly increasing order with record numbers in
// 1..records, each at most once.
bool mdxEntriesSound(const char* entries, std::size_t count, int entryLength,
                     std::uint32_t records);

} // namespace engine
