#include "ui/layout_rules.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

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

int32_t CaptionTop(int32_t bodyHeight, int32_t panelHeight, int32_t labelHeight)
{
    const int32_t t = (bodyHeight - panelHeight) / 2 - labelHeight;
    const int32_t m = labelHeight / 4;
    return t >= m ? t : m;
}

} // namespace k740
