#pragma once
#include <cstdint>

namespace k740sim {

// Widths of the fields an absolute encoder sends, most significant first:
// Turns | Position | Padding | Status | DetailedStatus (SSI) or CRC (BiSS-C).
struct FrameLayout {
    int multiturnBits = 0;
    int positionBits = 13;
    int paddingBits = 0;
    int statusBits = 0;
    int detailBits = 0; // SSI only
    int crcBits = 6;    // BiSS-C only: 6, or 0 for no CRC
};

// Field values of one encoder reading, each already within its width.
struct FrameFields {
    uint64_t turns = 0;
    uint64_t position = 0;
    uint64_t padding = 0;
    uint64_t status = 0;
    uint64_t detail = 0;
};

} // namespace k740sim
