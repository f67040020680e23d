#include "support/testsupport.h"

#include "engine/sysfile.h"

#include <QFile>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() {
    if (!dir_.isValid()) throw std::runtime_error("cannot make a temporary folder");
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QString testData(const QString& name) {
#ifdef SZ_TEST_DATA
    return QString(SZ_TEST_DATA) + "/" + name;
#else
    return name;
#endif
}

namespace {
engine::sys::FileInfo infoOf(const QString& path) {
    engine::sys::FileInfo info;
    const int fd = engine::sys::open(path, engine::sys::ReadOnly);
    if (fd < 0) return info;
    engine::sys::fileInfo(fd, &info);
    engine::sys::close(fd);
    return info;
}
} // namespace

std::uint64_t fileId(const QString& path) {
    return infoOf(path).id;
}

std::int64_t modifiedNs(const QString& path) {
    return infoOf(path).modifiedNs;
}

} // namespace testsupport
