#pragma once
#include "settings/display_units.h"

#include <QString>
#include <cstdint>

namespace k740 {

struct TEncoderSettings;

// What turning a position count into text needs: the encoder's settings
// plus the display scale and decimals derived when the settings are applied.
struct TPositionFormat {
    bool Rotary = false;
    int64_t CPR = 0;
    TRotaryUnit Degrees = TRotaryUnit::Counts;
    double DisplayScale = 1.0; // display units per count
    int32_t DisplayDecimals = 3;
    int32_t MultiturnBits = 0;
    bool SignedMultiturnCounter = false;
};

TPositionFormat MakePositionFormat(const TEncoderSettings& active, double displayScale, int32_t displayDecimals);

// The count within one revolution (floor modulo CPR) for a rotary encoder;
// unchanged for a linear one or a CPR of 0.
int64_t WrapCount(const TPositionFormat& format, int64_t count);

// Wrapped and formatted position text, without the turns prefix.
QString FormatPosition(const TPositionFormat& format, int64_t count);

// "turns : text" for a rotary encoder with multiturn bits, else text itself.
QString WithTurnsPrefix(const TPositionFormat& format, int32_t turns, const QString& text);

QString FormatDms(int64_t cpr, int64_t count);
QString ZeroPad(int64_t value, int32_t width);
QString DegreeSuffix(TRotaryUnit unit);

// The wrapped count times DisplayScale: the value in the unit shown (counts
// within the revolution for degrees-minutes-seconds).
double DisplayValue(const TPositionFormat& format, int64_t count);

// The position in display units offered to other programs: the wrapped count
// times DisplayScale for degrees and degrees-minutes-seconds, else 0.
float PositionValue(const TPositionFormat& format, int64_t count);

// The value written to the position log: wrapped count times DisplayScale,
// 15 significant digits, DisplayDecimals decimals, no unit sign, no turns.
QString LogValueText(const TPositionFormat& format, int64_t count);

} // namespace k740
