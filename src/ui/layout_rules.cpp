#include "ui/layout_rules.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <iterator>

namespace k740 {

int32_t RoundHalfEven(double value)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    return int32_t(rounded);
}

TShowRow TwoPanelShowRow(int32_t clientWidth, int32_t gap, int32_t buttonWidth)
{
    TShowRow row{};
    row.PanelWidth = (clientWidth - 5 * gap - 2 * buttonWidth) / 2;
    row.PosLeft = 2 * gap + buttonWidth;
    row.RefLeft = 3 * gap + buttonWidth + row.PanelWidth;
    row.ZeroRefLeft = row.RefLeft + row.PanelWidth + gap;
    return row;
}

TResizeRow TwoPanelResizeRow(int32_t width, int32_t buttonWidth, int32_t refLabelWidth)
{
    const int32_t buttons = 2 * buttonWidth;
    const int32_t even = (width - buttons - 120) / 2;
    TResizeRow row{};
    float gap = 24;
    if (even >= refLabelWidth) {
        row.PanelWidth = even;
    } else {
        row.PanelWidth = refLabelWidth;
        gap = float(width - 2 * refLabelWidth - buttons) / 5;
        if (gap < 2)
            gap = 2;
    }
    row.ZeroLeft = RoundHalfEven(gap);
    row.PosLeft = buttonWidth + RoundHalfEven(2.0 * gap);
    row.RefLeft = buttonWidth + row.PanelWidth + RoundHalfEven(3.0 * gap);
    row.ZeroRefLeft = buttonWidth + 2 * row.PanelWidth + RoundHalfEven(4.0 * gap);
    return row;
}

namespace {
// Whether a span from `start` of `length` pixels covers a pixel of [0, area).
bool Overlaps(int32_t start, int32_t length, int32_t area)
{
    return length > 0 && start < area && int64_t(start) + length > 0;
}

// The span at least one pixel long, moved just far enough to cover one
// pixel of [0, area).
void ReachAxis(int32_t& start, int32_t& length, int32_t area)
{
    length = std::max(1, length);
    start = std::max(1 - length, std::min(start, area - 1));
}
} // namespace

TPanelBounds ReachablePanel(TPanelBounds panel, int32_t areaWidth, int32_t areaHeight)
{
    if (Overlaps(panel.Left, panel.Width, areaWidth) && Overlaps(panel.Top, panel.Height, areaHeight))
        return panel;
    ReachAxis(panel.Left, panel.Width, areaWidth);
    ReachAxis(panel.Top, panel.Height, areaHeight);
    return panel;
}

TSizeLimits MainWindowLimits(int32_t areaWidth, int32_t areaHeight, int32_t minimumHeight, bool layoutEditMode)
{
    TSizeLimits limits{};
    limits.MinWidth = areaWidth / 2;
    limits.MaxWidth = areaWidth;
    limits.MinHeight = std::min(minimumHeight, areaHeight);
    limits.MaxHeight = std::max(layoutEditMode ? areaHeight : areaHeight / 2, limits.MinHeight);
    return limits;
}

TBounds WithinLimits(TBounds bounds, const TSizeLimits& limits)
{
    bounds.Width = std::clamp(bounds.Width, limits.MinWidth, limits.MaxWidth);
    bounds.Height = std::clamp(bounds.Height, limits.MinHeight, limits.MaxHeight);
    return bounds;
}

TBounds FitInside(TBounds bounds, const TBounds& area)
{
    bounds.Width = std::min(bounds.Width, area.Width);
    bounds.Height = std::min(bounds.Height, area.Height);
    bounds.Left = std::clamp(bounds.Left, area.Left, area.Left + area.Width - bounds.Width);
    bounds.Top = std::clamp(bounds.Top, area.Top, area.Top + area.Height - bounds.Height);
    return bounds;
}

namespace {
// Length of [start, start + length) that lies in [areaStart, areaStart + areaLength).
int64_t Overlap(int32_t start, int32_t length, int32_t areaStart, int32_t areaLength)
{
    const int64_t from = std::max<int64_t>(start, areaStart);
    const int64_t to = std::min<int64_t>(int64_t(start) + length, int64_t(areaStart) + areaLength);
    return std::max<int64_t>(0, to - from);
}

// Squared distance from a point to the nearest pixel of an area.
int64_t DistanceSquared(int64_t x, int64_t y, const TBounds& area)
{
    const int64_t dx = x - std::clamp<int64_t>(x, area.Left, int64_t(area.Left) + area.Width - 1);
    const int64_t dy = y - std::clamp<int64_t>(y, area.Top, int64_t(area.Top) + area.Height - 1);
    return dx * dx + dy * dy;
}
} // namespace

TBounds BroughtOnScreen(const TBounds& outer, const std::vector<TBounds>& areas)
{
    if (areas.empty())
        return outer;
    const int32_t rows = std::min(kGrabRows, outer.Height);
    int64_t grabbable = 0;
    for (const TBounds& area : areas) {
        if (Overlap(outer.Top, rows, area.Top, area.Height) == rows)
            grabbable += Overlap(outer.Left, outer.Width, area.Left, area.Width);
    }
    if (rows > 0 && 3 * grabbable >= outer.Width)
        return outer;
    const int64_t x = outer.Left + int64_t(outer.Width) / 2;
    const int64_t y = outer.Top + int64_t(outer.Height) / 2;
    const TBounds* nearest = &areas.front();
    for (const TBounds& area : areas) {
        if (DistanceSquared(x, y, area) < DistanceSquared(x, y, *nearest))
            nearest = &area;
    }
    return FitInside(outer, *nearest);
}

TBounds BesideWindow(const TBounds& main, TExtent wanted, TExtent least, const TBounds& area)
{
    const int32_t mainRight = main.Left + main.Width;
    const int32_t mainBottom = main.Top + main.Height;
    const int32_t areaRight = area.Left + area.Width;
    const int32_t areaBottom = area.Top + area.Height;
    const int32_t width = std::min(wanted.Width, area.Width);
    const int32_t height = std::min(wanted.Height, area.Height);
    const int32_t top = std::clamp(main.Top, area.Top, areaBottom - height);
    const int32_t left = std::clamp(main.Left, area.Left, areaRight - width);
    struct TSide {
        int32_t Room, Needed, Least;
        TBounds Placed;
    };
    const int32_t right = areaRight - mainRight;
    const int32_t before = main.Left - area.Left;
    const int32_t below = areaBottom - mainBottom;
    const int32_t above = main.Top - area.Top;
    const TSide sides[] = {
        {right, width, least.Width, {mainRight, top, std::min(width, right), height}},
        {before, width, least.Width, {main.Left - std::min(width, before), top, std::min(width, before), height}},
        {below, height, least.Height, {left, mainBottom, width, std::min(height, below)}},
        {above, height, least.Height, {left, main.Top - std::min(height, above), width, std::min(height, above)}},
    };
    for (const TSide& side : sides) {
        if (side.Room >= side.Needed)
            return side.Placed;
    }
    const TSide* roomiest = std::max_element(std::begin(sides), std::end(sides),
        [](const TSide& a, const TSide& b) { return a.Room - a.Least < b.Room - b.Least; });
    if (roomiest->Room >= roomiest->Least)
        return roomiest->Placed;
    return {areaRight - width, top, width, height};
}

int32_t CaptionTop(int32_t bodyHeight, int32_t panelHeight, int32_t labelHeight)
{
    const int32_t t = (bodyHeight - panelHeight) / 2 - labelHeight;
    const int32_t m = labelHeight / 4;
    return t >= m ? t : m;
}

} // namespace k740
