#include "acquisition/trend_columns.h"

#include <algorithm>
#include <cmath>

namespace k740 {

TTrendScale TrendScaleOf(const TPositionFormat& format)
{
    TTrendScale scale;
    if (!format.Rotary)
        return scale;
    if (format.CPR > 0)
        scale.Period = double(format.CPR) * format.DisplayScale;
    if (format.Degrees == TRotaryUnit::Degrees)
        scale.SpeedFactor = 60.0 / 360.0;
    return scale;
}

TTrendUnits TrendUnitsOf(const TEncoderSettings& active)
{
    if (active.Rotary) {
        if (RotaryUnitOf(active.Degrees) == TRotaryUnit::Degrees)
            return {QStringLiteral("°"), QStringLiteral("rpm")};
        return {QStringLiteral("counts"), QStringLiteral("counts/s")};
    }
    QString unit;
    switch (LinearUnitOf(active.Units)) {
    case TLinearUnit::Millimetres:
        unit = QStringLiteral("mm");
        break;
    case TLinearUnit::Micrometres:
        unit = QStringLiteral("µm");
        break;
    case TLinearUnit::Inches:
        unit = QStringLiteral("inch");
        break;
    case TLinearUnit::Mils:
        unit = QStringLiteral("mil");
        break;
    }
    return {unit, unit + QStringLiteral("/s")};
}

double TrendDistance(double from, double to, const TTrendScale& scale)
{
    const double distance = to - from;
    if (scale.Period > 0 && std::isfinite(scale.Period))
        return std::remainder(distance, scale.Period);
    return distance;
}

std::optional<double> SpeedAt(const TTrendBuffer& buffer, size_t i, const TTrendScale& scale)
{
    const TTrendPoint& point = buffer.at(i);
    if (!point.usable())
        return std::nullopt;
    double distance = 0;
    const TTrendPoint* since = &point;
    for (size_t j = i; j-- > 0;) {
        const TTrendPoint& before = buffer.at(j);
        if ((before.Faults & kTrendLinkLoss) != 0)
            break;
        if (!before.usable())
            continue;
        distance += TrendDistance(before.Value, since->Value, scale);
        since = &before;
        if (point.TimeUs - before.TimeUs >= kTrendSpeedWindowUs)
            break;
    }
    const int64_t us = point.TimeUs - since->TimeUs;
    if (us <= 0)
        return std::nullopt;
    return distance / (double(us) / 1e6) * scale.SpeedFactor;
}

void TTrendRange::add(double value)
{
    if (!Has) {
        Has = true;
        First = Min = Max = value;
    }
    Last = value;
    Min = std::min(Min, value);
    Max = std::max(Max, value);
}

void ThinTrend(
    const TTrendBuffer& buffer, int64_t fromUs, int64_t toUs, int64_t nowUs, int columns, TTrendPicture& picture)
{
    picture.Columns.assign(size_t(std::max(columns, 0)), TTrendColumn());
    picture.LinkLosses.clear();
    if (columns <= 0 || toUs <= fromUs)
        return;
    const TTrendScale scale = TrendScaleOf(buffer.format());
    const size_t first = buffer.firstAtOrAfter(fromUs);
    // From the point before the span: a link loss there may reach into it.
    for (size_t i = first > 0 ? first - 1 : first; i < buffer.size(); ++i) {
        const TTrendPoint& point = buffer.at(i);
        const int64_t t = point.TimeUs;
        if (t > toUs)
            break;
        if (point.Faults & kTrendLinkLoss) {
            const int64_t end = i + 1 < buffer.size() ? buffer.at(i + 1).TimeUs : nowUs;
            if (end > fromUs)
                picture.LinkLosses.push_back({std::max(t, fromUs), std::min(end, toUs)});
        }
        if (i < first)
            continue;
        const int64_t column = std::clamp<int64_t>((t - fromUs) * columns / (toUs - fromUs), 0, columns - 1);
        TTrendColumn& into = picture.Columns[size_t(column)];
        into.Faults |= point.Faults;
        if (!point.usable())
            continue;
        into.Position.add(point.Value);
        if (const std::optional<double> speed = SpeedAt(buffer, i, scale))
            into.Speed.add(*speed);
    }
}

} // namespace k740
