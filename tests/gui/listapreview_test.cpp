// The lists' print preview (offscreen): "CSV mentése" in sight on the
// toolbar of a long list, Qt's own toolbar words, only the pages in sight
// drawn, printing that leaves the preview open, and the
// runner: "Mégse" while the whole list is laid out keeps the first pages
// shown, and the status text goes when the list is closed.

#include "app/programinfo.h"
#include "engine/table.h"
#include "reports/listakmenu.h"
#include "reports/pageview.h"
#include "reports/reportpreviewdialog.h"
#include "reports/torzslistak.h"
#include "support/guisupport.h"
#include "support/startedapp.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

using testsupport::whenModal;

namespace {

reports::PageModel pages(int n) {
    reports::PageModel m;
    m.title = QStringLiteral("Orvosok listája");
    m.pages.resize(std::size_t(n));
    for (int i = 0; i < n; ++i)
        m.pages[std::size_t(i)].addText(
            {QRectF(10, 10, 50, 5), QString::number(i + 1), {}, Qt::AlignLeft, false, QColor()});
    return m;
}

bool shownOnToolBar(QToolBar* bar, QAction* a) {
    QWidget* w = bar->widgetForAction(a);
    return w && w->isVisible() && bar->rect().contains(w->geometry());
}

} // namespace

class ListaPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void savingActionsStayInSightOnALongList() {
        testsupport::BareApp a;
        testsupport::TempDir dir;
        reports::ReportPreviewDialog d(pages(240), a.msg, dir.path(), QStringLiteral("2024.05"));
        d.setCsv({{QStringLiteral("Orvos pecsétszám")}, {}});
        QVERIFY(testsupport::showAndActivate(d));
        QVERIFY(d.width() <= 900);
        auto* bar = d.findChild<QToolBar*>();
        QVERIFY(bar);
        QVERIFY(shownOnToolBar(bar, d.csvAction()));
        QVERIFY(shownOnToolBar(bar, d.pdfAction()));
        QVERIFY(d.printAction());
        QVERIFY(shownOnToolBar(bar, d.printAction()));
    }

    void theToolBarSpeaksQtsOwnWords() {
        testsupport::BareApp a;
        testsupport::TempDir dir;
        reports::ReportPreviewDialog d(pages(3), a.msg, dir.path(), QStringLiteral("2024.05"));
        QStringList ours;
        for (QAction* x : d.findChild<QToolBar*>()->actions())
            ours << x->text();
        QPrintPreviewDialog qt;
        const QStringList none{QCoreApplication::translate("QPrintPreviewDialog", "Page setup"),
                               QCoreApplication::translate("QPrintPreviewDialog", "Portrait"),
                               QCoreApplication::translate("QPrintPreviewDialog", "Landscape")};
        for (QAction* x : qt.findChild<QToolBar*>()->actions())
            if (!x->isSeparator() && !x->text().isEmpty() && !none.contains(x->text()))
                QVERIFY2(ours.contains(x->text()), qPrintable(x->text()));
        QVERIFY(QFile::exists(
            QStringLiteral(":/qt-project.org/dialogs/qprintpreviewdialog/images/go-next-24.png")));
    }

    void onlyThePagesInSightAreDrawn() {
        testsupport::BareApp a;
        testsupport::TempDir dir;
        reports::ReportPreviewDialog d(pages(3000), a.msg, dir.path(), QStringLiteral("2024.05"));
        QVERIFY(testsupport::showAndActivate(d));
        QCoreApplication::processEvents();
        reports::PageView* v = d.view();
        // Fitted to the width, the first page and a part of the second.
        QVERIFY(!v->lastPainted().empty());
        QVERIFY(v->lastPainted().front() == 0);
        QVERIFY(v->lastPainted().size() <= 2);
        const long long opened = v->pagesPainted();
        QVERIFY2(opened <= 8, qPrintable(QString::number(opened)));
        // The whole list arrives: still only what is in sight.
        d.setModel(pages(6000));
        QCoreApplication::processEvents();
        QVERIFY(v->pagesPainted() - opened <= 4);
        QCOMPARE(v->pageCount(), 6000);
        // The last page asked for is the one drawn.
        v->setCurrentPage(6000);
        QCoreApplication::processEvents();
        QCOMPARE(v->currentPage(), 6000);
        QVERIFY(!v->lastPainted().empty());
        QCOMPARE(v->lastPainted().back(), 5999);
        QVERIFY(v->pagesPainted() - opened <= 8);
        // The overview draws its rows in sight, not the thousands of pages.
        v->setMode(reports::PageView::Mode::Overview);
        QCoreApplication::processEvents();
        QVERIFY(v->lastPainted().size() <= 36);
    }

    void aLongPdfStopsAtMegse() {
        testsupport::BareApp a;
        testsupport::TempDir dir;
        reports::ReportPreviewDialog d(pages(60000), a.msg, dir.path(), QStringLiteral("2024.05"));
        QVERIFY(testsupport::showAndActivate(d));
        const QString pdf = dir.file(QStringLiteral("hosszu.pdf"));
        QElapsedTimer shown, stopped;
        whenModal<QProgressDialog>([&](QProgressDialog* p) {
            shown.start();
            QCOMPARE(p->labelText(), QStringLiteral("A PDF-állomány írása..."));
            p->cancel();
        });
        QVERIFY(!d.savePdf(pdf));
        QVERIFY(shown.isValid());
        // Within half a second of "Mégse", and no file and no message left.
        QVERIFY2(shown.elapsed() < 500, qPrintable(QString::number(shown.elapsed())));
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(a.msg.texts().isEmpty());
    }

    void printingLeavesThePreviewOpen() {
        testsupport::BareApp a;
        testsupport::TempDir dir;
        reports::ReportPreviewDialog d(pages(3), a.msg, dir.path(), QStringLiteral("2024.05"));
        const QString pdf = dir.file(QStringLiteral("nyomtatott.pdf"));
        d.printer()->setOutputFormat(QPrinter::PdfFormat);
        d.printer()->setOutputFileName(pdf);
        QVERIFY(testsupport::showAndActivate(d));
        QVERIFY(d.printAction());
        bool asked = false;
#ifdef Q_OS_WIN
        // The system's print dialog, out of a test's reach: answered in its stead.
        d.askPrinter = [&](QPrinter& p, int pages) {
            asked = &p == d.printer() && pages == 3;
            return true;
        };
#else
        whenModal<QPrintDialog>([&](QPrintDialog* p) {
            asked = true;
            p->accept();
        });
#endif
        d.printAction()->trigger();
        QVERIFY(asked);
        QVERIFY(d.isVisible());
        QCOMPARE(d.result(), 0);
        QCOMPARE(testsupport::readAll(pdf).left(5), QByteArray("%PDF-"));
    }

    void cancellingTheWholeListKeepsTheFirstPages() {
        testsupport::StartedApp app;
        const reports::ProgramText program{app::programTitle(), app::programVersion()};
        engine::Table& orvos = app.state.tables.orvos;
        for (int i = 0; i < 300; ++i) {
            orvos.append();
            orvos.setValue(QStringLiteral("ORVOSKOD"), QString::number(10000 + i));
            orvos.setValue(QStringLiteral("ONEV"), QStringLiteral("Dr. Próba"));
            orvos.post();
        }
        const QString megszakitva =
            QStringLiteral("A lista összeállítása megszakítva: csak az első oldalak láthatók");
        QStringList before, after;
        bool cancelled = false, stillShown = false;
        whenModal<reports::ReportPreviewDialog>([&](reports::ReportPreviewDialog* p) {
            before = p->model().texts(0);
            // "Mégse" on the whole list's progress, as soon as it is there.
            auto* poll = new QTimer(p);
            QObject::connect(poll, &QTimer::timeout, p, [&, p, poll] {
                if (auto* h = p->findChild<QProgressDialog*>(); h && !cancelled) {
                    h->cancel();
                    cancelled = true;
                } else if (cancelled && app.msg.statusText(0) == megszakitva) {
                    poll->stop();
                    stillShown = p->isVisible();
                    after = p->model().texts(0);
                    p->close();
                }
            });
            poll->start(1);
        });
        const bool shown = reports::runLista(
            app.state, nullptr,
            [&] { return std::optional(reports::Torzslistak(app.state, program).orvosok()); },
            [&] { return std::optional(reports::Torzslistak(app.state, program).apolok()); });
        QVERIFY(shown);
        QVERIFY(cancelled);
        QVERIFY(stillShown);
        QVERIFY(before.contains(QStringLiteral("Ápolók listája")));
        QCOMPARE(after, before);
        // Closed, the list leaves no status text behind.
        QVERIFY(app.msg.statusHistory(0).contains(megszakitva));
        QCOMPARE(app.msg.statusText(0), QString());
    }

    void aLongReadingShowsItsProgressAndStopsAtMegse() {
        testsupport::StartedApp app;
        const reports::ProgramText program{app::programTitle(), app::programVersion()};
        QElapsedTimer pressed;
        bool busy = false;
        whenModal<reports::ReportPreviewDialog>([&](reports::ReportPreviewDialog* p) {
            auto* poll = new QTimer(p);
            QObject::connect(poll, &QTimer::timeout, p, [&, p, poll] {
                auto* h = p->findChild<QProgressDialog*>();
                if (h && h->isVisible() && !pressed.isValid()) {
                    busy = h->maximum() == 0;
                    pressed.start();
                    h->cancel();
                } else if (pressed.isValid() && !app.msg.statusText(0).isEmpty()) {
                    poll->stop();
                    p->close();
                }
            });
            poll->start(1);
        });
        // A reading without end but for "Mégse".
        qint64 stopped = -1;
        const bool shown = reports::runLista(
            app.state, nullptr,
            reports::ListaFuttato::HaladoBuild(
                [&](const reports::LayoutProgress& halad) -> std::optional<reports::Lista> {
                    while (halad(0, 0))
                        QThread::msleep(2);
                    stopped = pressed.isValid() ? pressed.elapsed() : -1;
                    return std::nullopt;
                }),
            [&] { return std::optional(reports::Torzslistak(app.state, program).orvosok()); });
        QVERIFY(shown);
        QVERIFY(busy);
        QVERIFY2(stopped >= 0 && stopped < 500, qPrintable(QString::number(stopped)));
    }
};

QTEST_MAIN(ListaPreviewTest)
#include "listapreview_test.moc"
