#pragma once
#include <cstdint>

namespace k740sim {

// Widths of the fields an absolute encoder sends, most significant first:
// Turns | Position | Padding | Status | DetailedStatus (SSI) or CRC (BiSS-C).
struct TFrameLayout {
    int MultiturnBits = 0;
    int PositionBits = 13;
    int PaddingBits = 0;
    int StatusBits = 0;
    int DetailBits = 0; // SSI only
    int CrcBits = 6;    // BiSS-C only: 6, or 0 for no CRC
};

// Field values of one encoder reading, each already within its width.
struct TFrameFields {
    uint64_t Turns = 0;
    uint64_t Position = 0;
    uint64_t Padding = 0;
    uint64_t Status = 0;
    uint64_t Detail = 0;
};

} // namespace k740sim
