#pragma once
// The external archiver (Debian's arj), started as a process and waited for
// until it ends: the backup's archive and the county office's full data set.

#include <QString>
#include <QStringList>

namespace db {

// True only when the archiver started and ended with exit code 0.
class Archiver {
public:
    explicit Archiver(QString program = QStringLiteral("arj")) : program_(std::move(program)) {}
    const QString& program() const { return program_; }

    // "arj a -e -y ARCHIVE FILES...": the files without their paths.
    bool pack(const QString& archive, const QStringList& files) const;
    // "arj x -y ARCHIVE DIR/": every file of the archive into `dir`.
    bool unpack(const QString& archive, const QString& dir) const;

private:
    bool run(const QStringList& arguments) const;

    QString program_;
};

} // namespace db
