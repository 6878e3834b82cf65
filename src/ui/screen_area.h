#pragma once
#include "ui/layout_rules.h"

#include <QRect>
#include <vector>

class QWidget;

namespace k740 {

// Rectangles between Qt and the layout rules, and the screens' usable areas
// (the desktop less its panels and docks).

TBounds BoundsOf(const QRect& rect);
QRect RectOf(const TBounds& bounds);

// Of every screen.
std::vector<TBounds> UsableAreas();

// Of the screen that holds the middle of `bounds`, else of the screen of
// `window`.
QRect UsableArea(const QRect& bounds, const QWidget* window);

// `bounds` no larger than the usable area of their screen and inside it.
QRect FittedOnScreen(const QRect& bounds, const QWidget* window);

// The frame a window manager draws around `window`; before it has, the
// frame around `framed` (a window it has framed, such as the main window).
QSize FrameExtra(const QWidget* window, const QWidget* framed = nullptr);

} // namespace k740
