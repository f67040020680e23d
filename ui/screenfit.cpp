#include "ui/screenfit.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QVariant>
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

// The style's title bar and borders, for a frame not yet known.
QMargins styleFrame(const QWidget* w) {
    const QStyle* s = w->style();
    const int border = std::max(4, s->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, w));
    const int title = std::max(24, s->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, w));
    return QMargins(border, title + border, border, border);
}

QScreen* screenOf(const QWidget* w, const QPoint& at = {}, bool useAt = false) {
    if (useAt)
        if (QScreen* s = QGuiApplication::screenAt(at)) return s;
    if (QScreen* s = w->screen()) return s;
    return QGuiApplication::primaryScreen();
}

// Sets the client area `g` of a top-level window.
void setClient(QWidget* w, const QRect& g) {
    if (g != w->geometry()) w->setGeometry(g);
}

} // namespace

QMargins frameExtents(const QWidget* w) {
    const QRect f = w->frameGeometry(), g = w->geometry();
    const QMargins known(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                         f.bottom() - g.bottom());
    if (!known.isNull() && known.top() > 0) return known;
    return styleFrame(w);
}

int titleWidth(const QWidget* w) {
    const QFontMetrics fm(QApplication::font("QMdiSubWindowTitleBar"));
    const QMargins frame = styleFrame(w);
    const int bar = frame.top() - frame.bottom();
    // The icon, the caption with room on both sides, three buttons.
    return fm.horizontalAdvance(w->windowTitle()) + 4 * bar + 2 * fm.averageCharWidth() + 16;
}

bool frameChangedSinceFit(const QWidget* w) {
    const QVariant used = w->property("szFitFrame");
    if (!used.isValid()) return false;
    const QMargins m = frameExtents(w);
    return used.toRect() != QRect(m.left(), m.top(), m.right(), m.bottom());
}

void fitOnScreen(QWidget* w) {
    if (w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    QScreen* screen = screenOf(w);
    if (!screen) return;
    const QMargins m = frameExtents(w);
    w->setProperty("szFitFrame", QRect(m.left(), m.top(), m.right(), m.bottom()));
    QRect now = w->geometry();
    // A caption cut in the title bar: the window widens where it may.
    const int needed = std::min(titleWidth(w), w->maximumWidth());
    if (now.width() < needed) now.setWidth(needed);
    const QRect fitted =
        fittedGeometry(now, m, w->minimumSize(), screen->availableGeometry());
    // A window that nobody placed and that is not on the screen yet is
    // placed by the window manager: only its size is the program's.
    const bool placed =
        w->isVisible() || w->testAttribute(Qt::WA_Moved) || qobject_cast<QDialog*>(w);
    if (!placed) {
        if (fitted.size() != w->size()) w->resize(fitted.size());
        return;
    }
    setClient(w, fitted);
}

void placeWindow(QWidget* w, const QPoint& frameTopLeft, const QSize& size) {
    QScreen* screen = screenOf(w, frameTopLeft, true);
    const QMargins frame = frameExtents(w);
    const QSize s = size.isEmpty() ? w->size() : size;
    const QRect client(frameTopLeft + QPoint(frame.left(), frame.top()), s);
    if (!screen || (w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        setClient(w, client);
        return;
    }
    setClient(w, fittedGeometry(client, frame, w->minimumSize(), screen->availableGeometry()));
}

void centerWindow(QWidget* w, const QWidget* over, const QSize& size) {
    const QMargins frame = frameExtents(w);
    const QSize s = size.isEmpty() ? w->size() : size;
    const QSize outer = s.grownBy(frame);
    QRect around;
    if (over) around = over->window()->frameGeometry();
    if (around.isEmpty())
        if (QScreen* screen = screenOf(over ? over : w)) around = screen->availableGeometry();
    const QPoint at(around.left() + (around.width() - outer.width()) / 2,
                    around.top() + (around.height() - outer.height()) / 2);
    placeWindow(w, at, s);
}

void fillScreen(QWidget* w) {
    QScreen* screen = screenOf(w);
    if (!screen) return;
    const QMargins frame = frameExtents(w);
    setClient(w, screen->availableGeometry().marginsRemoved(frame));
}

} // namespace ui
