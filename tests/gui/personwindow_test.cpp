// The nurses' and doctors' windows and the pickers of this family on screen
// (offscreen), on a started program: adding through the fields with Enter,
// the TAJ check sending the focus back, a refused duplicate keeping the panel
// open, Esc, and the pickers' Enter and Esc with what they return.

#include "masters/bcsopdialog.h"
#include "masters/bnoviewerwindow.h"
#include "masters/browsepanel.h"
#include "masters/personwindow.h"
#include "masters/recordpickwindow.h"
#include "masters/valaszdialog.h"
#include "support/guisupport.h"
#include "support/startedapp.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

using Log = std::vector<std::string>;

using testsupport::child;
using testsupport::enter;
using testsupport::showAndActivate;
using testsupport::whenModal;

class PersonWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::StartedApp> app;

private slots:
    void init() { app = std::make_unique<testsupport::StartedApp>(); }
    void cleanup() { app.reset(); }

    void nurseAddedThroughTheFields() {
        core::AppState& st = app->state;
        masters::PersonWindow w(st, masters::apolConfig());
        QVERIFY(showAndActivate(w));
        QCOMPARE(w.objectName(), QStringLiteral("TApolfel"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Szakápolók megjelenítése"));
        auto* Panel1 = child<QFrame>(w, "Panel1");
        QVERIFY(!Panel1->isVisible());
        const int collapsed = w.height();

        QTest::mouseClick(child<QPushButton>(w, "uj"), Qt::LeftButton);
        QVERIFY(Panel1->isVisible());
        QTRY_VERIFY(w.height() > collapsed);
        QVERIFY(!w.panel()->grid()->isEnabled());
        for (const char* b : {"kilep", "uj", "modos", "torol"})
            QVERIFY2(!child<QPushButton>(w, b)->isEnabled(), b);
        auto* Etaj = child<QLineEdit>(w, "Etaj");
        auto* Enev = child<QLineEdit>(w, "Enev");
        QCOMPARE(QApplication::focusWidget(), Etaj);
        QCOMPARE(Etaj->maxLength(), 9);

        // A wrong check digit: the warning, and the focus comes back.
        QTest::keyClicks(Etaj, "123456789");
        enter(Etaj);
        QCOMPARE(app->msg.log(), Log{"warning: Nem létező TAJ szám!"});
        QCOMPARE(QApplication::focusWidget(), Etaj);
        app->msg.clear();

        const QString taj = demo::tajWithCheckDigit("30000001");
        Etaj->clear();
        QTest::keyClicks(Etaj, taj);
        enter(Etaj);
        QCOMPARE(QApplication::focusWidget(), Enev);
        QTest::keyClicks(Enev, QStringLiteral("Fekete Ágnes"));
        app->msg.answer(true);
        enter(Enev);
        QCOMPARE(app->msg.log(), Log{"confirm: Elmenti az ápoló adatait ?"});
        QVERIFY(!Panel1->isVisible());
        QVERIFY(w.panel()->grid()->isEnabled());
        QCOMPARE(QApplication::focusWidget(), w.panel()->grid());
        QVERIFY(st.tables.apol.locate("APTAJ", taj));
        QCOMPARE(st.tables.apol.text("ANEV"), QStringLiteral("Fekete Ágnes"));
        QCOMPARE(w.panel()->grid()->model()->rowCount(), 1);
    }

    void doctorDuplicateKeepsThePanelAndEscClosesStepByStep() {
        core::AppState& st = app->state;
        st.tables.orvos.append();
        st.tables.orvos.setValue("ORVOSKOD", "12345");
        st.tables.orvos.setValue("ONEV", QStringLiteral("Dr. Kiss"));
        st.tables.orvos.post();

        masters::PersonWindow w(st, masters::orvosConfig());
        QVERIFY(showAndActivate(w));
        QCOMPARE(w.objectName(), QStringLiteral("TOrvosfel"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Orvosok megjelenítése"));
        auto* Panel1 = child<QFrame>(w, "Panel1");
        auto* OP = child<QLineEdit>(w, "OP");
        auto* Onev = child<QLineEdit>(w, "Onev");
        QCOMPARE(OP->maxLength(), 5);

        QTest::mouseClick(child<QPushButton>(w, "uj"), Qt::LeftButton);
        QTest::keyClicks(OP, "12345");
        enter(OP);
        QTest::keyClicks(Onev, QStringLiteral("Dr. Nagy"));
        app->msg.answer(true);
        QTest::mouseClick(child<QPushButton>(w, "BB1"), Qt::LeftButton);
        QCOMPARE(app->msg.log(), (Log{"confirm: Elmenti az orvos adatait ?",
                                      "warning: Ilyen orvos már létezik !"}));
        QVERIFY(Panel1->isVisible());
        QCOMPARE(QApplication::focusWidget(), OP);
        QCOMPARE(st.tables.orvos.recordCount(), 1u);

        // Esc: first "Mégse", then "Kilépés".
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!Panel1->isVisible());
        QVERIFY(w.isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!w.isVisible());

        // Modifying: the code is read-only, the name has the focus.
        masters::PersonWindow w2(st, masters::orvosConfig());
        QVERIFY(showAndActivate(w2));
        st.tables.orvos.first();
        QTest::mouseClick(child<QPushButton>(w2, "modos"), Qt::LeftButton);
        auto* OP2 = child<QLineEdit>(w2, "OP");
        QVERIFY(OP2->isReadOnly());
        QCOMPARE(OP2->text(), QStringLiteral("12345"));
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(w2, "Onev"));
    }

    // A stamp number takes digits only; a name pasted with control
    // characters is stored without them, one with a character the tables
    // cannot store is refused with a message before anything is asked.
    void doctorFieldsHoldWhatTheirColumnsHold() {
        core::AppState& st = app->state;
        masters::PersonWindow w(st, masters::orvosConfig());
        QVERIFY(showAndActivate(w));
        auto* OP = child<QLineEdit>(w, "OP");
        auto* Onev = child<QLineEdit>(w, "Onev");
        QCOMPARE(Onev->maxLength(), 25);
        QTest::mouseClick(child<QPushButton>(w, "uj"), Qt::LeftButton);
        QTest::keyClicks(OP, "-1234");
        QCOMPARE(OP->text(), QStringLiteral("1234"));
        QCOMPARE(app->msg.log(), Log{"error: A(z) „Az orvos pecsétszáma” mezőbe csak számjegyek "
                                     "írhatók, előjel nélkül!"});
        app->msg.clear();
        QTest::keyClicks(OP, "5");
        enter(OP);
        QCOMPARE(QApplication::focusWidget(), Onev);

        Onev->setText(QString::fromUtf8("Dr. Nagy ☺"));
        QTest::mouseClick(child<QPushButton>(w, "BB1"), Qt::LeftButton);
        QCOMPARE(app->msg.log(), Log{"error: A(z) „Az orvos neve” mezőbe nem írható a(z) „☺” "
                                     "karakter, mert az adatállomány nem tudja tárolni!"});
        QCOMPARE(st.tables.orvos.recordCount(), 0u);
        app->msg.clear();

        Onev->clear();
        QGuiApplication::clipboard()->setText(QString::fromUtf8("Dr.\x1a Nagy\tBéla\r\n"));
        QTest::keyClick(Onev, Qt::Key_V, Qt::ControlModifier);
        app->msg.answer(true);
        enter(Onev);
        QCOMPARE(app->msg.log(), Log{"confirm: Elmenti az orvos adatait ?"});
        QVERIFY(st.tables.orvos.locate("ORVOSKOD", "12345"));
        QCOMPARE(st.tables.orvos.text("ONEV"), QStringLiteral("Dr. Nagy Béla"));
    }

    void pickersReturnTheirChoice() {
        core::AppState& st = app->state;
        QWidget mainWindow;
        auto* sheet = new QDialog(&mainWindow);
        sheet->resize(600, 400);
        sheet->show();

        // Settlement picker: Enter chooses; shown again and left with Esc it
        // still gives that settlement.
        st.tables.telep.setActiveTag("Tel1");
        st.tables.telep.first();
        st.tables.telep.next();
        whenModal<QDialog>([](QDialog* d) {
            QCOMPARE(d->objectName(), QStringLiteral("Ttelepval"));
            QCOMPARE(d->windowTitle(), QStringLiteral("Település választása"));
            auto* grid = d->findChild<QTableView*>("DBGTelep");
            QVERIFY(grid);
            grid->setFocus();
            enter(grid);
        });
        const auto first = masters::pickTelepules(st, sheet, "B");
        QVERIFY(first.has_value());
        // Entering the panel ordered the list by code from its first record.
        st.tables.telep.first();
        QCOMPARE(first->first, st.tables.telep.text("KOZIGKOD"));
        QCOMPARE(first->second, st.tables.telep.text("HELYNEV"));

        whenModal<QDialog>([](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
        const auto again = masters::pickTelepules(st, sheet, "");
        QVERIFY(again.has_value());
        QCOMPARE(*again, *first);
        // One picker for the program's run.
        QCOMPARE(mainWindow.findChildren<masters::RecordPickWindow*>().size(), 1);

        // Nurse picker with an empty register: Esc gives nothing.
        whenModal<QDialog>([](QDialog* d) {
            QCOMPARE(d->objectName(), QStringLiteral("TApolf"));
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QVERIFY(!masters::pickApol(st, sheet).has_value());

        // The list picker: the third activity.
        st.id = core::Idoszak(2024, 5);
        whenModal<QDialog>([](QDialog* d) {
            QCOMPARE(d->objectName(), QStringLiteral("Tvalasz"));
            auto* LB = d->findChild<QListWidget*>("LB");
            QCOMPARE(LB->count(), 13);
            LB->setCurrentRow(2);
            enter(LB);
        });
        QCOMPARE(masters::pickValasz(st, sheet, "T"), QStringLiteral("3a"));
        whenModal<QDialog>([](QDialog* d) {
            auto* LB = d->findChild<QListWidget*>("LB");
            QCOMPARE(LB->count(), 4);
            QTest::mouseClick(d->findChild<QPushButton*>("BB1"), Qt::LeftButton);
        });
        QCOMPARE(masters::pickValasz(st, sheet, "E"), QString());

        // The disease groups: OK without a choice stays; then item 14.
        whenModal<QDialog>([this](QDialog* d) {
            auto* CB1 = d->findChild<QComboBox*>("CB1");
            QCOMPARE(CB1->count(), 21);
            QCOMPARE(CB1->currentIndex(), -1);
            enter(CB1);
            QCOMPARE(app->msg.log(), Log{"information: A BNO főcsoportot ki kell választani!"});
            QVERIFY(d->isVisible());
            CB1->setCurrentIndex(13);
            QCOMPARE(CB1->toolTip(), QStringLiteral("Daganatok (C00-D48)"));
            QTest::mouseClick(d->findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
        });
        const auto group = masters::pickBcsop(st, sheet);
        QVERIFY(group.has_value());
        QCOMPARE(group->lowest, QStringLiteral("C0000"));
        QCOMPARE(group->highest, QStringLiteral("D4899"));
    }

    void bnoViewerAndPicker() {
        core::AppState& st = app->state;
        QWidget mainWindow;
        masters::BnoViewerWindow v(st, &mainWindow);
        QVERIFY(showAndActivate(v));
        QCOMPARE(v.objectName(), QStringLiteral("Tbnonez"));
        QCOMPARE(v.windowTitle(), QStringLiteral("BNO törzs megnézése"));
        QVERIFY(v.panel()->grid()->model()->rowCount() > 1000);
        QTest::keyClick(v.panel()->grid(), Qt::Key_Escape);
        QVERIFY(!v.isVisible());

        // The BNO picker: typing "I10" finds the first code beginning with
        // it; Enter chooses; shown again and left with Esc nothing is chosen.
        auto* sheet = new QDialog(&mainWindow);
        sheet->show();
        whenModal<QDialog>([](QDialog* d) {
            QCOMPARE(d->objectName(), QStringLiteral("Tbnoval"));
            QCOMPARE(d->windowTitle(), QStringLiteral("BNO kódok keresése"));
            auto* grid = d->findChild<QTableView*>("DBGbno");
            grid->setFocus();
            QTest::keyClicks(grid, "I10");
            enter(grid);
        });
        const auto code = masters::pickBno(st, sheet);
        QVERIFY(code.has_value());
        QVERIFY(code->first.startsWith("I10"));
        whenModal<QDialog>([](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
        QVERIFY(!masters::pickBno(st, sheet).has_value());
    }
};

QTEST_MAIN(PersonWindowTest)
#include "personwindow_test.moc"
