#pragma once
#include "platform/link_result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace k740 {

// One open serial port to a K740 interface. The program reaches the device
// only through this interface, so tests can put an in-process device behind it.
class ISerialPort {
public:
    virtual ~ISerialPort() = default;

    // Reads the line settings, keeps them for restoreLine(), and sets
    // 115200 baud, 8 data bits, no parity, one stop bit (the rest as read).
    virtual TLinkResult configureLine() = 0;
    // Writes back the line settings that configureLine() read.
    virtual TLinkResult restoreLine() = 0;

    // Writes all bytes, or says why it could not.
    virtual TLinkResult write(const QByteArray& data) = 0;
    // Bytes waiting in the receive queue; 0 also when the port cannot tell
    // (a port that failed shows it at the next write).
    virtual int bytesWaiting() = 0;
    // Reads at most maxBytes of what is waiting; never blocks.
    virtual QByteArray read(int maxBytes) = 0;
    // Sleeps until bytes arrive or timeoutMs passes; true when bytes wait.
    virtual bool waitForReadyRead(int timeoutMs) = 0;

    // The port's name as the port list gives it (for traces).
    virtual QString name() const = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
};

// A port opened for exclusive use, or why it was not.
struct TOpenedPort {
    std::unique_ptr<ISerialPort> Port; // empty when the port did not open
    TLinkResult Result;
    int64_t HolderPid = 0; // Busy: the process that holds the port, 0 when not seen
};

// Where ports come from: the list of candidate ports and opening one by name.
class IPortProvider {
public:
    virtual ~IPortProvider() = default;

    // Candidate port names, sorted case-insensitively, without duplicates.
    virtual QStringList candidatePorts() = 0;
    // Opens the named port for exclusive use. A port another program holds
    // is not touched (nothing is written to it) and gives Busy.
    virtual TOpenedPort open(const QString& portName) = 0;
};

} // namespace k740
