// Qt's own windows speak Hungarian once the program has loaded Qt's
// translation: the print preview's caption and toolbar, the standard buttons.
// The file beside the program comes first.

#include "ui/qttranslations.h"
#include "support/testsupport.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QLibraryInfo>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QToolBar>
#include <QtTest>

class QtTranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void theFoldersInOrder() {
        QCOMPARE(ui::qtTranslationFolders("/opt/szakapolas"),
                 (QStringList{"/opt/szakapolas", QLibraryInfo::path(QLibraryInfo::TranslationsPath)}));
    }

    void qtsDialogsInHungarian() {
        // The program's folder holds the file (as the build and scripts/run
        // put it there).
        // Qt for Windows comes without its translations: the build puts
        // Debian's file beside the test program, as scripts/windows puts it
        // beside the program.
        testsupport::TempDir dir;
#ifdef Q_OS_WIN
        const QString system =
            QCoreApplication::applicationDirPath() + QStringLiteral("/qtbase_hu.qm");
#else
        const QString system =
            QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_hu.qm");
#endif
        QVERIFY2(QFile::copy(system, dir.file("qtbase_hu.qm")),
                 "qtbase_hu.qm missing: package qt6-translations-l10n");
        QCOMPARE(ui::loadQtTranslations(dir.path()), dir.file("qtbase_hu.qm"));

        QPrintPreviewDialog preview;
        QCOMPARE(preview.windowTitle(), QStringLiteral("Nyomtatási kép"));
        QStringList actions;
        for (QAction* a : preview.findChild<QToolBar*>()->actions())
            actions << a->text();
        QVERIFY2(actions.contains(QStringLiteral("Nyomtatás")), qPrintable(actions.join("|")));
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Mégse"));
    }
};

QTEST_MAIN(QtTranslationsTest)
#include "qttranslations_test.moc"
