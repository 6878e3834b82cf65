#include "settings/frame_budget.h"

#include <algorithm>

namespace k740 {

namespace {
constexpr int64_t BissFrameBudget = 59;
constexpr int64_t SsiFrameBudget = 63;
constexpr int64_t ShortFrameBits = 31;
constexpr int32_t FirstLongFrameFirmware = 116;
constexpr int32_t FirstBissFirmware = 116;
} // namespace

int32_t PositionBitsLimit(bool biss, const TFrameFields& f)
{
    // Summed in 64 bits so that counts from a hand-edited file cannot overflow.
    const int64_t others = int64_t(f.Multiturn) + f.Padding + f.Status + (biss ? f.Crc : f.DetailedStatus);
    const int64_t limit = (biss ? BissFrameBudget : SsiFrameBudget) - others;
    return int32_t(std::clamp<int64_t>(limit, MinPositionBits, SsiFrameBudget));
}

bool BissCapable(bool extendedInterface, bool absoluteInterface, int32_t firmwareVersion)
{
    return extendedInterface && absoluteInterface && firmwareVersion >= FirstBissFirmware;
}

bool IsLongFrame(
    bool absoluteInterface, int32_t firmwareVersion, bool biss, int32_t positionBits, const TFrameFields& f)
{
    const int64_t frameBits = int64_t(positionBits) + f.Multiturn + f.Padding + f.Status + f.DetailedStatus;
    return absoluteInterface && firmwareVersion >= FirstLongFrameFirmware && !biss && frameBits > ShortFrameBits;
}

} // namespace k740
