#include "device/bit_frames.h"

#include <algorithm>

namespace k740sim {

namespace {

// Collects bits most significant first into a 64-bit word; bits beyond the
// 64th are dropped.
class BitWriter {
public:
    void append(uint64_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            if (used_ < 64 && ((value >> i) & 1u))
                word_ |= uint64_t(1) << (63 - used_);
            ++used_;
        }
    }
    uint64_t word() const { return word_; }
    int size() const { return used_; }
    // The first `bits` bits written (at most 64), right-aligned.
    uint64_t leading(int bits) const
    {
        const int n = std::clamp(bits, 0, 64);
        return n == 0 ? 0 : word_ >> (64 - n);
    }

private:
    uint64_t word_ = 0;
    int used_ = 0;
};

void AppendBissData(BitWriter& out, const FrameLayout& l, const FrameFields& f)
{
    out.append(f.turns, l.multiturnBits);
    out.append(f.position, l.positionBits);
    out.append(f.padding, l.paddingBits);
    out.append(f.status, l.statusBits);
}

void AppendSsiData(BitWriter& out, const FrameLayout& l, const FrameFields& f)
{
    AppendBissData(out, l, f);
    out.append(f.detail, l.detailBits);
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

uint64_t SsiDataWord(const FrameLayout& layout, const FrameFields& fields)
{
    BitWriter out;
    AppendSsiData(out, layout, fields);
    return out.leading(out.size());
}

uint32_t SsiShortFrame(const FrameLayout& layout, const FrameFields& fields, int clockedBits)
{
    BitWriter out;
    AppendSsiData(out, layout, fields);
    return uint32_t(out.leading(std::min(clockedBits, 31)));
}

uint64_t SsiLongCapture(const FrameLayout& layout, const FrameFields& fields)
{
    BitWriter out;
    out.append(1, 1);
    AppendSsiData(out, layout, fields);
    return out.word();
}

uint64_t BissCapture(const FrameLayout& layout, const FrameFields& fields, int ackBits, uint64_t crcFlip)
{
    BitWriter data;
    AppendBissData(data, layout, fields);
    const uint8_t crc6 = Crc6OfBits(data.leading(data.size()), std::min(data.size(), 64));
    const uint64_t crc = (~uint64_t(crc6) ^ crcFlip) & LowBitsMask(layout.crcBits);

    BitWriter out;
    out.append(0b11, 2);
    out.append(0, ackBits);
    out.append(0b10, 2);
    AppendBissData(out, layout, fields);
    out.append(crc, layout.crcBits);
    return out.word();
}

QByteArray HexCapture(uint64_t capture)
{
    return QByteArray::number(qulonglong(capture), 16).toUpper().rightJustified(16, '0');
}

} // namespace k740sim
