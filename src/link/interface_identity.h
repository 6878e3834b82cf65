#pragma once
#include <QString>
#include <cstdint>

namespace k740 {

// The two kinds of interface, by the letter after "740-9" in the identity.
enum class TInterfaceKind : uint8_t {
    Counting = 0, // Q: incremental encoders, count with latched reference mark
    Absolute = 1, // S: SSI / BiSS-C encoders
};

// What the connection learned about the interface from its identity reply.
struct InterfaceIdentity {
    QString PortName;
    bool ExtendedInterface = false; // identity begins with "K740-9"
    TInterfaceKind InterfaceKind = TInterfaceKind::Counting;
    int32_t FirmwareVersion = 0; // major * 100 + minor
    QString IdentityText;        // identity reply without its carriage return
    bool SecondSerial = false;   // ask "r" instead of "s" for the serial number
};

} // namespace k740
