// The start-up's upgrade window: made only when an upgrade tells something,
// showing what it does and how far it is, gone when it is over.

#include "app/qtstartupdialogs.h"
#include "ui/progresswindow.h"

#include <QtTest>

class ProgressWindowTest : public QObject {
    Q_OBJECT

private slots:
    void shownOnlyWhileAnUpgradeRuns() {
        app::QtStartupDialogs dialogs;
        dialogs.progress(QString(), 0, 0);
        QVERIFY(!dialogs.progressWindow());

        dialogs.progress(QStringLiteral("A vizitek átalakítása az új szerkezetre…"), 250000,
                         1000000);
        ui::ProgressWindow* w = dialogs.progressWindow();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->text(), QStringLiteral("A vizitek átalakítása az új szerkezetre…"));
        QCOMPARE(w->countText(), QStringLiteral("250 000 / 1 000 000 sor"));
        QVERIFY(w->frameGeometry().width() <= 1366 && w->frameGeometry().height() <= 768);

        dialogs.progress(QStringLiteral("A vizitek indexelése…"), 0, 0);
        QCOMPARE(w->countText(), QString());
        dialogs.progress(QString(), 0, 0);
        QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "progresswindow_test.moc"
