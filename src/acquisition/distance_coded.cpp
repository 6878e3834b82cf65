#include "acquisition/distance_coded.h"

#include <limits>

namespace k740 {

namespace {

// 128-bit intermediates keep every product exact for any 64-bit marks and
// 32-bit settings; only the final offset wraps to 64 bits.
using TWide = __int128;

TWide Abs(TWide v)
{
    return v < 0 ? -v : v;
}
int Sign(TWide v)
{
    return (v > 0) - (v < 0);
}

TWide Distance(int64_t a, int64_t b)
{
    return Abs(TWide(b) - TWide(a));
}

} // namespace

TDistanceCoded DistanceCodedOffset(int64_t firstMark, int64_t secondMark, int32_t cpp, int32_t nominalIncr)
{
    TDistanceCoded result;
    if (cpp <= 0) {
        result.RefOffset = secondMark;
        result.MRR = std::numeric_limits<int64_t>::max();
        return result;
    }
    const TWide n = nominalIncr;
    const TWide mrr = Distance(firstMark, secondMark) / cpp;
    const TWide b = 2 * mrr - n;
    const int dir = secondMark > firstMark ? 1 : -1;
    const TWide p1 = ((Abs(b) - Sign(b) - 1) * n) / 2 + ((Sign(b) - dir) * mrr) / 2;
    const TWide p2 = dir == 1 ? p1 + mrr : p1 - mrr;
    result.RefOffset = int64_t(uint64_t(TWide(secondMark) - p2 * cpp));
    const TWide maxCount = std::numeric_limits<int64_t>::max();
    result.MRR = int64_t(mrr < maxCount ? mrr : maxCount);
    return result;
}

bool IsAnotherMark(int64_t firstMark, int64_t latch, int32_t cpp)
{
    return Distance(firstMark, latch) > cpp / 2;
}

} // namespace k740
