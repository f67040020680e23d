#include "app/programicon.h"

#include <QPainter>
#include <QPainterPath>

namespace app {

QPixmap programPixmap(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    // the disc
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5f, 0xa8));
    p.drawEllipse(QRectF(0.03 * s, 0.03 * s, 0.94 * s, 0.94 * s));

    // the roof of the house: home nursing
    QPainterPath roof;
    roof.moveTo(0.18 * s, 0.46 * s);
    roof.lineTo(0.50 * s, 0.16 * s);
    roof.lineTo(0.82 * s, 0.46 * s);
    QPen roofPen(QColor(0xf2, 0xf2, 0xf2), 0.07 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(roofPen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(roof);

    // the cross under it
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd6, 0x2b, 0x2b));
    const qreal arm = 0.12 * s;
    const QPointF c(0.50 * s, 0.62 * s);
    const qreal len = 0.36 * s;
    p.drawRect(QRectF(c.x() - arm / 2, c.y() - len / 2, arm, len));
    p.drawRect(QRectF(c.x() - len / 2, c.y() - arm / 2, len, arm));
    return pm;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(programPixmap(size));
    return icon;
}

} // namespace app
