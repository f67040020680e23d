// The browse panel on screen (offscreen): typing into the grid, title clicks,
// the title colours, the navigator and the selection following the table.

#include "db/tableset.h"
#include "engine/table.h"
#include "masters/browseconfig.h"
#include "masters/browsepanel.h"
#include "support/mastertables.h"
#include "support/testsupport.h"
#include "ui/scriptedmessages.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

class BrowsePanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::TempDir> dir;
    std::unique_ptr<db::TableSet> t;
    std::unique_ptr<ui::ScriptedMessages> msg;

    // In name order: Albert Béla, Kiss, Kissné Erika, Kocsis Anna,
    // Kovács Péter, Nagy Éva; in TAJ order Nagy Éva (044444440) is first.
    void makePatients() {
        using testsupport::patientRow;
        testsupport::makeTable(
            t->beteg, dir->path(), db::TableId::Beteg,
            {patientRow("111111110", "Kiss", "F"), patientRow("222222220", "Kovács Péter", "F"),
             patientRow("333333330", "Kocsis Anna", "N"), patientRow("044444440", "Nagy Éva", "N"),
             patientRow("555555550", "Albert Béla", "F"),
             patientRow("666666660", "Kissné Erika", "N")});
    }

    static QString selectedName(masters::BrowsePanel& p) {
        const QModelIndexList rows = p.grid()->selectionModel()->selectedRows(1);
        return rows.size() == 1 ? rows.first().data().toString() : QString();
    }
    static QColor titleColour(masters::BrowsePanel& p, int column) {
        return p.grid()
            ->model()
            ->headerData(column, Qt::Horizontal, Qt::ForegroundRole)
            .value<QBrush>()
            .color();
    }
    static void clickTitle(masters::BrowsePanel& p, int column) {
        QHeaderView* h = p.grid()->horizontalHeader();
        const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2,
                        h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    }
    static void clickRow(masters::BrowsePanel& p, int row) {
        const QRect r = p.grid()->visualRect(p.grid()->model()->index(row, 1));
        QTest::mouseClick(p.grid()->viewport(), Qt::LeftButton, {}, r.center());
    }

private slots:
    void init() {
        dir = std::make_unique<testsupport::TempDir>();
        t = std::make_unique<db::TableSet>();
        msg = std::make_unique<ui::ScriptedMessages>();
        t->dbo.setDirectory(dir->path());
        makePatients();
    }
    void cleanup() {
        t.reset();
        msg.reset();
        dir.reset();
    }

    void focusEntersAndTypingMovesTheSelection() {
        // A window with the panel and another control, as the maintenance
        // windows have.
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* panel = new masters::BrowsePanel(masters::betegPanel(*t), *msg, &window);
        auto* other = new QLineEdit(&window);
        layout->addWidget(panel);
        layout->addWidget(other);
        window.resize(600, 400);
        t->beteg.setActiveTag("Beteg2");
        t->beteg.last();
        other->setFocus();
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));

        // Coming into the panel: the TAJ order from the first record.
        panel->grid()->setFocus();
        QTRY_VERIFY(panel->grid()->hasFocus());
        QCOMPARE(t->beteg.activeTag().toUpper(), QString("BETEG1"));
        QCOMPARE(t->beteg.text("NEV"), QString("Nagy Éva"));
        QCOMPARE(selectedName(*panel), QString("Nagy Éva"));
        QCOMPARE(panel->grid()->objectName(), QString("DBGBeteg"));
        QCOMPARE(panel->grid()->toolTip(), QString("Beteg adatok megjelenítése"));

        clickTitle(*panel, 1);
        QCOMPARE(t->beteg.activeTag().toUpper(), QString("BETEG2"));
        QCOMPARE(panel->grid()->model()->index(0, 1).data().toString(), QString("Albert Béla"));
        QCOMPARE(selectedName(*panel), QString("Albert Béla"));

        QTest::keyClicks(panel->grid(), "ko");
        QCOMPARE(panel->searchLabel()->text(), QString("KO"));
        QCOMPARE(selectedName(*panel), QString("Kocsis Anna"));
        QCOMPARE(t->beteg.text("NEV"), QString("Kocsis Anna"));
        QTest::keyClicks(panel->grid(), "v");
        QCOMPARE(selectedName(*panel), QString("Kovács Péter"));

        QTest::keyClick(panel->grid(), Qt::Key_Backspace);
        QCOMPARE(panel->searchLabel()->text(), QString("KO"));
        QCOMPARE(selectedName(*panel), QString("Kocsis Anna"));

        // An arrow clears the text and moves the grid and the table one row.
        QTest::keyClick(panel->grid(), Qt::Key_Down);
        QCOMPARE(panel->searchLabel()->text(), QString(""));
        QCOMPARE(selectedName(*panel), QString("Kovács Péter"));
        QCOMPARE(t->beteg.text("NEV"), QString("Kovács Péter"));

        // Leaving for another control and coming back enters again; a
        // message box in between would not (focus in another window).
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        QCOMPARE(t->beteg.activeTag().toUpper(), QString("BETEG2"));
        panel->grid()->setFocus();
        QTRY_VERIFY(panel->grid()->hasFocus());
        QCOMPARE(t->beteg.activeTag().toUpper(), QString("BETEG1"));
        QCOMPARE(selectedName(*panel), QString("Nagy Éva"));
        QVERIFY(msg->isEmpty());
    }

    void titlesAreYellowBoldAndTheSearchColumnRed() {
        masters::BrowsePanel panel(masters::betegPanel(*t), *msg);
        panel.resize(600, 300);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        panel.enter();
        QAbstractItemModel* m = panel.grid()->model();
        QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), QString("Neme"));
        QCOMPARE(m->headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QBrush>().color(),
                 QColor(Qt::yellow));
        QVERIFY(m->headerData(0, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
        QCOMPARE(titleColour(panel, 0), QColor(Qt::red));
        QCOMPARE(titleColour(panel, 1), QColor(Qt::black));

        QSignalSpy titles(m, &QAbstractItemModel::headerDataChanged);
        clickTitle(panel, 2); // "Neme": red, but the TAJ order stays
        QVERIFY(titles.count() >= 1);
        QCOMPARE(titleColour(panel, 0), QColor(Qt::black));
        QCOMPARE(titleColour(panel, 2), QColor(Qt::red));
        QCOMPARE(t->beteg.activeTag().toUpper(), QString("BETEG1"));
        QTest::keyClicks(panel.grid(), "n");
        QCOMPARE(panel.searchLabel()->text(), QString(""));

        panel.setColumnTitle(0, "TAJ/Azonosító");
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QString("TAJ/Azonosító"));
    }

    void navigatorAndClicksMoveTheTable() {
        masters::BrowsePanel panel(masters::betegPanel(*t), *msg);
        panel.resize(600, 300);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        panel.enter();
        clickTitle(panel, 1);
        QCOMPARE(panel.navigator()->objectName(), QString("DBNavigator"));

        QSignalSpy moved(&panel, &masters::BrowsePanel::currentChanged);
        QTest::mouseClick(panel.lastButton(), Qt::LeftButton);
        QCOMPARE(t->beteg.text("NEV"), QString("Nagy Éva"));
        QCOMPARE(selectedName(panel), QString("Nagy Éva"));
        QTest::mouseClick(panel.priorButton(), Qt::LeftButton);
        QCOMPARE(selectedName(panel), QString("Kovács Péter"));
        QTest::mouseClick(panel.firstButton(), Qt::LeftButton);
        QCOMPARE(selectedName(panel), QString("Albert Béla"));
        QTest::mouseClick(panel.nextButton(), Qt::LeftButton);
        QCOMPARE(t->beteg.text("NEV"), QString("Kiss"));
        QCOMPARE(selectedName(panel), QString("Kiss"));
        QCOMPARE(moved.count(), 4);

        clickRow(panel, 3);
        QCOMPARE(t->beteg.text("NEV"), QString("Kocsis Anna"));

        // Enter: the record stays and the window hears of it.
        QSignalSpy activated(&panel, &masters::BrowsePanel::activated);
        QTest::keyClick(panel.grid(), Qt::Key_Return);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(t->beteg.text("NEV"), QString("Kocsis Anna"));
        QCOMPARE(selectedName(panel), QString("Kocsis Anna"));

        // A record written elsewhere shows after a refresh.
        t->beteg.append();
        t->beteg.setValue("TAJ", "777777770");
        t->beteg.setValue("NEV", "Aba Ödön");
        t->beteg.post();
        panel.refresh();
        QCOMPARE(panel.grid()->model()->rowCount(), 7);
        QCOMPARE(selectedName(panel), QString("Aba Ödön"));
    }

    void anEmptySheetListWarnsOnEveryKey() {
        testsupport::makeTable(t->lap, dir->path(), db::TableId::Lap);
        masters::BrowsePanel panel(masters::lapPanel(*t), *msg);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        panel.enter();
        QTest::keyClicks(panel.grid(), "1a");
        QTest::keyClick(panel.grid(), Qt::Key_Down);
        QCOMPARE(msg->texts(), QStringList({"Nincs keresendő adat!", "Nincs keresendő adat!"}));
        QCOMPARE(panel.grid()->objectName(), QString("DBGlap"));
        QCOMPARE(panel.grid()->model()->headerData(0, Qt::Horizontal).toString(),
                 QString("Sorszám"));
    }
};

QTEST_MAIN(BrowsePanelTest)
#include "browsepanel_test.moc"
