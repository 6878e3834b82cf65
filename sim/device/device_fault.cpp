#include "device/device_fault.h"

#include <QStringList>
#include <array>
#include <utility>

namespace k740sim {

namespace {

const std::array<std::pair<TDeviceFault, const char*>, 11> kFaultNames = {{
    {TDeviceFault::None, "none"},
    {TDeviceFault::Silence, "silence"},
    {TDeviceFault::Delay, "delay"},
    {TDeviceFault::Garbage, "garbage"},
    {TDeviceFault::Split, "split"},
    {TDeviceFault::Stream, "stream"},
    {TDeviceFault::AllOnes, "ffff"},
    {TDeviceFault::CrcError, "crc"},
    {TDeviceFault::NonHex, "nonhex"},
    {TDeviceFault::Late, "late"},
    {TDeviceFault::Refuse, "refuse"},
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

std::optional<TDeviceFault> ParseDeviceFault(const QString& name)
{
    for (const auto& [fault, text] : kFaultNames)
        if (name == QLatin1String(text))
            return fault;
    return std::nullopt;
}

QString DeviceFaultName(TDeviceFault fault)
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

std::vector<TReplyPiece> ShapeReply(const QByteArray& reply, TDeviceFault fault, uint32_t& noiseState)
{
    if (reply.isEmpty() || fault == TDeviceFault::Silence)
        return {};
    switch (fault) {
    case TDeviceFault::Delay:
        return {{reply, kDelayMs}};
    case TDeviceFault::Garbage:
        return {{Noise(reply.size() - 1, noiseState) + '\r', 0}};
    case TDeviceFault::Split: {
        std::vector<TReplyPiece> pieces;
        const int size = (reply.size() + kSplitPieces - 1) / kSplitPieces;
        for (int at = 0, i = 0; at < reply.size(); at += size, ++i)
            pieces.push_back({reply.mid(at, size), i * kSplitGapMs});
        return pieces;
    }
    case TDeviceFault::Stream: {
        std::vector<TReplyPiece> pieces;
        for (int due = 0; due < kStreamDurationMs; due += kStreamPeriodMs)
            pieces.push_back({QByteArrayLiteral("0123456789ABCDEF"), due});
        return pieces;
    }
    default:
        return {{reply, 0}};
    }
}

} // namespace k740sim
