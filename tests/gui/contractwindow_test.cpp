// The contract data view and the remainders window on screen (offscreen), on
// a started program: the list and the group follow the chosen contract, a
// panel shows that contract's workers when it is entered, closing leaves no
// filter; a remainder refused and then saved through its fields.

#include "masters/browsepanel.h"
#include "masters/contractwindow.h"
#include "masters/remainderswindow.h"
#include "support/guisupport.h"
#include "support/startedapp.h"

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <memory>

using Log = std::vector<std::string>;
using Panel = masters::Contract::Panel;

using testsupport::child;
using testsupport::showAndActivate;

class ContractWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::StartedApp> app;

private slots:
    void init() { app = std::make_unique<testsupport::StartedApp>(); }
    void cleanup() { app.reset(); }

    void contractListGroupAndPanels() {
        core::AppState& st = app->state;
        masters::ContractWindow w(st);
        QCOMPARE(w.windowTitle(), demo::providerCode() + " " + demo::providerName() +
                                      QStringLiteral(" szerződéses adatai"));
        QVERIFY(showAndActivate(w));
        QTableView* grid = w.contractGrid();
        QCOMPARE(grid->model()->columnCount(), 19);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Szerz.kezdete"));
        QCOMPARE(grid->model()->headerData(18, Qt::Horizontal).toString(),
                 QStringLiteral("Össz.dolgozó"));
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(grid->currentIndex().row(), 1); // the last contract
        QCOMPARE(w.contractField("SZKEZD")->text(), QStringLiteral("2024.01.01"));
        QCOMPARE(w.contractField("SZVEG")->text(), QStringLiteral("2024.12.31"));
        // Read by a screen reader: the grid by its name, the fields as values
        // that cannot be edited.
        QCOMPARE(grid->accessibleName(), QStringLiteral("Szerződések"));
        QAccessibleInterface* field =
            QAccessible::queryAccessibleInterface(w.contractField("SZVEG"));
        QVERIFY(field);
        QVERIFY(field->state().readOnly);
        QVERIFY(!field->state().editable);
        QCOMPARE(field->text(QAccessible::Value), QStringLiteral("2024.12.31"));
        QVERIFY(field->textInterface());
        QCOMPARE(field->textInterface()->text(0, 4), QStringLiteral("2024"));
        QCOMPARE(st.tables.szolgsz.filter(), w.logic().lastFilter());
        // A TAJ number from the numeric field keeps its leading zeros; the
        // areas open on their first record.
        QCOMPARE(w.panel(Panel::Dolg)->fieldEdit("TAJ")->text().size(), 9);
        const QString area = w.panel(Panel::Terul)->fieldEdit("HELYNEV")->text();
        st.tables.terul.first();
        QCOMPARE(area, st.tables.terul.text("HELYNEV"));

        // The previous contract chosen in the list; the group follows at once,
        // the workers' panel when it is entered.
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(w.contractField("SZKEZD")->text(), QStringLiteral("2023.01.01"));
        QCOMPARE(st.tables.szerz.text("SZKEZD"), QStringLiteral("2023.01.01"));
        QVERIFY(st.tables.szolgsz.filter().contains("2024.01.01"));
        QLineEdit* kezd = w.panel(Panel::Dolg)->fieldEdit("KEZD");
        QTest::mouseClick(kezd, Qt::LeftButton);
        QCOMPARE(st.tables.szolgsz.filter(),
                 QStringLiteral("kezd<='2023.01.01' and (veg >='2023.12.31' or veg=null)"));
        QVERIFY(kezd->text() <= QStringLiteral("2023.01.01"));
        QCOMPARE(w.panel(Panel::Dolg)->fieldEdit("NEV")->text(), st.tables.szolgsz.text("NEV"));
        QVERIFY(st.tables.thely.filter().contains("2024.01.01")); // not entered

        QTest::mouseClick(child<QPushButton>(w, "kilep"), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        for (engine::Table* t :
             {&st.tables.szolgsz, &st.tables.szerz, &st.tables.thely, &st.tables.terul})
            QVERIFY2(!t->filtered(), qPrintable(t->name()));
    }

    void remainderThroughTheFields() {
        core::AppState& st = app->state;
        masters::RemaindersWindow w(st);
        w.logic().open();
        QVERIFY(showAndActivate(w));
        QCOMPARE(w.objectName(), QStringLiteral("Tmaradfel"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Maradvány megjelenítése"));
        QCOMPARE(w.panel()->grid()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Időszak"));
        auto* Panel1 = child<QFrame>(w, "Panel1");
        QVERIFY(!Panel1->isVisible());

        QTest::mouseClick(child<QPushButton>(w, "uj"), Qt::LeftButton);
        auto* mido = child<QLineEdit>(w, "mido");
        auto* mft = child<QLineEdit>(w, "mft");
        QVERIFY(Panel1->isVisible());
        QVERIFY(mido->isReadOnly());
        QCOMPARE(mido->text(), QStringLiteral("2024.05"));
        QCOMPARE(QApplication::focusWidget(), mft);

        QTest::keyClicks(mft, "-5");
        QTest::keyClick(mft, Qt::Key_Return);
        QCOMPARE(app->msg.log(), Log{"warning: A Ft nem lehet 0!"});
        QVERIFY(Panel1->isVisible());
        QCOMPARE(QApplication::focusWidget(), mft);

        app->msg.clear();
        QTest::keyClicks(mft, "1500"); // replaces the selected text
        app->msg.answer(true);
        QTest::keyClick(mft, Qt::Key_Return);
        QCOMPARE(app->msg.log(), Log{"confirm: Elmenti a maradvány adatait ?"});
        QVERIFY(!Panel1->isVisible());
        QCOMPARE(w.panel()->grid()->model()->rowCount(), 1);
        QCOMPARE(st.tables.maradv.text("FT"), QStringLiteral("1500"));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(ContractWindowTest)
#include "contractwindow_test.moc"
