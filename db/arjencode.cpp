#include "db/arjdecode.h"

#include <algorithm>
#include <vector>

namespace db::arjformat {

namespace {

// How far back a match of method 4 may reach, and how long it may be.
constexpr qsizetype kReach = 15872;
constexpr int kLongest = 256;
// The matcher: a hash of three bytes, chains through the last 32 KiB.
constexpr int kHashBits = 15;
constexpr qsizetype kChain = 1 << 15;
constexpr int kDepth = 64;

class BitWriter {
public:
    void put(quint32 v, int n) {
        for (int i = n - 1; i >= 0; --i) {
            acc_ = quint8((acc_ << 1) | ((v >> i) & 1));
            if (++nbits_ == 8) {
                out_.append(char(acc_));
                acc_ = 0;
                nbits_ = 0;
            }
        }
    }
    QByteArray done() {
        if (nbits_) put(0, 8 - nbits_);
        return out_;
    }

private:
    QByteArray out_;
    quint8 acc_ = 0;
    int nbits_ = 0;
};

int log2of(quint32 v) {
    int w = 0;
    while (v >> (w + 1))
        ++w;
    return w;
}

// `v` as the decoder reads it (arjdecode.cpp, prefixed()): as many "1" bits
// as the width above `from`, a "0" unless the width is `to`, then the
// width's bits.
void putPrefixed(BitWriter& out, quint32 v, int from, int to) {
    const int width = log2of(v + (1u << from));
    for (int k = from; k < width; ++k)
        out.put(1, 1);
    if (width < to) out.put(0, 1);
    out.put(v - ((1u << width) - (1u << from)), width);
}

} // namespace

std::optional<QByteArray> encodeFastest(const QByteArray& data, const Stop& stop) {
    const qsizetype n = data.size();
    const auto* d = reinterpret_cast<const quint8*>(data.constData());
    std::vector<qint64> head(size_t(1) << kHashBits, -1), prev(kChain, -1);
    const auto hashAt = [&](qsizetype i) {
        return ((d[i] << 10) ^ (d[i + 1] << 5) ^ d[i + 2]) & ((1 << kHashBits) - 1);
    };
    const auto insert = [&](qsizetype i) {
        if (i + 2 >= n) return;
        const int h = hashAt(i);
        prev[size_t(i & (kChain - 1))] = head[size_t(h)];
        head[size_t(h)] = i;
    };
    BitWriter out;
    qsizetype nextAsk = 1 << 16;
    for (qsizetype i = 0; i < n;) {
        if (i >= nextAsk) {
            if (stop && stop()) return std::nullopt;
            nextAsk = i + (1 << 16);
        }
        int best = 0;
        qsizetype bestAt = 0;
        if (i + 2 < n) {
            const int most = int(std::min<qsizetype>(kLongest, n - i));
            qint64 c = head[size_t(hashAt(i))];
            for (int depth = 0; c >= 0 && i - c <= kReach && depth < kDepth; ++depth) {
                int len = 0;
                while (len < most && d[c + len] == d[i + len])
                    ++len;
                if (len > best) {
                    best = len;
                    bestAt = c;
                    if (len == most) break;
                }
                c = prev[size_t(c & (kChain - 1))];
            }
        }
        if (best >= 3) {
            putPrefixed(out, quint32(best - 2), 0, 7);
            putPrefixed(out, quint32(i - bestAt - 1), 9, 13);
            for (int k = 0; k < best; ++k)
                insert(i + k);
            i += best;
        } else {
            out.put(0, 1);
            out.put(d[i], 8);
            insert(i);
            ++i;
        }
    }
    return out.done();
}

} // namespace db::arjformat
