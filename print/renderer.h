#pragma once
// Draws the page model with QPainter: on the preview's and the printer's
// pages and into a PDF. Millimetres become device pixels at the device's
// resolution, so every device shows the same page.

#include "print/pagemodel.h"

#include <QPageLayout>
#include <QString>
#include <memory>

class QPainter;
class QPagedPaintDevice;

namespace reports {

// Draws one page with the page's top-left corner at the painter's origin;
// `dotsPerMm` is the device's resolution.
void paintPage(QPainter& painter, const PageModel& model, int page, double dotsPerMm);

// Draws pages as paintPage does, each text that comes back (a long list's
// headings, dates, numbers, diagnoses) laid out only once: the painter of
// many pages, on a device of one resolution.
class PagePainter {
public:
    PagePainter();
    ~PagePainter();
    void paint(QPainter& painter, const PageModel& model, int page, double dotsPerMm);

    class GlyphCache;

private:
    std::unique_ptr<GlyphCache> cache_;
};

// A4 in the model's orientation, without margins: the layout to give a
// printer or a PDF writer before painting.
QPageLayout pageLayout(const PageModel& model);

// Draws every page (or the pages first..last, counted from 0) onto a paged
// device (a printer, a PDF writer) set to pageLayout(model), whose painter
// starts at the paper's top-left corner, one page after the other.
// `progress` hears of every page done (of all to draw); its false stops
// the drawing, and paintAll answers false.
bool paintAll(QPagedPaintDevice& device, const PageModel& model, int dpi, int first = 0,
              int last = -1, const LayoutProgress& progress = {});

// Writes the pages into a PDF file. False with a Hungarian message in
// `error` when the file cannot be written; false without one when
// `progress` stopped it (the file begun is removed).
bool writePdf(const PageModel& model, const QString& path, QString* error = nullptr,
              const LayoutProgress& progress = {});

} // namespace reports
