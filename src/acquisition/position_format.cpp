#include "acquisition/position_format.h"

#include "settings/decimal_text.h"
#include "settings/encoder_settings.h"

#include <cmath>
#include <limits>

namespace k740 {

namespace {

// Truncation toward zero that saturates instead of overflowing; NaN gives 0.
int64_t TruncToInt64(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775807.0)
        return std::numeric_limits<int64_t>::max();
    if (value <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return int64_t(value);
}

} // namespace

double DisplayValue(const TPositionFormat& format, int64_t count)
{
    return double(WrapCount(format, count)) * format.DisplayScale;
}

TPositionFormat MakePositionFormat(const TEncoderSettings& active, double displayScale, int32_t displayDecimals)
{
    TPositionFormat format;
    format.Rotary = active.Rotary;
    format.CPR = active.CPR;
    format.Degrees = RotaryUnitOf(active.Degrees);
    format.DisplayScale = displayScale;
    format.DisplayDecimals = displayDecimals;
    format.MultiturnBits = active.MultiturnBits;
    format.SignedMultiturnCounter = active.SignedMultiturnCounter;
    return format;
}

int64_t WrapCount(const TPositionFormat& format, int64_t count)
{
    const int64_t cpr = format.CPR;
    if (!format.Rotary || cpr == 0)
        return count;
    if (cpr == -1) // every count is a whole revolution; also keeps MIN / -1 away
        return 0;
    const int64_t q = count / cpr;
    // Products and differences wrap; the result is exact whenever it fits.
    const uint64_t revolutions = (uint64_t(q) - (count < 0 ? 1 : 0)) * uint64_t(cpr);
    const int64_t wrapped = int64_t(uint64_t(count) - revolutions);
    return wrapped == cpr ? 0 : wrapped;
}

QString FormatPosition(const TPositionFormat& format, int64_t count)
{
    const int64_t wrapped = WrapCount(format, count);
    if (format.Degrees == TRotaryUnit::DegreesMinutesSeconds)
        return FormatDms(format.CPR, wrapped);
    return FormatFixed(double(wrapped) * format.DisplayScale, 15, format.DisplayDecimals)
        + DegreeSuffix(format.Degrees);
}

QString WithTurnsPrefix(const TPositionFormat& format, int32_t turns, const QString& text)
{
    if (!format.Rotary || format.MultiturnBits < 1)
        return text;
    int64_t shown = turns;
    // Beyond 32 bits every 32-bit counter value lies below half the range.
    if (format.SignedMultiturnCounter && format.MultiturnBits <= 32) {
        const int64_t half = int64_t(1) << (format.MultiturnBits - 1);
        if (shown > half)
            shown -= int64_t(1) << format.MultiturnBits;
    }
    return QString::number(shown) + QStringLiteral(" : ") + text;
}

QString FormatDms(int64_t cpr, int64_t count)
{
    // Seconds of arc; a CPR of 0 has no angle to show.
    const double s
        = cpr == 0 ? std::numeric_limits<double>::quiet_NaN() : double((long double)count / cpr * 1296000.0L);
    const int64_t deg = TruncToInt64(s / 3600.0);
    const int64_t min = TruncToInt64((s - double(deg) * 3600.0) / 60.0);
    const double sec = s - double(deg) * 3600.0 - double(min) * 60.0;
    return QString::number(deg) + QStringLiteral("° ") + ZeroPad(min, 2) + QStringLiteral("' ")
        + (sec < 10 ? QStringLiteral("0") : QString()) + FormatFixed(sec, 8, 1) + QLatin1Char('"');
}

QString ZeroPad(int64_t value, int32_t width)
{
    QString text = QString::number(value);
    if (width >= 1 && width <= 4 && text.size() < width)
        text.prepend(QString(width - text.size(), QLatin1Char('0')));
    return text;
}

QString DegreeSuffix(TRotaryUnit unit)
{
    return unit == TRotaryUnit::Degrees ? QStringLiteral("°") : QString();
}

float PositionValue(const TPositionFormat& format, int64_t count)
{
    if (!format.Rotary || format.Degrees == TRotaryUnit::Counts)
        return 0;
    return float(DisplayValue(format, count));
}

QString LogValueText(const TPositionFormat& format, int64_t count)
{
    return FormatFixed(DisplayValue(format, count), 15, format.DisplayDecimals);
}

} // namespace k740
