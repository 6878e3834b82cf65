#include "ui/window_system.h"

#include <QGuiApplication>

namespace k740 {

bool WindowPositionsKnown()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool NativeWindowIds()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

} // namespace k740
