#include "ui/screen_area.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace k740 {

TBounds BoundsOf(const QRect& rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QRect RectOf(const TBounds& bounds)
{
    return {bounds.Left, bounds.Top, bounds.Width, bounds.Height};
}

std::vector<TBounds> UsableAreas()
{
    std::vector<TBounds> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.push_back(BoundsOf(screen->availableGeometry()));
    return areas;
}

QRect UsableArea(const QRect& bounds, const QWidget* window)
{
    const QScreen* on = QGuiApplication::screenAt(bounds.center());
    if (!on)
        on = window->screen();
    return on ? on->availableGeometry() : bounds;
}

QRect FittedOnScreen(const QRect& bounds, const QWidget* window)
{
    return RectOf(FitInside(BoundsOf(bounds), BoundsOf(UsableArea(bounds, window))));
}

QSize FrameExtra(const QWidget* window, const QWidget* framed)
{
    const QSize own = window->frameGeometry().size() - window->size();
    if (own.isNull() && framed)
        return FrameExtra(framed);
    return own;
}

} // namespace k740
