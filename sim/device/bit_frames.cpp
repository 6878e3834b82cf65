#include "device/bit_frames.h"

#include <algorithm>

namespace k740sim {

namespace {

// Collects bits most significant first into a 64-bit word; bits beyond the
// 64th are dropped.
class TBitWriter {
public:
    void append(uint64_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            if (Used < 64 && ((value >> i) & 1u))
                Word |= uint64_t(1) << (63 - Used);
            ++Used;
        }
    }
    uint64_t word() const { return Word; }
    int size() const { return Used; }
    // The first `bits` bits written (at most 64), right-aligned.
    uint64_t leading(int bits) const
    {
        const int n = std::clamp(bits, 0, 64);
        return n == 0 ? 0 : Word >> (64 - n);
    }

private:
    uint64_t Word = 0;
    int Used = 0;
};

void AppendBissData(TBitWriter& out, const TFrameLayout& l, const TFrameFields& f)
{
    out.append(f.Turns, l.MultiturnBits);
    out.append(f.Position, l.PositionBits);
    out.append(f.Padding, l.PaddingBits);
    out.append(f.Status, l.StatusBits);
}

void AppendSsiData(TBitWriter& out, const TFrameLayout& l, const TFrameFields& f)
{
    AppendBissData(out, l, f);
    out.append(f.Detail, l.DetailBits);
}

} // namespace

uint64_t LowBitsMask(int bits)
{
    return bits >= 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
}

uint64_t BinaryToGray(uint64_t value)
{
    return value ^ (value >> 1);
}

uint8_t Crc6OfBits(uint64_t data, int bitCount)
{
    unsigned crc = 0;
    for (int i = bitCount - 1; i >= 0; --i) {
        const unsigned feedback = ((crc >> 5) ^ unsigned(data >> i)) & 1u;
        crc = (crc << 1) & 0x3Fu;
        if (feedback)
            crc ^= 0x03u;
    }
    return uint8_t(crc);
}

uint64_t SsiDataWord(const TFrameLayout& layout, const TFrameFields& fields)
{
    TBitWriter out;
    AppendSsiData(out, layout, fields);
    return out.leading(out.size());
}

uint32_t SsiShortFrame(const TFrameLayout& layout, const TFrameFields& fields, int clockedBits)
{
    TBitWriter out;
    AppendSsiData(out, layout, fields);
    return uint32_t(out.leading(std::min(clockedBits, 31)));
}

uint64_t SsiLongCapture(const TFrameLayout& layout, const TFrameFields& fields)
{
    TBitWriter out;
    out.append(1, 1);
    AppendSsiData(out, layout, fields);
    return out.word();
}

uint64_t BissCapture(const TFrameLayout& layout, const TFrameFields& fields, int ackBits, uint64_t crcFlip)
{
    TBitWriter data;
    AppendBissData(data, layout, fields);
    const uint8_t crc6 = Crc6OfBits(data.leading(data.size()), std::min(data.size(), 64));
    const uint64_t crc = (~uint64_t(crc6) ^ crcFlip) & LowBitsMask(layout.CrcBits);

    TBitWriter out;
    out.append(0b11, 2);
    out.append(0, ackBits);
    out.append(0b10, 2);
    AppendBissData(out, layout, fields);
    out.append(crc, layout.CrcBits);
    return out.word();
}

QByteArray HexCapture(uint64_t capture)
{
    return QByteArray::number(qulonglong(capture), 16).toUpper().rightJustified(16, '0');
}

} // namespace k740sim
