#pragma once
#include "link/transaction.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

namespace k740 {

struct InterfaceIdentity;

// Sends one command and collects its reply; returns the transaction result.
using TExchangeFunction = std::function<TLinkResult(const QByteArray& command, QByteArray& reply)>;

// The frame an SSI / BiSS-C interface is told to clock.
struct TFrameConfig {
    int32_t SSIBits = 0; // position bits
    int32_t PaddingBits = 0;
    int32_t SSIStatusBits = 0;
    int32_t DetailedStatusBits = 0;
    int32_t SSIFreq = 0; // clock frequency code 1..8
    bool BiSS = false;   // BiSS-C in force
};

// What the configuration exchange leaves for the settings summary: only
// what the interface confirmed.
struct TConfigTexts {
    QString BitsText;      // SSIBits as last configured
    QString FrequencyText; // clock frequency as the interface reported it
};

// How the configuration went: Ok, or the first command that failed and how
// (Refused when the interface answered "ERR").
struct TConfigResult {
    TLinkResult Result;
    QByteArray Command;          // the command that failed; empty when all went through
    bool FrameConfirmed = false; // "B" was carried out: the interface clocks the new frame
};

// Frame length sent with "B": 31 for BiSS-C, else position, padding, status
// and detailed status bits capped at 31 (negative counts as 0); without the
// extended interface limited to 8..30.
int32_t FrameLengthFor(const TFrameConfig& frame, bool extendedInterface);

// Brings an SSI / BiSS-C interface in line with the frame: sends "B" +
// length + "\r" and, on an extended interface, "M" + SSIFreq and "m"; stops
// at the first command that fails. The texts change only as far as the
// interface confirmed: the bits text once "B" went through, the frequency
// text from the "m" reply ("100 kHz", the fixed clock, on an interface
// without "M"); after "M" went through but "m" did not, the clock is not
// known and its text is empty. Does nothing for other interface kinds.
TConfigResult ConfigureInterface(const InterfaceIdentity& identity, const TFrameConfig& frame, TConfigTexts& texts,
    const TExchangeFunction& exchange);

// One line for the user on a failed configuration: the command and what
// became of it.
QString ConfigFailureText(const TConfigResult& result);

} // namespace k740
