#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

struct TEncoderSettings;
struct InterfaceIdentity;

// Sends one command and collects its reply; returns the transaction result
// (0 success, else a negative error code).
using ExchangeFunction = std::function<int(const QByteArray& command, QByteArray& reply)>;

// What the configuration exchange leaves for the settings summary; both
// texts keep their values when an exchange fails.
struct TConfigTexts {
    QString BitsText;       // active SSIBits as last configured
    QString FrequencyText;  // clock frequency as the interface reported it
};

// Frame length sent with "B": 31 for BiSS-C, else position, padding, status
// and detailed status bits capped at 31 (negative counts as 0); without the
// extended interface limited to 8..30.
int32_t FrameLengthFor(const TEncoderSettings& active, bool extendedInterface);

// Brings an SSI / BiSS-C interface (InterfaceKind 1) in line with the active
// settings: switches DCR off, sets SSIBits from the CPR of a rotary encoder,
// then sends "B" + length + "\r" and, on an extended interface, "M" + SSIFreq
// and "m". Does nothing for other interface kinds.
void ConfigureInterface(const InterfaceIdentity& identity, TEncoderSettings& active,
                        TConfigTexts& texts, const ExchangeFunction& exchange);
