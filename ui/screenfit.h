#pragma once
// Windows on small screens: a window never reaches past the screen it stands
// on (a 1366x768 or 1280x800 laptop): it is made no larger than the screen's
// free area and moved back into it. A window whose content may be larger
// keeps that content in a scroll area, so that every control stays in reach.
// What is fitted is the window with its frame: the title bar and the
// borders count, also before the window is on the screen and its frame is
// known (then the style's title bar and frame widths stand in for it).

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// The client-area geometry of a window whose client area is `client` and
// whose frame adds `frame` around it, so that the whole frame lies inside
// `area`: shrunk to fit (not below `minimum`), then moved in.
QRect fittedGeometry(const QRect& client, const QMargins& frame, const QSize& minimum,
                     const QRect& area);

// Shrinks `w` to the free area of its screen when it is larger, and moves it
// so that its frame lies inside that area. A maximised window is left alone.
void fitOnScreen(QWidget* w);

} // namespace ui
