#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace k740 {

// One open serial port to a K740 interface. The program reaches the device
// only through this interface, so tests can put an in-process device behind it.
class ISerialPort {
public:
    virtual ~ISerialPort() = default;

    // Reads the line settings, keeps them for restoreLine(), and sets
    // 115200 baud, 8 data bits, no parity, one stop bit (the rest as read).
    virtual bool configureLine() = 0;
    // Writes back the line settings that configureLine() read.
    virtual bool restoreLine() = 0;

    // Writes all bytes; returns the count written or the negated OS error code.
    virtual int write(const QByteArray& data) = 0;
    // Bytes waiting in the receive queue (>= 0), or a negated OS error code.
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

// Where ports come from: the list of candidate ports and opening one by name.
class IPortProvider {
public:
    virtual ~IPortProvider() = default;

    // Candidate port names, sorted case-insensitively, without duplicates.
    virtual QStringList candidatePorts() = 0;
    // Opens the named port for exclusive use. On failure returns nullptr and
    // sets errorCode to the (positive) OS error code.
    virtual std::unique_ptr<ISerialPort> open(const QString& portName, int& errorCode) = 0;
};

} // namespace k740
