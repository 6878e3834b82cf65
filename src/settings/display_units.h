#pragma once
#include <cstdint>

namespace k740 {

// The stored record keeps the display units and the SSI clock as the
// integers of the INI file (values outside the named ones stay as stored);
// the code that acts on them reads them through these types.

// Degrees: the rotary display unit. Any value of 2 or more shows degrees,
// minutes and seconds.
enum class TRotaryUnit : int32_t { Counts = 0, Degrees = 1, DegreesMinutesSeconds = 2 };
TRotaryUnit RotaryUnitOf(int32_t degrees);

// Units: the linear display unit; other values show millimetres.
enum class TLinearUnit : int32_t { Millimetres = 0, Micrometres = 1, Inches = 2, Mils = 3 };
TLinearUnit LinearUnitOf(int32_t units);

// SSIFreq: the SSI clock's frequency code, "35 kHz" to "4.4 MHz".
enum class TSsiClock : int32_t { Khz35 = 1, Khz70, Khz140, Khz280, Khz560, Khz1100, Khz2200, Khz4400 };
bool IsKnownSsiClock(int32_t code);

} // namespace k740
