#include "ui/folderbrowser.h"

#include "engine/sysfile.h"
#include "ui/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace ui {

namespace {

QString cleanDir(const QString& dir) {
    return QDir::cleanPath(QDir(dir).absolutePath());
}

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kNameCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kNameCase = Qt::CaseSensitive;
#endif

// Is `dir` the folder `root` or inside it? A root ending in "/" ("/",
// "C:/") holds every folder that starts with it.
bool inside(const QString& dir, const QString& root) {
    if (root.endsWith(QLatin1Char('/')))
        return dir.startsWith(root, kNameCase) ||
               dir.compare(root.chopped(1), kNameCase) == 0;
    return dir.compare(root, kNameCase) == 0 || dir.startsWith(root + QLatin1Char('/'), kNameCase);
}

} // namespace

FolderBrowser::FolderBrowser(Messages& msg, const QString& startDir, const QStringList& drives)
    : msg_(msg), drives_(drives.isEmpty() ? systemDrives() : drives) {
    for (QString& d : drives_)
        d = cleanDir(d);
    if (startDir.isEmpty() || !setDirectory(startDir)) dir_ = cleanDir(QDir::currentPath());
}

QStringList FolderBrowser::systemDrives() {
#ifdef Q_OS_WIN
    // Every drive letter: a floppy or card reader without a disk is listed
    // too, and refused when chosen ("A meghajtó nem kész").
    QStringList letters;
    for (const QFileInfo& d : QDir::drives())
        letters << d.filePath();
    if (!letters.isEmpty()) return letters;
#endif
    QStringList out{QDir::rootPath()};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        const QString root = cleanDir(v.rootPath());
        if (!root.isEmpty() && !out.contains(root)) out << root;
    }
    std::sort(out.begin(), out.end());
    return out;
}

QString FolderBrowser::driveOf(const QString& dir, const QStringList& drives) {
    QString best;
    for (const QString& root : drives)
        if (inside(dir, root) && root.size() > best.size()) best = root;
    return best;
}

QString FolderBrowser::drive() const {
    const QString best = driveOf(dir_, drives_);
    return best.isEmpty() ? QDir::rootPath() : best;
}

QStringList FolderBrowser::entries() const {
    QStringList out;
    if (!QDir(dir_).isRoot()) out << QStringLiteral("..");
    QDir d(dir_);
    out << d.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    return out;
}

bool FolderBrowser::enterable(const QString& dir) {
    // A drive without its disk answers "not ready" here, not with a box of
    // the system's own that would stop the chooser until clicked away.
    const engine::sys::QuietMissingDisk quiet;
    const QFileInfo fi(dir);
    return fi.isDir() && fi.isExecutable() && QDir(dir).isReadable();
}

bool FolderBrowser::setDrive(const QString& root) {
    const QString r = cleanDir(root);
    if (!enterable(r)) {
        msg_.warning(QStringLiteral("Hiba: A meghajtó nem kész"));
        return false;
    }
    dir_ = r;
    return true;
}

bool FolderBrowser::enter(const QString& entry) {
    if (entry == QLatin1String("..")) {
        QDir d(dir_);
        if (!d.cdUp()) return false;
        return setDirectory(d.absolutePath());
    }
    if (entry.isEmpty() || entry.contains(QLatin1Char('/'))) return false;
#ifdef Q_OS_WIN
    if (entry.contains(QLatin1Char('\\')) || entry.contains(QLatin1Char(':'))) return false;
#endif
    return setDirectory(QDir(dir_).filePath(entry));
}

bool FolderBrowser::setDirectory(const QString& dir) {
    const QString d = cleanDir(dir);
    if (!enterable(d)) return false;
    dir_ = d;
    return true;
}

QPoint FolderBrowser::position(const QString& mode, const QRect& screen, const QRect& anchor) {
    if (mode == QLatin1String("S")) return screen.topLeft() + QPoint(25, 50);
    if (!anchor.isNull()) {
        const int middle = anchor.x() + anchor.width() / 2;
        const int below = anchor.y() + anchor.height();
        if (mode == QLatin1String("V")) return {middle, below};
        if (mode == QLatin1String("K")) return {middle + 20, below};
    }
    return screen.topLeft();
}

} // namespace ui
