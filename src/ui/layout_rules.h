#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace k740 {

// Pixel arithmetic of the main window's layout passes, kept apart from the
// widgets so it can be checked without a window. Integer division truncates.

// Nearest integer, halves to the even neighbour.
int32_t RoundHalfEven(double value);

// Row of ZERO, position read-out, reference read-out, HOME as the full
// layout pass places it: `gap` is the current left of the ZERO button.
struct TShowRow {
    int32_t PanelWidth;
    int32_t PosLeft;
    int32_t RefLeft;
    int32_t ZeroRefLeft;
};
TShowRow TwoPanelShowRow(int32_t clientWidth, int32_t gap, int32_t buttonWidth);

// The same row as the resize pass places it: five gaps of 24 while the
// read-outs are at least as wide as the reference caption, narrower gaps
// (never under 2) below that.
struct TResizeRow {
    int32_t PanelWidth;
    int32_t ZeroLeft;
    int32_t PosLeft;
    int32_t RefLeft;
    int32_t ZeroRefLeft;
};
TResizeRow TwoPanelResizeRow(int32_t width, int32_t buttonWidth, int32_t refLabelWidth);

// A rectangle in pixels: a panel's bounds in the body, a window's outer
// bounds or a screen's usable area on the desktop.
struct TBounds {
    int32_t Left, Top, Width, Height;
    bool operator==(const TBounds& other) const
    {
        return Left == other.Left && Top == other.Top && Width == other.Width && Height == other.Height;
    }
    bool operator!=(const TBounds& other) const { return !(*this == other); }
};
using TPanelBounds = TBounds;

// A panel's bounds as they are while some part of the panel lies inside an
// area of the given size. Otherwise it is brought back just far enough: at
// least one pixel wide and high, with one pixel column and row inside.
TPanelBounds ReachablePanel(TPanelBounds panel, int32_t areaWidth, int32_t areaHeight);

// The main window's outer size limits on a usable area of `areaWidth` x
// `areaHeight`: from half the area's width to all of it, and from
// `minimumHeight` up to half the area's height (all of it in layout edit
// mode). The screen wins where the minimum is taller than the area: it
// shrinks to the area; and a minimum over half the area raises the maximum
// to it, so that the minimum never exceeds the maximum.
struct TSizeLimits {
    int32_t MinWidth, MinHeight, MaxWidth, MaxHeight;
};
TSizeLimits MainWindowLimits(int32_t areaWidth, int32_t areaHeight, int32_t minimumHeight, bool layoutEditMode);

// `bounds` with its size within `limits`.
TBounds WithinLimits(TBounds bounds, const TSizeLimits& limits);

// `bounds` no larger than `area` and moved just far enough to lie inside it.
TBounds FitInside(TBounds bounds, const TBounds& area);

// The top rows of a window that must lie on a screen for it to be grabbed
// there: about a title bar.
inline constexpr int32_t kGrabRows = 24;

// A window's outer bounds as they are while the usable areas hold its top
// rows over at least a third of its width; otherwise fitted inside the area
// nearest to its centre. Unchanged when no area is known.
TBounds BroughtOnScreen(const TBounds& outer, const std::vector<TBounds>& areas);

// Where a window of outer size `wanted` (never below `least`) goes beside
// `main` inside `area`: right of it, else left, below or above it, where
// there is room for all of it; else on the side with the most room beyond
// `least`, made smaller to fit; where no side has room even for `least`,
// against the area's right edge, over the main window.
struct TExtent {
    int32_t Width, Height;
};
TBounds BesideWindow(const TBounds& main, TExtent wanted, TExtent least, const TBounds& area);

// Top of the caption above the read-out when the body is resized.
int32_t CaptionTop(int32_t bodyHeight, int32_t panelHeight, int32_t labelHeight);

// The read-out's font sizes, largest first: the first fits the design.
inline constexpr int32_t kReadOutPoints[] = {72, 48, 36};
inline constexpr int32_t kDesignFontPoints = kReadOutPoints[0];

// Font size of the position read-out for a new text: 72 points, or 48, or
// 36 when narrower sizes are needed to fit `panelWidth` (never below 36).
// With `sticky` (rotary counts or degrees) the size never grows beyond
// `fittedFontSize`. widthAt(points) measures the text at that size.
template <typename WidthAt>
int32_t FittedPointSize(WidthAt widthAt, int32_t panelWidth, bool sticky, int32_t fittedFontSize)
{
    int32_t size = kReadOutPoints[0];
    for (const int32_t smaller : {kReadOutPoints[1], kReadOutPoints[2]})
        if (widthAt(size) > panelWidth)
            size = smaller;
    if (sticky && size > fittedFontSize)
        size = fittedFontSize;
    return size;
}

} // namespace k740
