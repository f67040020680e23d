#include "support/testsupport.h"

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

} // namespace testsupport
