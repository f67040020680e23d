#include "reports/reportpreviewdialog.h"

#include "core/appstate.h"
#include "print/renderer.h"
#include "reports/pageview.h"
#include "reports/sheetprint.h"
#include "ui/messages.h"
#include "ui/screenfit.h"


#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>

namespace reports {

namespace {

// Qt's preview says these in its own words (Hungarian with Qt's translation).
QString qtText(const char* text) {
    return QCoreApplication::translate("QPrintPreviewDialog", text);
}

QIcon qtIcon(const char* name) {
    const QString prefix = QStringLiteral(":/qt-project.org/dialogs/qprintpreviewdialog/images/");
    QIcon icon = QIcon::fromTheme(QLatin1String(name));
    icon.addFile(prefix + QLatin1String(name) + QStringLiteral("-24.png"), QSize(24, 24));
    icon.addFile(prefix + QLatin1String(name) + QStringLiteral("-32.png"), QSize(32, 32));
    return icon;
}

// A long drawing's progress over the preview, with "Mégse": the window
// appears after a moment, and the events are seen a few times a second.
class Rajzolas {
public:
    Rajzolas(QWidget* over, const QString& title, const QString& text)
        : dlg_(text, QStringLiteral("Mégse"), 0, 0, over) {
        dlg_.setWindowTitle(title);
        dlg_.setWindowModality(Qt::WindowModal);
        dlg_.setMinimumDuration(400);
        dlg_.setAutoReset(false);
        dlg_.setAutoClose(false);
        clock_.start();
    }
    bool operator()(int done, int total) {
        if (clock_.elapsed() - seen_ < 100 && done < total) return true;
        seen_ = clock_.elapsed();
        dlg_.setMaximum(total);
        dlg_.setValue(done);
        QCoreApplication::processEvents();
        return !dlg_.wasCanceled();
    }

private:
    QProgressDialog dlg_;
    QElapsedTimer clock_;
    qint64 seen_ = 0;
};

} // namespace

ReportPreviewDialog::ReportPreviewDialog(PageModel model, ui::Messages& msg,
                                         const QString& pdfFolder, const QString& period,
                                         QWidget* parent)
    : QDialog(parent), model_(std::move(model)), msg_(msg), folder_(pdfFolder), period_(period) {
    setWindowTitle(model_.title);
    printer_.setFullPage(true);
    printer_.setPageLayout(pageLayout(model_));
    printer_.setDocName(model_.title);

    view_ = new PageView(this);
    bar_ = new QToolBar(this);
    buildToolBar();
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->setMenuBar(bar_);
    box->addWidget(view_);
    connect(view_, &PageView::previewChanged, this, &ReportPreviewDialog::showPreviewState);
    view_->setModel(&model_);
    view_->setFocus();
    ui::centerWindow(this, parent, QSize(900, 700));
}

QAction* ReportPreviewDialog::addQtAction(const char* text, const char* icon) {
    QAction* a = bar_->addAction(qtIcon(icon), qtText(text));
    return a;
}

void ReportPreviewDialog::buildToolBar() {
    bar_->setIconSize(QSize(24, 24));
    fitWidth_ = addQtAction("Fit width", "zoom-fit-width");
    fitPage_ = addQtAction("Fit page", "zoom-fit-page");
    for (QAction* a : {fitWidth_, fitPage_})
        a->setCheckable(true);
    connect(fitWidth_, &QAction::triggered, this,
            [this] { view_->setZoomMode(PageView::Zoom::FitWidth); });
    connect(fitPage_, &QAction::triggered, this,
            [this] { view_->setZoomMode(PageView::Zoom::FitPage); });
    bar_->addSeparator();

    zoom_ = new QComboBox(bar_);
    zoom_->setEditable(true);
    zoom_->setMinimumContentsLength(7);
    zoom_->setInsertPolicy(QComboBox::NoInsert);
    zoom_->setAccessibleName(QStringLiteral("Nagyítás"));
    for (const char* z : {"12.5%", "25%", "50%", "75%", "100%", "125%", "150%", "200%", "400%",
                          "800%"})
        zoom_->addItem(QLatin1String(z));
    bar_->addWidget(zoom_);
    connect(zoom_->lineEdit(), &QLineEdit::editingFinished, this,
            &ReportPreviewDialog::zoomEdited);
    connect(zoom_, &QComboBox::textActivated, this, &ReportPreviewDialog::zoomEdited);
    QAction* out = addQtAction("Zoom out", "zoom-out");
    QAction* in = addQtAction("Zoom in", "zoom-in");
    out->setAutoRepeat(true);
    in->setAutoRepeat(true);
    connect(out, &QAction::triggered, this, [this] { view_->zoomOut(); });
    connect(in, &QAction::triggered, this, [this] { view_->zoomIn(); });
    bar_->addSeparator();

    QAction* first = addQtAction("First page", "go-first");
    QAction* prev = addQtAction("Previous page", "go-previous");
    pageNumber_ = new QLineEdit(bar_);
    pageNumber_->setAlignment(Qt::AlignRight);
    pageNumber_->setAccessibleName(QStringLiteral("Oldalszám"));
    pageNumber_->setValidator(new QIntValidator(1, 1000000, pageNumber_));
    pageNumber_->setMaximumWidth(pageNumber_->fontMetrics().horizontalAdvance(
                                     QStringLiteral("0000000")) +
                                 12);
    bar_->addWidget(pageNumber_);
    pageCount_ = new QLabel(bar_);
    bar_->addWidget(pageCount_);
    connect(pageNumber_, &QLineEdit::editingFinished, this,
            &ReportPreviewDialog::pageNumberEdited);
    QAction* next = addQtAction("Next page", "go-next");
    QAction* last = addQtAction("Last page", "go-last");
    connect(first, &QAction::triggered, this, [this] { view_->setCurrentPage(1); });
    connect(prev, &QAction::triggered, this,
            [this] { view_->setCurrentPage(view_->currentPage() - view_->columns()); });
    connect(next, &QAction::triggered, this,
            [this] { view_->setCurrentPage(view_->currentPage() + view_->columns()); });
    connect(last, &QAction::triggered, this,
            [this] { view_->setCurrentPage(view_->pageCount()); });
    bar_->addSeparator();

    single_ = addQtAction("Show single page", "view-pages-single");
    facing_ = addQtAction("Show facing pages", "view-pages-facing");
    overview_ = addQtAction("Show overview of all pages", "view-pages-overview");
    for (QAction* a : {single_, facing_, overview_})
        a->setCheckable(true);
    connect(single_, &QAction::triggered, this, [this] { view_->setMode(PageView::Mode::Single); });
    connect(facing_, &QAction::triggered, this, [this] { view_->setMode(PageView::Mode::Facing); });
    connect(overview_, &QAction::triggered, this,
            [this] { view_->setMode(PageView::Mode::Overview); });
    bar_->addSeparator();

    // Printing keeps the preview open.
    printAction_ = addQtAction("Print", "printer");
    connect(printAction_, &QAction::triggered, this, &ReportPreviewDialog::printClicked);
    bar_->addSeparator();
    pdfAction_ = new QAction(QStringLiteral("PDF mentése"), this);
    pdfAction_->setObjectName(QStringLiteral("pdfMentes"));
    pdfAction_->setToolTip(QStringLiteral("A lista mentése PDF-állományba"));
    connect(pdfAction_, &QAction::triggered, this, &ReportPreviewDialog::savePdfClicked);
    bar_->addAction(pdfAction_);
}

// The toolbar follows the view: the page in sight, the zoom, the modes.
void ReportPreviewDialog::showPreviewState() {
    const int n = view_->pageCount();
    pageNumber_->setText(n > 0 ? QString::number(view_->currentPage()) : QString());
    pageCount_->setText(QStringLiteral(" / %1 ").arg(n));
    if (!zoom_->lineEdit()->hasFocus()) {
        const double z = std::round(view_->zoomFactor() * 1000) / 10.0;
        zoom_->setEditText(QString::number(z) + QLatin1Char('%'));
    }
    fitWidth_->setChecked(view_->zoomMode() == PageView::Zoom::FitWidth);
    fitPage_->setChecked(view_->zoomMode() == PageView::Zoom::FitPage);
    single_->setChecked(view_->mode() == PageView::Mode::Single);
    facing_->setChecked(view_->mode() == PageView::Mode::Facing);
    overview_->setChecked(view_->mode() == PageView::Mode::Overview);
}

void ReportPreviewDialog::pageNumberEdited() {
    bool ok = false;
    const int page = pageNumber_->text().toInt(&ok);
    if (ok) view_->setCurrentPage(page);
    showPreviewState();
}

void ReportPreviewDialog::zoomEdited() {
    QString t = zoom_->currentText();
    t.remove(QLatin1Char('%'));
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double z = t.trimmed().toDouble(&ok);
    if (ok && z > 0) view_->setZoomFactor(z / 100.0);
    showPreviewState();
}

void ReportPreviewDialog::printClicked() {
    const int pages = std::max(1, model_.pageCount());
    if (askPrinter) {
        if (askPrinter(printer_, pages)) printPages();
        return;
    }
    QPrintDialog dlg(&printer_, this);
    dlg.setMinMax(1, pages);
    if (dlg.exec() == QDialog::Accepted) printPages();
}

void ReportPreviewDialog::printPages() {
    QPrinter* p = &printer_;
    int first = 1, last = model_.pageCount();
    if (p->printRange() == QPrinter::PageRange && p->fromPage() > 0) {
        first = std::max(1, p->fromPage());
        last = std::min(last, std::max(first, p->toPage()));
    }
    Rajzolas halad(this, qtText("Print"), QStringLiteral("A lista nyomtatása..."));
    // "Mégse" takes back the pages not yet sent to the printer.
    paintAll(*p, model_, p->resolution(), first - 1, last - 1, [&](int done, int total) {
        if (halad(done, total)) return true;
        p->abort();
        return false;
    });
}

void ReportPreviewDialog::setModel(PageModel model) {
    model_ = std::move(model);
    view_->setModel(&model_);
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
    const QList<QAction*> all = bar_->actions();
    const qsizetype i = all.indexOf(pdfAction_);
    bar_->insertAction(i >= 0 && i + 1 < all.size() ? all[i + 1] : nullptr, csvAction_);
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
    Rajzolas halad(this, QStringLiteral("PDF mentése"), QStringLiteral("A PDF-állomány írása..."));
    if (!writePdf(model_, path, &error, std::ref(halad))) {
        // "Mégse" leaves no file and says nothing.
        if (!error.isEmpty()) msg_.error(error);
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
