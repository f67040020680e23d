#pragma once
// What the fuzz targets of the county office's readers share: the input cut
// into the files an import reads (at the separator "SZFUZZ|"), each written
// into a folder in memory where there is one.

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace fuzzfiles {

inline const QByteArray& separator() {
    static const QByteArray s("SZFUZZ|");
    return s;
}

// The input's parts, always `n` of them (missing ones empty).
inline QList<QByteArray> parts(const std::uint8_t* data, std::size_t size, int n) {
    const QByteArray all =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QByteArray> out;
    qsizetype at = 0;
    for (int i = 0; i < n; ++i) {
        const qsizetype end = i + 1 < n ? all.indexOf(separator(), at) : -1;
        if (end < 0) {
            out << QByteArray(all.constData() + at, all.size() - at);
            at = all.size();
            while (out.size() < n)
                out << QByteArray();
            break;
        }
        out << QByteArray(all.constData() + at, end - at);
        at = end + separator().size();
    }
    return out;
}

// A file of this process's own in memory (or /tmp), holding `bytes`.
inline QString write(const QString& name, const QByteArray& bytes) {
    static const QString dir = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                   ? QStringLiteral("/dev/shm")
                                   : QStringLiteral("/tmp");
    const QString path = QStringLiteral("%1/szfuzz-%2-%3").arg(dir).arg(::getpid()).arg(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
    return path;
}

// With SZ_FUZZ_VERBOSE set, what became of an input (to see how deep a seed
// or a found input reaches).
inline void tell(const QString& what) {
    static const bool verbose = std::getenv("SZ_FUZZ_VERBOSE") != nullptr;
    if (verbose) std::fprintf(stderr, "%s\n", what.toUtf8().constData());
}

} // namespace fuzzfiles
