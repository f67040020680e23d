#pragma once
// Qt's own texts in Hungarian: the print preview's toolbar, the print and
// file dialogs, the standard buttons of message boxes. The translation file
// qtbase_hu.qm (Debian's qt6-translations-l10n) is installed beside the
// program; where it is not, Qt's own translations folder is tried.

#include <QString>

namespace ui {

// The folders looked in, in order: the program's folder, then Qt's
// translations folder.
QStringList qtTranslationFolders(const QString& programDir);

// Installs Qt's Hungarian texts for the whole application (which must
// exist); returns the file taken, or empty when none was found.
QString loadQtTranslations(const QString& programDir);

} // namespace ui
