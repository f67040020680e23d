#include "ui/windowconventions.h"

#include "ui/screenfit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

namespace ui {

namespace {

bool enterKey(const QKeyEvent* e) {
    const Qt::KeyboardModifiers m = e->modifiers() & ~Qt::KeypadModifier;
    return (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && m == Qt::NoModifier;
}

bool shiftF10(const QKeyEvent* e) {
    return e->key() == Qt::Key_F10 && (e->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
}

// A push or tool button; check boxes and radio buttons keep Space alone.
bool pressable(QWidget* w) {
    auto* b = qobject_cast<QAbstractButton*>(w);
    return b && !qobject_cast<QCheckBox*>(w) && !qobject_cast<QRadioButton*>(w) && b->isEnabled() &&
           b->isVisible();
}

// A window of its own that the user works in: not a menu, tooltip or the
// like.
bool ownWindow(QWidget* w) {
    if (!w->isWindow()) return false;
    const Qt::WindowType t = w->windowType();
    return t == Qt::Window || t == Qt::Dialog || t == Qt::Sheet;
}

// The window that should have the keyboard after `closed` went: the modal
// window that is still open, or else the window `closed` stood over.
QWidget* heir(QWidget* closedParent) {
    if (QWidget* modal = QApplication::activeModalWidget())
        if (modal->isVisible()) return modal;
    return closedParent && closedParent->isVisible() ? closedParent->window() : nullptr;
}

void handBack(QWidget* to) {
    if (!to || !to->isVisible()) return;
    if (QApplication::activeWindow() != to) {
        to->raise();
        to->activateWindow();
    }
    QWidget* f = to->focusWidget();
    if (f && f->isVisible() && f->isEnabled()) f->setFocus(Qt::ActiveWindowFocusReason);
}

} // namespace

WindowConventions::WindowConventions(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

WindowConventions::~WindowConventions() {
    if (qApp) qApp->removeEventFilter(this);
}

bool WindowConventions::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(event);
        if (w != QApplication::focusWidget()) break;
        if (enterKey(k) && pressable(w)) {
            static_cast<QAbstractButton*>(w)->animateClick();
            return true;
        }
        if (shiftF10(k) && w->contextMenuPolicy() != Qt::NoContextMenu) {
            // Where the Menu key would open it: at the control's cursor (a
            // grid's current cell), else in its middle.
            QRect at = w->inputMethodQuery(Qt::ImCursorRectangle).toRect();
            const QPoint pos = at.isValid() ? at.center() : w->rect().center();
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, pos, w->mapToGlobal(pos),
                                   k->modifiers());
            QCoreApplication::sendEvent(w, &menu);
            return true;
        }
        break;
    }
    case QEvent::Show:
        if (ownWindow(w)) {
            fitOnScreen(w);
            // The frame is known only once the window is on the screen.
            QPointer<QWidget> p(w);
            QTimer::singleShot(0, w, [p] {
                if (p && p->isVisible()) fitOnScreen(p);
            });
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
        // The window manager tells its frame extents only once the window
        // is mapped: the window is fitted again with the real ones.
        if (event->spontaneous() && ownWindow(w) && w->isVisible() && frameChangedSinceFit(w))
            fitOnScreen(w);
        break;
    case QEvent::Hide:
        if (ownWindow(w) && !event->spontaneous()) {
            QPointer<QWidget> parent(w->parentWidget());
            QTimer::singleShot(0, this, [parent] { handBack(heir(parent)); });
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace ui
