// The shipment from the main menu (offscreen): "Floppy-küldemény
// RAV-számára" opens the register in send-selection mode, Enter marks a
// sheet, "Adatküldés" sends it through the e-report window and the register
// closes itself, unfiltered; a later closing refuses the opening.

#include "app/mainwindow.h"
#include "engine/database.h"
#include "engine/table.h"
#include "exchange/kuldesellwindow.h"
#include "masters/browsepanel.h"
#include "register/lapokwindow.h"
#include "register/registerdata.h"

#include <QAction>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <memory>

using regtest::row;

class KuldesTest : public QObject {
    Q_OBJECT
    std::unique_ptr<regtest::RegisterApp> app;

private slots:
    void init() {
        app = std::make_unique<regtest::RegisterApp>();
        app->period("2024.05");
        const QString taj = demo::tajWithCheckDigit("10000001");
        auto& t = app->state.tables;
        t.lap.appendRows({row(db::TableId::Lap, {{"IDOSZAK", "2024.05"},
                                                 {"INTKOD", "1890"},
                                                 {"SORSZ", "00001"},
                                                 {"TAJ", taj},
                                                 {"TPOTL", "N"},
                                                 {"ORVOSKOD", "12345"},
                                                 {"AZTIP", "1"},
                                                 {"SZVIZ", 2},
                                                 {"BNOFO", "L89H0"}})});
        t.elrend.appendRows({row(db::TableId::Elrend, {{"IDOSZAK", "2024.05"},
                                                       {"INTKOD", "1890"},
                                                       {"SORSZ", "00001"},
                                                       {"JORVKOD", "54321"}})});
        t.beteg.appendRows({row(db::TableId::Beteg, {{"TAJ", taj}, {"NEV", "Teszt Elek"}})});
        app->visits("2024.05", "00001", "", 2, 1, 2);
    }
    void cleanup() { app.reset(); }

    void sendsFromTheMenu() {
        app::MainWindow mw(app->state);
        int ejelentes = 0;
        mw.setEjelentes([&](QWidget*) { ++ejelentes; });
        reg::LapokWindow* w = mw.lapokWindow();
        bool inside = false;
        // The steps run once the register is on the screen.
        std::function<void()> steps;
        std::function<void()> whenShown = [&] {
            if (!w->isVisible()) {
                QTimer::singleShot(10, w, whenShown);
                return;
            }
            steps();
        };
        QTimer::singleShot(0, w, whenShown);
        steps = [&] {
            // Whatever fails below, the modal register does not stay open.
            struct Close {
                reg::LapokWindow* w;
                ~Close() {
                    if (w->isVisible()) w->reject();
                }
            } close{w};
            QVERIFY(w->isVisible());
            inside = true;
            QVERIFY(w->windowTitle().endsWith(" Elszámolási lapok küldése"));
            QVERIFY(w->kuldButton()->isVisible());
            QVERIFY(!w->nyomtatButton()->isVisible());
            QVERIFY(app->state.tables.lap.filtered());
            auto* grid = w->panel()->grid();
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_Return); // "&Egy lap"
            QCOMPARE(app->marked(), 1);
            app->msg.answers({true, true});
            w->kuldButton()->click();
        };
        mw.menuItem("FloppykldemnyRAVszmra1")->trigger();
        QVERIFY(inside);
        QCOMPARE(ejelentes, 1);
        QCOMPARE(app->msg.texts(),
                 (QStringList{"Elküldhető 1 db elszámolási lap?", "E-jelentést akar küldeni?",
                              "E-jelentés elkészült", "Adatküldés befejeződött!"}));
        QVERIFY(!w->isVisible());
        QVERIFY(!app->state.tables.lap.filtered());
        QCOMPARE(app->state.tables.dbo.query("select elkuldve from lap").value(0, 0).toString(),
                 QStringLiteral("2024.05"));
        QVERIFY(QFile::exists(app->state.kuldkonyvtar + "Szka1890.Dbf") ||
                !QDir(app->state.kuldkonyvtar).entryList({"Szka*"}, QDir::Files).isEmpty());
    }

    // The check before sending: the problems listed, "Vissza" (the default
    // button, Enter) goes back, "Küldés így" sends, the list saved as PDF.
    void checkWindow() {
        const std::vector<exch::Problema> p = {
            {"00001", "", "2024.05", "A lap vizitszáma 4, a vizitsorok összege 3."},
            {"00002", "A", "2024.04", "Nincs rendelési adata (ELREND)."}};
        exch::KuldesEllWindow w(p, core::Idoszak(2024, 5), app->msg);
        QCOMPARE(w.lista()->rowCount(), 2);
        QCOMPARE(w.lista()->item(1, 0)->text(), QStringLiteral("00002A"));
        QCOMPARE(w.lista()->item(0, 2)->text(), p[0].leiras);
        testsupport::TempDir dir;
        QVERIFY(w.pdfMentes(dir.file("lista.pdf")));
        QVERIFY(testsupport::readAll(dir.file("lista.pdf")).startsWith("%PDF"));
        w.show();
        QVERIFY(w.visszaButton()->isDefault());
        QTest::keyClick(&w, Qt::Key_Return);
        QCOMPARE(w.result(), int(QDialog::Rejected));
        w.show();
        w.kuldButton()->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }

    // The check's printout is laid out by the report engine: the title with
    // the period, the headings and a line per problem, as in the window.
    void checkPrintsThroughReportEngine() {
        const std::vector<exch::Problema> p = {
            {"00001", "", "2024.05", "A lap vizitszáma 4, a vizitsorok összege 3."},
            {"00002", "A", "2024.04", "Nincs rendelési adata (ELREND)."}};
        exch::KuldesEllWindow w(p, core::Idoszak(2024, 5), app->msg);
        const reports::PageModel pages = w.oldalak();
        QCOMPARE(pages.name, QStringLiteral("Tkuldesell"));
        QCOMPARE(pages.pageCount(), 1);
        QCOMPARE(pages.texts(0),
                 (QStringList{"Ellenőrzés az adatküldés előtt – 2024.05", "Sorszám", "Időszak",
                              "Probléma", "00001", "2024.05", p[0].leiras, "00002A", "2024.04",
                              p[1].leiras}));
    }

    // A PDF that cannot be written is told of, as by the other reports.
    void checkPdfFailureIsTold() {
        exch::KuldesEllWindow w({{"00001", "", "2024.05", "Nincs rendelési adata (ELREND)."}},
                                core::Idoszak(2024, 5), app->msg);
        testsupport::TempDir dir;
        const QString path = dir.file("nincs/lista.pdf");
        const int before = app->msg.count();
        QVERIFY(!w.pdfMentes(path));
        QCOMPARE(app->msg.count(), before + 1);
        QCOMPARE(app->msg.last(), "A PDF-állomány nem írható: " + path);
        QCOMPARE(app->msg.kinds().back(), ui::MessageKind::Error);
    }

    void refusedAfterALaterClosing() {
        app->state.tables.zaras.appendRows({row(db::TableId::Zaras, {{"IDOSZAK", "2024.06"}})});
        app::MainWindow mw(app->state);
        mw.menuItem("FloppykldemnyRAVszmra1")->trigger();
        QCOMPARE(app->msg.texts(),
                 QStringList{"Az utolsó zárás időszakánál korábbi zárást nem lehet megismételni!"});
        QVERIFY(!mw.lapokWindow()->isVisible());
    }
};

QTEST_MAIN(KuldesTest)
#include "kuldes_test.moc"
