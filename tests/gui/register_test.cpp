// The register window Tlapok in its three modes (offscreen): caption, buttons,
// menus, row colours, Enter and double click, marking through the menu, and
// the figures' accessible names; it fits the small screens.

#include "engine/table.h"
#include "masters/browsepanel.h"
#include "masters/tablemodel.h"
#include "register/lapokwindow.h"
#include "register/registerdata.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <memory>

class RegisterWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<regtest::RegisterApp> app;
    std::unique_ptr<reg::LapokWindow> w;

    void show() {
        w->setUpMode();
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    // The grid's background of the row showing the sheet of `idoszak`.
    QVariant background(const QString& idoszak) {
        masters::TableModel& m = w->panel()->model();
        for (int r = 0; r < m.rowCount(); ++r)
            if (m.cellText(r, 4) == idoszak) return m.data(m.index(r, 0), Qt::BackgroundRole);
        return QStringLiteral("missing");
    }
    QColor colour(const QString& idoszak) {
        const QVariant v = background(idoszak);
        return v.isValid() ? v.value<QBrush>().color() : QColor();
    }
    void selectRow(const QString& idoszak) {
        masters::TableModel& m = w->panel()->model();
        for (int r = 0; r < m.rowCount(); ++r)
            if (m.cellText(r, 4) == idoszak) {
                w->panel()->grid()->setCurrentIndex(m.index(r, 0));
                return;
            }
        QFAIL("no such row");
    }
    bool visible(const char* name) {
        return w->findChild<QPushButton*>(QLatin1String(name))->isVisible();
    }

private slots:
    void init() {
        app = std::make_unique<regtest::RegisterApp>();
        app->period("2024.05");
        app->sheet({.idoszak = "2024.05", .sorsz = "00001"});
        app->visits("2024.05", "00001", "", 2, 1, 3);
        app->sheet({.idoszak = "2024.04", .sorsz = "00002"});
        w = std::make_unique<reg::LapokWindow>(app->state);
        // The entry window is not shown here: the commands' own test drives it.
        w->setLapuj([](sheet::LapModel&, const QString&) {});
    }
    void cleanup() {
        w.reset();
        app.reset();
    }

    void recordMode() {
        QVERIFY(w->logic().rogzitesMod());
        show();
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" Elszámolási lapjai")));
        QVERIFY(!visible("nyomtat"));
        QVERIFY(!visible("kuld"));
        QVERIFY(visible("kilep"));
        QCOMPARE(colour("2024.04"), QColor(192, 192, 192));
        QVERIFY(!background("2024.05").isValid());
        QCOMPARE(w->figureText("STav"), QStringLiteral("3"));
        const QStringList titles = {"Sorszám",   "_",        "Taj szám", "Beteg neve", "Időszak",
                                    "Vizitszám", "Elküldve", "Fizetve",  "Jel",        "Korr."};
        for (int c = 0; c < titles.size(); ++c)
            QCOMPARE(w->panel()->model().headerData(c, Qt::Horizontal).toString(), titles[c]);

        // Enter and double click: "Módosítás"; the shortcuts reach their items.
        int modos = 0, teljes = 0;
        connect(w->action("Mdosts1"), &QAction::triggered, [&] { ++modos; });
        connect(w->action("Teljesszmla1"), &QAction::triggered, [&] { ++teljes; });
        selectRow("2024.05");
        QTest::keyClick(w->panel()->grid(), Qt::Key_Return);
        QCOMPARE(modos, 1);
        QTest::keyClick(w->panel()->grid(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(teljes, 1);
        QCOMPARE(w->action("Trls1")->shortcut(), QKeySequence(Qt::Key_Delete));

        // A command key, though its shortcut takes it before the grid does,
        // clears the search text, and so does a command from the menu; the
        // next digits start a new search.
        QLabel* szoveg = w->panel()->searchLabel();
        QTest::keyClicks(w->panel()->grid(), QStringLiteral("0000"));
        QCOMPARE(szoveg->text(), QStringLiteral("0000"));
        QTest::keyClick(w->panel()->grid(), Qt::Key_F2);
        QCOMPARE(szoveg->text(), QString());
        QTest::keyClicks(w->panel()->grid(), QStringLiteral("00002"));
        QCOMPARE(szoveg->text(), QStringLiteral("00002"));
        QCOMPARE(w->currentSheet()->sorsz, QStringLiteral("00002"));
        w->action("Megtekints1")->trigger();
        QCOMPARE(szoveg->text(), QString());
        QCOMPARE(w->action("Megtekints1")->statusTip(),
                 QStringLiteral("Az elszámolási lap megnézése"));
        QCOMPARE(app->marked(), 0);

        // A screen reader reads each figure as its labels and its value.
        for (const char* name : {"STm", "STszv", "STszv2", "STszf", "STav", "STiv", "STtf", "STtp",
                                 "STak", "STsk", "STAe", "STse"}) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w->figure(name));
            QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(), name);
            QCOMPARE(a->text(QAccessible::Value), w->figureText(name));
        }
        QAccessibleInterface* av = QAccessible::queryAccessibleInterface(w->figure("STav"));
        QCOMPARE(av->text(QAccessible::Name), QStringLiteral("Eddig rögzített vizit szakáp"));
        QCOMPARE(av->text(QAccessible::Value), QStringLiteral("3"));
        // It fits the small screens.
        QVERIFY(w->frameGeometry().width() <= 1280);
        QVERIFY(w->frameGeometry().height() <= 768 - 40);
        QVERIFY(w->minimumSizeHint().height() <= 600);
        w->kilepClick();
        QVERIFY(!w->isVisible());
    }

    // Esc on an empty list closes the register at once, without
    // "Nincs keresendő adat!".
    void escapeOnAnEmptyListClosesAtOnce() {
        app->state.tables.dbo.exec("delete from lap");
        QVERIFY(w->logic().rogzitesMod());
        show();
        QCOMPARE(w->panel()->model().rowCount(), 0);
        QTest::keyClick(w->panel()->grid(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QVERIFY(app->msg.log().empty());
    }

    // The entry window stands over the main window; when it closes, the
    // register has the keyboard again, in its list.
    void theKeyboardComesBackAfterTheEntryWindow() {
        QWidget main;
        main.show();
        w->setParent(&main, w->windowFlags());
        QVERIFY(w->logic().rogzitesMod());
        show();
        int shown = 0;
        w->setLapuj([&](sheet::LapModel&, const QString&) {
            ++shown;
            QDialog entry(&main);
            entry.show();
            QApplication::setActiveWindow(&entry);
            entry.hide();
            QApplication::setActiveWindow(&main);
        });
        selectRow("2024.05");
        w->action("Teljesszmla1")->trigger();
        QCOMPARE(shown, 1);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(w.get()));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->panel()->grid()));
        w->setParent(nullptr);
    }

    void printSelectionMode() {
        w->logic().nyomtatasMod();
        show();
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" Elszámolási lapok nyomtatása")));
        QVERIFY(visible("nyomtat"));
        QVERIFY(!visible("kuld"));
        QCOMPARE(colour("2024.04"), QColor(192, 192, 192));
        QVERIFY(!w->action("Aktulisvlapjai1")->isVisible());
        QVERIFY(!w->action("Mdosts1")->isEnabled());
        int modos = 0;
        connect(w->action("Mdosts1"), &QAction::triggered, [&] { ++modos; });

        // Enter marks the row and the cursor stays on it; no figures change.
        selectRow("2024.04");
        QTest::keyClick(w->panel()->grid(), Qt::Key_Return);
        QCOMPARE(app->marked(), 1);
        QCOMPARE(modos, 0);
        QCOMPARE(w->currentSheet()->idoszak, QStringLiteral("2024.04"));
        QCOMPARE(w->panel()->model().recnoAt(w->panel()->grid()->currentIndex().row()),
                 app->state.tables.lap.recno());
        QCOMPARE(w->figureText("STav"), QStringLiteral("3"));
        emit w->panel()->doubleClicked(); // the panel's double click on a row
        QCOMPARE(app->marked(), 0);
    }

    void sendSelectionMode() {
        QVERIFY(w->logic().kuldesMod());
        show();
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" Elszámolási lapok küldése")));
        QVERIFY(!visible("nyomtat"));
        QVERIFY(visible("kuld"));
        QCOMPARE(colour("2024.04"), QColor(255, 0, 0));
        QVERIFY(w->action("Aktulisvlapjai1")->isVisible());
        QCOMPARE(w->figureText("STav"), QStringLiteral("0"));
        w->action("Adotthnap1")->trigger();
        QCOMPARE(app->marked(), 1);
        QCOMPARE(w->figureText("STav"), QStringLiteral("3"));
        QVERIFY(w->figure("Ltp")->isVisible());
        QVERIFY(w->figure("STm")->isVisible());
    }
};

QTEST_MAIN(RegisterWindowTest)
#include "register_test.moc"
