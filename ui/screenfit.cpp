#include "ui/screenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace ui {

QRect fittedGeometry(const QRect& client, const QMargins& frame, const QSize& minimum,
                     const QRect& area) {
    const QSize room(area.width() - frame.left() - frame.right(),
                     area.height() - frame.top() - frame.bottom());
    const QSize size = client.size().boundedTo(room).expandedTo(minimum);
    // The frame's top-left corner, moved into the area.
    const int fw = size.width() + frame.left() + frame.right();
    const int fh = size.height() + frame.top() + frame.bottom();
    const int fx = std::clamp(client.left() - frame.left(), area.left(),
                              std::max(area.left(), area.right() + 1 - fw));
    const int fy = std::clamp(client.top() - frame.top(), area.top(),
                              std::max(area.top(), area.bottom() + 1 - fh));
    return QRect(QPoint(fx + frame.left(), fy + frame.top()), size);
}

namespace {

// The frame around the client area: as the window system reports it once the
// window is on the screen, else the style's title bar and borders.
QMargins frameOf(const QWidget* w) {
    const QRect f = w->frameGeometry(), g = w->geometry();
    const QMargins known(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                         f.bottom() - g.bottom());
    if (!known.isNull() && known.top() > 0) return known;
    const QStyle* s = w->style();
    const int border = std::max(4, s->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, w));
    const int title = std::max(24, s->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, w));
    return QMargins(border, title + border, border, border);
}

} // namespace

void fitOnScreen(QWidget* w) {
    if (w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect now = w->geometry();
    const QMargins frame = frameOf(w);
    const QRect fitted = fittedGeometry(now, frame, w->minimumSize(), screen->availableGeometry());
    if (fitted.size() != now.size()) w->resize(fitted.size());
    // A window's position is its frame's.
    const QPoint at(fitted.left() - frame.left(), fitted.top() - frame.top());
    if (at != w->pos()) w->move(at);
}

} // namespace ui
