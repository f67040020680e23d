#pragma once
// Windows on small screens (a 1366x768 or 1280x800 laptop): every window is
// placed and sized by its frame, the window manager's title bar and borders
// included, so that the whole frame lies inside the screen's free area and
// the title bar stays where the mouse can take it. A window whose content
// may be larger keeps that content in a scroll area, so that every control
// stays in reach.
//
// The frame extents are the window system's once it reports them; before
// that (a window not yet mapped, a window manager that tells its extents
// only later) the style's title bar and borders stand in for them. The
// client area is always set directly (QWidget::setGeometry): a move by the
// frame's corner would put the client area there while the frame is still
// unknown, and the title bar above the screen.
//
//     ui::placeWindow(this, main->frameGeometry().topLeft() + QPoint(10, 50));
//     ui::centerWindow(preview, parent, QSize(900, 700));

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// The client-area geometry of a window whose client area is `client` and
// whose frame adds `frame` around it, so that the whole frame lies inside
// `area`: shrunk to fit (not below `minimum`), then moved in.
QRect fittedGeometry(const QRect& client, const QMargins& frame, const QSize& minimum,
                     const QRect& area);

// The frame around `w`'s client area: the window system's frame extents when
// it knows them, else the style's title bar (at least 24 pixels) and borders.
QMargins frameExtents(const QWidget* w);

// The width a window needs for its caption to be read whole in its title
// bar: the caption in the title bar's font, the icon and three buttons.
int titleWidth(const QWidget* w);

// Shrinks `w` to the free area of its screen when it is larger, widens it
// to its caption where it may grow, and places it so that its frame lies
// inside that area. A maximised window is left alone.
void fitOnScreen(QWidget* w);

// Whether the window system has told `w`'s frame extents since fitOnScreen
// last fitted it with other ones (an estimate): then it is fitted again.
bool frameChangedSinceFit(const QWidget* w);

// Places `w` with its frame's top-left corner at `frameTopLeft` and a client
// area of `size` (empty: its present size), then fits it to the screen under
// that point.
void placeWindow(QWidget* w, const QPoint& frameTopLeft, const QSize& size = {});

// Places `w` (client area `size`, empty: its present size) in the middle of
// `over`'s frame, or of the screen's free area without `over`; fitted.
void centerWindow(QWidget* w, const QWidget* over, const QSize& size = {});

// Gives `w`'s frame the whole free area of its screen: the size of a
// maximised window also where the window manager does not maximise it (a
// window without a maximise button).
void fillScreen(QWidget* w);

} // namespace ui
