#pragma once
// The laid-out report: pages of texts and rules at positions in millimetres
// from the page's top-left corner. The screen preview, the printer and the
// PDF all draw this one model, so they show the same pages; tests read the
// texts from it without a printer or a display.

#include "print/report.h"

#include <QFont>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

namespace reports {

// A text as the layout places it (what a page hands out and takes).
struct PageText {
    QRectF rect; // mm from the page's top-left corner
    QString text;
    Font font;
    Qt::Alignment align;
    bool wordWrap = false;
    QColor background; // invalid: none
};

struct PageLine {
    QLineF line; // mm
    double penWidth = 0.2;
    Qt::PenStyle penStyle = Qt::SolidLine;
};

// A laid-out page, held compactly: a list of thousands of pages keeps
// a few dozen bytes per text. The characters of all its texts stand in
// one string; each text keeps where its characters are, its place (its
// left edge and width, its top and height, each pair kept once per
// page: a table's columns and rows repeat them) and its look (font,
// alignment, wrapping, background: a page has a few).
class Page {
public:
    void addText(const PageText& t);
    void addLine(const PageLine& l) { lines_.push_back(l); }
    // Gives back the room kept for more texts (the page is complete).
    void squeeze();

    int textCount() const { return int(items_.size()); }
    PageText text(int i) const;
    // The texts in the order the bands placed them.
    std::vector<PageText> texts() const;
    const std::vector<PageLine>& lines() const { return lines_; }
    // Bytes held by the page (for the model's size).
    std::size_t bytes() const;

private:
    struct Look {
        Font font;
        Qt::Alignment align;
        bool wordWrap = false;
        QColor background;
    };
    struct Item {
        quint32 from = 0, length = 0; // in chars_
        quint16 across = 0, down = 0; // in across_ (left, width) and down_ (top, height)
        quint16 look = 0;
    };
    using Spans = std::vector<std::pair<double, double>>;
    static quint16 span(Spans& spans, double a, double b, std::size_t recent, std::size_t window);
    quint16 look(const PageText& t);

    QString chars_;
    std::vector<Item> items_;
    Spans across_, down_;
    std::vector<Look> looks_;
    std::vector<PageLine> lines_;
};

struct PageModel {
    QString name;  // the report's layout name
    QString title; // the report's title
    Orientation orientation = Orientation::Portrait;
    QSizeF pageSize{210, 297}; // mm
    std::vector<Page> pages;

    int pageCount() const { return int(pages.size()); }
    // The texts of a page in placing order (band by band, element by element).
    QStringList texts(int page) const;
    // Appends the pages of another model of the same paper (several reports
    // previewed as one document).
    void append(PageModel&& other);
    // Bytes held by the pages.
    std::size_t bytes() const;
};

// Reports on the layout's progress: pages so far, data rows done of all.
// False stops the layout (the pages laid out so far are kept).
using LayoutProgress = std::function<bool(int rowsDone, int rowsTotal)>;

// Runs the report's bands over its data into pages.
PageModel layout(Report& report, const QDateTime& printed, const LayoutProgress& progress = {});

// The Qt font of a report font: the layout measures with it and the
// renderer draws with it.
QFont toQFont(const Font& font);

// The height in mm that a wrapped text needs in the given width: broken
// between words, and a word wider than the width broken inside (as the
// renderer draws it).
double wrappedHeight(const QString& text, const Font& font, double width);
// The width in mm that a text needs on one line.
double textWidth(const QString& text, const Font& font);
// The width in mm of the widest piece of a text that a wrapped text keeps
// on one line (the pieces end where a line may break: after a blank, after
// a hyphen). A column that wide breaks none of them.
double widestPiece(const QString& text, const Font& font);

} // namespace reports
