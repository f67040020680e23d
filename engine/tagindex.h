#pragma once
// The entries of one index tag, kept sorted in memory: each entry is the key
// followed by the record number in four big-endian bytes, so that memcmp of
// two entries orders by key and then by record number. Entries live in chunks
// of bounded size, so an insertion moves a few kilobytes, not the whole tag.

#include <cstdint>
#include <cstring>
#include <vector>

namespace engine {

class TagIndex {
public:
    struct Pos {
        std::size_t chunk = 0;
        std::size_t item = 0;
        bool operator==(const Pos&) const = default;
    };

    explicit TagIndex(int keyLength = 0);

    int keyLength() const { return keyLen_; }
    int entryLength() const { return entryLen_; }
    std::size_t size() const { return size_; }
    void clear();

    // Replaces the contents with `entries` (count entries of entryLength()
    // bytes each, in any order); sorts them.
    void load(std::vector<char>&& entries);
    // Replaces the contents with entries already in order (as saved).
    void loadSorted(const char* entries, std::size_t count);
    // Adds entries already in order after the last one held (loading a
    // saved tag a block at a time).
    void appendSorted(const char* entries, std::size_t count);
    // Appends every entry in order to `out`.
    void save(std::vector<char>& out) const;
    // Appends the entries of ordinals [from, to) in order to `out`.
    void saveRange(std::size_t from, std::size_t to, std::vector<char>& out) const;

    // The sum (modulo 2^64) of every entry's mdxEntryHash: the tag's checksum
    // in the index file, kept up to date by every insertion and removal.
    std::uint64_t sum() const { return sum_; }

    // What changed since markClean() (when the index file was last written or
    // read): nothing, everything (loaded anew, or too many changes to
    // follow), or the ordinals [from, to) of the entries now held that differ
    // from those at the same ordinals then (to is size() when the count
    // changed: the entries after a change moved).
    struct Changes {
        bool any = false;
        bool all = false;
        std::size_t from = 0, to = 0;
    };
    Changes changes() const;
    void markClean();

    void insert(const char* key, std::uint32_t recno);
    bool erase(const char* key, std::uint32_t recno);

    Pos begin() const { return {0, 0}; }
    Pos end() const { return {chunks_.size(), 0}; }
    bool atEnd(const Pos& p) const { return p.chunk >= chunks_.size(); }
    void next(Pos& p) const;
    // Moves back; returns false (and leaves p) at the first entry.
    bool prev(Pos& p) const;
    Pos lastPos() const;

    // First entry whose first `len` key bytes are >= prefix (len <= keyLength()).
    Pos lowerBound(const char* prefix, int len) const;
    // First entry whose first `len` key bytes are > prefix.
    Pos upperBound(const char* prefix, int len) const;
    // The entry of exactly this key and record, or end().
    Pos find(const char* key, std::uint32_t recno) const;

    const char* keyAt(const Pos& p) const { return entry(p); }
    std::uint32_t recnoAt(const Pos& p) const;

    // Ordinal of a position (0-based) and the position of an ordinal.
    std::size_t ordinal(const Pos& p) const;
    Pos atOrdinal(std::size_t n) const;

private:
    static constexpr std::size_t kChunkEntries = 512;
    const char* entry(const Pos& p) const { return chunks_[p.chunk].data() + p.item * entryLen_; }
    std::size_t chunkCount(std::size_t c) const { return chunks_[c].size() / entryLen_; }
    void makeEntry(const char* key, std::uint32_t recno, char* out) const;
    // Position where `probe` (len bytes compared) would go: first entry with
    // its first len bytes >= probe (strict: > probe).
    Pos bound(const char* probe, int len, bool strict) const;
    void splitIfFull(std::size_t c);
    void fixCounts() const;

    // Notes an insertion or removal at ordinal `at`, after which the last
    // `keptAfter` entries stay the same entries, as far from the end.
    // Entries before `at` do not move either.
    void noteChange(std::size_t at, std::size_t keptAfter);
    static constexpr std::size_t kFollowedChanges = 4096;
    static constexpr std::size_t kNone = ~std::size_t(0);

    int keyLen_;
    int entryLen_;
    std::size_t size_ = 0;
    std::uint64_t sum_ = 0;
    // Since markClean(): the entries before ordinal head_ and the last tail_
    // entries are the ones held then; base_ entries were held.
    bool all_ = true;
    std::size_t head_ = kNone, tail_ = kNone, base_ = 0, followed_ = 0;
    std::vector<std::vector<char>> chunks_;
    mutable std::vector<std::size_t> before_; // entries before each chunk
    mutable bool countsDirty_ = true;
};

} // namespace engine
