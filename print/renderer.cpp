#include "print/renderer.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextOption>

namespace reports {

void paintPage(QPainter& painter, const PageModel& model, int page, double dotsPerMm) {
    if (page < 0 || page >= model.pageCount()) return;
    const Page& p = model.pages[size_t(page)];
    painter.save();
    for (const PageLine& l : p.lines()) {
        QPen pen(Qt::black);
        pen.setWidthF(std::max(1.0, l.penWidth * dotsPerMm));
        pen.setStyle(l.penStyle);
        painter.setPen(pen);
        painter.drawLine(QLineF(l.line.p1() * dotsPerMm, l.line.p2() * dotsPerMm));
    }
    painter.setPen(Qt::black);
    const double pxPerPt = dotsPerMm * 25.4 / 72.0;
    Font current{-1};
    for (int i = 0; i < p.textCount(); ++i) {
        const PageText t = p.text(i);
        if (!(t.font == current)) {
            QFont f = toQFont(t.font);
            f.setPixelSize(std::max(1, int(t.font.pointSize * pxPerPt + 0.5)));
            painter.setFont(f);
            current = t.font;
        }
        const QRectF r(t.rect.topLeft() * dotsPerMm, t.rect.size() * dotsPerMm);
        if (t.background.isValid()) painter.fillRect(r, t.background);
        if (t.wordWrap) {
            // Between words, and inside a word wider than the line.
            QTextOption o(t.align);
            o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            painter.drawText(r, t.text, o);
        } else {
            painter.drawText(r, int(t.align), t.text);
        }
    }
    painter.restore();
}

QPageLayout pageLayout(const PageModel& model) {
    return QPageLayout(QPageSize(QPageSize::A4),
                       model.orientation == Orientation::Portrait ? QPageLayout::Portrait
                                                                  : QPageLayout::Landscape,
                       QMarginsF(0, 0, 0, 0));
}

bool paintAll(QPagedPaintDevice& device, const PageModel& model, int dpi, int first, int last,
              const LayoutProgress& progress) {
    if (last < 0 || last >= model.pageCount()) last = model.pageCount() - 1;
    first = std::max(0, first);
    QPainter painter(&device);
    const double dotsPerMm = dpi / 25.4;
    bool whole = true;
    for (int i = first; i <= last; ++i) {
        if (i > first) device.newPage();
        paintPage(painter, model, i, dotsPerMm);
        if (progress && !progress(i - first + 1, last - first + 1)) {
            whole = i == last;
            break;
        }
    }
    painter.end();
    return whole;
}

bool writePdf(const PageModel& model, const QString& path, QString* error,
              const LayoutProgress& progress) {
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            if (error) *error = QStringLiteral("A PDF-állomány nem írható: ") + path;
            return false;
        }
    }
    bool whole = false;
    {
        QPdfWriter writer(path);
        writer.setResolution(300);
        writer.setTitle(model.title);
        writer.setCreator(QStringLiteral("Otthoni szakápolás"));
        writer.setPageLayout(pageLayout(model));
        whole = paintAll(writer, model, 300, 0, -1, progress);
    }
    // Stopped: the pages begun are no PDF.
    if (!whole) QFile::remove(path);
    return whole;
}

} // namespace reports
