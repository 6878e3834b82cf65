#pragma once
#include <array>
#include <cstdint>

namespace k740 {

// Round-trip times in microseconds, counted in fixed bins: exact below
// 64 µs, then 32 bins per doubling (each at most 1/32 of its lower bound
// wide) up to 2^21 µs (about 2 s); longer times count in the last bin.
// Adding never allocates.
class TRoundTripHistogram {
public:
    void clear();
    void add(uint64_t microseconds);
    uint64_t count() const { return Total; }
    // The time below which `fraction` (0..1) of the counted times lie, as
    // the middle of its bin; 0 when nothing was counted.
    uint32_t quantile(double fraction) const;

private:
    static constexpr int kSubBits = 5;
    static constexpr int kSubBins = 1 << kSubBits; // per doubling
    static constexpr int kDoublings = 15;          // from 64 µs to 2^21 µs
    static constexpr int kBins = kSubBins * (kDoublings + 2);
    static int binOf(uint64_t microseconds);
    static uint32_t middleOf(int bin);

    std::array<uint64_t, kBins> Bins{};
    uint64_t Total = 0;
};

} // namespace k740
