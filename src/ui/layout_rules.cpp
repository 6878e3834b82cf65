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

ShowRow TwoPanelShowRow(int32_t clientWidth, int32_t gap, int32_t buttonWidth)
{
    ShowRow row{};
    row.panelWidth = (clientWidth - 5 * gap - 2 * buttonWidth) / 2;
    row.posLeft = 2 * gap + buttonWidth;
    row.refLeft = 3 * gap + buttonWidth + row.panelWidth;
    row.zeroRefLeft = row.refLeft + row.panelWidth + gap;
    return row;
}

ResizeRow TwoPanelResizeRow(int32_t width, int32_t buttonWidth, int32_t refLabelWidth)
{
    const int32_t buttons = 2 * buttonWidth;
    const int32_t even = (width - buttons - 120) / 2;
    ResizeRow row{};
    float gap = 24;
    if (even >= refLabelWidth) {
        row.panelWidth = even;
    } else {
        row.panelWidth = refLabelWidth;
        gap = float(width - 2 * refLabelWidth - buttons) / 5;
        if (gap < 2)
            gap = 2;
    }
    row.zeroLeft = RoundHalfEven(gap);
    row.posLeft = buttonWidth + RoundHalfEven(2.0 * gap);
    row.refLeft = buttonWidth + row.panelWidth + RoundHalfEven(3.0 * gap);
    row.zeroRefLeft = buttonWidth + 2 * row.panelWidth + RoundHalfEven(4.0 * gap);
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

PanelBounds ReachablePanel(PanelBounds panel, int32_t areaWidth, int32_t areaHeight)
{
    if (Overlaps(panel.left, panel.width, areaWidth) && Overlaps(panel.top, panel.height, areaHeight))
        return panel;
    ReachAxis(panel.left, panel.width, areaWidth);
    ReachAxis(panel.top, panel.height, areaHeight);
    return panel;
}

int32_t CaptionTop(int32_t bodyHeight, int32_t panelHeight, int32_t labelHeight)
{
    const int32_t t = (bodyHeight - panelHeight) / 2 - labelHeight;
    const int32_t m = labelHeight / 4;
    return t >= m ? t : m;
}

} // namespace k740
