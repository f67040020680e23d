// The sheet commands' windows driven by their keys (offscreen): Treszlap and
// Tjavit opened from the register's menu items, Enter choosing in their
// lists, Escape leaving, the register's filter back afterwards; Tleido
// taking a date, refusing an empty one and storing on Enter.

#include "engine/database.h"
#include "engine/table.h"
#include "masters/browsepanel.h"
#include "register/javitwindow.h"
#include "register/lapokwindow.h"
#include "register/registerdata.h"
#include "register/reszlapwindow.h"
#include "sheet/lezaridodialog.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

class SheetCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<regtest::RegisterApp> app;
    std::unique_ptr<reg::LapokWindow> w;

    // Runs `step` once the modal window `d` is showing.
    void whenShown(QWidget* d, std::function<void()> step) {
        QTimer::singleShot(0, d, [d, step] {
            QVERIFY(QTest::qWaitForWindowExposed(d));
            step();
        });
    }
    // Every column of the chooser's list in sight, "Jel" and "Korr." too.
    static bool columnsWhole(QWidget* d) {
        QTableView* g = d->findChild<masters::BrowsePanel*>()->grid();
        const int last = g->model()->columnCount() - 1;
        return g->columnViewportPosition(last) >= 0 &&
               g->columnViewportPosition(last) + g->columnWidth(last) <= g->viewport()->width() &&
               g->columnWidth(last) >= g->fontMetrics().horizontalAdvance(QStringLiteral("Korr."));
    }
    void key(QWidget* d, Qt::Key k) {
        auto* grid = d->findChild<masters::BrowsePanel*>()->grid();
        grid->setFocus();
        QTest::keyClick(grid, k);
    }

private slots:
    void init() {
        app = std::make_unique<regtest::RegisterApp>();
        app->period("2024.05");
        app->sheet({.idoszak = "2024.03", .sorsz = "00001", .resz = "A"});
        app->visits("2024.03", "00001", "A", 2, 2, 3);
        app->sheet({.idoszak = "2024.04", .sorsz = "00002", .resz = "A"});
        app->sheet({.idoszak = "2024.05", .sorsz = "00003"});
        app->state.tables.dbo.exec("update lap set tele='*' where sorsz='00002'");
        w = std::make_unique<reg::LapokWindow>(app->state);
        QVERIFY(w->logic().rogzitesMod());
        w->setUpMode();
    }
    void cleanup() {
        w.reset();
        app.reset();
    }

    // Treszlap: the open first part listed, Enter prepares its next part in
    // the entry window and closes the list; Escape leaves without a choice.
    void treszlap() {
        const QString filter = app->state.tables.lap.filter();
        QStringList shown;
        w->setLapuj([&](sheet::LapModel& m, const QString& caption) {
            shown << m.m_sorsz + ' ' + caption;
        });
        reg::ReszlapWindow* d = w->reszlapWindow();
        whenShown(d, [&, d] {
            QVERIFY(d->windowTitle().endsWith(QStringLiteral(" választható részszámlái")));
            QVERIFY(columnsWhole(d));
            QCOMPARE(d->panel()->model().rowCount(), 1);
            key(d, Qt::Key_Return);
        });
        w->action("Kvetkezrszszmla1")->trigger();
        QVERIFY(!d->isVisible());
        QCOMPARE(shown, QStringList{"00001B Elszámolási lap rögzítése"});
        QCOMPARE(app->state.tables.lap.filter(), filter);

        whenShown(d, [d] { QTest::keyClick(d, Qt::Key_Escape); });
        w->action("Kvetkezrszszmla1")->trigger();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(app->state.tables.lap.filter(), filter);
    }

    // Tjavit: Enter on the completed series asks and reopens it.
    void tjavit() {
        app->state.tables.dbo.exec(
            "insert into zaras (idoszak, zaras) values ('2024.04', '2024-05-03')");
        const QString filter = app->state.tables.lap.filter();
        reg::JavitWindow* d = w->javitWindow();
        app->msg.answer(true);
        whenShown(d, [&, d] {
            QVERIFY(d->windowTitle().endsWith(QStringLiteral(" javítható első részszámlái")));
            QVERIFY(columnsWhole(d));
            QCOMPARE(d->panel()->model().rowCount(), 1);
            key(d, Qt::Key_Return);
            QTest::keyClick(d, Qt::Key_Escape);
        });
        w->action("Rszszmlafelolds1")->trigger();
        QCOMPARE(app->msg.last(), QStringLiteral("A javítás megtörtént! "));
        QVERIFY(app->state.tables.dbo.query("select tele from lap where sorsz='00002'")
                    .value(0, 0)
                    .isNull());
        QCOMPARE(app->state.tables.lap.filter(), filter);
    }

    // Tleido: an empty date is refused and the dialog stays; a date and
    // Enter store it after the confirmation.
    void tleido() {
        engine::Table& lap = app->state.tables.lap;
        QVERIFY(lap.locate("SORSZ", QStringLiteral("00001")));
        sheet::LezaridoDialog* d = w->leidoDialog();
        app->msg.answer(true);
        whenShown(d, [&, d] {
            QCOMPARE(d->windowTitle(), QStringLiteral("Lezárás ideje"));
            QVERIFY(d->me1()->hasFocus());
            QTest::keyClick(d->me1(), Qt::Key_Return);
            QCOMPARE(app->msg.last(), QStringLiteral("A mező kitöltése kötelező!"));
            QVERIFY(d->isVisible());
            QTest::keyClicks(d->me1(), QStringLiteral("20240320"));
            QTest::keyClick(d->me1(), Qt::Key_Return);
        });
        w->action("Lezrs1")->trigger();
        QVERIFY(!d->isVisible());
        QCOMPARE(app->msg.last(), QStringLiteral("Rendben van a lezárás ?"));
        QCOMPARE(app->state.tables.dbo.query("select lezdat from lap where sorsz='00001'")
                     .value(0, 0)
                     .toString(),
                 QStringLiteral("2024-03-20"));
    }
};

QTEST_MAIN(SheetCommandsTest)
#include "sheetcommands_test.moc"
