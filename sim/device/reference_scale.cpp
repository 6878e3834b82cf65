#include "device/reference_scale.h"

#include "device/floor_division.h"

#include <algorithm>

namespace k740sim {

TReferenceScale TReferenceScale::none()
{
    return TReferenceScale();
}

TReferenceScale TReferenceScale::plain(int64_t spacing)
{
    TReferenceScale scale;
    scale.Spacing = spacing > 0 ? spacing : 0;
    return scale;
}

TReferenceScale TReferenceScale::distanceCoded(int32_t nominalIncrement, int32_t countsPerPeriod)
{
    TReferenceScale scale;
    const int64_t n = nominalIncrement;
    const int64_t half = n / 2;
    for (int64_t k = 0; k < half; ++k) {
        scale.Coded.push_back(k * n * countsPerPeriod);
        if (k + 1 < half)
            scale.Coded.push_back((k * n + half + k + 1) * countsPerPeriod);
    }
    return scale;
}

std::optional<int64_t> TReferenceScale::lastMarkCrossed(int64_t from, int64_t to) const
{
    if (from == to)
        return std::nullopt;
    if (Spacing > 0) {
        const int64_t mark = to > from ? FloorDiv(to, Spacing) * Spacing : -FloorDiv(-to, Spacing) * Spacing;
        const bool crossed = to > from ? mark > from : mark < from;
        return crossed ? std::optional<int64_t>(mark) : std::nullopt;
    }
    if (to > from) {
        auto it = std::upper_bound(Coded.begin(), Coded.end(), to);
        if (it == Coded.begin() || *std::prev(it) <= from)
            return std::nullopt;
        return *std::prev(it);
    }
    auto it = std::lower_bound(Coded.begin(), Coded.end(), to);
    if (it == Coded.end() || *it >= from)
        return std::nullopt;
    return *it;
}

} // namespace k740sim
