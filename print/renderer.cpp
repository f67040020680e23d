#include "print/renderer.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>

namespace reports {

// The texts of a long list laid out once and drawn again as their glyphs:
// its headings, dates, codes, numbers and diagnoses come back on thousands
// of pages, and laying a text out (shaping it) is most of what drawing it
// costs. A text is drawn so only where drawText draws it the same way:
// lines placed as drawText places them, all of them inside the rectangle
// (drawText clips a text that does not fit), more than one line only when
// aligned left, no blank at either end, no line break, tab or "&". Every
// other text goes to drawText.
class PagePainter::GlyphCache {
public:
    // False when the text is not one to draw from here.
    bool draw(QPainter& painter, const PageText& t, const QRectF& r) {
        const Entry& e = entry(painter, t, r.width());
        if (!e.usable || (e.lines > 1 && (t.align & (Qt::AlignRight | Qt::AlignHCenter))))
            return false;
        double x = 0, y = 0;
        if (t.align & Qt::AlignRight)
            x = r.width() - e.width;
        else if (t.align & Qt::AlignHCenter)
            x = (r.width() - e.width) / 2;
        if (t.align & Qt::AlignBottom)
            y = r.height() - e.height;
        else if (t.align & Qt::AlignVCenter)
            y = (r.height() - e.height) / 2;
        if (!r.contains(QRectF(r.x() + x, r.y() + y, e.width, e.height))) return false;
        // A line is placed by its own advance (one line here when not left).
        if (t.align & Qt::AlignRight)
            x = r.width() - e.advance;
        else if (t.align & Qt::AlignHCenter)
            x = (r.width() - e.advance) / 2;
        for (const QGlyphRun& g : e.runs)
            painter.drawGlyphRun(QPointF(r.x() + x, r.y() + y), g);
        return true;
    }

private:
    struct Key {
        Font font;
        double width; // the wrapping width; 0 for one line
        QString text;
        bool operator==(const Key&) const = default;
        friend size_t qHash(const Key& k, size_t seed = 0) {
            return qHashMulti(seed, k.font.pointSize, k.font.bold, k.font.italic, k.width, k.text);
        }
    };
    struct Entry {
        bool usable = false;
        int lines = 0;
        double width = 0, advance = 0, height = 0;
        QList<QGlyphRun> runs;
    };

    static bool plain(const QString& s) {
        return !s.isEmpty() && !s.front().isSpace() && !s.back().isSpace() &&
               !s.contains(QLatin1Char('\n')) && !s.contains(QLatin1Char('\r')) &&
               !s.contains(QLatin1Char('\t')) && !s.contains(QChar::LineSeparator) &&
               !s.contains(QLatin1Char('&')) && !s.contains(QChar(0x9c));
    }

    const Entry& entry(const QPainter& painter, const PageText& t, double width) {
        Key key{t.font, t.wordWrap ? width : 0.0, t.text};
        if (auto it = entries_.constFind(key); it != entries_.cend()) return *it;
        // The names and dates that do not come back: the cache starts
        // again rather than growing with the list.
        if (entries_.size() > 20000) entries_.clear();
        Entry e;
        if (plain(t.text)) e = layOut(painter, t.text, t.wordWrap ? width : -1);
        return *entries_.insert(std::move(key), std::move(e));
    }

    // The text's lines as drawText lays them out: wrapped at `width` (none
    // when negative), each on a whole pixel below the one before, the
    // font's leading between them.
    Entry layOut(const QPainter& painter, const QString& s, double width) {
        Entry e;
        QTextLayout tl(s, painter.font(), painter.device());
        QTextOption o(Qt::AlignLeft);
        o.setTextDirection(Qt::LeftToRight);
        if (width >= 0) o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        tl.setTextOption(o);
        const double leading = QFontMetricsF(painter.font()).leading();
        double h = -leading;
        tl.beginLayout();
        for (QTextLine l = tl.createLine(); l.isValid(); l = tl.createLine()) {
            l.setLineWidth(width >= 0 ? width : double(0x01000000));
            h = std::ceil(h + leading);
            l.setPosition(QPointF(0, h));
            h += l.ascent() + l.descent(); // as drawText adds them, not rounded up
            e.width = std::max(e.width, l.naturalTextWidth());
            e.advance = l.horizontalAdvance();
            ++e.lines;
        }
        tl.endLayout();
        if (e.lines == 0) return e;
        e.usable = true;
        e.height = h;
        e.runs = tl.glyphRuns();
        return e;
    }

    QHash<Key, Entry> entries_;
};

namespace {

void paintPage(QPainter& painter, const PageModel& model, int page, double dotsPerMm,
               PagePainter::GlyphCache* cache) {
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
        if (cache && cache->draw(painter, t, r)) continue;
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

} // namespace

void paintPage(QPainter& painter, const PageModel& model, int page, double dotsPerMm) {
    paintPage(painter, model, page, dotsPerMm, nullptr);
}

PagePainter::PagePainter() : cache_(std::make_unique<GlyphCache>()) {}

PagePainter::~PagePainter() = default;

void PagePainter::paint(QPainter& painter, const PageModel& model, int page, double dotsPerMm) {
    paintPage(painter, model, page, dotsPerMm, cache_.get());
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
    PagePainter pages;
    for (int i = first; i <= last; ++i) {
        if (i > first) device.newPage();
        pages.paint(painter, model, i, dotsPerMm);
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
