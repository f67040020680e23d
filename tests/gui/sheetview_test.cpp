// Viewing and printing sheets from the register (offscreen): "Megtekintés"
// reaching Tlapfel's checks and the read-only entry window, the print
// preview with its PDF action, and "Nyomtatás" clearing the marks.

#include "engine/table.h"
#include "register/lapfelwindow.h"
#include "register/lapokwindow.h"
#include "register/registerdata.h"
#include "reports/reportpreviewdialog.h"
#include "reports/sheetprint.h"
#include "sheet/lapujwindow.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <memory>

class SheetViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<regtest::RegisterApp> app;
    std::unique_ptr<reg::LapokWindow> w;

    // Closes the next modal window once it shows, after `check` ran on it.
    void closeModal(std::function<void(QWidget*)> check) {
        QTimer::singleShot(50, [check] {
            QWidget* d = QApplication::activeModalWidget();
            QVERIFY(d);
            check(d);
            d->close();
        });
    }
    void select(const QString& sorsz) {
        engine::Table& lap = app->state.tables.lap;
        lap.setFiltered(false);
        QVERIFY(lap.locate("SORSZ", sorsz));
    }

private slots:
    void init() {
        app = std::make_unique<regtest::RegisterApp>();
        app->period("2024.05");
        app->sheet({.idoszak = "2004.11", .sorsz = "00009"});
        app->sheet({.idoszak = "2024.05", .sorsz = "00003", .jeloles = "*"});
        app->visits("2024.05", "00003", "", 2, 2, 1);
        w = std::make_unique<reg::LapokWindow>(app->state);
        reg::wireMegtekintes(*w, app->state);
        w->setUpMode();
    }
    void cleanup() {
        w.reset();
        app.reset();
    }

    void oldSheetGoesThroughTlapfelsChecks() {
        select("00009");
        w->action("Megtekints1")->trigger();
        QCOMPARE(app->msg.log(),
                 (std::vector<std::string>{"error: Hibás a teljes lap, nincs elrendelés adat!"}));
    }

    void newSheetShowsTheEntryWindowReadOnly() {
        select("00003");
        QString caption;
        bool saveEnabled = true;
        closeModal([&](QWidget* d) {
            caption = d->windowTitle();
            if (auto* lapuj = qobject_cast<sheet::LapujWindow*>(d))
                saveEnabled = lapuj->control("ment")->isEnabled();
        });
        w->action("Megtekints1")->trigger();
        QCOMPARE(caption, QStringLiteral("Elszámolási lap megtekintése"));
        QVERIFY(!saveEnabled);
    }

    void previewOffersPdf() {
        reports::PageModel m;
        m.title = QStringLiteral("Egyéni elszámoló lap");
        m.pages.resize(2);
        m.pages[0].addText(
            {QRectF(10, 10, 50, 5), QStringLiteral("első"), {}, Qt::AlignLeft, false, QColor()});
        testsupport::TempDir dir;
        reports::ReportPreviewDialog d(m, app->msg, dir.path(), QStringLiteral("2024.05"));
        QVERIFY(d.pdfAction());
        QVERIFY(d.findChild<QToolBar*>()->actions().contains(d.pdfAction()));
        QCOMPARE(d.proposedPdfPath(), dir.file(QStringLiteral("Egyéni elszámoló lap 2024.05.pdf")));
        QVERIFY(d.savePdf(d.proposedPdfPath()));
        QVERIFY(QFile::exists(d.proposedPdfPath()));
    }

    void printingPreviewsAndClearsTheMarks() {
        app->state.tables.dbo.exec("update lap set jeloles='*'");
        int refreshed = 0;
        // Nothing of the marked sheets joins (no order record): the message
        // comes without a preview, and the marks go all the same.
        reports::printMarkedSheets(app->state, {"Otthoni szakápolás", "3.61"}, w.get(),
                                   [&] { ++refreshed; });
        QCOMPARE(refreshed, 1);
        QCOMPARE(app->marked(), 0);
        QCOMPARE(app->msg.log(),
                 (std::vector<std::string>{"error: Nincs kiválasztva elszámolási lap!"}));
    }
};

QTEST_MAIN(SheetViewTest)
#include "sheetview_test.moc"
