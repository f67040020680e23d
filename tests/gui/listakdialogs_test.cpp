// The prompts of the TAJ check lists: Ttajsz (the field emptied and focused,
// Enter as "OK", "CDV hiba!" on leaving with the focus kept) and Ttajido
// (nothing chosen, ID1 enabled only for "Választott időszaktól", a refused
// period keeping the dialog open, wide enough for its caption).

#include "reports/tajidodialog.h"
#include "reports/tajszdialog.h"
#include "support/guisupport.h"
#include "support/testsupport.h"
#include "ui/scriptedmessages.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace reports;

class ListakDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void tajszEmptiesTheFieldAndTakesEnterAsOk() {
        testsupport::BareApp a(QDate(2024, 5, 15));
        TajszDialog d(a.state);
        d.e1()->setText("123456788");
        QVERIFY(testsupport::showAndActivate(d));
        QVERIFY(d.e1()->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), d.e1());
        QCOMPARE(d.windowTitle(), QString("TAJ-szám bekérése"));
        QTest::keyClicks(d.e1(), "123456788");
        testsupport::enter(d.e1());
        QVERIFY(d.isHidden());
        QCOMPARE(d.taj(), std::optional<QString>("123456788"));
        QVERIFY(a.msg.isEmpty());
    }

    void tajszWrongCheckDigitKeepsTheFocus() {
        testsupport::BareApp a(QDate(2024, 5, 15));
        TajszDialog d(a.state);
        QVERIFY(testsupport::showAndActivate(d));
        QTest::keyClicks(d.e1(), "123456789");
        d.okButton()->setFocus();
        QCOMPARE(a.msg.texts(), QStringList{"CDV hiba!"});
        QCOMPARE(QApplication::focusWidget(), d.e1());
        d.e1()->clear();
        testsupport::enter(d.e1());
        QCOMPARE(a.msg.last(), QString("Nincs TAJ-szám megadva!"));
        QVERIFY(!d.taj());
        QVERIFY(d.isHidden()); // closes in every case
    }

    void tajidoEnablesTheFieldOnlyForAChosenPeriod() {
        testsupport::BareApp a(QDate(2024, 5, 15));
        TajidoDialog d(a.state);
        QVERIFY(testsupport::showAndActivate(d));
        QVERIFY(!d.id1()->isEnabled());
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
        QCOMPARE(a.msg.last(), QString("Nincs megadva idoszak!"));
        QVERIFY(d.isVisible());

        QTest::mouseClick(d.choice(Tajido::Valasztas::Valasztott), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, 5));
        QVERIFY(d.id1()->isEnabled());
        QCOMPARE(QApplication::focusWidget(), d.id1());
        QTest::keyClicks(d.id1(), "199812");
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
        QCOMPARE(a.msg.last(), QString("Nem adhat meg 1999.04 hónál kisebb dátumot!"));
        QVERIFY(d.isVisible());

        QTest::mouseClick(d.choice(Tajido::Valasztas::Aktualis), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, 5));
        QVERIFY(!d.id1()->isEnabled());
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
        QVERIFY(d.isHidden());
        QVERIFY(d.span());
        QVERIFY(d.span()->fajta == TajIdoszak::Fajta::Aktualis);
    }

    void tajidoIsWideEnoughForItsCaption() {
        testsupport::BareApp a(QDate(2024, 5, 15));
        TajidoDialog d(a.state);
        QVERIFY(testsupport::showAndActivate(d));
        // The caption in a title bar's bold font, beside an icon and three
        // buttons of 24 pixels at least.
        QFont bold = d.font();
        bold.setBold(true);
        QVERIFY2(d.width() >= QFontMetrics(bold).horizontalAdvance(d.windowTitle()) + 4 * 24,
                 qPrintable(QString::number(d.width())));
    }
};

QTEST_MAIN(ListakDialogsTest)
#include "listakdialogs_test.moc"
