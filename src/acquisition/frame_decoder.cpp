#include "acquisition/frame_decoder.h"

#include "settings/encoder_settings.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace k740 {

const uint8_t Crc6Table[64] = {
    0x00,
    0x03,
    0x06,
    0x05,
    0x0C,
    0x0F,
    0x0A,
    0x09,
    0x18,
    0x1B,
    0x1E,
    0x1D,
    0x14,
    0x17,
    0x12,
    0x11,
    0x30,
    0x33,
    0x36,
    0x35,
    0x3C,
    0x3F,
    0x3A,
    0x39,
    0x28,
    0x2B,
    0x2E,
    0x2D,
    0x24,
    0x27,
    0x22,
    0x21,
    0x23,
    0x20,
    0x25,
    0x26,
    0x2F,
    0x2C,
    0x29,
    0x2A,
    0x3B,
    0x38,
    0x3D,
    0x3E,
    0x37,
    0x34,
    0x31,
    0x32,
    0x13,
    0x10,
    0x15,
    0x16,
    0x1F,
    0x1C,
    0x19,
    0x1A,
    0x0B,
    0x08,
    0x0D,
    0x0E,
    0x07,
    0x04,
    0x01,
    0x02,
};

uint64_t Mask(int64_t bits)
{
    if (bits <= 0)
        return 0;
    return bits >= 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
}

uint64_t ShiftLeft(uint64_t value, int64_t bits)
{
    if (bits <= 0)
        return value;
    return bits >= 64 ? 0 : value << bits;
}

uint64_t ShiftRight(uint64_t value, int64_t bits)
{
    if (bits <= 0)
        return value;
    return bits >= 64 ? 0 : value >> bits;
}

TFrameKind FrameKindFor(TInterfaceKind interfaceKind, const TEncoderSettings& active)
{
    if (interfaceKind != TInterfaceKind::Absolute)
        return fkCounter;
    if (active.BiSS)
        return fkBiss;
    return active.LongFrame ? fkSsiLong : fkSsiShort;
}

QByteArray PositionRequest(TFrameKind kind)
{
    return (kind == fkSsiLong || kind == fkBiss) ? QByteArrayLiteral("4") : QByteArrayLiteral("?");
}

namespace {

// Bit counts of the frame layout, negative ones counted as 0; 64-bit so
// that their sums cannot overflow.
struct TFrameBits {
    int64_t MT, SSI, Pad, St, Det, CRC;
    explicit TFrameBits(const TEncoderSettings& s)
        : MT(std::max(0, s.MultiturnBits))
        , SSI(std::max(0, s.SSIBits))
        , Pad(std::max(0, s.PaddingBits))
        , St(std::max(0, s.SSIStatusBits))
        , Det(std::max(0, s.DetailedStatusBits))
        , CRC(std::max(0, s.CRCBits))
    {
    }
};

int32_t LowWord(uint64_t value)
{
    return int32_t(uint32_t(value));
}

// Digits with an optional sign, within the 32-bit signed range; nothing
// for anything else.
std::optional<int32_t> Decimal32(const QByteArray& text)
{
    const bool negative = text.startsWith('-');
    const int start = negative || text.startsWith('+') ? 1 : 0;
    if (start == text.size())
        return std::nullopt;
    int64_t magnitude = 0;
    for (int i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9' || magnitude > (int64_t(1) << 31))
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return int32_t(value);
}

// The reply up to its first carriage return, trimmed.
QByteArray FrameText(const QByteArray& reply)
{
    const int cr = reply.indexOf('\r');
    return TrimBlanks(cr >= 0 ? reply.left(cr) : reply);
}

// 1 to 16 hexadecimal digits as an unsigned 64-bit number; anything else is 0.
uint64_t HexOrZero(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 16)
        return 0;
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return 0;
        value = (value << 4) | uint64_t(digit);
    }
    return value;
}

// "count:latch:flag" up to the carriage return, three 32-bit decimals with
// blanks around them allowed; anything else renews nothing.
bool DecodeCounter(const QByteArray& reply, TDecodedFrame& frame)
{
    const int cr = reply.indexOf('\r');
    const QByteArray line = reply.left(cr);
    const int p1 = line.indexOf(':');
    const int p2 = p1 < 0 ? -1 : line.indexOf(':', p1 + 1);
    if (cr < 0 || p2 < 0 || line.indexOf(':', p2 + 1) >= 0)
        return false;
    const std::optional<int32_t> count = Decimal32(TrimBlanks(line.left(p1)));
    const std::optional<int32_t> latch = Decimal32(TrimBlanks(line.mid(p1 + 1, p2 - p1 - 1)));
    const std::optional<int32_t> flag = Decimal32(TrimBlanks(line.mid(p2 + 1)));
    if (!count || !latch || !flag)
        return false;
    frame.Position = *count;
    frame.RefLatch = *latch;
    frame.RefEvent = *flag;
    return true;
}

// The fields of a frame whose data bits sit in the low bits of raw:
// Turns | Position (SSI) | Padding (Pad) | Status (St) | low field (low).
// The low field is the detailed status of SSI and the CRC of BiSS-C.
struct TFrameFields {
    uint32_t Low, Status, Padding;
    int64_t Position;
    int32_t Turns;
};

TFrameFields Unpack(uint64_t raw, const TFrameBits& b, int64_t low)
{
    TFrameFields f;
    f.Low = uint32_t(raw & Mask(low));
    f.Status = uint32_t(ShiftRight(raw, low) & Mask(b.St));
    f.Padding = uint32_t(ShiftRight(raw, b.St + low) & Mask(b.Pad));
    f.Position = int64_t(ShiftRight(raw, b.Pad + b.St + low) & Mask(b.SSI));
    f.Turns = LowWord(ShiftRight(raw, b.SSI + b.Pad + b.St + low));
    return f;
}

// The captured frames (long SSI, BiSS-C) write these four fields alike.
void StoreCapturedFields(const TFrameFields& f, TDecodedFrame& frame)
{
    frame.Status = f.Status;
    frame.Padding = f.Padding;
    frame.Position = f.Position;
    frame.Turns = f.Turns;
}

// The whole frame as one decimal number of at most 31 bits: digits only.
bool DecodeSsiShort(const QByteArray& text, const TEncoderSettings& s, TDecodedFrame& frame)
{
    const TFrameBits b(s);
    const std::optional<int32_t> value = text.startsWith('+') ? std::nullopt : Decimal32(text);
    if (!value || *value < 0)
        return false;
    const TFrameFields f = Unpack(uint64_t(*value), b, b.Det);
    frame.DetailedStatus = f.Low;
    frame.Status = f.Status;
    frame.Position = s.GrayCode ? GrayToBinary(f.Position) : f.Position;
    frame.Turns = f.Turns;
    return true;
}

bool DecodeSsiLong(uint64_t raw, const TEncoderSettings& s, TDecodedFrame& frame)
{
    if (!(raw >> 63))
        return false;
    const TFrameBits b(s);
    raw <<= 1;
    raw = ShiftRight(raw, 64 - (b.MT + b.SSI + b.Pad + b.St + b.Det));
    TFrameFields f = Unpack(raw, b, b.Det);
    if (s.GrayCode)
        f.Position = GrayToBinary(f.Position);
    frame.DetailedStatus = f.Low;
    StoreCapturedFields(f, frame);
    return true;
}

bool DecodeBiss(uint64_t raw, const TEncoderSettings& s, TDecodedFrame& frame, bool& crcOk)
{
    if ((raw >> 62) != 3)
        return false;
    int shifts = 0;
    do {
        raw <<= 1;
        ++shifts;
    } while ((raw >> 62) != 1 && shifts < 63);
    if ((raw >> 62) != 1)
        return false;
    raw <<= 3;

    const TFrameBits b(s);
    raw = ShiftRight(raw, 64 - (b.MT + b.SSI + b.Pad + b.St + b.CRC));
    const TFrameFields f = Unpack(raw, b, b.CRC);
    frame.ReceivedCrc = f.Low;
    StoreCapturedFields(f, frame);

    uint64_t data = ShiftLeft(uint64_t(int64_t(frame.Turns)), b.SSI) + uint64_t(frame.Position);
    data = ShiftLeft(data, b.Pad) + frame.Padding;
    data = ShiftLeft(data, b.St) + frame.Status;
    const int64_t n = b.MT + b.SSI + b.Pad + b.St + b.Det;
    const uint8_t crc = BissCrc6(int32_t(std::min<int64_t>((n + 5) / 6, INT32_MAX)), data);
    crcOk = crc == ((~frame.ReceivedCrc) & 0x3F) || b.CRC == 0;
    return true;
}

} // namespace

QByteArray TrimBlanks(const QByteArray& text)
{
    auto blank = [](char c) { return uint8_t(c) <= ' '; };
    int begin = 0;
    int end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

TReplyFields SplitReplyFields(const QByteArray& reply)
{
    // Positions are 0-based here; -1 stands for "no separator".
    const int p1 = reply.indexOf(':');
    const int p2 = reply.indexOf(':', p1 + 1);
    TReplyFields fields;
    fields.First = reply.left(std::max(p1, 0));
    fields.Second = p2 > p1 ? reply.mid(p1 + 1, p2 - p1 - 1) : QByteArray();
    const int thirdStart = p2 + 1;
    fields.Third = reply.mid(thirdStart, std::max(0, int(reply.size()) - thirdStart - 1));
    return fields;
}

TFrameChecks Decode(const QByteArray& reply, TFrameKind kind, const TEncoderSettings& active, TDecodedFrame& frame)
{
    TFrameChecks checks;
    if (kind == fkCounter) {
        checks.Valid = DecodeCounter(reply, frame);
        return checks;
    }
    const QByteArray text = FrameText(reply);
    if (kind == fkSsiShort) {
        checks.Valid = DecodeSsiShort(text, active, frame);
        return checks;
    }
    if (text.toUpper().startsWith("FFFFFFFF")) {
        checks.Valid = false;
        return checks;
    }
    const uint64_t raw = HexOrZero(text);
    checks.Valid = kind == fkBiss ? DecodeBiss(raw, active, frame, checks.CrcOk) : DecodeSsiLong(raw, active, frame);
    return checks;
}

void InvertDirection(TDecodedFrame& frame, TFrameKind kind, int32_t multiturnBits)
{
    frame.Position = int64_t(0 - uint64_t(frame.Position));
    if (kind == fkCounter)
        frame.RefLatch = int64_t(0 - uint64_t(frame.RefLatch));
    else if (multiturnBits >= 1)
        frame.Turns = LowWord((0 - uint64_t(int64_t(frame.Turns))) & Mask(multiturnBits));
}

int64_t GrayToBinary(int64_t value)
{
    uint64_t v = uint64_t(value);
    uint64_t s = v;
    while (int64_t(s) > 0) {
        s >>= 1;
        v ^= s;
    }
    return int64_t(v);
}

uint8_t BissCrc6(int32_t groups, uint64_t data)
{
    // 11 groups cover all 64 bits; groups above them are zero and leave the
    // CRC at 0, so they need not be walked through.
    uint8_t crc = 0;
    for (int32_t k = std::min(groups, 11); k >= 1; --k) {
        const uint8_t d = uint8_t(ShiftRight(data, 6 * int64_t(k - 1)) & 0x3F);
        crc = Crc6Table[crc ^ d];
    }
    return crc;
}

} // namespace k740
