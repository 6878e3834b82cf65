#pragma once
#include <QWidget>

namespace k740 {

// Takes `window` back out of the states in `refused` (minimised, maximised,
// full screen) whenever the window system puts it into one of them. A window
// without a minimise or maximise button asks the window manager not to offer
// them, but some window managers (openbox) offer them all the same. The
// state is undone after the change event has returned.
void RefuseWindowStates(QWidget* window, Qt::WindowStates refused);

} // namespace k740
