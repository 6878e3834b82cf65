#pragma once
#include "link/transaction.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

namespace k740 {

struct InterfaceIdentity;

// Sends one command and collects its reply; returns the transaction result.
using TExchangeFunction = std::function<TTransactResult(const QByteArray& command, QByteArray& reply)>;

// The frame an SSI / BiSS-C interface is told to clock.
struct TFrameConfig {
    int32_t SSIBits = 0; // position bits
    int32_t PaddingBits = 0;
    int32_t SSIStatusBits = 0;
    int32_t DetailedStatusBits = 0;
    int32_t SSIFreq = 0; // clock frequency code 1..8
    bool BiSS = false;   // BiSS-C in force
};

// What the configuration exchange leaves for the settings summary; both
// texts keep their values when an exchange fails.
struct TConfigTexts {
    QString BitsText;      // SSIBits as last configured
    QString FrequencyText; // clock frequency as the interface reported it
};

// Frame length sent with "B": 31 for BiSS-C, else position, padding, status
// and detailed status bits capped at 31 (negative counts as 0); without the
// extended interface limited to 8..30.
int32_t FrameLengthFor(const TFrameConfig& frame, bool extendedInterface);

// Brings an SSI / BiSS-C interface in line with the frame:
// sends "B" + length + "\r" and, on an extended interface, "M" + SSIFreq and
// "m". Does nothing for other interface kinds.
void ConfigureInterface(const InterfaceIdentity& identity, const TFrameConfig& frame, TConfigTexts& texts,
    const TExchangeFunction& exchange);

} // namespace k740
