#include "settings/frame_budget.h"

#include <algorithm>

namespace k740 {

namespace {
constexpr int64_t kBissFrameBudget = 59;
constexpr int64_t kSsiFrameBudget = 63;
constexpr int64_t kShortFrameBits = 31;
constexpr int32_t kFirstLongFrameFirmware = 116;
constexpr int32_t kFirstBissFirmware = 116;
} // namespace

int32_t PositionBitsLimit(bool biss, const TFrameFields& f)
{
    // Summed in 64 bits so that counts from a hand-edited file cannot overflow.
    const int64_t others = int64_t(f.Multiturn) + f.Padding + f.Status + (biss ? f.Crc : f.DetailedStatus);
    const int64_t limit = (biss ? kBissFrameBudget : kSsiFrameBudget) - others;
    return int32_t(std::clamp<int64_t>(limit, kMinPositionBits, kSsiFrameBudget));
}

bool BissCapable(bool extendedInterface, bool absoluteInterface, int32_t firmwareVersion)
{
    return extendedInterface && absoluteInterface && firmwareVersion >= kFirstBissFirmware;
}

bool IsLongFrame(
    bool absoluteInterface, int32_t firmwareVersion, bool biss, int32_t positionBits, const TFrameFields& f)
{
    const int64_t frameBits = int64_t(positionBits) + f.Multiturn + f.Padding + f.Status + f.DetailedStatus;
    return absoluteInterface && firmwareVersion >= kFirstLongFrameFirmware && !biss && frameBits > kShortFrameBits;
}

} // namespace k740
