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

namespace {

// Where the speed at point i starts: the newest usable point at least the
// window before it, else the oldest usable one since the last link loss;
// i itself where there is none.
size_t SpeedStart(const TTrendBuffer& buffer, size_t i)
{
    size_t start = i;
    for (size_t j = i; j-- > 0;) {
        const TTrendPoint& before = buffer.at(j);
        if ((before.Faults & kTrendLinkLoss) != 0)
            break;
        if (!before.usable())
            continue;
        start = j;
        if (buffer.at(i).TimeUs - before.TimeUs >= kTrendSpeedWindowUs)
            break;
    }
    return start;
}

// The speeds of points taken in order, each in constant time: the usable
// points of the last window (and the one before it) with the way come
// since the first of them.
class TSpeedTracker {
public:
    explicit TSpeedTracker(const TTrendScale& scale)
        : Scale(scale)
    {
    }

    std::optional<double> take(const TTrendPoint& point)
    {
        if ((point.Faults & kTrendLinkLoss) != 0) { // nothing is measured across a loss
            Marks.clear();
            First = 0;
        }
        if (!point.usable())
            return std::nullopt;
        if (First < Marks.size())
            Way += TrendDistance(LastValue, point.Value, Scale);
        LastValue = point.Value;
        if (First > kCompactAt) { // the marks before First are done with
            Marks.erase(Marks.begin(), Marks.begin() + long(First));
            First = 0;
        }
        Marks.push_back({point.TimeUs, Way});
        while (Marks.size() - First >= 2 && point.TimeUs - Marks[First + 1].TimeUs >= kTrendSpeedWindowUs)
            ++First;
        const TMark& from = Marks[First];
        const int64_t us = point.TimeUs - from.TimeUs;
        if (us <= 0)
            return std::nullopt;
        return (Way - from.Way) / (double(us) / 1e6) * Scale.SpeedFactor;
    }

private:
    struct TMark {
        int64_t TimeUs;
        double Way;
    };
    static constexpr size_t kCompactAt = 256;
    TTrendScale Scale;
    std::vector<TMark> Marks; // from First on: the window and the mark before it
    size_t First = 0;
    double Way = 0;
    double LastValue = 0;
};

} // namespace

std::optional<double> SpeedAt(const TTrendBuffer& buffer, size_t i, const TTrendScale& scale)
{
    TSpeedTracker tracker(scale);
    std::optional<double> speed;
    for (size_t k = SpeedStart(buffer, i); k <= i; ++k)
        speed = tracker.take(buffer.at(k));
    return speed;
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
    // From the point before the span, whose link loss may reach into it,
    // or from where the first speed starts.
    size_t i = first > 0 ? first - 1 : first;
    if (first < buffer.size())
        i = std::min(i, SpeedStart(buffer, first));
    TSpeedTracker speeds(scale);
    for (; i < buffer.size(); ++i) {
        const TTrendPoint& point = buffer.at(i);
        const int64_t t = point.TimeUs;
        if (t > toUs)
            break;
        if (point.Faults & kTrendLinkLoss) {
            const int64_t end = i + 1 < buffer.size() ? buffer.at(i + 1).TimeUs : nowUs;
            if (end > fromUs)
                picture.LinkLosses.push_back({std::max(t, fromUs), std::min(end, toUs)});
        }
        const std::optional<double> speed = speeds.take(point);
        if (i < first)
            continue;
        const int64_t column = std::clamp<int64_t>((t - fromUs) * columns / (toUs - fromUs), 0, columns - 1);
        TTrendColumn& into = picture.Columns[size_t(column)];
        into.Faults |= point.Faults;
        if (!point.usable())
            continue;
        into.Position.add(point.Value);
        if (speed)
            into.Speed.add(*speed);
    }
}

} // namespace k740
