#pragma once
// The banded report: a page header, a group header (optionally starting a new
// page), a detail band per data row, a group footer, a summary and a page
// footer. Each band holds fixed and computed texts and rules placed in
// millimetres relative to the band's top-left corner inside the page margins;
// a before-print step per band fills the computed texts, hides parts of the
// band or skips the band for this print. The band keeps what its step set
// (like a form's labels), so a step sets every text it owns each time.
//
//     reports::Report r(QStringLiteral("Telszl"), QStringLiteral("Elszámoló lap"));
//     r.data = db.query(sql, params);
//     r.groupKey = [](const engine::Query& q, int row) { return q.value(row, 0).toString(); };
//     r.groupHeader.height = 40;
//     r.groupHeader.startsNewPage = true;
//     r.groupHeader.addText("nev", 30, 5, 80, 4);
//     r.groupHeader.beforePrint = [](reports::Band& b, const reports::PrintContext& c) {
//         b.setText("nev", c.text("nev"));
//         return true;
//     };
//     reports::PageModel pages = reports::layout(r, printedAt);

#include "engine/database.h"

#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QMarginsF>
#include <QRectF>
#include <QString>
#include <functional>
#include <vector>

namespace reports {

enum class Orientation { Portrait, Landscape };

struct Font {
    double pointSize = 9;
    bool bold = false;
    bool italic = false;
    bool operator==(const Font&) const = default;
};

struct Element {
    enum class Kind { Text, Line, Frame };
    Kind kind = Kind::Text;
    QString name; // for the before-print step; empty for fixed texts
    QRectF rect;  // mm, relative to the band; a line runs from topLeft to bottomRight
    QString text;
    Font font;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    // A wrapped text grows downwards when it needs more lines than its
    // rectangle holds, and the band grows with it.
    bool wordWrap = false;
    bool visible = true;
    double penWidth = 0.2; // mm, lines and frames
    Qt::PenStyle penStyle = Qt::SolidLine;
    QColor background; // a text's rectangle is filled with it first; invalid: none
};

class Band;
struct PrintContext;

// Called before the band prints; false skips the band this time.
using BeforePrint = std::function<bool(Band&, const PrintContext&)>;

class Band {
public:
    double height = 0;          // mm; a band of height 0 with no elements never prints
    bool startsNewPage = false; // group header: each group on a fresh page
    // Group header: printed again, as its step last filled it, at the top of
    // every page its group continues on.
    bool repeatsOnNewPage = false;
    // Group header and footer: kept on a page with a row of their group (a
    // header does not end a page, a footer does not start one: the group's
    // last row goes over with it).
    bool keepsWithRows = false;
    std::vector<Element> elements;
    BeforePrint beforePrint;

    // A text: fixed when `name` is empty, else filled by the before-print step.
    Element& addText(const QString& name, double x, double y, double w, double h,
                     const QString& text = {}, Font font = {},
                     Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    Element& addLabel(double x, double y, double w, double h, const QString& text, Font font = {},
                      Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
        return addText(QString(), x, y, w, h, text, font, align);
    }
    Element& addLine(double x1, double y1, double x2, double y2, double penWidth = 0.2,
                     Qt::PenStyle style = Qt::SolidLine, const QString& name = {});
    Element& addFrame(double x, double y, double w, double h, double penWidth = 0.2,
                      const QString& name = {});

    bool isEmpty() const { return elements.empty() && height <= 0; }

    // The element of that name; throws std::out_of_range when there is none.
    Element& operator[](const QString& name);
    // Its index in `elements`, -1 when there is none.
    int indexOf(const QString& name) const;
    void setText(const QString& name, const QString& text) { (*this)[name].text = text; }
    void setVisible(const QString& name, bool visible) { (*this)[name].visible = visible; }

private:
    mutable QHash<QString, int> index_;
    mutable std::size_t indexed_ = 0;
};

// What a before-print step sees: the data row the band belongs to (the
// first row of its group for a group header, the last for a group footer,
// -1 when the report has no rows), the page and the printing time.
struct PrintContext {
    const engine::Query* data = nullptr;
    int row = -1;
    int page = 1;
    QDateTime printed;

    QVariant value(const QString& column) const;
    // The value as the report shows it: text without trailing blanks, a
    // date as "YYYY.MM.DD", a number as it is, NULL as "".
    QString text(const QString& column) const;
};

// A value as the report shows it (see PrintContext::text).
QString displayText(const QVariant& value);

class Report {
public:
    Report(const QString& name, const QString& title) : name(name), title(title) {}

    QString name;  // the layout's name, "Telszl"
    QString title; // what the user calls it, proposed as the PDF file name
    Orientation orientation = Orientation::Portrait;
    QMarginsF margins{10, 8, 10, 8}; // mm

    Band pageHeader, groupHeader, detail, groupFooter, summary, pageFooter;

    engine::Query data;
    // The group a row belongs to; no groups when empty.
    std::function<QString(const engine::Query&, int row)> groupKey;
    // Runs once before the first band ("report start").
    std::function<void(Report&)> beforeReport;
    // How often the detail band prints: -1 once per data row; 0 or more that
    // many times without data rows (a report whose detail step reads the
    // rows itself).
    int detailCount = -1;

    QSizeF pageSize() const; // mm, A4 in the report's orientation
};

} // namespace reports
