#include "db/arj.h"

#include <QCoreApplication>
#include <QProcess>

namespace db {

bool Archiver::pack(const QString& archive, const QStringList& files) const {
    return run(
        QStringList{QStringLiteral("a"), QStringLiteral("-e"), QStringLiteral("-y"), archive} +
        files);
}

bool Archiver::unpack(const QString& archive, const QString& dir) const {
    const QString d = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    return run({QStringLiteral("x"), QStringLiteral("-y"), archive, d});
}

bool Archiver::run(const QStringList& arguments) const {
    QProcess p;
    p.setProgram(program_);
    p.setArguments(arguments);
    // The archiver runs unattended: no keyboard, its report goes nowhere.
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start();
    if (!p.waitForStarted(-1)) return false;
    // Wait for its end, keeping the windows painted meanwhile.
    while (!p.waitForFinished(100)) {
        if (p.state() == QProcess::NotRunning) break;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace db
