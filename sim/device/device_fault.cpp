#include "device/device_fault.h"

#include <QStringList>
#include <array>
#include <utility>

namespace k740sim {

namespace {

const std::array<std::pair<DeviceFault, const char*>, 9> kFaultNames = {{
    {DeviceFault::None, "none"},
    {DeviceFault::Silence, "silence"},
    {DeviceFault::Delay, "delay"},
    {DeviceFault::Garbage, "garbage"},
    {DeviceFault::Split, "split"},
    {DeviceFault::Stream, "stream"},
    {DeviceFault::AllOnes, "ffff"},
    {DeviceFault::CrcError, "crc"},
    {DeviceFault::NonHex, "nonhex"},
}};

constexpr int kDelayMs = 150;
constexpr int kSplitPieces = 3;
constexpr int kSplitGapMs = 4;
constexpr int kStreamPeriodMs = 5;
constexpr int kStreamDurationMs = 300;

// Junk bytes (anything but "\r"), from a xorshift generator.
QByteArray Noise(int length, uint32_t& state)
{
    QByteArray bytes(length, '\0');
    for (char& b : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = char(state & 0xFF);
        if (b == '\r')
            b = '~';
    }
    return bytes;
}

} // namespace

std::optional<DeviceFault> ParseDeviceFault(const QString& name)
{
    for (const auto& [fault, text] : kFaultNames)
        if (name == QLatin1String(text))
            return fault;
    return std::nullopt;
}

QString DeviceFaultName(DeviceFault fault)
{
    for (const auto& [f, text] : kFaultNames)
        if (f == fault)
            return QString::fromLatin1(text);
    return QString();
}

QString DeviceFaultNames()
{
    QStringList names;
    for (const auto& entry : kFaultNames)
        names << QString::fromLatin1(entry.second);
    return names.join(QStringLiteral(", "));
}

std::vector<ReplyPiece> ShapeReply(const QByteArray& reply, DeviceFault fault, uint32_t& noiseState)
{
    if (reply.isEmpty() || fault == DeviceFault::Silence)
        return {};
    switch (fault) {
    case DeviceFault::Delay:
        return {{reply, kDelayMs}};
    case DeviceFault::Garbage:
        return {{Noise(reply.size() - 1, noiseState) + '\r', 0}};
    case DeviceFault::Split: {
        std::vector<ReplyPiece> pieces;
        const int size = (reply.size() + kSplitPieces - 1) / kSplitPieces;
        for (int at = 0, i = 0; at < reply.size(); at += size, ++i)
            pieces.push_back({reply.mid(at, size), i * kSplitGapMs});
        return pieces;
    }
    case DeviceFault::Stream: {
        std::vector<ReplyPiece> pieces;
        for (int due = 0; due < kStreamDurationMs; due += kStreamPeriodMs)
            pieces.push_back({QByteArrayLiteral("0123456789ABCDEF"), due});
        return pieces;
    }
    default:
        return {{reply, 0}};
    }
}

} // namespace k740sim
