#pragma once
// The pages of a laid-out report on screen, one below the other (or two
// side by side, or several in a row as an overview), zoomed and scrolled.
// Only the pages in sight are drawn, and only when they come in sight, so a
// list of thousands of pages shows its first page at once and holds no
// picture of any page.

#include "print/pagemodel.h"

#include <QAbstractScrollArea>
#include <vector>

namespace reports {

class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Zoom { FitWidth, FitPage, Custom };
    enum class Mode { Single, Facing, Overview };

    explicit PageView(QWidget* parent = nullptr);

    // The pages shown; the model must outlive the view (or be set again).
    void setModel(const PageModel* model);
    int pageCount() const;

    // The page (from 1) in the middle of the view.
    int currentPage() const;
    void setCurrentPage(int page);

    double zoomFactor() const; // 1: the paper's size on the screen
    void setZoomFactor(double factor);
    Zoom zoomMode() const { return zoom_; }
    void setZoomMode(Zoom zoom);
    void zoomIn(double by = 1.25);
    void zoomOut(double by = 1.25);

    Mode mode() const { return mode_; }
    void setMode(Mode mode);
    // Pages side by side in the mode: the next row is that many pages on.
    int columns() const;

    // The pages (from 0) drawn by the last paint, and how many page draws
    // there were since the view was made.
    const std::vector<int>& lastPainted() const { return lastPainted_; }
    long long pagesPainted() const { return pagesPainted_; }

signals:
    // The page in sight, the zoom or the page count changed.
    void previewChanged();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int rows() const;
    QSizeF pagePixels() const; // a page's size on the screen at the zoom
    double screenDotsPerMm() const;
    double fitFactor() const; // the factor of the fit mode
    QRect pageRect(int page) const; // in content coordinates
    void relayout(int keepPage);

    const PageModel* model_ = nullptr;
    Zoom zoom_ = Zoom::FitWidth;
    Mode mode_ = Mode::Single;
    double factor_ = 1.0; // the custom zoom
    std::vector<int> lastPainted_;
    long long pagesPainted_ = 0;
    int reported_ = -1; // the current page last announced
};

} // namespace reports
