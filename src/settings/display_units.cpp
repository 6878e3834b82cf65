#include "settings/display_units.h"

namespace k740 {

TRotaryUnit RotaryUnitOf(int32_t degrees)
{
    return degrees >= int32_t(TRotaryUnit::DegreesMinutesSeconds) ? TRotaryUnit::DegreesMinutesSeconds
                                                                  : TRotaryUnit(degrees);
}

TLinearUnit LinearUnitOf(int32_t units)
{
    const bool known = units >= int32_t(TLinearUnit::Millimetres) && units <= int32_t(TLinearUnit::Mils);
    return known ? TLinearUnit(units) : TLinearUnit::Millimetres;
}

bool IsKnownSsiClock(int32_t code)
{
    return code >= int32_t(TSsiClock::Khz35) && code <= int32_t(TSsiClock::Khz4400);
}

} // namespace k740
