#pragma once
#include "acquisition/trend_buffer.h"
#include "settings/encoder_settings.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace k740 {

// How the trend turns positions into speeds: a rotary position wraps at a
// whole revolution (Period, 0 for none), and degrees per second become
// revolutions per minute (SpeedFactor).
struct TTrendScale {
    double Period = 0;
    double SpeedFactor = 1;
};
TTrendScale TrendScaleOf(const TPositionFormat& format);

// The plots' units: "mm" and "mm/s", "°" and "rpm", "counts" and "counts/s".
struct TTrendUnits {
    QString Position;
    QString Speed;
};
TTrendUnits TrendUnitsOf(const TEncoderSettings& active);

// The way from position `from` to position `to`; a wrapped position counts
// the shorter way round.
double TrendDistance(double from, double to, const TTrendScale& scale);

// How far back the speed at a cycle looks at least: the mean over this time
// evens out the counts' steps and the jitter of the reply times, which a
// speed from one cycle to the next shows tenfold at 100 cycles a second.
constexpr int64_t kTrendSpeedWindowUs = 100'000;

// The speed at point i of the buffer: the mean since the newest usable
// position at least the window before it (or the oldest there is), the way
// summed step by step so that a wrapping position may turn up to half a
// revolution a cycle; never across a link loss, and none for a point
// without a usable position.
std::optional<double> SpeedAt(const TTrendBuffer& buffer, size_t i, const TTrendScale& scale);

// The values that fall into one pixel column: the first and last (to join
// the columns) and the smallest and largest (the column's stroke).
struct TTrendRange {
    bool Has = false;
    double First = 0;
    double Last = 0;
    double Min = 0;
    double Max = 0;
    void add(double value);
};

struct TTrendColumn {
    TTrendRange Position;
    TTrendRange Speed;
    uint8_t Faults = 0; // kTrendInvalidFrame | ... of the column's cycles
};

// From a link loss until the next cycle ran (or until now).
struct TTrendBand {
    int64_t FromUs = 0;
    int64_t ToUs = 0;
};

struct TTrendPicture {
    std::vector<TTrendColumn> Columns;
    std::vector<TTrendBand> LinkLosses;
};

// Every cycle from fromUs to toUs, none left out, thinned to `columns`
// pixel columns; `nowUs` ends a link loss that still lasts. Reuses the
// picture's storage.
void ThinTrend(
    const TTrendBuffer& buffer, int64_t fromUs, int64_t toUs, int64_t nowUs, int columns, TTrendPicture& picture);

} // namespace k740
