#include "settings/resolution_choice.h"

#include "settings/choice_tables.h"
#include "settings/encoder_settings.h"

#include <algorithm>
#include <limits>

namespace k740 {

TRotaryResolution RotaryResolutionFor(int64_t cpr, int32_t maxPositionBits)
{
    TRotaryResolution choice;
    const auto row = std::find(CprTable.begin(), CprTable.end(), cpr);
    if (row != CprTable.end()) {
        choice.Row = int(row - CprTable.begin());
        return choice;
    }
    const int32_t bits = BitsForCount(cpr);
    if (CprForPositionBits(bits) == cpr && bits >= kMinPositionBits && bits <= maxPositionBits) {
        choice.Mode = TResolutionMode::PositionBits;
        choice.Bits = bits;
    } else {
        choice.Mode = TResolutionMode::Custom;
    }
    return choice;
}

int64_t CprForPositionBits(int32_t bits)
{
    constexpr int32_t kWidest = std::numeric_limits<int64_t>::digits; // 63
    if (bits >= kWidest)
        return std::numeric_limits<int64_t>::max();
    return bits <= 0 ? 1 : int64_t(1) << bits;
}

} // namespace k740
