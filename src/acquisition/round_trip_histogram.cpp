#include "acquisition/round_trip_histogram.h"

#include <cmath>

namespace k740 {

void TRoundTripHistogram::clear()
{
    Bins.fill(0);
    Total = 0;
}

// Below 2 × kSubBins the bin is the time itself; above, a time of
// 2^k ... 2^(k+1) - 1 µs falls into one of kSubBins bins by its top
// kSubBits + 1 bits.
int TRoundTripHistogram::binOf(uint64_t microseconds)
{
    if (microseconds < 2 * kSubBins)
        return int(microseconds);
    const int top = 63 - __builtin_clzll(microseconds); // k
    const int shift = top - kSubBits;
    const int bin = kSubBins * shift + int(microseconds >> shift);
    return bin < kBins ? bin : kBins - 1;
}

uint32_t TRoundTripHistogram::middleOf(int bin)
{
    if (bin < 2 * kSubBins)
        return uint32_t(bin);
    const int shift = bin / kSubBins - 1;
    const uint32_t lower = uint32_t(bin % kSubBins + kSubBins) << shift;
    return lower + ((1u << shift) - 1) / 2;
}

void TRoundTripHistogram::add(uint64_t microseconds)
{
    ++Bins[size_t(binOf(microseconds))];
    ++Total;
}

uint32_t TRoundTripHistogram::quantile(double fraction) const
{
    if (Total == 0)
        return 0;
    const double wanted = std::ceil(fraction * double(Total));
    const uint64_t rank = wanted < 1 ? 1 : uint64_t(wanted);
    uint64_t below = 0;
    for (int bin = 0; bin < kBins; ++bin) {
        below += Bins[size_t(bin)];
        if (below >= rank)
            return middleOf(bin);
    }
    return middleOf(kBins - 1);
}

} // namespace k740
