#include "print/report.h"

#include <QDate>
#include <stdexcept>

namespace reports {

Element& Band::addText(const QString& name, double x, double y, double w, double h,
                       const QString& text, Font font, Qt::Alignment align) {
    Element e;
    e.kind = Element::Kind::Text;
    e.name = name;
    e.rect = QRectF(x, y, w, h);
    e.text = text;
    e.font = font;
    e.align = align;
    elements.push_back(std::move(e));
    return elements.back();
}

Element& Band::addLine(double x1, double y1, double x2, double y2, double penWidth,
                       Qt::PenStyle style, const QString& name) {
    Element e;
    e.kind = Element::Kind::Line;
    e.name = name;
    e.rect = QRectF(QPointF(x1, y1), QPointF(x2, y2));
    e.penWidth = penWidth;
    e.penStyle = style;
    elements.push_back(std::move(e));
    return elements.back();
}

Element& Band::addFrame(double x, double y, double w, double h, double penWidth,
                        const QString& name) {
    Element e;
    e.kind = Element::Kind::Frame;
    e.name = name;
    e.rect = QRectF(x, y, w, h);
    e.penWidth = penWidth;
    elements.push_back(std::move(e));
    return elements.back();
}

int Band::indexOf(const QString& name) const {
    if (indexed_ != elements.size()) {
        index_.clear();
        for (std::size_t i = 0; i < elements.size(); ++i)
            if (!elements[i].name.isEmpty() && !index_.contains(elements[i].name))
                index_.insert(elements[i].name, int(i));
        indexed_ = elements.size();
    }
    return index_.value(name, -1);
}

Element& Band::operator[](const QString& name) {
    const int i = indexOf(name);
    if (i < 0) throw std::out_of_range("no report element named " + name.toStdString());
    return elements[std::size_t(i)];
}

QString displayText(const QVariant& value) {
    if (value.isNull()) return QString();
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy.MM.dd"));
    case QMetaType::Double: {
        const double d = value.toDouble();
        return QString::number(d, 'g', 15);
    }
    case QMetaType::QString: {
        QString s = value.toString();
        // Dates come from SQL as ISO text.
        if (s.size() == 10 && s[4] == QLatin1Char('-') && s[7] == QLatin1Char('-') &&
            s[0].isDigit() && s[9].isDigit())
            return s.replace(QLatin1Char('-'), QLatin1Char('.'));
        int n = int(s.size());
        while (n > 0 && s[n - 1] == QLatin1Char(' '))
            --n;
        s.truncate(n);
        return s;
    }
    default:
        return value.toString();
    }
}

QVariant PrintContext::value(const QString& column) const {
    if (!data || row < 0 || row >= data->rowCount()) return {};
    return data->value(row, column);
}

QString PrintContext::text(const QString& column) const {
    return displayText(value(column));
}

QSizeF Report::pageSize() const {
    return orientation == Orientation::Portrait ? QSizeF(210, 297) : QSizeF(297, 210);
}

} // namespace reports
