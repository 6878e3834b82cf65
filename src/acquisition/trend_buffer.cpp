#include "acquisition/trend_buffer.h"

#include "acquisition/interface_session.h"

#include <QStringEncoder>
#include <algorithm>

namespace k740 {

namespace {

constexpr qsizetype kMaxTextChars = 48; // more than the field holds in any encoding

// As much of `text` as fits, in UTF-8, cut before a character that would
// not fit whole.
void PutText(TTrendPoint& point, const QString& text)
{
    std::array<char, kMaxTextChars * 3> utf8;
    QStringEncoder encoder(QStringEncoder::Utf8);
    const char* end = encoder.appendToBuffer(utf8.data(), QStringView(text).left(kMaxTextChars));
    size_t size = std::min(size_t(end - utf8.data()), TTrendPoint::kTextBytes);
    if (size < size_t(end - utf8.data()))
        while (size > 0 && (uchar(utf8[size]) & 0xC0) == 0x80)
            --size;
    std::copy_n(utf8.data(), size, point.Text.data());
    point.TextSize = uint8_t(size);
}

} // namespace

TCycleSample TTrendPoint::sample() const
{
    TCycleSample sample;
    sample.Number = Number;
    sample.ReplyTimeUs = TimeUs;
    sample.RawCount = RawCount;
    sample.Value = Value;
    sample.Text = QString::fromUtf8(Text.data(), TextSize);
    sample.Valid = Valid;
    sample.CrcOk = CrcOk;
    return sample;
}

bool SameTrendUnit(const TPositionFormat& a, const TPositionFormat& b)
{
    return a.Rotary == b.Rotary && a.CPR == b.CPR && a.Degrees == b.Degrees && a.DisplayScale == b.DisplayScale;
}

void TTrendBuffer::append(const TCycleResult& cycle, const TPositionFormat& format)
{
    if (!SameTrendUnit(format, Format)) {
        clear();
        Format = format;
    }
    if (Points.empty())
        Points.resize(kCapacity);
    const TCycleSample& sample = cycle.Sample;
    TTrendPoint& point = Points[(Oldest + Count) % kCapacity];
    point.TimeUs = sample.ReplyTimeUs;
    point.Number = sample.Number;
    point.RawCount = sample.RawCount;
    point.Value = sample.Value;
    PutText(point, sample.Text);
    point.Valid = sample.Valid;
    point.CrcOk = sample.CrcOk;
    point.Faults = 0;
    if (cycle.LinkLost)
        point.Faults |= kTrendLinkLoss;
    else if (!sample.Valid)
        point.Faults |= kTrendInvalidFrame;
    if (!sample.CrcOk)
        point.Faults |= kTrendCrcFailure;
    if (cycle.Timeouts > 0)
        point.Faults |= kTrendTimeout;
    if (Count < kCapacity)
        ++Count;
    else
        Oldest = (Oldest + 1) % kCapacity;
}

void TTrendBuffer::clear()
{
    Oldest = 0;
    Count = 0;
}

size_t TTrendBuffer::firstAtOrAfter(int64_t timeUs) const
{
    size_t low = 0;
    size_t high = size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (at(middle).TimeUs < timeUs)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

} // namespace k740
