#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace k740sim {

// Misbehaviours the simulated interface can show, switchable at any time.
enum class TDeviceFault {
    None,
    Silence,  // no replies at all (commands still take effect)
    Delay,    // each reply arrives 150 ms late
    Garbage,  // each reply's text is replaced by junk bytes before its "\r"
    Split,    // each reply arrives in three pieces a few milliseconds apart
    Stream,   // each command sets off bytes without any "\r" for 300 ms
    AllOnes,  // captures ("4") read "FFFFFFFFFFFFFFFF"
    CrcError, // BiSS-C captures carry a wrong CRC
    NonHex,   // captures end in a character that is not hexadecimal
    Late,     // the next reply to "e" (the supply readings) arrives 150 ms late; then the fault is off
    Refuse,   // "B" and "M" answer "ERR" and change nothing
};

std::optional<TDeviceFault> ParseDeviceFault(const QString& name);
QString DeviceFaultName(TDeviceFault fault);
// "none, silence, ..." for help texts.
QString DeviceFaultNames();

// Part of a reply and when it is due, in milliseconds after the command.
struct TReplyPiece {
    QByteArray Bytes;
    int DueMs = 0;
};

// Timing and transport faults applied to one reply (content faults are the
// device model's). An empty reply stays empty.
std::vector<TReplyPiece> ShapeReply(const QByteArray& reply, TDeviceFault fault, uint32_t& noiseState);

} // namespace k740sim
