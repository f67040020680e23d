// The full import's stage window: the stages it was given, the current one
// said as such and those passed said done, readable without the eye.

#include "exchange/beolvasaswindow.h"

#include <QLabel>
#include <QtTest>

class BeolvasasWindowTest : public QObject {
    Q_OBJECT

private slots:
    void stagesMarkedAsTheyPass() {
        exchange::BeolvasasWindow w({"Kicsomagolás", "Lapok", "Vizitek"});
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
};

QTEST_MAIN(BeolvasasWindowTest)
#include "beolvasaswindow_test.moc"
