#include "ui/widgets/sizer_geometry.h"

#include <algorithm>
#include <utility>

namespace k740 {

namespace {

// Where a handle sits along one side of the target.
enum TAxisPlace { apStart, apMiddle, apEnd };

struct THandleLayout {
    TAxisPlace x;
    TAxisPlace y;
    unsigned edges;
    Qt::CursorShape cursor;
    TAlign keptUnder; // alNone: kept under no alignment
};

const THandleLayout Layouts[HandleCount] = {
    {apStart, apMiddle, edLeft, Qt::SizeHorCursor, alRight},
    {apStart, apStart, edLeft | edTop, Qt::SizeFDiagCursor, alNone},
    {apMiddle, apStart, edTop, Qt::SizeVerCursor, alBottom},
    {apEnd, apStart, edRight | edTop, Qt::SizeBDiagCursor, alNone},
    {apEnd, apMiddle, edRight, Qt::SizeHorCursor, alLeft},
    {apEnd, apEnd, edRight | edBottom, Qt::SizeFDiagCursor, alNone},
    {apMiddle, apEnd, edBottom, Qt::SizeVerCursor, alTop},
    {apStart, apEnd, edLeft | edBottom, Qt::SizeBDiagCursor, alNone},
};

int Place(TAxisPlace place, int start, int size)
{
    switch (place) {
    case apStart:
        return start;
    case apMiddle:
        return start + size / 2;
    case apEnd:
        break;
    }
    return start + size - 1;
}

// Offset along one axis for a span from `low` to `high` (inclusive).
int ClampedAxis(int delta, int low, int high, bool lowMoves, bool highMoves, int areaLow, int areaHigh)
{
    if (!lowMoves && !highMoves)
        return 0;
    const int span = std::max(0, high - low);
    const int least = lowMoves ? std::min(0, areaLow - low) : -span;
    const int most = highMoves ? std::max(0, areaHigh - high) : span;
    return std::clamp(delta, least, most);
}

std::pair<int, int> MovedAxis(int low, int high, bool lowMoves, bool highMoves, int delta)
{
    if (lowMoves)
        low += delta;
    if (highMoves)
        high += delta;
    if (lowMoves && !highMoves)
        low = std::min(low, high);
    if (highMoves && !lowMoves)
        high = std::max(high, low);
    return {low, high};
}

int FloorDiv(int value, int divisor)
{
    const int quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

int Snapped(int value, int grid)
{
    return FloorDiv(value + grid / 2, grid) * grid;
}

} // namespace

Qt::CursorShape HandleCursor(int index)
{
    return Layouts[index].cursor;
}

unsigned HandleEdges(int index)
{
    return Layouts[index].edges;
}

QPoint HandlePos(int index, const QRect& target)
{
    const THandleLayout& layout = Layouts[index];
    const QPoint centre(Place(layout.x, target.left(), target.width()), Place(layout.y, target.top(), target.height()));
    return centre - QPoint(HandleSize / 2, HandleSize / 2);
}

unsigned HandlesAllowedUnder(TAlign align)
{
    if (align == alNone)
        return AllHandles;
    unsigned mask = 0;
    for (int i = 0; i < HandleCount; ++i)
        if (Layouts[i].keptUnder == align)
            mask |= HandleBit(i);
    return mask;
}

QPoint ClampedDelta(const QRect& start, unsigned edges, const QRect& area, QPoint delta)
{
    return {
        ClampedAxis(delta.x(), start.left(), start.right(), edges & edLeft, edges & edRight, area.left(), area.right()),
        ClampedAxis(
            delta.y(), start.top(), start.bottom(), edges & edTop, edges & edBottom, area.top(), area.bottom())};
}

QRect MovedEdges(const QRect& start, unsigned edges, QPoint delta)
{
    const auto [left, right] = MovedAxis(start.left(), start.right(), edges & edLeft, edges & edRight, delta.x());
    const auto [top, bottom] = MovedAxis(start.top(), start.bottom(), edges & edTop, edges & edBottom, delta.y());
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QRect SnappedToGrid(const QRect& bounds, int grid)
{
    if (grid < 2)
        return bounds;
    return QRect(Snapped(bounds.left(), grid), Snapped(bounds.top(), grid),
        std::max(grid, Snapped(bounds.width(), grid)), std::max(grid, Snapped(bounds.height(), grid)));
}

} // namespace k740
