#include "engine/tagindex.h"

#include "engine/mdxfile.h"

#include <algorithm>
#include <array>

namespace engine {

TagIndex::TagIndex(int keyLength) : keyLen_(keyLength), entryLen_(keyLength + 4) {}

void TagIndex::clear() {
    chunks_.clear();
    size_ = 0;
    sum_ = 0;
    all_ = true;
    countsDirty_ = true;
}

void TagIndex::markClean() {
    all_ = false;
    head_ = tail_ = kNone;
    base_ = size_;
    followed_ = 0;
}

void TagIndex::noteChange(std::size_t at, std::size_t keptAfter) {
    if (all_) return;
    if (++followed_ > kFollowedChanges) {
        all_ = true; // a bulk change: the whole tag is written
        return;
    }
    head_ = std::min(head_, at);
    tail_ = std::min(tail_, keptAfter);
}

TagIndex::Changes TagIndex::changes() const {
    Changes c;
    if (all_) {
        c.any = c.all = true;
        c.to = size_;
        return c;
    }
    if (head_ == kNone) return c;
    c.from = std::min(head_, size_);
    if (size_ != base_)
        c.to = size_;
    else
        c.to = std::max(c.from, tail_ >= size_ ? c.from : size_ - tail_);
    c.any = c.to > c.from;
    return c;
}

void TagIndex::saveRange(std::size_t from, std::size_t to, std::vector<char>& out) const {
    to = std::min(to, size_);
    if (from >= to) return;
    out.reserve(out.size() + (to - from) * std::size_t(entryLen_));
    Pos p = atOrdinal(from);
    std::size_t left = to - from;
    while (left > 0 && !atEnd(p)) {
        const auto& c = chunks_[p.chunk];
        const std::size_t n = std::min(left, chunkCount(p.chunk) - p.item);
        const char* b = c.data() + p.item * std::size_t(entryLen_);
        out.insert(out.end(), b, b + n * std::size_t(entryLen_));
        left -= n;
        p = {p.chunk + 1, 0};
    }
}

void TagIndex::makeEntry(const char* key, std::uint32_t recno, char* out) const {
    memcpy(out, key, size_t(keyLen_));
    out[keyLen_] = char(recno >> 24);
    out[keyLen_ + 1] = char(recno >> 16);
    out[keyLen_ + 2] = char(recno >> 8);
    out[keyLen_ + 3] = char(recno);
}

std::uint32_t TagIndex::recnoAt(const Pos& p) const {
    const auto* u = reinterpret_cast<const unsigned char*>(entry(p) + keyLen_);
    return std::uint32_t(u[0]) << 24 | std::uint32_t(u[1]) << 16 | std::uint32_t(u[2]) << 8 | u[3];
}

void TagIndex::loadSorted(const char* entries, std::size_t count) {
    clear();
    appendSorted(entries, count);
}

void TagIndex::appendSorted(const char* entries, std::size_t count) {
    // Chunks filled to three quarters: room for insertions without a split.
    const std::size_t per = kChunkEntries * 3 / 4;
    const std::size_t el = std::size_t(entryLen_);
    for (std::size_t i = 0; i < count; ++i)
        sum_ += mdxEntryHash(entries + i * el, entryLen_);
    for (std::size_t i = 0; i < count;) {
        if (chunks_.empty() || chunks_.back().size() >= per * el) {
            chunks_.emplace_back();
            chunks_.back().reserve(kChunkEntries * el);
        }
        std::vector<char>& c = chunks_.back();
        const std::size_t n = std::min(per - c.size() / el, count - i);
        c.insert(c.end(), entries + i * el, entries + (i + n) * el);
        i += n;
    }
    size_ += count;
    countsDirty_ = true;
}

namespace {

// Sorts entries of `len` bytes by their bytes (memcmp order), most
// significant byte first: the entries of [a, a + n*len) are spread by their
// byte at `depth` into the same span of `t`, and each group is sorted
// further there. The sorted entries end in `a` when inA, else in `t`.
class EntryRadix {
public:
    explicit EntryRadix(int len)
        : len_(std::size_t(len)), hold_(len_), counts_(len_ + 1), starts_(len_ + 1) {}

    void sort(char* a, char* t, std::size_t n, std::size_t depth, bool inA) {
        for (;;) {
            if (n < kSmall || depth >= len_) {
                if (depth < len_) insertionSort(a, n, depth);
                if (!inA) memcpy(t, a, n * len_);
                return;
            }
            // Records appended in key order (by period, say) leave groups
            // already in order: those are not spread again.
            if (inOrder(a, n, depth)) {
                if (!inA) memcpy(t, a, n * len_);
                return;
            }
            // The counts of a depth live outside the stack: a key of a
            // hundred bytes nests a hundred calls.
            auto& count = counts_[depth];
            count.fill(0);
            for (std::size_t i = 0; i < n; ++i)
                ++count[std::uint8_t(a[i * len_ + depth])];
            if (count[std::uint8_t(a[depth])] == n) {
                ++depth; // one value here: nothing to spread
                continue;
            }
            auto& at = starts_[depth];
            std::size_t sum = 0;
            for (int b = 0; b < 256; ++b) {
                at[b] = sum;
                sum += count[b];
            }
            for (std::size_t i = 0; i < n; ++i) {
                const char* e = a + i * len_;
                memcpy(t + at[std::uint8_t(e[depth])]++ * len_, e, len_);
            }
            // Each group now in t: sorted further with a as the spare, so
            // that it ends where this call's result belongs.
            std::size_t from = 0;
            for (int b = 0; b < 256; ++b) {
                const std::size_t c = count[b];
                if (c == 0) continue;
                sort(t + from * len_, a + from * len_, c, depth + 1, !inA);
                from += c;
            }
            return;
        }
    }

private:
    static constexpr std::size_t kSmall = 32;

    bool inOrder(const char* a, std::size_t n, std::size_t depth) const {
        const std::size_t cmp = len_ - depth;
        for (std::size_t i = 1; i < n; ++i)
            if (memcmp(a + (i - 1) * len_ + depth, a + i * len_ + depth, cmp) > 0) return false;
        return true;
    }

    void insertionSort(char* a, std::size_t n, std::size_t depth) {
        const std::size_t cmp = len_ - depth;
        for (std::size_t i = 1; i < n; ++i) {
            char* e = a + i * len_;
            if (memcmp(e - len_ + depth, e + depth, cmp) <= 0) continue;
            memcpy(hold_.data(), e, len_);
            std::size_t j = i;
            while (j > 0 && memcmp(a + (j - 1) * len_ + depth, hold_.data() + depth, cmp) > 0) {
                memcpy(a + j * len_, a + (j - 1) * len_, len_);
                --j;
            }
            memcpy(a + j * len_, hold_.data(), len_);
        }
    }

    std::size_t len_;
    std::vector<char> hold_;
    std::vector<std::array<std::size_t, 256>> counts_, starts_;
};

} // namespace

void TagIndex::load(std::vector<char>&& entries) {
    const std::size_t count = entries.size() / entryLen_;
    const int len = entryLen_;
    bool sorted = true;
    for (std::size_t i = 1; i < count && sorted; ++i)
        sorted = memcmp(&entries[(i - 1) * len], &entries[i * len], size_t(len)) <= 0;
    if (!sorted) {
        // Every entry ends in its record number, so the byte order is total
        // and a radix sort gives the same order as any comparison sort.
        std::vector<char> spare(count * std::size_t(len));
        EntryRadix(len).sort(entries.data(), spare.data(), count, 0, true);
    }
    loadSorted(entries.data(), count);
}

void TagIndex::save(std::vector<char>& out) const {
    out.reserve(out.size() + size_ * std::size_t(entryLen_));
    for (const auto& c : chunks_)
        out.insert(out.end(), c.begin(), c.end());
}

TagIndex::Pos TagIndex::bound(const char* probe, int len, bool strict) const {
    // Find the first chunk whose last entry is not below the probe.
    auto below = [&](const char* e) {
        const int r = memcmp(e, probe, size_t(len));
        return strict ? r <= 0 : r < 0;
    };
    std::size_t lo = 0, hi = chunks_.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const auto& c = chunks_[mid];
        if (below(c.data() + c.size() - entryLen_))
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == chunks_.size()) return end();
    const auto& c = chunks_[lo];
    std::size_t a = 0, b = chunkCount(lo);
    while (a < b) {
        const std::size_t mid = (a + b) / 2;
        if (below(c.data() + mid * entryLen_))
            a = mid + 1;
        else
            b = mid;
    }
    return {lo, a};
}

TagIndex::Pos TagIndex::lowerBound(const char* prefix, int len) const {
    return bound(prefix, len, false);
}

TagIndex::Pos TagIndex::upperBound(const char* prefix, int len) const {
    return bound(prefix, len, true);
}

TagIndex::Pos TagIndex::find(const char* key, std::uint32_t recno) const {
    std::vector<char> e(static_cast<size_t>(entryLen_));
    makeEntry(key, recno, e.data());
    Pos p = bound(e.data(), entryLen_, false);
    if (atEnd(p) || memcmp(entry(p), e.data(), size_t(entryLen_)) != 0) return end();
    return p;
}

void TagIndex::next(Pos& p) const {
    if (atEnd(p)) return;
    if (++p.item >= chunkCount(p.chunk)) {
        ++p.chunk;
        p.item = 0;
    }
}

bool TagIndex::prev(Pos& p) const {
    if (p.item > 0) {
        --p.item;
        return true;
    }
    if (p.chunk == 0) return false;
    --p.chunk;
    p.item = chunkCount(p.chunk) - 1;
    return true;
}

TagIndex::Pos TagIndex::lastPos() const {
    if (chunks_.empty()) return end();
    return {chunks_.size() - 1, chunkCount(chunks_.size() - 1) - 1};
}

void TagIndex::splitIfFull(std::size_t c) {
    if (chunkCount(c) < kChunkEntries) return;
    const std::size_t half = chunkCount(c) / 2;
    std::vector<char> upper(chunks_[c].begin() + half * entryLen_, chunks_[c].end());
    chunks_[c].resize(half * entryLen_);
    upper.reserve(kChunkEntries * entryLen_);
    chunks_.insert(chunks_.begin() + std::ptrdiff_t(c) + 1, std::move(upper));
}

void TagIndex::insert(const char* key, std::uint32_t recno) {
    std::vector<char> e(static_cast<size_t>(entryLen_));
    makeEntry(key, recno, e.data());
    sum_ += mdxEntryHash(e.data(), entryLen_);
    if (chunks_.empty()) {
        noteChange(0, 0);
        countsDirty_ = true;
        ++size_;
        chunks_.emplace_back(e.begin(), e.end());
        chunks_.back().reserve(kChunkEntries * entryLen_);
        return;
    }
    Pos p = bound(e.data(), entryLen_, false);
    if (!all_) {
        const std::size_t at = ordinal(p);
        noteChange(at, size_ - at);
    }
    countsDirty_ = true;
    ++size_;
    if (atEnd(p)) p = {chunks_.size() - 1, chunkCount(chunks_.size() - 1)};
    auto& c = chunks_[p.chunk];
    c.insert(c.begin() + std::ptrdiff_t(p.item * entryLen_), e.begin(), e.end());
    splitIfFull(p.chunk);
}

bool TagIndex::erase(const char* key, std::uint32_t recno) {
    Pos p = find(key, recno);
    if (atEnd(p)) return false;
    if (!all_) {
        const std::size_t at = ordinal(p);
        noteChange(at, size_ - 1 - at);
    }
    sum_ -= mdxEntryHash(entry(p), entryLen_);
    auto& c = chunks_[p.chunk];
    c.erase(c.begin() + std::ptrdiff_t(p.item * entryLen_),
            c.begin() + std::ptrdiff_t((p.item + 1) * entryLen_));
    if (c.empty()) chunks_.erase(chunks_.begin() + std::ptrdiff_t(p.chunk));
    --size_;
    countsDirty_ = true;
    return true;
}

void TagIndex::fixCounts() const {
    if (!countsDirty_) return;
    before_.resize(chunks_.size());
    std::size_t n = 0;
    for (std::size_t i = 0; i < chunks_.size(); ++i) {
        before_[i] = n;
        n += chunkCount(i);
    }
    countsDirty_ = false;
}

std::size_t TagIndex::ordinal(const Pos& p) const {
    if (atEnd(p)) return size_;
    fixCounts();
    return before_[p.chunk] + p.item;
}

TagIndex::Pos TagIndex::atOrdinal(std::size_t n) const {
    if (n >= size_) return end();
    fixCounts();
    auto it = std::upper_bound(before_.begin(), before_.end(), n);
    const std::size_t c = std::size_t(it - before_.begin()) - 1;
    return {c, n - before_[c]};
}

} // namespace engine
