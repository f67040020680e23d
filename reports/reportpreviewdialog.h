#pragma once
// The print preview of a laid-out report: the toolbar of Qt's preview, in
// Qt's own words (fit, zoom, page through, single, facing or overview, print
// with the system's print dialog), with one more action beside printing,
// "PDF mentése", which writes the same pages into a PDF file proposed in the
// LISTA working folder under the report's title and period. The pages are
// drawn from the page model as they come in sight (reports::PageView), so a
// list of thousands of pages opens at once and holds no picture of its
// pages. Printing leaves the preview open. The pages are laid out for their
// paper and orientation, so the toolbar offers no other (no page set-up, no
// portrait or landscape switch), and the saving actions stand beside
// printing, where the toolbar does not hide them however many pages there
// are.

#include "reports/elszlap.h"
#include "reports/lista.h"
#include "print/pagemodel.h"

#include <QDialog>
#include <QPrinter>

#include <functional>

namespace core {
struct AppState;
}
namespace ui {
class Messages;
}

class QComboBox;
class QLabel;
class QLineEdit;
class QToolBar;

namespace reports {

class PageView;

class ReportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    ReportPreviewDialog(PageModel model, ui::Messages& msg, const QString& pdfFolder,
                        const QString& period, QWidget* parent = nullptr);

    const PageModel& model() const { return model_; }
    // Replaces the pages shown (the whole list after its first pages).
    void setModel(PageModel model);
    QAction* pdfAction() const { return pdfAction_; }
    QAction* printAction() const { return printAction_; }
    QPrinter* printer() { return &printer_; }
    // Asks for the printer and the pages before printing: the print dialog
    // unless set. On Windows that dialog is the system's own, which a test
    // cannot answer; such a test answers here.
    std::function<bool(QPrinter&, int pageCount)> askPrinter;
    PageView* view() const { return view_; }
    // Prints the pages (those of the range chosen in the print dialog) on
    // the preview's printer.
    void printPages();
    // "<folder>/<title> <period>.pdf"
    QString proposedPdfPath() const;
    // Writes the PDF; a failure is reported through the messages.
    bool savePdf(const QString& path);

    // A tabular list can also be saved for a spreadsheet: adds "CSV
    // mentése" beside "PDF mentése".
    void setCsv(CsvTabla csv);
    QAction* csvAction() const { return csvAction_; }
    // "<folder>/<title> <period>.csv"
    QString proposedCsvPath() const;
    bool saveCsv(const QString& path);

    // Shows the model modally, as SheetPrint's preview step wants it.
    static void show(PageModel model, ui::Messages& msg, const QString& pdfFolder,
                     const QString& period, QWidget* parent);

private:
    void savePdfClicked();
    void printClicked();
    void buildToolBar();
    QAction* addQtAction(const char* text, const char* icon);
    void showPreviewState();
    void pageNumberEdited();
    void zoomEdited();
    void saveCsvClicked();
    QString proposedPath(const QString& suffix) const;

    PageModel model_;
    QPrinter printer_;
    ui::Messages& msg_;
    PageView* view_ = nullptr;
    QToolBar* bar_ = nullptr;
    QComboBox* zoom_ = nullptr;
    QLineEdit* pageNumber_ = nullptr;
    QLabel* pageCount_ = nullptr;
    QAction *fitWidth_ = nullptr, *fitPage_ = nullptr;
    QAction *single_ = nullptr, *facing_ = nullptr, *overview_ = nullptr;
    QString folder_, period_;
    QAction* pdfAction_ = nullptr;
    QAction* printAction_ = nullptr;
    QAction* csvAction_ = nullptr;
    CsvTabla csv_;
};

// "Nyomtatás" of the register's print-selection mode: the marked sheets
// previewed (reports::SheetPrint), the layout's progress on status panel 0
// with the window kept painted, then `refreshList` (the marks are cleared).
void printMarkedSheets(core::AppState& st, const ProgramText& program, QWidget* parent,
                       const std::function<void()>& refreshList);

} // namespace reports
