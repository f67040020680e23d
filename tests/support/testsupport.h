#pragma once
// Helpers shared by the tests: temporary folders and file bytes.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>

namespace testsupport {

// A fresh temporary folder, removed when the object goes.
class TempDir {
public:
    TempDir();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);
// The path of a file under tests/data.
QString testData(const QString& name);
// A file's identity (another file put in its place has another one) and its
// last modification in ns since 1970; 0 when it cannot be read.
std::uint64_t fileId(const QString& path);
std::int64_t modifiedNs(const QString& path);

} // namespace testsupport
