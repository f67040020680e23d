#include "reports/pageview.h"

#include "print/renderer.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace reports {

namespace {

constexpr int kKoz = 10;             // px around and between the pages
constexpr int kAttekintoOszlop = 6;  // pages side by side in the overview, at most
constexpr double kMinZoom = 0.05, kMaxZoom = 8.0;

} // namespace

PageView::PageView(QWidget* parent) : QAbstractScrollArea(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

void PageView::setModel(const PageModel* model) {
    const int keep = model_ ? currentPage() : 1;
    model_ = model;
    reported_ = -1;
    relayout(std::min(keep, std::max(1, pageCount())));
}

int PageView::pageCount() const {
    return model_ ? model_->pageCount() : 0;
}

double PageView::screenDotsPerMm() const {
    return logicalDpiX() / 25.4;
}

int PageView::columns() const {
    switch (mode_) {
    case Mode::Single:
        return 1;
    case Mode::Facing:
        return 2;
    case Mode::Overview:
        return std::clamp(int(std::ceil(std::sqrt(double(std::max(1, pageCount()))))), 1,
                          kAttekintoOszlop);
    }
    return 1;
}

int PageView::rows() const {
    const int c = columns();
    return (std::max(0, pageCount()) + c - 1) / c;
}

double PageView::fitFactor() const {
    const QSizeF mm = model_ ? model_->pageSize : QSizeF(210, 297);
    const double d = screenDotsPerMm();
    const int c = columns();
    const QSize v = viewport()->size();
    const double w = (v.width() - (c + 1) * kKoz) / (c * mm.width() * d);
    if (zoom_ == Zoom::FitWidth) return w;
    const double h = (v.height() - 2 * kKoz) / (mm.height() * d);
    return std::min(w, h);
}

double PageView::zoomFactor() const {
    const double f = zoom_ == Zoom::Custom ? factor_ : fitFactor();
    return std::clamp(f, kMinZoom, kMaxZoom);
}

QSizeF PageView::pagePixels() const {
    const QSizeF mm = model_ ? model_->pageSize : QSizeF(210, 297);
    return mm * screenDotsPerMm() * zoomFactor();
}

QRect PageView::pageRect(int page) const {
    const QSizeF px = pagePixels();
    const int w = std::max(1, int(px.width())), h = std::max(1, int(px.height()));
    const int c = columns();
    const int contentW = c * w + (c + 1) * kKoz;
    const int left = std::max(0, (viewport()->width() - contentW) / 2);
    return QRect(left + kKoz + (page % c) * (w + kKoz), kKoz + (page / c) * (h + kKoz), w, h);
}

int PageView::currentPage() const {
    if (pageCount() == 0) return 0;
    const int h = std::max(1, int(pagePixels().height())) + kKoz;
    const int middle = verticalScrollBar()->value() + viewport()->height() / 2;
    const int row = std::clamp((middle - kKoz / 2) / h, 0, rows() - 1);
    return row * columns() + 1;
}

void PageView::setCurrentPage(int page) {
    if (pageCount() == 0) return;
    page = std::clamp(page, 1, pageCount());
    verticalScrollBar()->setValue(pageRect(page - 1).top() - kKoz);
    if (currentPage() != reported_) {
        reported_ = currentPage();
        emit previewChanged();
    }
}

void PageView::setZoomFactor(double factor) {
    const int keep = currentPage();
    zoom_ = Zoom::Custom;
    factor_ = std::clamp(factor, kMinZoom, kMaxZoom);
    relayout(keep);
}

void PageView::setZoomMode(Zoom zoom) {
    const int keep = currentPage();
    if (zoom == Zoom::Custom) factor_ = zoomFactor();
    zoom_ = zoom;
    relayout(keep);
}

void PageView::zoomIn(double by) {
    setZoomFactor(zoomFactor() * by);
}

void PageView::zoomOut(double by) {
    setZoomFactor(zoomFactor() / by);
}

void PageView::setMode(Mode mode) {
    const int keep = currentPage();
    mode_ = mode;
    // The overview shows its rows of pages as wide as the view.
    if (mode == Mode::Overview) zoom_ = Zoom::FitWidth;
    relayout(keep);
}

void PageView::relayout(int keepPage) {
    const QSizeF px = pagePixels();
    const int w = std::max(1, int(px.width())), h = std::max(1, int(px.height()));
    const int c = columns();
    const qint64 contentW = qint64(c) * w + (c + 1) * kKoz;
    const qint64 contentH = qint64(rows()) * (h + kKoz) + kKoz;
    const QSize v = viewport()->size();
    horizontalScrollBar()->setRange(0, int(std::clamp<qint64>(contentW - v.width(), 0, INT_MAX)));
    horizontalScrollBar()->setPageStep(v.width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, int(std::clamp<qint64>(contentH - v.height(), 0, INT_MAX)));
    verticalScrollBar()->setPageStep(v.height());
    verticalScrollBar()->setSingleStep(std::max(20, h / 20));
    if (keepPage > 0) verticalScrollBar()->setValue(pageRect(keepPage - 1).top() - kKoz);
    viewport()->update();
    reported_ = currentPage();
    emit previewChanged();
}

void PageView::resizeEvent(QResizeEvent* e) {
    const int keep = currentPage();
    QAbstractScrollArea::resizeEvent(e);
    relayout(keep);
}

void PageView::scrollContentsBy(int, int) {
    viewport()->update();
    if (currentPage() != reported_) {
        reported_ = currentPage();
        emit previewChanged();
    }
}

void PageView::paintEvent(QPaintEvent* e) {
    lastPainted_.clear();
    if (pageCount() == 0) return;
    QPainter painter(viewport());
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QRect sight = e->rect().translated(scroll);
    const int h = std::max(1, int(pagePixels().height())) + kKoz;
    const int c = columns();
    const int firstRow = std::max(0, (sight.top() - kKoz) / h);
    const int lastRow = std::min(rows() - 1, sight.bottom() / h);
    const double dotsPerMm = screenDotsPerMm() * zoomFactor();
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int i = row * c; i < std::min(pageCount(), (row + 1) * c); ++i) {
            const QRect at = pageRect(i);
            if (!at.intersects(sight)) continue;
            const QRect on = at.translated(-scroll);
            painter.fillRect(on.translated(3, 3), palette().color(QPalette::Shadow));
            painter.fillRect(on, Qt::white);
            painter.save();
            painter.setClipRect(on);
            painter.translate(on.topLeft());
            paintPage(painter, *model_, i, dotsPerMm);
            painter.restore();
            lastPainted_.push_back(i);
            ++pagesPainted_;
        }
    }
}

} // namespace reports
