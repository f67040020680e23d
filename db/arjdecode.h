#pragma once
// The decoders of ARJ's packing methods 1-4 (db/arjformat.h): packed bytes
// in from a device, original bytes out through a sink, never more than the
// declared size. Internal to the format's reader.

#include "db/arjformat.h"

namespace db::arjformat {

// Where unpacked bytes go (in pieces of at most 64 KiB); false stops.
using Sink = std::function<bool(const char* data, qsizetype size)>;

// Reads `packed` bytes of `in` from where it stands and unpacks exactly
// `size` bytes into `sink` with method 1-3 (`fastest` false) or 4.
// BadData when the bits do not make exactly that many bytes within the
// packed ones; Truncated when `in` ends early; WriteFailed when the sink
// refuses; Stopped when `stop` says so.
Fault decode(QIODevice& in, quint64 packed, quint64 size, bool fastest, const Sink& sink,
             const Stop& stop);

} // namespace db::arjformat

namespace db::arjformat {

// `data` packed with method 4 (the fastest): LZ77 over the last 15 872
// bytes with the method's fixed prefix codes. Empty when `stop` says so.
std::optional<QByteArray> encodeFastest(const QByteArray& data, const Stop& stop);

} // namespace db::arjformat
