#include "ui/window_system.h"

#include <QGuiApplication>
#include <QWidget>

namespace k740 {

bool WindowPositionsKnown()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool NativeWindowIds()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

uint NativeWindowId(const QWidget& window)
{
    return NativeWindowIds() ? uint(window.winId()) : 0;
}

} // namespace k740
