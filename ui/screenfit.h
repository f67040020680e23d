#pragma once
// Windows on small screens: a window never reaches past the screen it stands
// on (a 1366x768 or 1280x800 laptop): it is made no larger than the screen's
// free area and moved back into it. A window whose content may be larger
// keeps that content in a scroll area, so that every control stays in reach.

class QWidget;

namespace ui {

// Shrinks `w` to the free area of its screen when it is larger, and moves it
// so that its frame lies inside that area.
void fitOnScreen(QWidget* w);

} // namespace ui
