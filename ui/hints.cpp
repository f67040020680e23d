#include "ui/hints.h"

#include "ui/messages.h"

#include <QCoreApplication>
#include <QStatusTipEvent>
#include <QWidget>

namespace ui {

void setHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

HintRouter::HintRouter(Messages& msg, QObject* parent) : QObject(parent), msg_(msg) {
    QCoreApplication::instance()->installEventFilter(this);
}

HintRouter::~HintRouter() {
    if (QCoreApplication* a = QCoreApplication::instance()) a->removeEventFilter(this);
}

bool HintRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        msg_.status(0, static_cast<QStatusTipEvent*>(event)->tip());
        return true; // shown; the parents need not see it again
    }
    return QObject::eventFilter(watched, event);
}

} // namespace ui
