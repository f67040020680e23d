#pragma once
// Small pieces the master-data windows of this folder build their forms
// from: named buttons and fields with their hints, the placing rules of the
// pickers, and the Enter test. Header-only and internal to masters/.

#include "ui/hints.h"
#include "ui/screenfit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QWidget>

namespace masters::form {

// A push button that does not take Enter for itself (Enter has its own
// meaning in every field of these windows).
inline QPushButton* button(QWidget* parent, const QString& name, const QString& caption,
                           const QString& hint = {}) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    if (!hint.isEmpty()) ui::setHint(b, hint);
    b->setAutoDefault(false);
    return b;
}

inline QLineEdit* edit(QWidget* parent, const QString& name, int maxLength,
                       const QString& hint = {}) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    if (maxLength > 0) e->setMaxLength(maxLength);
    if (!hint.isEmpty()) ui::setHint(e, hint);
    return e;
}

inline QLabel* label(QWidget* parent, const QString& name, const QString& text,
                     QWidget* buddy = nullptr) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    if (buddy) l->setBuddy(buddy);
    return l;
}

inline bool isEnter(const QKeyEvent* k) {
    return (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
           (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Where a maintenance window opened from the menu stands: 50 pixels below
// and 10 to the right of the main window's top left corner.
inline void placeBelowMain(QWidget* w, const QWidget* mainWindow) {
    if (mainWindow) ui::placeWindow(w, mainWindow->frameGeometry().topLeft() + QPoint(10, 50));
}

// Where a picker stands beside the window that opened it: its top at the
// caller's top plus `num`/`den` of the caller's height (+ `extra` pixels),
// its right edge on the caller's right edge.
inline void placeRightAligned(QWidget* w, const QWidget* caller, int num, int den, int extra = 0) {
    if (!caller) return;
    const QRect c = caller->frameGeometry();
    const QSize own = w->size().expandedTo(w->sizeHint());
    const QMargins frame = ui::frameExtents(w);
    ui::placeWindow(w,
                    QPoint(c.left() + c.width() - own.width() - frame.left() - frame.right(),
                           c.top() + c.height() * num / den + extra),
                    own);
}

} // namespace masters::form
