#pragma once
// Helpers for the simulator tests: a hand-driven clock, whole replies, and
// the host's way of reading frames and distance-coded marks, written out
// independently so that round trips check the simulator against it.
#include "device/device_model.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

using namespace k740sim;

struct ManualClock {
    int64_t nowUs = 0;
    TMicrosecondClock function()
    {
        return [this] { return nowUs; };
    }
    void advanceMs(int64_t ms) { nowUs += ms * 1000; }
};

// Every reply piece a command sets off, joined, whatever its timing.
inline QByteArray Ask(TDeviceModel& device, const QByteArray& command)
{
    QByteArray reply;
    for (const TReplyPiece& piece : device.receive(command))
        reply += piece.Bytes;
    return reply;
}

namespace host {

inline uint64_t Shl(uint64_t v, int n)
{
    return n >= 64 ? 0 : v << n;
}
inline uint64_t Shr(uint64_t v, int n)
{
    return n >= 64 ? 0 : v >> n;
}
inline uint64_t Mask(int n)
{
    return Shl(1, n) - 1;
}

inline uint64_t GrayToBinary(uint64_t g)
{
    uint64_t v = g;
    for (uint64_t s = g; int64_t(s) > 0;) {
        s >>= 1;
        v ^= s;
    }
    return v;
}

// Table method: entry i is the remainder of i * x^6 by x^6 + x + 1.
inline uint8_t Crc6ByGroups(int groups, uint64_t data)
{
    uint8_t table[64];
    for (unsigned i = 0; i < 64; ++i) {
        unsigned r = i << 6;
        for (int bit = 11; bit >= 6; --bit)
            if (r & (1u << bit))
                r ^= 0x43u << (bit - 6);
        table[i] = uint8_t(r);
    }
    uint8_t crc = 0;
    for (int k = groups; k >= 1; --k)
        crc = table[crc ^ (Shr(data, 6 * (k - 1)) & 0x3F)];
    return crc;
}

struct Frame {
    bool valid = true;
    bool crcOk = true;
    uint64_t turns = 0, position = 0, padding = 0, status = 0, detail = 0, crc = 0;
};

inline Frame DecodeShortSsi(const QByteArray& reply, const TFrameLayout& l, bool gray)
{
    const int64_t raw = reply.trimmed().toInt();
    Frame f;
    f.detail = raw & Mask(l.DetailBits);
    f.status = Shr(raw, l.DetailBits) & Mask(l.StatusBits);
    f.position = Shr(raw, l.DetailBits + l.StatusBits + l.PaddingBits) & Mask(l.PositionBits);
    f.turns = uint32_t(Shr(raw, l.PositionBits + l.PaddingBits + l.StatusBits + l.DetailBits));
    if (gray)
        f.position = GrayToBinary(f.position);
    return f;
}

inline uint64_t CaptureValue(const QByteArray& reply, bool& ok)
{
    const QByteArray t = reply.trimmed();
    const uint64_t raw = t.size() <= 16 ? t.toULongLong(&ok, 16) : 0;
    ok = ok && t.size() <= 16;
    return ok ? raw : 0;
}

inline Frame DecodeLongSsi(const QByteArray& reply, const TFrameLayout& l)
{
    Frame f;
    bool ok = false;
    uint64_t raw = CaptureValue(reply, ok);
    if (reply.toUpper().startsWith("FFFFFFFF") || !(raw >> 63)) {
        f.valid = false;
        return f;
    }
    const int total = l.MultiturnBits + l.PositionBits + l.PaddingBits + l.StatusBits + l.DetailBits;
    raw = Shr(raw << 1, 64 - total);
    f.detail = raw & Mask(l.DetailBits);
    f.status = Shr(raw, l.DetailBits) & Mask(l.StatusBits);
    f.padding = Shr(raw, l.StatusBits + l.DetailBits) & Mask(l.PaddingBits);
    f.position = Shr(raw, l.PaddingBits + l.StatusBits + l.DetailBits) & Mask(l.PositionBits);
    f.turns = uint32_t(Shr(raw, l.PositionBits + l.PaddingBits + l.StatusBits + l.DetailBits));
    return f;
}

inline Frame DecodeBiss(const QByteArray& reply, const TFrameLayout& l)
{
    Frame f;
    bool ok = false;
    uint64_t raw = CaptureValue(reply, ok);
    if (reply.toUpper().startsWith("FFFFFFFF") || (raw >> 62) != 3) {
        f.valid = false;
        return f;
    }
    int shifts = 0;
    while ((raw >> 62) != 1 && shifts < 63) {
        raw <<= 1;
        ++shifts;
    }
    if ((raw >> 62) != 1) {
        f.valid = false;
        return f;
    }
    const int total = l.MultiturnBits + l.PositionBits + l.PaddingBits + l.StatusBits + l.CrcBits;
    raw = Shr(raw << 3, 64 - total);
    f.crc = raw & Mask(l.CrcBits);
    f.status = Shr(raw, l.CrcBits) & Mask(l.StatusBits);
    f.padding = Shr(raw, l.StatusBits + l.CrcBits) & Mask(l.PaddingBits);
    f.position = Shr(raw, l.PaddingBits + l.StatusBits + l.CrcBits) & Mask(l.PositionBits);
    f.turns = uint32_t(Shr(raw, l.PositionBits + l.PaddingBits + l.StatusBits + l.CrcBits));
    const uint64_t data
        = Shl(Shl(Shl(f.turns, l.PositionBits) + f.position, l.PaddingBits) + f.padding, l.StatusBits) + f.status;
    const int n = l.MultiturnBits + l.PositionBits + l.PaddingBits + l.StatusBits + l.DetailBits;
    const uint8_t crc = Crc6ByGroups((n + 5) / 6, data);
    f.crcOk = l.CrcBits == 0 || crc == (~f.crc & 0x3F);
    return f;
}

// Where two consecutive marks (latched counts) put the scale origin: the
// host subtracts the result from the count to show the absolute position.
inline int64_t DistanceCodedOffset(int64_t first, int64_t second, int64_t n, int64_t cpp)
{
    const auto sgn = [](int64_t v) -> int64_t { return (v > 0) - (v < 0); };
    const int64_t mrr = std::llabs(second - first) / cpp;
    const int64_t b = 2 * mrr - n;
    const int64_t dir = second > first ? 1 : -1;
    const int64_t p1 = ((std::llabs(b) - sgn(b) - 1) * n) / 2 + ((sgn(b) - dir) * mrr) / 2;
    const int64_t p2 = dir == 1 ? p1 + mrr : p1 - mrr;
    return second - p2 * cpp;
}

} // namespace host
