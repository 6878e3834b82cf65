#include "ui/widgets/sizer_geometry.h"

#include <algorithm>
#include <utility>

namespace k740 {

namespace {

// Where a handle sits along one side of the target.
enum class TAxisPlace { Start, Middle, End };

struct THandleLayout {
    TAxisPlace X;
    TAxisPlace Y;
    unsigned Edges;
    Qt::CursorShape Cursor;
    TAlign KeptUnder; // TAlign::None: kept under no alignment
};

const THandleLayout kLayouts[kHandleCount] = {
    {TAxisPlace::Start, TAxisPlace::Middle, kEdgeLeft, Qt::SizeHorCursor, TAlign::Right},
    {TAxisPlace::Start, TAxisPlace::Start, kEdgeLeft | kEdgeTop, Qt::SizeFDiagCursor, TAlign::None},
    {TAxisPlace::Middle, TAxisPlace::Start, kEdgeTop, Qt::SizeVerCursor, TAlign::Bottom},
    {TAxisPlace::End, TAxisPlace::Start, kEdgeRight | kEdgeTop, Qt::SizeBDiagCursor, TAlign::None},
    {TAxisPlace::End, TAxisPlace::Middle, kEdgeRight, Qt::SizeHorCursor, TAlign::Left},
    {TAxisPlace::End, TAxisPlace::End, kEdgeRight | kEdgeBottom, Qt::SizeFDiagCursor, TAlign::None},
    {TAxisPlace::Middle, TAxisPlace::End, kEdgeBottom, Qt::SizeVerCursor, TAlign::Top},
    {TAxisPlace::Start, TAxisPlace::End, kEdgeLeft | kEdgeBottom, Qt::SizeBDiagCursor, TAlign::None},
};

int Place(TAxisPlace place, int start, int size)
{
    switch (place) {
    case TAxisPlace::Start:
        return start;
    case TAxisPlace::Middle:
        return start + size / 2;
    case TAxisPlace::End:
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
    return kLayouts[index].Cursor;
}

unsigned HandleEdges(int index)
{
    return kLayouts[index].Edges;
}

QPoint HandlePos(int index, const QRect& target)
{
    const THandleLayout& layout = kLayouts[index];
    const QPoint centre(Place(layout.X, target.left(), target.width()), Place(layout.Y, target.top(), target.height()));
    return centre - QPoint(kHandleSize / 2, kHandleSize / 2);
}

unsigned HandlesAllowedUnder(TAlign align)
{
    if (align == TAlign::None)
        return kAllHandles;
    unsigned mask = 0;
    for (int i = 0; i < kHandleCount; ++i)
        if (kLayouts[i].KeptUnder == align)
            mask |= HandleBit(i);
    return mask;
}

QRect SizingClip(const QRect& target, unsigned edges, const QRect& parentArea)
{
    QRect clip = target;
    if (edges & kEdgeLeft)
        clip.setLeft(std::min(target.left(), parentArea.left()));
    if (edges & kEdgeTop)
        clip.setTop(std::min(target.top(), parentArea.top()));
    if (edges & kEdgeRight)
        clip.setRight(std::max(target.right(), parentArea.right()));
    if (edges & kEdgeBottom)
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
    const auto [left, right] = MovedAxis(start.left(), start.right(), edges & kEdgeLeft, edges & kEdgeRight, delta.x());
    const auto [top, bottom] = MovedAxis(start.top(), start.bottom(), edges & kEdgeTop, edges & kEdgeBottom, delta.y());
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
