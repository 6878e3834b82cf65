#pragma once
#include <QApplication>
#include <memory>

namespace k740 {

// The name of the program's desktop entry (org.k740.Desktop.desktop) and,
// on Wayland, its app id.
extern const char kDesktopFileName[];

// The application object on the display that the environment names, tied
// to the program's desktop entry and icon. Without a display to open it says
// so in one line on standard error, with the way to run headless, and ends
// the program with status 1 (Qt itself would abort with advice to reinstall).
// Hidden widgets tell assistive technology nothing (QuietHiddenWidgets).
std::unique_ptr<QApplication> StartOnDesktop(int& argc, char** argv);

// Names the desktop entry and gives every window the program's icon.
void TieToDesktopEntry();

} // namespace k740
