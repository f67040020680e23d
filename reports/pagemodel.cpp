#include "reports/pagemodel.h"

#include "reports/renderer.h"

#include <QFontMetricsF>
#include <QImage>
#include <algorithm>

namespace reports {

QStringList PageModel::texts(int page) const {
    QStringList out;
    if (page < 0 || page >= pageCount()) return out;
    for (const PageText& t : pages[size_t(page)].texts)
        out << t.text;
    return out;
}

void PageModel::append(PageModel&& other) {
    for (Page& p : other.pages)
        pages.push_back(std::move(p));
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

double measureWrapped(const QString& text, const Font& font, double width) {
    const double pxPerMm = 300.0 / 25.4;
    const QFontMetricsF fm(toQFont(font), &measuringDevice());
    const QRectF r = fm.boundingRect(QRectF(0, 0, width * pxPerMm, 1e6),
                                     Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return r.height() / pxPerMm;
}

} // namespace

double textWidth(const QString& text, const Font& font) {
    const double pxPerMm = 300.0 / 25.4;
    const QFontMetricsF fm(toQFont(font), &measuringDevice());
    return fm.horizontalAdvance(text) / pxPerMm;
}

double wrappedHeight(const QString& text, const Font& font, double width) {
    // The same headings are measured on every page: remembered.
    static QHash<QString, double> known;
    const QString key = QString::number(font.pointSize) + (font.bold ? u'b' : u'-') +
                        (font.italic ? u'i' : u'-') + QString::number(width) + u'|' + text;
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
        QString key;
        const int details = r_.detailCount < 0 ? rows : r_.detailCount;
        if (r_.detailCount < 0) {
            for (int row = 0; row < rows; ++row) {
                if (grouped) {
                    QString k = r_.groupKey(r_.data, row);
                    if (row == 0 || k != key) {
                        if (row > 0) {
                            ctx_.row = row - 1;
                            place(r_.groupFooter);
                        }
                        key = std::move(k);
                        ctx_.row = row;
                        groupHeader(row > 0);
                    }
                }
                ctx_.row = row;
                place(r_.detail);
                if (progress && (row % 64 == 63 || row == rows - 1) && !progress(row + 1, rows))
                    break;
            }
            if (grouped && rows > 0) {
                ctx_.row = rows - 1;
                place(r_.groupFooter);
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
        place(r_.groupHeader);
    }

    void startPage() {
        model_.pages.emplace_back();
        ctx_.page = int(model_.pages.size());
        y_ = top_;
        footerTop_ = bottom_ - r_.pageFooter.height;
        bodyUsed_ = false;
        if (!r_.pageHeader.isEmpty() && prepare(r_.pageHeader)) put(r_.pageHeader, height_);
        bodyTop_ = y_;
    }

    void finishPage() {
        if (r_.pageFooter.isEmpty()) return;
        y_ = footerTop_;
        if (prepare(r_.pageFooter)) put(r_.pageFooter, height_);
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

    void place(Band& band) {
        if (band.isEmpty() || !prepare(band)) return;
        if (y_ + height_ > footerTop_ + 1e-6 && y_ > bodyTop_ + 1e-6) {
            finishPage();
            startPage();
        }
        put(band, height_);
        bodyUsed_ = true;
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
                page.texts.push_back({rect, e.text, e.font, e.align, e.wordWrap, e.background});
                break;
            }
            case Element::Kind::Line:
                page.lines.push_back(
                    {QLineF(at.topLeft(), at.bottomRight()), e.penWidth, e.penStyle});
                break;
            case Element::Kind::Frame:
                page.lines.push_back({QLineF(at.topLeft(), at.topRight()), e.penWidth, e.penStyle});
                page.lines.push_back(
                    {QLineF(at.topRight(), at.bottomRight()), e.penWidth, e.penStyle});
                page.lines.push_back(
                    {QLineF(at.bottomRight(), at.bottomLeft()), e.penWidth, e.penStyle});
                page.lines.push_back(
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
};

} // namespace

PageModel layout(Report& report, const QDateTime& printed, const LayoutProgress& progress) {
    return Layouter(report, printed).run(progress);
}

} // namespace reports
