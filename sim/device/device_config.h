#pragma once
#include "device/device_fault.h"
#include "device/frame_layout.h"

#include <QByteArray>
#include <cstdint>

namespace k740sim {

// What sits on the interface's encoder input.
enum class TEncoderKind { Counter, Ssi, Biss };

// Everything that makes one simulated interface and its encoder.
struct TDeviceConfig {
    // Identity "<model>-9<kind> V<firmware>", e.g. "K740-9S V1.17".
    QByteArray Model = "K740";
    char KindLetter = 'Q';
    QByteArray Firmware = "1.17";
    QByteArray Identity;               // replaces the built identity when set
    QByteArray Serial = "00:1A:2B:3C"; // reply to "s"
    QByteArray Serial2 = "7400123";    // reply to "r"
    QByteArray Pins = "010";           // reply to "p"
    bool SupplyOn = true;
    QByteArray SupplyReadings = "5.02 V:85.3 mA"; // "e" reply after "1:"

    TEncoderKind Encoder = TEncoderKind::Counter;
    TFrameLayout Layout;
    int64_t CountsPerTurn = 0; // position field wraps here; 0: at 2^positionBits
    bool GrayCode = false;
    uint32_t Status = 0; // status bits as meant; inverted on the line when active low
    bool StatusActiveLow = false;
    uint32_t DetailStatus = 0;
    int AckBits = 3; // BiSS-C Ack zeros between idle and Start

    int64_t Position = 0;           // true scale position at start, in counts
    double Speed = 0;               // counts per second
    int64_t CountOrigin = 0;        // scale position where the count reads 0
    int64_t RefEvery = 0;           // plain reference mark spacing in counts (0: none)
    int32_t DcrNominal = 0;         // distance-coded marks: nominal increment N ...
    int32_t DcrCountsPerPeriod = 0; // ... and counts per signal period

    TDeviceFault Fault = TDeviceFault::None;
};

// The identity reply without its "\r".
QByteArray IdentityText(const TDeviceConfig& config);

} // namespace k740sim
