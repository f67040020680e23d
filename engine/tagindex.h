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
    // Appends every entry in order to `out`.
    void save(std::vector<char>& out) const;

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

    int keyLen_;
    int entryLen_;
    std::size_t size_ = 0;
    std::vector<std::vector<char>> chunks_;
    mutable std::vector<std::size_t> before_; // entries before each chunk
    mutable bool countsDirty_ = true;
};

} // namespace engine
