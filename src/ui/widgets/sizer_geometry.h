#pragma once
#include "ui/widgets/control_align.h"

#include <QPoint>
#include <QRect>

namespace k740 {

// Pixel arithmetic of the move/resize component, kept apart from the widgets.

// Edges of a rectangle, combined as bits of a mask.
inline constexpr unsigned kEdgeLeft = 1;
inline constexpr unsigned kEdgeTop = 2;
inline constexpr unsigned kEdgeRight = 4;
inline constexpr unsigned kEdgeBottom = 8;
inline constexpr unsigned kAllEdges = 15;

// The eight grab handles of a target by index, clockwise from the middle of
// its left edge; masks of handles and the handle arrays use the index.
inline constexpr int kHandleLeft = 0;
inline constexpr int kHandleTopLeft = 1;
inline constexpr int kHandleTop = 2;
inline constexpr int kHandleTopRight = 3;
inline constexpr int kHandleRight = 4;
inline constexpr int kHandleBottomRight = 5;
inline constexpr int kHandleBottom = 6;
inline constexpr int kHandleBottomLeft = 7;
inline constexpr int kHandleCount = 8;

// A mask of handles has bit i set for handle i.
constexpr unsigned HandleBit(int index)
{
    return 1u << index;
}
constexpr unsigned kAllHandles = HandleBit(kHandleCount) - 1;

// Side of the square grab handle in pixels.
constexpr int kHandleSize = 5;

Qt::CursorShape HandleCursor(int index);
// The edges of the target that a drag of the handle moves.
unsigned HandleEdges(int index);
// Top-left of the handle for a target with bounds `target` (same coordinates).
QPoint HandlePos(int index, const QRect& target);
// The handles a target keeps under `align`: all without alignment, one for a
// target docked to an edge (the one on its free side), none otherwise.
unsigned HandlesAllowedUnder(TAlign align);

// Where the pointer may go while a drag resizes `target` by `edges`: the
// target's rectangle with each of those edges widened to `parentArea`, so
// that an edge can be dragged out to the parent's border but not past the
// opposite edge. A move uses the parent's area itself.
QRect SizingClip(const QRect& target, unsigned edges, const QRect& parentArea);
// The point held inside `clip`.
QPoint ClippedPoint(QPoint point, const QRect& clip);
// `start` with its `edges` moved by `delta`, at least one pixel wide and
// high; an axis on which no edge moves ignores its part of `delta`.
QRect MovedEdges(const QRect& start, unsigned edges, QPoint delta);
// Left, top, width and height each with `grid` div 2 added and cut down to a
// multiple of `grid` (the remainder of a truncating division removed), so a
// width below half the grid becomes 0. A grid below 2 leaves the bounds as
// they are.
QRect SnappedToGrid(const QRect& bounds, int grid);

} // namespace k740
