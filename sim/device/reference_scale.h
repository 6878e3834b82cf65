#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace k740sim {

// Reference marks of an incremental scale, at absolute count positions.
//
// Plain: a mark at every multiple of `spacing` counts.
// Distance-coded with nominal increment N (even, in signal periods) and CPP
// counts per period: fixed marks at k*N periods (k = 0 .. N/2-1) and between
// them moving marks at k*N + N/2 + k + 1 periods (k = 0 .. N/2-2). Two
// neighbouring marks are then N/2 + k + 1 or N/2 - k - 1 periods apart, and
// that distance tells the host where the pair lies on the scale.
class TReferenceScale {
public:
    static TReferenceScale none();
    static TReferenceScale plain(int64_t spacing);
    static TReferenceScale distanceCoded(int32_t nominalIncrement, int32_t countsPerPeriod);

    // The mark crossed last when moving from `from` to `to` (marks at `to`
    // count as crossed, marks at `from` do not), if any.
    std::optional<int64_t> lastMarkCrossed(int64_t from, int64_t to) const;

    const std::vector<int64_t>& codedMarks() const { return Coded; }

private:
    int64_t Spacing = 0;        // plain scale; 0 when none or coded
    std::vector<int64_t> Coded; // distance-coded marks, ascending
};

} // namespace k740sim
