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

int Snapped(int value, int grid)
{
    return (value + grid / 2) / grid * grid;
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

QRect SizingClip(const QRect& target, unsigned edges, const QRect& parentArea)
{
    QRect clip = target;
    if (edges & edLeft)
        clip.setLeft(std::min(target.left(), parentArea.left()));
    if (edges & edTop)
        clip.setTop(std::min(target.top(), parentArea.top()));
    if (edges & edRight)
        clip.setRight(std::max(target.right(), parentArea.right()));
    if (edges & edBottom)
        clip.setBottom(std::max(target.bottom(), parentArea.bottom()));
    return clip;
}

QPoint ClippedPoint(QPoint point, const QRect& clip)
{
    return {std::clamp(point.x(), clip.left(), std::max(clip.left(), clip.right())),
        std::clamp(point.y(), clip.top(), std::max(clip.top(), clip.bottom()))};
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
    return QRect(Snapped(bounds.left(), grid), Snapped(bounds.top(), grid), Snapped(bounds.width(), grid),
        Snapped(bounds.height(), grid));
}

} // namespace k740
