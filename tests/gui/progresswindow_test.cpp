// The start-up's upgrade window: made only when an upgrade tells something,
// showing what it does and how far it is, gone when it is over.

#include "app/backupcommands.h"
#include "app/qtstartupdialogs.h"
#include "support/arjcraft.h"
#include "ui/progresswindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
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
        // The upgrade offers nothing to stop.
        QVERIFY(!w->findChild<QPushButton*>(QStringLiteral("megse"))->isVisibleTo(w));
    }

    // The restore's unpacking in the window: its "Mégse" stops an archiver
    // that would not end, within a second, and the window goes.
    void megseStopsTheUnpacking() {
        QTemporaryDir tmp;
        const QString listing = tmp.filePath(QStringLiteral("lista"));
        QFile l(listing);
        QVERIFY(l.open(QIODevice::WriteOnly));
        l.write("Sequence/Pathname/Comment/Chapters\n"
                "Rev/Host OS    Original Compressed Ratio DateTime modified Attributes/GUA BPMGS\n"
                "------------ ---------- ---------- ----- ----------------- -------------- -----\n"
                "001) Lap.dbf\n"
                " 11 UNIX              1          1 1.000 24-01-02 10:00:00 -rw-r--r-- ---   0\n"
                "------------ ---------- ---------- -----\n"
                "     1 files          1          1 1.000\n");
        l.close();
#ifdef Q_OS_WIN
        const QString fake = arjcraft::fakeWindowsArchiver(
            tmp.filePath(QStringLiteral("arj")),
            "if \"%1\"==\"v\" (\ntype \"" + QDir::toNativeSeparators(listing).toUtf8() +
                "\"\nexit /b 0\n)\n:var\nping -n 2 127.0.0.1 >nul\ngoto var");
#else
        const QString fake = arjcraft::fakeArchiver(
            tmp.filePath(QStringLiteral("arj")),
            "if [ \"$1\" = v ]; then cat \"" + listing.toUtf8() + "\"; exit 0; fi\nexec sleep 60");
#endif
        app::ProgressWatch watch(QStringLiteral("Visszatöltés"), nullptr);
        db::Archiver arj(fake);
        arj.setWatch(&watch);
        ui::ProgressWindow& w = watch.window();
        auto* megse = w.findChild<QPushButton*>(QStringLiteral("megse"));
        QVERIFY(megse);
        QElapsedTimer clock;
        qint64 pressed = -1;
        QTimer::singleShot(300, &w, [&] {
            QVERIFY(w.isVisible() && megse->isVisible());
            QCOMPARE(w.text(), QStringLiteral("A(z) Zaras.arj kicsomagolása folyamatban…"));
            QCOMPARE(megse->accessibleName(), QStringLiteral("Mégse"));
            pressed = clock.elapsed();
            QTest::mouseClick(megse, Qt::LeftButton);
        });
        clock.start();
        const QString archive = tmp.filePath(QStringLiteral("Zaras.arj"));
        QVERIFY(arjcraft::write(archive, {{"Lap.dbf", "x"}}));
        const db::ArjResult r =
            arj.unpack(archive, tmp.filePath(QStringLiteral("ki")), {QStringLiteral("Lap.dbf")});
        QCOMPARE(int(r.outcome), int(db::ArjOutcome::Cancelled));
        QVERIFY(pressed > 0);
        QVERIFY(clock.elapsed() - pressed < 1000);
        QVERIFY(!w.isVisible());
        QVERIFY(!QFileInfo::exists(tmp.filePath(QStringLiteral("ki"))));
        QVERIFY(w.frameGeometry().width() <= 1366 && w.frameGeometry().height() <= 768);
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "progresswindow_test.moc"
