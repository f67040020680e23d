#pragma once
// Helpers shared by the tests: temporary folders and file bytes.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

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

} // namespace testsupport
