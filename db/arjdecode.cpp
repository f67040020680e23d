#include "db/arjdecode.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace db::arjformat {

namespace {

// The farthest a match of methods 1-3 reaches back (method 4 reaches less).
constexpr quint32 kDictionary = 26624;
// The window: the dictionary, what is not yet handed on, and a match.
constexpr quint64 kRing = 1 << 16;
constexpr quint64 kRingMask = kRing - 1;
// Unpacked bytes are handed on (and `stop` asked) at this many.
constexpr quint64 kFlushAt = 1 << 15;

// The packed bits, most significant first. Past the packed bytes it gives
// zero bits (a decoder looks ahead), but counts what is taken, so that a
// decoder that takes more than there is is found out.
class BitReader {
public:
    BitReader(QIODevice& in, quint64 packed)
        : in_(in), left_(packed), total_(packed * 8), buf_(1 << 16) {}

    quint32 peek(int n) {
        if (nbits_ < n) refill();
        return quint32(acc_ >> (nbits_ - n)) & ((1u << n) - 1);
    }
    void skip(int n) {
        nbits_ -= n;
        used_ += quint64(n);
    }
    quint32 bits(int n) {
        if (n == 0) return 0;
        const quint32 v = peek(n);
        skip(n);
        return v;
    }
    // More bits taken than packed, or the device failed.
    bool bad() const { return used_ > total_ || failed_; }
    bool failed() const { return failed_; }

private:
    void refill() {
        while (nbits_ <= 56) {
            acc_ = (acc_ << 8) | nextByte();
            nbits_ += 8;
        }
    }
    quint8 nextByte() {
        if (at_ == have_) {
            if (left_ == 0) return 0;
            const qint64 want = qint64(std::min<quint64>(left_, buf_.size()));
            const qint64 got = in_.read(buf_.data(), want);
            if (got <= 0) {
                failed_ = true;
                left_ = 0;
                return 0;
            }
            left_ -= quint64(got);
            have_ = got;
            at_ = 0;
        }
        return quint8(buf_[size_t(at_++)]);
    }

    QIODevice& in_;
    quint64 left_;
    quint64 total_;
    quint64 used_ = 0;
    quint64 acc_ = 0;
    int nbits_ = 0;
    std::vector<char> buf_;
    qint64 have_ = 0, at_ = 0;
    bool failed_ = false;
};

// The unpacked bytes: a ring holding the dictionary, handed on in pieces.
class Output {
public:
    Output(quint64 size, const Sink& sink, const Stop& stop)
        : size_(size), sink_(sink), stop_(stop), ring_(kRing) {}

    bool done() const { return produced_ == size_; }

    Fault literal(quint8 b) {
        if (produced_ == size_) return Fault::BadData;
        ring_[produced_ & kRingMask] = char(b);
        ++produced_;
        return produced_ - flushed_ >= kFlushAt ? flush() : Fault::None;
    }

    // `length` bytes from `distance` back (the copy may overlap itself).
    Fault match(quint32 distance, quint32 length) {
        if (distance == 0 || distance > kDictionary || distance > produced_ ||
            length > size_ - produced_)
            return Fault::BadData;
        for (quint32 i = 0; i < length; ++i, ++produced_)
            ring_[produced_ & kRingMask] = ring_[(produced_ - distance) & kRingMask];
        return produced_ - flushed_ >= kFlushAt ? flush() : Fault::None;
    }

    Fault flush() {
        while (flushed_ < produced_) {
            const quint64 start = flushed_ & kRingMask;
            const quint64 n = std::min(produced_ - flushed_, kRing - start);
            if (!sink_(ring_.data() + start, qsizetype(n))) return Fault::WriteFailed;
            flushed_ += n;
        }
        return stop_ && stop_() ? Fault::Stopped : Fault::None;
    }

private:
    quint64 size_;
    const Sink& sink_;
    const Stop& stop_;
    std::vector<char> ring_;
    quint64 produced_ = 0, flushed_ = 0;
};

// A canonical prefix code (shorter codes first, within a length in the
// order of the symbols), or a single symbol that takes no bits.
class Code {
public:
    // False unless the lengths (0-16) make a complete prefix code.
    bool build(const quint8* lengths, int n) {
        std::fill(std::begin(count_), std::end(count_), quint16(0));
        for (int s = 0; s < n; ++s) {
            if (lengths[s] > 16) return false;
            ++count_[lengths[s]];
        }
        count_[0] = 0;
        qint64 left = 1;
        for (int len = 1; len <= 16; ++len) {
            left = left * 2 - count_[len];
            if (left < 0) return false;
        }
        if (left != 0) return false;
        quint32 code = 0;
        quint16 index = 0;
        for (int len = 1; len <= 16; ++len) {
            first_[len] = code;
            index_[len] = index;
            index = quint16(index + count_[len]);
            code = (code + count_[len]) << 1;
        }
        quint16 next[17];
        std::copy(std::begin(index_), std::end(index_), std::begin(next));
        for (int s = 0; s < n; ++s)
            if (lengths[s]) sorted_[next[lengths[s]]++] = quint16(s);
        std::fill(std::begin(fast_), std::end(fast_), quint16(0));
        for (int len = 1; len <= kFast; ++len) {
            for (quint32 k = 0; k < count_[len]; ++k) {
                const quint32 from = (first_[len] + k) << (kFast - len);
                const quint16 entry = quint16((len << 10) | sorted_[index_[len] + k]);
                std::fill(fast_ + from, fast_ + from + (1u << (kFast - len)), entry);
            }
        }
        single_ = -1;
        return true;
    }
    void single(int symbol) { single_ = symbol; }

    // The next symbol; -1 when the bits make none.
    int read(BitReader& in) const {
        if (single_ >= 0) return single_;
        const quint32 bits = in.peek(16);
        const quint16 e = fast_[bits >> (16 - kFast)];
        if (e) {
            in.skip(e >> 10);
            return e & 1023;
        }
        for (int len = kFast + 1; len <= 16; ++len) {
            const quint32 k = (bits >> (16 - len)) - first_[len];
            if (k < count_[len]) {
                in.skip(len);
                return sorted_[index_[len] + k];
            }
        }
        return -1;
    }

private:
    static constexpr int kFast = 10;
    int single_ = -1;
    quint16 count_[17] = {};
    quint32 first_[17] = {};
    quint16 index_[17] = {};
    quint16 sorted_[512] = {};
    quint16 fast_[1 << kFast] = {};
};

// Methods 1-3: blocks, each with its three codes.
constexpr int kLiterals = 510; // 256 bytes and 254 match lengths (3-256)
constexpr int kLengthCodes = 19;
constexpr int kDistanceCodes = 17;

// The lengths of a small code (the code of the literal code's lengths, or
// the distance code), `nbits` wide counts; after the `zerosAt`th length a
// two-bit count of zero lengths follows.
bool readSmallCode(BitReader& in, Code& code, int nn, int nbits, int zerosAt) {
    const int n = int(in.bits(nbits));
    if (n == 0) {
        const int s = int(in.bits(nbits));
        if (s >= nn) return false;
        code.single(s);
        return true;
    }
    if (n > nn) return false;
    quint8 len[kLengthCodes] = {};
    int i = 0;
    while (i < n) {
        int c = int(in.bits(3));
        if (c == 7) {
            while (in.bits(1))
                if (++c > 16) return false;
        }
        len[i++] = quint8(c);
        if (i == zerosAt) {
            i += int(in.bits(2));
            if (i > nn) return false;
        }
    }
    return code.build(len, nn);
}

// The literal code's lengths, read with the length code; 0-2 are runs of
// zero lengths.
bool readLiteralCode(BitReader& in, const Code& lengths, Code& code) {
    const int n = int(in.bits(9));
    if (n == 0) {
        const int s = int(in.bits(9));
        if (s >= kLiterals) return false;
        code.single(s);
        return true;
    }
    if (n > kLiterals) return false;
    quint8 len[kLiterals] = {};
    int i = 0;
    while (i < n) {
        const int t = lengths.read(in);
        if (t < 0) return false;
        if (t <= 2) {
            const int run = t == 0 ? 1 : t == 1 ? int(in.bits(4)) + 3 : int(in.bits(9)) + 20;
            if (i + run > kLiterals) return false;
            i += run;
        } else {
            len[i++] = quint8(t - 2);
        }
    }
    return code.build(len, kLiterals);
}

struct Codes {
    Code lengths, literals, distances;
};

Fault decodeBlocks(BitReader& in, Output& out, const Stop& stop) {
    const auto codes = std::make_unique<Codes>();
    quint32 left = 0;
    quint32 blocks = 0;
    while (!out.done()) {
        if (in.bad()) return Fault::BadData;
        if (left == 0) {
            left = in.bits(16);
            if (left == 0) left = 1 << 16;
            if (!readSmallCode(in, codes->lengths, kLengthCodes, 5, 3) ||
                !readLiteralCode(in, codes->lengths, codes->literals) ||
                !readSmallCode(in, codes->distances, kDistanceCodes, 5, -1))
                return Fault::BadData;
            if (++blocks % 64 == 0 && stop && stop()) return Fault::Stopped;
        }
        --left;
        const int c = codes->literals.read(in);
        if (c < 0) return Fault::BadData;
        Fault f;
        if (c < 256) {
            f = out.literal(quint8(c));
        } else {
            const int p = codes->distances.read(in);
            if (p < 0) return Fault::BadData;
            const quint32 back = p == 0 ? 0 : (1u << (p - 1)) + in.bits(p - 1);
            f = out.match(back + 1, quint32(c - 253));
        }
        if (f != Fault::None) return f;
    }
    return Fault::None;
}

// Method 4: a count in unary ("1" bits up to `to` - `from`, then a "0"
// unless at the most) chooses how many bits follow.
quint32 prefixed(BitReader& in, int from, int to) {
    quint32 plus = 0;
    int width = from;
    for (; width < to; ++width) {
        if (!in.bits(1)) break;
        plus += 1u << width;
    }
    return plus + in.bits(width);
}

Fault decodeFastest(BitReader& in, Output& out) {
    while (!out.done()) {
        if (in.bad()) return Fault::BadData;
        const quint32 c = prefixed(in, 0, 7);
        const Fault f = c == 0 ? out.literal(quint8(in.bits(8)))
                               : out.match(prefixed(in, 9, 13) + 1, c + 2);
        if (f != Fault::None) return f;
    }
    return Fault::None;
}

} // namespace

Fault decode(QIODevice& in, quint64 packed, quint64 size, bool fastest, const Sink& sink,
             const Stop& stop) {
    BitReader bits(in, packed);
    Output out(size, sink, stop);
    Fault f = fastest ? decodeFastest(bits, out) : decodeBlocks(bits, out, stop);
    if (bits.failed()) return Fault::Truncated;
    if (f == Fault::None && bits.bad()) f = Fault::BadData;
    if (f == Fault::None) f = out.flush();
    return f;
}

} // namespace db::arjformat
