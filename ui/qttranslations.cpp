#include "ui/qttranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

namespace ui {

namespace {

const QString kFile = QStringLiteral("qtbase_hu.qm");

} // namespace

QStringList qtTranslationFolders(const QString& programDir) {
    return {programDir, QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}

QString loadQtTranslations(const QString& programDir) {
    for (const QString& dir : qtTranslationFolders(programDir)) {
        if (dir.isEmpty()) continue;
        const QString path = QDir(dir).filePath(kFile);
        if (!QFileInfo::exists(path)) continue;
        auto* t = new QTranslator(QCoreApplication::instance());
        if (t->load(path) && QCoreApplication::installTranslator(t)) return path;
        delete t;
    }
    return {};
}

} // namespace ui
