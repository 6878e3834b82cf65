#pragma once
#include "device/device_fault.h"
#include "device/frame_layout.h"

#include <QByteArray>
#include <cstdint>

namespace k740sim {

// What sits on the interface's encoder input.
enum class EncoderKind { Counter, Ssi, Biss };

// Everything that makes one simulated interface and its encoder.
struct DeviceConfig {
    // Identity "<model>-9<kind> V<firmware>", e.g. "K740-9S V1.17".
    QByteArray model = "K740";
    char kindLetter = 'Q';
    QByteArray firmware = "1.17";
    QByteArray identity;               // replaces the built identity when set
    QByteArray serial = "00:1A:2B:3C"; // reply to "s"
    QByteArray serial2 = "7400123";    // reply to "r"
    QByteArray pins = "010";           // reply to "p"
    bool supplyOn = true;
    QByteArray supplyReadings = "5.02 V:85.3 mA"; // "e" reply after "1:"

    EncoderKind encoder = EncoderKind::Counter;
    FrameLayout layout;
    int64_t countsPerTurn = 0; // position field wraps here; 0: at 2^positionBits
    bool grayCode = false;
    uint32_t status = 0; // status bits as meant; inverted on the line when active low
    bool statusActiveLow = false;
    uint32_t detailStatus = 0;
    int ackBits = 3; // BiSS-C Ack zeros between idle and Start

    int64_t position = 0;           // true scale position at start, in counts
    double speed = 0;               // counts per second
    int64_t countOrigin = 0;        // scale position where the count reads 0
    int64_t refEvery = 0;           // plain reference mark spacing in counts (0: none)
    int32_t dcrNominal = 0;         // distance-coded marks: nominal increment N ...
    int32_t dcrCountsPerPeriod = 0; // ... and counts per signal period

    DeviceFault fault = DeviceFault::None;
};

// The identity reply without its "\r".
QByteArray IdentityText(const DeviceConfig& config);

} // namespace k740sim
