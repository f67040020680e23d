#include "ui/screenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace ui {

void fitOnScreen(QWidget* w) {
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    // The frame (title bar, borders) around the client area.
    const QSize frame = w->frameGeometry().size() - w->geometry().size();
    const QSize room = area.size() - frame;
    const QSize size = w->size().boundedTo(room).expandedTo(w->minimumSize());
    if (size != w->size()) w->resize(size);
    const QRect f = w->frameGeometry();
    const int x =
        std::clamp(f.left(), area.left(), std::max(area.left(), area.right() + 1 - f.width()));
    const int y =
        std::clamp(f.top(), area.top(), std::max(area.top(), area.bottom() + 1 - f.height()));
    if (x != f.left() || y != f.top()) w->move(x, y);
}

} // namespace ui
