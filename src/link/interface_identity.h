#pragma once
#include <QString>
#include <cstdint>

namespace k740 {

// What the connection learned about the interface from its identity reply.
struct InterfaceIdentity {
    QString PortName;
    bool ExtendedInterface = false; // identity begins with "K740-9"
    uint8_t InterfaceKind = 0;      // 0 counting interface (Q), 1 SSI / BiSS-C (S)
    int32_t FirmwareVersion = 0;    // major * 100 + minor
    QString IdentityText;           // identity reply without its carriage return
    bool SecondSerial = false;      // ask "r" instead of "s" for the serial number
};

} // namespace k740
