#pragma once
#include <cstdint>

namespace k740 {

// Bit counts of an encoder frame's fields besides the position.
struct TFrameFields {
    int32_t Multiturn = 0;
    int32_t Padding = 0;
    int32_t Status = 0;         // general status bits (error, warning)
    int32_t DetailedStatus = 0; // SSI only
    int32_t Crc = 0;            // BiSS only
};

// The general status field, when present, holds two bits: error and warning.
constexpr int32_t kGeneralStatusBitCount = 2;

// Fewest position bits any frame may have.
constexpr int32_t kMinPositionBits = 8;

// Most position bits that fit the frame next to `fields`: a BiSS frame holds
// at most 59 position, multiturn, padding, status and CRC bits, an SSI frame
// at most 63 position, multiturn, padding, status and detailed status bits.
// Never below MinPositionBits.
int32_t PositionBitsLimit(bool biss, const TFrameFields& fields);

// BiSS-C needs an extended absolute interface with firmware above 1.15.
bool BissCapable(bool extendedInterface, bool absoluteInterface, int32_t firmwareVersion);

// Whether an SSI frame on an absolute interface with firmware 1.16 or later
// is longer than 31 bits, so that the interface must capture it whole.
bool IsLongFrame(
    bool absoluteInterface, int32_t firmwareVersion, bool biss, int32_t positionBits, const TFrameFields& fields);

} // namespace k740
