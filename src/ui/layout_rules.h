#pragma once
#include <cstdint>
#include <initializer_list>

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

// A panel's bounds as they are while some part of the panel lies inside an
// area of the given size. Otherwise it is brought back just far enough: at
// least one pixel wide and high, with one pixel column and row inside.
struct TPanelBounds {
    int32_t Left, Top, Width, Height;
    bool operator==(const TPanelBounds& other) const
    {
        return Left == other.Left && Top == other.Top && Width == other.Width && Height == other.Height;
    }
};
TPanelBounds ReachablePanel(TPanelBounds panel, int32_t areaWidth, int32_t areaHeight);

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
