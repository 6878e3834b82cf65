#include "device/reference_scale.h"

#include "device/floor_division.h"

#include <algorithm>

namespace k740sim {

ReferenceScale ReferenceScale::None()
{
    return ReferenceScale();
}

ReferenceScale ReferenceScale::Plain(int64_t spacing)
{
    ReferenceScale scale;
    scale.spacing_ = spacing > 0 ? spacing : 0;
    return scale;
}

ReferenceScale ReferenceScale::DistanceCoded(int32_t nominalIncrement, int32_t countsPerPeriod)
{
    ReferenceScale scale;
    const int64_t n = nominalIncrement;
    const int64_t half = n / 2;
    for (int64_t k = 0; k < half; ++k) {
        scale.coded_.push_back(k * n * countsPerPeriod);
        if (k + 1 < half)
            scale.coded_.push_back((k * n + half + k + 1) * countsPerPeriod);
    }
    return scale;
}

std::optional<int64_t> ReferenceScale::lastMarkCrossed(int64_t from, int64_t to) const
{
    if (from == to)
        return std::nullopt;
    if (spacing_ > 0) {
        const int64_t mark = to > from ? FloorDiv(to, spacing_) * spacing_ : -FloorDiv(-to, spacing_) * spacing_;
        const bool crossed = to > from ? mark > from : mark < from;
        return crossed ? std::optional<int64_t>(mark) : std::nullopt;
    }
    if (to > from) {
        auto it = std::upper_bound(coded_.begin(), coded_.end(), to);
        if (it == coded_.begin() || *std::prev(it) <= from)
            return std::nullopt;
        return *std::prev(it);
    }
    auto it = std::lower_bound(coded_.begin(), coded_.end(), to);
    if (it == coded_.end() || *it >= from)
        return std::nullopt;
    return *it;
}

} // namespace k740sim
