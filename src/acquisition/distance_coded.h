#pragma once
#include <cstdint>

namespace k740 {

// Result of homing on two distance-coded reference marks.
struct TDistanceCoded {
    int64_t RefOffset = 0; // subtract from the count to read absolute counts
    int64_t MRR = 0;       // mark distance in signal periods; >= NominalIncr is implausible
};

// Absolute position from the distance between two consecutive marks.
// cpp: counts per signal period; nominalIncr: nominal increment N in periods.
// A cpp of 0 or less cannot measure a distance: MRR is then the largest
// count so that the caller rejects the pair.
TDistanceCoded DistanceCodedOffset(int64_t firstMark, int64_t secondMark, int32_t cpp, int32_t nominalIncr);

// True when latch lies more than half a signal period (cpp / 2, toward zero)
// from firstMark, i.e. it is a different mark rather than the same one again.
bool IsAnotherMark(int64_t firstMark, int64_t latch, int32_t cpp);

} // namespace k740
