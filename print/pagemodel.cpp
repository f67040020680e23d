#include "print/pagemodel.h"

#include <QFontMetricsF>
#include <QImage>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <stdexcept>

namespace reports {

quint16 Page::span(Spans& spans, double a, double b, std::size_t recent, std::size_t window) {
    const std::pair<double, double> s{a, b};
    if (recent < spans.size() && spans[recent] == s) return quint16(recent);
    const std::size_t n = spans.size();
    for (std::size_t i = n; i-- > 0 && n - i <= window;)
        if (spans[i] == s) return quint16(i);
    if (n >= 0xffff) throw std::length_error("too many texts on a page");
    spans.push_back(s);
    return quint16(n);
}

quint16 Page::look(const PageText& t) {
    for (std::size_t i = looks_.size(); i-- > 0;) {
        const Look& l = looks_[i];
        if (l.font == t.font && l.align == t.align && l.wordWrap == t.wordWrap &&
            l.background == t.background)
            return quint16(i);
    }
    if (looks_.size() >= 0xffff) throw std::length_error("too many looks on a page");
    looks_.push_back({t.font, t.align, t.wordWrap, t.background});
    return quint16(looks_.size() - 1);
}

void Page::addText(const PageText& t) {
    Item it;
    it.from = quint32(chars_.size());
    it.length = quint32(t.text.size());
    const Item* prev = items_.empty() ? nullptr : &items_.back();
    // A row's texts share their top and height, one after the other; a
    // column's its edge and width, among the page's few columns.
    it.across = span(across_, t.rect.left(), t.rect.width(), prev ? prev->across + 1u : 0u, 256);
    it.down = span(down_, t.rect.top(), t.rect.height(), prev ? prev->down : 0u, 4);
    it.look = look(t);
    chars_ += t.text;
    items_.push_back(it);
}

void Page::squeeze() {
    chars_.squeeze();
    items_.shrink_to_fit();
    across_.shrink_to_fit();
    down_.shrink_to_fit();
    looks_.shrink_to_fit();
    lines_.shrink_to_fit();
}

PageText Page::text(int i) const {
    const Item& it = items_.at(std::size_t(i));
    const auto& [x, w] = across_[it.across];
    const auto& [y, h] = down_[it.down];
    const Look& l = looks_[it.look];
    return {QRectF(x, y, w, h), chars_.mid(it.from, it.length), l.font, l.align, l.wordWrap,
            l.background};
}

std::vector<PageText> Page::texts() const {
    std::vector<PageText> out;
    out.reserve(items_.size());
    for (int i = 0; i < textCount(); ++i)
        out.push_back(text(i));
    return out;
}

std::size_t Page::bytes() const {
    return sizeof(Page) + std::size_t(chars_.capacity()) * sizeof(QChar) +
           items_.capacity() * sizeof(Item) +
           (across_.capacity() + down_.capacity()) * sizeof(std::pair<double, double>) +
           looks_.capacity() * sizeof(Look) + lines_.capacity() * sizeof(PageLine);
}

QStringList PageModel::texts(int page) const {
    QStringList out;
    if (page < 0 || page >= pageCount()) return out;
    const Page& p = pages[size_t(page)];
    for (int i = 0; i < p.textCount(); ++i)
        out << p.text(i).text;
    return out;
}

void PageModel::append(PageModel&& other) {
    for (Page& p : other.pages)
        pages.push_back(std::move(p));
}

std::size_t PageModel::bytes() const {
    std::size_t n = sizeof(PageModel) + (pages.capacity() - pages.size()) * sizeof(Page);
    for (const Page& p : pages)
        n += p.bytes();
    return n;
}

QFont toQFont(const Font& font) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(font.pointSize);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    return f;
}

namespace {

// Texts are measured on an image of 300 dpi, whatever the screen.
const QImage& measuringDevice() {
    static const QImage device = [] {
        QImage img(1, 1, QImage::Format_Mono);
        img.setDotsPerMeterX(11811);
        img.setDotsPerMeterY(11811);
        return img;
    }();
    return device;
}

// Laid out as the renderer draws a wrapped text: lines broken where the
// text may break (after a blank, after a hyphen), a piece wider than the
// line broken anywhere; the font's leading between the lines.
double measureWrapped(const QString& text, const Font& font, double width) {
    const double pxPerMm = 300.0 / 25.4;
    const QFont f(toQFont(font), &measuringDevice());
    QString t = text;
    t.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout tl(t, f, &measuringDevice());
    QTextOption o;
    o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    tl.setTextOption(o);
    const double leading = QFontMetricsF(f, &measuringDevice()).leading();
    double h = 0;
    int lines = 0;
    tl.beginLayout();
    for (QTextLine l = tl.createLine(); l.isValid(); l = tl.createLine()) {
        l.setLineWidth(width * pxPerMm);
        h += l.height() + (lines++ > 0 ? leading : 0);
    }
    tl.endLayout();
    return h / pxPerMm;
}

QString measureKey(const Font& font, const QString& text) {
    return QString::number(font.pointSize) + (font.bold ? u'b' : u'-') +
           (font.italic ? u'i' : u'-') + u'|' + text;
}

} // namespace

double textWidth(const QString& text, const Font& font) {
    // Columns are sized by the same few texts for every list: remembered.
    static QHash<QString, double> known;
    const QString key = measureKey(font, text);
    if (auto it = known.constFind(key); it != known.cend()) return *it;
    if (known.size() > 20000) known.clear();
    const double pxPerMm = 300.0 / 25.4;
    const QFontMetricsF fm(toQFont(font), &measuringDevice());
    return known[key] = fm.horizontalAdvance(text) / pxPerMm;
}

double widestPiece(const QString& text, const Font& font) {
    double w = 0;
    QTextBoundaryFinder f(QTextBoundaryFinder::Line, text);
    for (qsizetype from = 0, to = f.toNextBoundary(); to >= 0; from = to, to = f.toNextBoundary())
        w = std::max(w, textWidth(text.mid(from, to - from).trimmed(), font));
    return w;
}

double wrappedHeight(const QString& text, const Font& font, double width) {
    // The same headings are measured on every page: remembered.
    static QHash<QString, double> known;
    const QString key = QString::number(width) + u'@' + measureKey(font, text);
    if (auto it = known.constFind(key); it != known.cend()) return *it;
    if (known.size() > 20000) known.clear();
    return known[key] = measureWrapped(text, font, width);
}

namespace {

class Layouter {
public:
    Layouter(Report& r, const QDateTime& printed) : r_(r) {
        model_.name = r.name;
        model_.title = r.title;
        model_.orientation = r.orientation;
        model_.pageSize = r.pageSize();
        ctx_.data = &r.data;
        ctx_.printed = printed;
        left_ = r.margins.left();
        top_ = r.margins.top();
        bottom_ = model_.pageSize.height() - r.margins.bottom();
    }

    PageModel run(const LayoutProgress& progress) {
        if (r_.beforeReport) r_.beforeReport(r_);
        const int rows = r_.data.rowCount();
        ctx_.row = rows > 0 ? 0 : -1;
        startPage();
        const bool grouped = bool(r_.groupKey);
        const int details = r_.detailCount < 0 ? rows : r_.detailCount;
        if (r_.detailCount < 0) {
            // The key of the row at hand and of the next one, each computed once.
            QString key, next = grouped && rows > 0 ? r_.groupKey(r_.data, 0) : QString();
            for (int row = 0; row < rows; ++row) {
                bool lastOfGroup = false;
                if (grouped) {
                    if (row == 0 || next != key) {
                        if (row > 0) {
                            ctx_.row = row - 1;
                            groupFooter();
                        }
                        key = next;
                        ctx_.row = row;
                        groupHeader(row > 0);
                    }
                    next = row + 1 < rows ? r_.groupKey(r_.data, row + 1) : QString();
                    lastOfGroup = row + 1 == rows || next != key;
                }
                ctx_.row = row;
                // The group's last row keeps its footer's room below it.
                const double keep = lastOfGroup && groupOpen_ && r_.groupFooter.keepsWithRows
                                        ? r_.groupFooter.height
                                        : 0;
                place(r_.detail, keep);
                if (progress && (row % 64 == 63 || row == rows - 1) && !progress(row + 1, rows))
                    break;
            }
            if (grouped && rows > 0) {
                ctx_.row = rows - 1;
                groupFooter();
            }
        } else {
            for (int i = 0; i < details; ++i)
                place(r_.detail);
        }
        place(r_.summary);
        finishPage();
        return std::move(model_);
    }

private:
    void groupHeader(bool notFirst) {
        if (r_.groupHeader.startsNewPage && notFirst && bodyUsed_) {
            finishPage();
            startPage();
        }
        // A header that keeps with its rows has room for the first below it
        // (and for the footer that keeps with that row).
        const double keep =
            r_.groupHeader.keepsWithRows
                ? r_.detail.height + (r_.groupFooter.keepsWithRows ? r_.groupFooter.height : 0)
                : 0;
        groupOpen_ = place(r_.groupHeader, keep);
        groupHeaderHeight_ = height_;
    }

    void groupFooter() {
        place(r_.groupFooter);
        groupOpen_ = false;
    }

    void startPage() {
        model_.pages.emplace_back();
        ctx_.page = int(model_.pages.size());
        y_ = top_;
        footerTop_ = bottom_ - r_.pageFooter.height;
        bodyUsed_ = false;
        if (!r_.pageHeader.isEmpty() && prepare(r_.pageHeader)) put(r_.pageHeader, height_);
        // The open group's header again, as it was filled (its step, which
        // starts the group's totals, does not run again).
        if (groupOpen_ && r_.groupHeader.repeatsOnNewPage) put(r_.groupHeader, groupHeaderHeight_);
        bodyTop_ = y_;
    }

    void finishPage() {
        if (!r_.pageFooter.isEmpty()) {
            y_ = footerTop_;
            if (prepare(r_.pageFooter)) put(r_.pageFooter, height_);
        }
        model_.pages.back().squeeze();
    }

    // Runs the band's step and works out its height (with wrapped texts).
    bool prepare(Band& band) {
        if (band.beforePrint && !band.beforePrint(band, ctx_)) return false;
        height_ = band.height;
        for (const Element& e : band.elements) {
            if (!e.visible || !e.wordWrap || e.text.isEmpty()) continue;
            const double need = wrappedHeight(e.text, e.font, e.rect.width());
            if (need > e.rect.height())
                height_ = std::max(height_, band.height + need - e.rect.height());
        }
        return true;
    }

    // Places the band below the last one, on a new page when it does not fit
    // (with `keepBelow` mm more below it) and the page holds a band already.
    // False when the band's step skipped it.
    bool place(Band& band, double keepBelow = 0) {
        if (band.isEmpty() || !prepare(band)) return false;
        // The page's own bands are prepared on a page break: this one's height first.
        const double height = height_;
        if (y_ + height + keepBelow > footerTop_ + 1e-6 && y_ > bodyTop_ + 1e-6) {
            finishPage();
            startPage();
        }
        put(band, height);
        height_ = height;
        bodyUsed_ = true;
        return true;
    }

    void put(const Band& band, double height) {
        Page& page = model_.pages.back();
        for (const Element& e : band.elements) {
            if (!e.visible) continue;
            const QRectF at = e.rect.translated(left_, y_);
            switch (e.kind) {
            case Element::Kind::Text: {
                if (e.text.isEmpty()) break;
                QRectF rect = at;
                if (e.wordWrap)
                    rect.setHeight(
                        std::max(at.height(), wrappedHeight(e.text, e.font, at.width())));
                page.addText({rect, e.text, e.font, e.align, e.wordWrap, e.background});
                break;
            }
            case Element::Kind::Line:
                page.addLine(
                    {QLineF(at.topLeft(), at.bottomRight()), e.penWidth, e.penStyle});
                break;
            case Element::Kind::Frame:
                page.addLine({QLineF(at.topLeft(), at.topRight()), e.penWidth, e.penStyle});
                page.addLine(
                    {QLineF(at.topRight(), at.bottomRight()), e.penWidth, e.penStyle});
                page.addLine(
                    {QLineF(at.bottomRight(), at.bottomLeft()), e.penWidth, e.penStyle});
                page.addLine(
                    {QLineF(at.bottomLeft(), at.topLeft()), e.penWidth, e.penStyle});
                break;
            }
        }
        y_ += height;
    }

    Report& r_;
    PageModel model_;
    PrintContext ctx_;
    double left_ = 0, top_ = 0, bottom_ = 0;
    double y_ = 0, bodyTop_ = 0, footerTop_ = 0, height_ = 0;
    bool bodyUsed_ = false;
    bool groupOpen_ = false; // a group header is placed and its footer not yet
    double groupHeaderHeight_ = 0;
};

} // namespace

PageModel layout(Report& report, const QDateTime& printed, const LayoutProgress& progress) {
    return Layouter(report, printed).run(progress);
}

} // namespace reports
