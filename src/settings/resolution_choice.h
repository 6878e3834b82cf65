#pragma once
#include <cstdint>

namespace k740 {

// How the settings dialog shows the resolution of a rotary encoder.
enum class TResolutionMode {
    Predefined,   // a row of CprTable
    Custom,       // any count, typed in
    PositionBits, // 2 to the power of the position bits
};

struct TRotaryResolution {
    TResolutionMode Mode = TResolutionMode::Predefined;
    int Row = 0;      // CprTable row; 0 unless Predefined
    int32_t Bits = 0; // position bits when PositionBits
};

// The table row when `cpr` is in CprTable, else position bits when it is a
// power of two whose exponent the position-bits spinner can show (from
// kMinPositionBits to `maxPositionBits`), else a custom count.
TRotaryResolution RotaryResolutionFor(int64_t cpr, int32_t maxPositionBits);

// 2^bits for the "Position bits" choice; a count beyond the 64-bit range
// becomes the largest 64-bit count.
int64_t CprForPositionBits(int32_t bits);

} // namespace k740
