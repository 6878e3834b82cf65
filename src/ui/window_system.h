#pragma once
#include <QtGlobal>

class QWidget;

namespace k740 {

// What the window system lets the program know of its windows. Qt offers no
// capability query for either, so both go by the platform's name.

// False where the compositor places windows and tells no client where they
// are (Wayland): a window's position is then the one the program asked for.
bool WindowPositionsKnown();

// True where a window has an id that other programs can use (X11); the
// offscreen and Wayland platforms number their windows for themselves only.
bool NativeWindowIds();
// The id of `window` that other programs can use; 0 where there is none.
uint NativeWindowId(const QWidget& window);

} // namespace k740
