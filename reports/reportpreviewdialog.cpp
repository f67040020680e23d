#include "reports/reportpreviewdialog.h"

#include "core/appstate.h"
#include "print/renderer.h"
#include "reports/sheetprint.h"
#include "ui/messages.h"
#include "ui/screenfit.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>

namespace reports {

ReportPreviewDialog::ReportPreviewDialog(PageModel model, ui::Messages& msg,
                                         const QString& pdfFolder, const QString& period,
                                         QWidget* parent)
    : QPrintPreviewDialog(parent), model_(std::move(model)), msg_(msg), folder_(pdfFolder),
      period_(period) {
    setWindowTitle(model_.title);
    QPrinter* p = printer();
    p->setFullPage(true);
    p->setPageLayout(pageLayout(model_));
    p->setDocName(model_.title);
    connect(this, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { paintAll(*printer, model_, printer->resolution()); });

    pdfAction_ = new QAction(QStringLiteral("PDF mentése"), this);
    pdfAction_->setObjectName(QStringLiteral("pdfMentes"));
    pdfAction_->setToolTip(QStringLiteral("A lista mentése PDF-állományba"));
    connect(pdfAction_, &QAction::triggered, this, &ReportPreviewDialog::savePdfClicked);
    arrangeToolBar();
    if (QToolBar* bar = findChild<QToolBar*>())
        bar->addAction(pdfAction_);
    else
        addAction(pdfAction_);
    ui::centerWindow(this, parent, QSize(900, 700));
}

void ReportPreviewDialog::arrangeToolBar() {
    QToolBar* bar = findChild<QToolBar*>();
    if (!bar) return;
    auto* preview = findChild<QPrintPreviewWidget*>();
    // Qt's own actions are known by the handlers they are connected to.
    auto connectedTo = [](QAction* a, const QObject* receiver, const char* slot) {
        return receiver && QObject::disconnect(a, SIGNAL(triggered(bool)), receiver, slot);
    };
    for (QAction* a : bar->actions()) {
        if (connectedTo(a, this, SLOT(_q_print()))) {
            // Printing keeps the preview open (Qt's own handler closes it).
            printAction_ = a;
            connect(a, &QAction::triggered, this, &ReportPreviewDialog::printClicked);
        } else if (connectedTo(a, this, SLOT(_q_pageSetup())) ||
                   connectedTo(a, preview, SLOT(setPortraitOrientation())) ||
                   connectedTo(a, preview, SLOT(setLandscapeOrientation()))) {
            bar->removeAction(a);
        }
    }
    // The separators that stood between the removed actions.
    QAction* elozo = nullptr;
    for (QAction* a : bar->actions()) {
        if (a->isSeparator() && (!elozo || elozo->isSeparator()))
            bar->removeAction(a);
        else
            elozo = a;
    }
    bar->addSeparator();
}

void ReportPreviewDialog::printClicked() {
    QPrintDialog dlg(printer(), this);
    dlg.setMinMax(1, std::max(1, model_.pageCount()));
    if (dlg.exec() == QDialog::Accepted) printPages();
}

void ReportPreviewDialog::printPages() {
    QPrinter* p = printer();
    int first = 1, last = model_.pageCount();
    if (p->printRange() == QPrinter::PageRange && p->fromPage() > 0) {
        first = std::max(1, p->fromPage());
        last = std::min(last, std::max(first, p->toPage()));
    }
    paintAll(*p, model_, p->resolution(), first - 1, last - 1);
}

void ReportPreviewDialog::setModel(PageModel model) {
    model_ = std::move(model);
    if (auto* w = findChild<QPrintPreviewWidget*>()) w->updatePreview();
}

QString ReportPreviewDialog::proposedPath(const QString& suffix) const {
    QString name = model_.title;
    if (!period_.isEmpty()) name += QLatin1Char(' ') + period_;
    return QDir(folder_.isEmpty() ? QDir::currentPath() : folder_).filePath(name + suffix);
}

QString ReportPreviewDialog::proposedPdfPath() const {
    return proposedPath(QStringLiteral(".pdf"));
}

QString ReportPreviewDialog::proposedCsvPath() const {
    return proposedPath(QStringLiteral(".csv"));
}

void ReportPreviewDialog::setCsv(CsvTabla csv) {
    csv_ = std::move(csv);
    if (csvAction_) return;
    csvAction_ = new QAction(QStringLiteral("CSV mentése"), this);
    csvAction_->setObjectName(QStringLiteral("csvMentes"));
    csvAction_->setToolTip(QStringLiteral("A lista mentése táblázatkezelőnek (CSV)"));
    connect(csvAction_, &QAction::triggered, this, &ReportPreviewDialog::saveCsvClicked);
    // Beside "PDF mentése".
    if (QToolBar* bar = findChild<QToolBar*>()) {
        const QList<QAction*> all = bar->actions();
        const qsizetype i = all.indexOf(pdfAction_);
        bar->insertAction(i >= 0 && i + 1 < all.size() ? all[i + 1] : nullptr, csvAction_);
    } else {
        addAction(csvAction_);
    }
}

bool ReportPreviewDialog::saveCsv(const QString& path) {
    QString error;
    if (!writeCsv(csv_, path, &error)) {
        msg_.error(error);
        return false;
    }
    return true;
}

void ReportPreviewDialog::saveCsvClicked() {
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Mentés CSV-állományba"),
                                     proposedCsvPath(), QStringLiteral("CSV-állomány (*.csv)"));
    if (!path.isEmpty()) saveCsv(path);
}

bool ReportPreviewDialog::savePdf(const QString& path) {
    QString error;
    if (!writePdf(model_, path, &error)) {
        msg_.error(error);
        return false;
    }
    return true;
}

void ReportPreviewDialog::savePdfClicked() {
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Mentés PDF-állományba"),
                                     proposedPdfPath(), QStringLiteral("PDF-állomány (*.pdf)"));
    if (!path.isEmpty()) savePdf(path);
}

void ReportPreviewDialog::show(PageModel model, ui::Messages& msg, const QString& pdfFolder,
                               const QString& period, QWidget* parent) {
    ReportPreviewDialog dlg(std::move(model), msg, pdfFolder, period, parent);
    dlg.exec();
}

void printMarkedSheets(core::AppState& st, const ProgramText& program, QWidget* parent,
                       const std::function<void()>& refreshList) {
    SheetPrint print(st, program);
    print.nyomtat(
        [&](PageModel& pages) {
            ReportPreviewDialog::show(std::move(pages), st.msg, st.listakonyvtar, st.id.text(),
                                      parent);
        },
        [&](int done, int total) {
            st.msg.status(
                0, QStringLiteral("Elszámolási lapok előkészítése: %1 / %2").arg(done).arg(total));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return true;
        });
    if (refreshList) refreshList();
}

} // namespace reports
