#include "ui/valuefield.h"

#include <QLineEdit>
#include <QPalette>

namespace ui {

QLineEdit* valueField(QWidget* parent, const QString& objectName, const QString& label, int chars,
                      bool right) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(objectName);
    e->setReadOnly(true);
    e->setAccessibleName(label);
    e->setFocusPolicy(Qt::NoFocus);
    e->setAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    // A value, not an input: the window's colour behind it.
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    e->setPalette(pal);
    if (chars > 0) {
        const QFontMetrics fm = e->fontMetrics();
        e->setMinimumWidth(fm.horizontalAdvance(QLatin1Char('0')) * chars + 12);
    }
    return e;
}

} // namespace ui
