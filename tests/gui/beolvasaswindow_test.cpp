// The full import's stage window: the stages it was given, the current one
// said as such and those passed said done, readable without the eye.

#include "exchange/beolvasaswindow.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class BeolvasasWindowTest : public QObject {
    Q_OBJECT

private slots:
    void stagesMarkedAsTheyPass() {
        exch::BeolvasasWindow w({"Kicsomagolás", "Lapok", "Vizitek"});
        w.show();
        w.stage("Lapok");
        const QList<QLabel*> labels = w.findChildren<QLabel*>();
        QCOMPARE(labels.size(), 3);
        QCOMPARE(labels[0]->accessibleName(), QStringLiteral("Kicsomagolás"));
        QCOMPARE(labels[0]->accessibleDescription(), QStringLiteral("kész"));
        QCOMPARE(labels[1]->accessibleDescription(), QStringLiteral("folyamatban"));
        QCOMPARE(labels[2]->accessibleDescription(), QString());
        QCOMPARE(w.current(), QStringLiteral("Lapok"));
        QVERIFY(w.frameGeometry().width() <= 1366 && w.frameGeometry().height() <= 768);
    }

    // "Mégse" can be pressed while the archive is unpacked, and only then.
    void megseWhileUnpacking() {
        exch::BeolvasasWindow w({"Kicsomagolás", "Lapok"});
        w.show();
        auto* megse = w.findChild<QPushButton*>(QStringLiteral("megse"));
        QVERIFY(megse);
        QCOMPARE(megse->accessibleName(), QStringLiteral("Mégse"));
        QVERIFY(!megse->isEnabled());
        QVERIFY(!w.stopRequested());
        w.begin(QStringLiteral("Telj1890.arj"));
        QVERIFY(megse->isEnabled());
        QVERIFY(!w.stopRequested());
        QTest::mouseClick(megse, Qt::LeftButton);
        QVERIFY(w.stopRequested());
        w.end();
        QVERIFY(!megse->isEnabled());
        w.begin(QStringLiteral("Telj1890.arj"));
        QVERIFY(!w.stopRequested());
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.stopRequested());
        QVERIFY(w.isVisible());
    }
};

QTEST_MAIN(BeolvasasWindowTest)
#include "beolvasaswindow_test.moc"
