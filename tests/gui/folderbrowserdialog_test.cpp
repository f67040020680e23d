// The folder chooser TAlapkeres and the restore-source dialog Tviszv: the
// drive and directory lists, the drive that is not ready, the result of each
// button, the places the modes give, and the source the restore gets.

#include "db/restoresourcedialog.h"
#include "support/guisupport.h"
#include "support/testsupport.h"
#include "ui/folderbrowserdialog.h"
#include "ui/scriptedmessages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

struct OneFolder : ui::FolderAsker {
    ui::FolderChoice answer;
    QStringList asked;
    ui::FolderChoice chooseFolder(const QString& caption, const QString& mode) override {
        asked << caption + "|" + mode;
        return answer;
    }
};

QStringList items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// The top of the file system that holds `dir`: "/", or on Windows its
// drive ("C:/").
QString topOf(const QString& dir) {
    QDir d(dir);
    while (d.cdUp()) {
    }
    return d.absolutePath();
}

// A drive that cannot be entered: a volume that is not mounted, or on
// Windows a drive letter that no drive has.
QString absentDrive() {
#ifdef Q_OS_WIN
    for (char c = 'Y'; c > 'D'; --c) {
        const QString r = QString(QLatin1Char(c)) + QStringLiteral(":/");
        if (!QFileInfo::exists(r)) return r;
    }
#endif
    return QStringLiteral("/media/nincs-lemez");
}

QPoint screenTopLeft(const QWidget* w) {
    QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s->geometry().topLeft();
}

} // namespace

using testsupport::whenModal;

class FolderBrowserDialogTest : public QObject {
    Q_OBJECT

private:
    testsupport::TempDir tmp;
    QString root; // tmp with sub-folders b, A, c and a file
    QString top;  // the top of root's file system
    QString absent;

private slots:
    void initTestCase() {
        root = QDir(tmp.path()).canonicalPath();
        top = topOf(root);
        absent = absentDrive();
        for (const char* d : {"b", "A", "c", "A/belso"})
            QVERIFY(QDir().mkpath(root + "/" + d));
        testsupport::writeAll(root + "/fajl.dbf", "x");
    }

    void browserListsAndEntersFolders() {
        ui::ScriptedMessages msg;
        ui::FolderBrowser b(msg, root, {top, root});
        QCOMPARE(b.directory(), root);
        QCOMPARE(b.entries(), (QStringList{"..", "A", "b", "c"}));
        QCOMPARE(b.drive(), root);
        QVERIFY(!b.chosen());

        QVERIFY(b.enter("A"));
        QCOMPARE(b.directory(), root + "/A");
        QCOMPARE(b.entries(), (QStringList{"..", "belso"}));
        QVERIFY(!b.enter("nincs"));
        QVERIFY(!b.enter("../b"));
        QCOMPARE(b.directory(), root + "/A");
        QVERIFY(b.enter(".."));
        QVERIFY(b.enter(".."));
        QCOMPARE(b.directory(), QFileInfo(root).absolutePath());
        QCOMPARE(b.drive(), top);

        QVERIFY(b.setDrive(top));
        QCOMPARE(b.directory(), top);
        QVERIFY(!b.entries().contains(".."));
        QVERIFY(b.setDrive(root));
        QCOMPARE(b.drive(), root);

        b.accept();
        QCOMPARE(b.result().chosen, true);
        QCOMPARE(b.result().dir, root);
        b.cancel();
        QVERIFY(!b.result().chosen);
        QVERIFY(msg.isEmpty());

        // A start folder that does not exist: the current directory.
        ui::FolderBrowser c(msg, root + "/nincs", {top});
        QCOMPARE(c.directory(), QDir::current().absolutePath());
        QVERIFY(ui::FolderBrowser::systemDrives().contains(top));
    }

    void aDriveThatIsNotReadyKeepsThePreviousOne() {
        ui::ScriptedMessages msg;
        ui::FolderBrowser b(msg, root + "/A", {top, root, absent});
        QVERIFY(!b.setDrive(absent));
        QCOMPARE(msg.log(), (std::vector<std::string>{"warning: Hiba: A meghajtó nem kész"}));
        QCOMPARE(b.directory(), root + "/A");
        QCOMPARE(b.drive(), root);
    }

    void positionsByMode() {
        const QRect screen(0, 0, 1280, 1024);
        const QRect anchor(100, 200, 301, 150);
        using B = ui::FolderBrowser;
        QCOMPARE(B::position("S", screen), QPoint(25, 50));
        QCOMPARE(B::position("S", QRect(1280, 0, 800, 600)), QPoint(1305, 50));
        QCOMPARE(B::position("V", screen, anchor), QPoint(250, 350));
        QCOMPARE(B::position("K", screen, anchor), QPoint(270, 350));
        QCOMPARE(B::position("V", screen), QPoint(0, 0));
        QCOMPARE(B::position("", screen, anchor), QPoint(0, 0));
    }

    void theWindow() {
        ui::ScriptedMessages msg;
        ui::FolderBrowserDialog w(msg, "Küldés helye", "S", nullptr, nullptr, root,
                                  {top, root, absent});
        QCOMPARE(w.objectName(), QStringLiteral("TAlapkeres"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Küldés helye"));
        QCOMPARE(w.toolTip(), QStringLiteral("Az útvonal kiválasztása"));
        QCOMPARE(w.DriveCB->toolTip(), QStringLiteral("A meghajtó kiválasztása"));
        QCOMPARE(w.DirLB->toolTip(), QStringLiteral("A könyvtár kiválasztása"));
        QCOMPARE(w.Igen->text(), QStringLiteral("&OK"));
        QCOMPARE(w.Igen->toolTip(), QStringLiteral("Az útvonal elmentése"));
        QVERIFY(w.Igen->isDefault());
        QCOMPARE(w.Nem->text(), QStringLiteral("&Mégsem"));
        QCOMPARE(w.Nem->toolTip(), QStringLiteral("Vissza az alapbeállításra"));
        QCOMPARE(w.DriveCB->currentText(), root);
        QCOMPARE(items(w.DirLB), (QStringList{"..", "A", "b", "c"}));

        w.show();
        QCOMPARE(w.pos(), screenTopLeft(&w) + QPoint(25, 50));

        // Double-click goes into a folder, ".." back up.
        emit w.DirLB->itemDoubleClicked(w.DirLB->item(1));
        QCOMPARE(w.DirLabel->text(), root + "/A");
        QCOMPARE(items(w.DirLB), (QStringList{"..", "belso"}));
        emit w.DirLB->itemDoubleClicked(w.DirLB->item(0));
        QCOMPARE(w.DirLabel->text(), root);

        // The drive that is not ready: the warning, the list back on the folder's drive.
        const int bad = w.DriveCB->findText(absent);
        w.DriveCB->setCurrentIndex(bad);
        emit w.DriveCB->activated(bad);
        QCOMPARE(msg.log(), (std::vector<std::string>{"warning: Hiba: A meghajtó nem kész"}));
        QCOMPARE(w.DriveCB->currentText(), root);
        QCOMPARE(w.DirLabel->text(), root);

        // Another drive: the list follows.
        const int topIndex = w.DriveCB->findText(top);
        w.DriveCB->setCurrentIndex(topIndex);
        emit w.DriveCB->activated(topIndex);
        QCOMPARE(w.DirLabel->text(), top);
        QVERIFY(!items(w.DirLB).contains(".."));

        QTest::mouseClick(w.Igen, Qt::LeftButton);
        QCOMPARE(w.result().chosen, true);
        QCOMPARE(w.result().dir, top);
    }

    // By keyboard: Down Down to a folder and Enter goes into it (the window
    // stays), Backspace back up, Alt+O takes the folder shown, which the
    // window names; the list is named for a screen reader.
    void byKeyboard() {
        ui::ScriptedMessages msg;
        ui::FolderBrowserDialog w(msg, "Másolás helyének kiválasztása", "S", nullptr, nullptr, root,
                                  {top, root});
        QVERIFY(testsupport::showAndActivate(w));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.DirLB));
        QCOMPARE(w.DirLB->accessibleName(), QStringLiteral("Könyvtárak"));
        QCOMPARE(w.DirLabel->text(), root);
        QTest::keyClick(w.DirLB, Qt::Key_Down);
        QTest::keyClick(w.DirLB, Qt::Key_Down);
        QCOMPARE(w.DirLB->currentItem()->text(), QStringLiteral("b"));
        QTest::keyClick(w.DirLB, Qt::Key_Return);
        QVERIFY(w.isVisible());
        QVERIFY(!w.result().chosen);
        QCOMPARE(w.DirLabel->text(), root + "/b");
        QTest::keyClick(w.DirLB, Qt::Key_Backspace);
        QCOMPARE(w.DirLabel->text(), root);
        QTest::keyClick(w.DirLB, Qt::Key_Down);
        QTest::keyClick(w.DirLB, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(w.DirLabel->text(), root + "/A");
        QVERIFY(w.isVisible());
        QTest::keyClick(w.DirLB, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(!w.isVisible()); // a mnemonic clicks as the mouse would, a moment later
        QVERIFY(w.result().chosen);
        QCOMPARE(w.result().dir, root + "/A");
    }

    void escapeAndTheDefaultCaption() {
        ui::ScriptedMessages msg;
        ui::FolderBrowserDialog w(msg, QString(), "X", nullptr, nullptr, root);
        QCOMPARE(w.windowTitle(), QStringLiteral("Mentés helyének kiválasztása"));
        w.show();
        QCOMPARE(w.pos(), screenTopLeft(&w));
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QVERIFY(!w.result().chosen);
        QCOMPARE(w.result().dir, root);
    }

    void chooseFolderRunsModally() {
        ui::ScriptedMessages msg;
        whenModal<ui::FolderBrowserDialog>([](ui::FolderBrowserDialog* w) {
            emit w->DirLB->itemDoubleClicked(w->DirLB->item(3)); // "c"
            w->Igen->click();
        });
        const ui::FolderChoice c = ui::chooseFolder(msg, nullptr, "Mentés", "S", nullptr, root);
        QVERIFY(c.chosen);
        QCOMPARE(c.dir, root + "/c");

        whenModal<ui::FolderBrowserDialog>([](ui::FolderBrowserDialog* w) { w->Nem->click(); });
        const ui::FolderChoice n = ui::chooseFolder(msg, nullptr, "Mentés", "S", nullptr, root);
        QVERIFY(!n.chosen);
        QVERIFY(msg.isEmpty());
    }

    void restoreSourceDialog() {
        ui::ScriptedMessages msg;
        OneFolder folders;
        db::RestoreSourceDialog d(root + "/MENT", msg);
        d.setFolderAsker(&folders);
        QCOMPARE(d.objectName(), QStringLiteral("Tviszv"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Visszatöltés"));
        QCOMPARE(d.RG1->title(), QStringLiteral("Válassza ki a visszatöltés helyét!"));
        QCOMPARE(d.Ment->text(), QStringLiteral("MENT könyvtár"));
        QCOMPARE(d.Valasztott->text(), QStringLiteral("Választott útvonal"));
        QCOMPARE(d.B1->text(), QStringLiteral("OK"));

        d.show();
        QCOMPARE(d.pos(), screenTopLeft(&d) + QPoint(25, 50));
        QVERIFY(!d.Ment->isChecked() && !d.Valasztott->isChecked());
        d.B1->click();
        QCOMPARE(msg.log(),
                 (std::vector<std::string>{"error: Nincs kiválasztva a visszatöltés helye!"}));
        QVERIFY(d.source().dir.isEmpty());
        QCOMPARE(d.result(), int(QDialog::Rejected));

        d.show();
        d.Ment->setChecked(true);
        d.B1->click();
        QCOMPARE(d.source().dir, root + "/MENT/");
        QVERIFY(d.source().fromMent);

        // Shown again: no choice left over.
        d.show();
        QVERIFY(!d.Ment->isChecked());
        QVERIFY(d.source().dir.isEmpty());
        d.Valasztott->setChecked(true);
        folders.answer = {true, root + "/A"};
        d.B1->click();
        QCOMPARE(folders.asked, QStringList{"Visszatöltés helyének kiválsztása|V"});
        QCOMPARE(d.source().dir, root + "/A/");
        QVERIFY(!d.source().fromMent);
        QCOMPARE(msg.count(), 1);
    }

    void theChooserOpensUnderTheRestoreSourceDialog() {
        ui::ScriptedMessages msg;
        const QString oldCwd = QDir::currentPath();
        QDir::setCurrent(root + "/b");
        db::QtRestoreSourceAsker asker(root + "/MENT", msg, nullptr);
        QPoint chooserPos, expected;
        whenModal<db::RestoreSourceDialog>([&](db::RestoreSourceDialog* d) {
            d->Valasztott->setChecked(true);
            whenModal<ui::FolderBrowserDialog>([&, d](ui::FolderBrowserDialog* w) {
                const QRect f = d->frameGeometry();
                expected = QPoint(f.x() + f.width() / 2, f.y() + f.height());
                chooserPos = w->pos();
                QCOMPARE(w->windowTitle(), QStringLiteral("Visszatöltés helyének kiválsztása"));
                w->Igen->click();
            });
            d->B1->click();
        });
        const db::RestoreSource s = asker.askRestoreSource();
        QDir::setCurrent(oldCwd);
        QCOMPARE(chooserPos, expected);
        QCOMPARE(s.dir, root + "/b/");
        QVERIFY(!s.fromMent);

        // "&Mégsem" in the chooser gives no source.
        whenModal<db::RestoreSourceDialog>([&](db::RestoreSourceDialog* d) {
            d->Valasztott->setChecked(true);
            whenModal<ui::FolderBrowserDialog>([](ui::FolderBrowserDialog* w) { w->Nem->click(); });
            d->B1->click();
        });
        QVERIFY(asker.askRestoreSource().dir.isEmpty());
        QVERIFY(msg.isEmpty());
    }
};

QTEST_MAIN(FolderBrowserDialogTest)
#include "folderbrowserdialog_test.moc"
