#pragma once
#include "acquisition/cycle_streams.h"
#include "acquisition/position_format.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace k740 {

struct TCycleResult;

// What went wrong in a cycle, as bits of TTrendPoint::Faults.
constexpr uint8_t kTrendInvalidFrame = 1;
constexpr uint8_t kTrendCrcFailure = 2;
constexpr uint8_t kTrendTimeout = 4;
constexpr uint8_t kTrendLinkLoss = 8; // the link was lost in this cycle, until the next one

// A cycle as the trend keeps it: the sample's fields, its text in UTF-8 in
// place (cut at a whole character where longer), and its faults.
struct TTrendPoint {
    static constexpr size_t kTextBytes = 43;

    int64_t TimeUs = 0; // TCycleSample::ReplyTimeUs
    uint64_t Number = 0;
    int64_t RawCount = 0;
    double Value = 0;
    std::array<char, kTextBytes> Text{};
    uint8_t TextSize = 0;
    bool Valid = false;
    bool CrcOk = true;
    uint8_t Faults = 0;

    bool usable() const { return Valid && CrcOk; }
    TCycleSample sample() const;
};

// The last cycles (ten minutes and more at the full polling rate) in storage
// taken whole at the first cycle, so that the memory stays as it is from
// then on; oldest first. Times never go back.
class TTrendBuffer {
public:
    static constexpr size_t kCapacity = 65536;

    // A cycle and the format its values were shown in: values of another
    // unit or scale start the buffer afresh, so that no plot mixes units.
    void append(const TCycleResult& cycle, const TPositionFormat& format);
    void clear();

    size_t size() const { return Count; }
    bool empty() const { return Count == 0; }
    // The i-th point, oldest first.
    const TTrendPoint& at(size_t i) const { return Points[(Oldest + i) % kCapacity]; }
    // The first point at or after `timeUs` (size() when none).
    size_t firstAtOrAfter(int64_t timeUs) const;
    const TPositionFormat& format() const { return Format; }

private:
    std::vector<TTrendPoint> Points;
    size_t Oldest = 0;
    size_t Count = 0;
    TPositionFormat Format;
};

// The same numbers mean the same thing in both formats.
bool SameTrendUnit(const TPositionFormat& a, const TPositionFormat& b);

} // namespace k740
