#pragma once
#include "platform/serial_port.h"

#include <QSerialPort>
#include <termios.h>

namespace k740 {

// A serial device opened by path through Qt Serial Port, held exclusively:
// besides Qt's lock file and TIOCEXCL it keeps an advisory flock() on the
// device, which also stops programs that pass those two (a second copy
// running as root, or tools that only honour flock).
class TQtSerialPort final : public ISerialPort {
public:
    // Opens devicePath for reading and writing. A port held by another
    // program gives Busy (EBUSY from its exclusive mode, or EWOULDBLOCK
    // from its lock) with the holder's process id where /proc shows it;
    // nothing is written to such a port.
    static TOpenedPort open(const QString& devicePath);
    ~TQtSerialPort() override;

    TLinkResult configureLine() override;
    TLinkResult restoreLine() override;
    TLinkResult write(const QByteArray& data) override;
    int bytesWaiting() override;
    QByteArray read(int maxBytes) override;
    bool waitForReadyRead(int timeoutMs) override;
    QString name() const override;
    bool isOpen() const override;
    void close() override;

private:
    TQtSerialPort() = default;
    void prepare();

    QSerialPort Port;
    int LockFd = -1; // holds the flock() for as long as the port is open
    termios KeptLine{};
    bool LineKept = false;
    bool CloseQueued = false; // the device vanished; close() is on its way
};

} // namespace k740
