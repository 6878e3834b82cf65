#include "platform/qt_serial_port.h"

#include "platform/port_holder.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace k740 {

namespace {

// How long write() waits for room in a full transmit queue.
constexpr int kWriteRoomWaitMs = 100;

// USB serial drivers batch received bytes for up to 16 ms unless asked for
// low latency. Drivers without these settings (pseudo-terminals) refuse; the
// port then works as it is.
void RequestLowLatency(int fd)
{
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY))
        return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serial);
}

// Takes the advisory lock on the device before Qt touches it, so that a port
// held by another program keeps its line settings and exclusive mode, and
// the failure carries the OS code. Returns the descriptor holding the lock
// (it must stay open as long as the port), or -1 with errorCode set.
int LockDevice(const QString& devicePath, int& errorCode)
{
    const int fd = ::open(QFile::encodeName(devicePath).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        errorCode = errno;
        return -1;
    }
    errorCode = 0;
    if (!::isatty(fd))
        errorCode = ENOTTY;
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        errorCode = errno;
    if (errorCode == 0)
        return fd;
    ::close(fd);
    return -1;
}

// True when the device is gone (unplugged, or the far end of a
// pseudo-terminal closed): poll then reports a hang-up at once, forever.
bool HasHungUp(int fd)
{
    pollfd state{fd, POLLIN, 0};
    return ::poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR | POLLNVAL));
}

} // namespace

TOpenedPort TQtSerialPort::open(const QString& devicePath)
{
    TOpenedPort opened;
    int errorCode = 0;
    const int lockFd = LockDevice(devicePath, errorCode);
    if (lockFd >= 0) {
        std::unique_ptr<TQtSerialPort> port(new TQtSerialPort);
        port->LockFd = lockFd;
        port->Port.setPortName(devicePath);
        if (port->Port.open(QIODevice::ReadWrite)) {
            port->prepare();
            opened.Port = std::move(port);
        } else {
            // The device opened above, so Qt failed on its lock file: another
            // Qt program holds the port.
            errorCode = port->Port.error() == QSerialPort::PermissionError ? EBUSY : EIO;
        }
    }
    if (!opened.Port) {
        opened.Result = TLinkResult::fromErrno(errorCode);
        if (opened.Result.Outcome == TLinkOutcome::Busy)
            opened.HolderPid = PortHolderPid(devicePath);
    }
    return opened;
}

// The port just opened, ready for use: low latency, and closed at once
// when the device vanishes.
void TQtSerialPort::prepare()
{
    RequestLowLatency(Port.handle());

    // When the device vanishes, Qt keeps the port open and its read handler
    // reports the error again on every pass of the event loop, at full CPU.
    // Close the port on the first such error. (A read error on a live port,
    // e.g. when Transact took the bytes first, is ignored.) The close is
    // queued because the error is raised from inside Qt's read handler.
    TQtSerialPort* self = this;
    QObject::connect(&Port, &QSerialPort::errorOccurred, &Port, [self](QSerialPort::SerialPortError error) {
        const bool readFailed = error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
        if (readFailed && !self->CloseQueued && HasHungUp(self->Port.handle())) {
            self->CloseQueued = true;
            QMetaObject::invokeMethod(
                &self->Port, [self] { self->close(); }, Qt::QueuedConnection);
        }
    });
}

TQtSerialPort::~TQtSerialPort()
{
    close();
}

TLinkResult TQtSerialPort::configureLine()
{
    if (!isOpen())
        return kLinkNoPort;
    if (::tcgetattr(Port.handle(), &KeptLine) != 0)
        return TLinkResult::fromErrno(errno);
    LineKept = true;
    termios line = KeptLine;
    cfsetispeed(&line, B115200);
    cfsetospeed(&line, B115200);
    line.c_cflag = (line.c_cflag & ~(CSIZE | PARENB | CSTOPB)) | CS8;
    return ::tcsetattr(Port.handle(), TCSANOW, &line) == 0 ? kLinkOk : TLinkResult::fromErrno(errno);
}

TLinkResult TQtSerialPort::restoreLine()
{
    if (!isOpen() || !LineKept)
        return kLinkNoPort;
    return ::tcsetattr(Port.handle(), TCSANOW, &KeptLine) == 0 ? kLinkOk : TLinkResult::fromErrno(errno);
}

TLinkResult TQtSerialPort::write(const QByteArray& data)
{
    if (!isOpen())
        return kLinkNoPort;
    const int fd = Port.handle();
    const char* next = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, next, size_t(left));
        if (n > 0) {
            next += n;
            left -= n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd room{fd, POLLOUT, 0};
            if (::poll(&room, 1, kWriteRoomWaitMs) <= 0 || (room.revents & (POLLERR | POLLHUP | POLLNVAL)))
                return TLinkResult{TLinkOutcome::SystemError, EAGAIN};
        } else if (n < 0 && errno != EINTR) {
            return TLinkResult{TLinkOutcome::SystemError, errno};
        }
    }
    return kLinkOk;
}

int TQtSerialPort::bytesWaiting()
{
    if (!isOpen())
        return 0;
    // Qt's buffer holds what its read notifier fetched while events ran.
    int queued = 0;
    if (::ioctl(Port.handle(), FIONREAD, &queued) != 0)
        queued = 0;
    return int(Port.bytesAvailable()) + queued;
}

QByteArray TQtSerialPort::read(int maxBytes)
{
    if (!isOpen() || maxBytes <= 0)
        return {};
    // Qt's buffer holds the older bytes, so it comes first.
    QByteArray bytes = Port.read(maxBytes);
    const qsizetype old = bytes.size();
    if (old < maxBytes) {
        bytes.resize(maxBytes);
        const ssize_t n = ::read(Port.handle(), bytes.data() + old, size_t(maxBytes - old));
        bytes.resize(old + std::max<ssize_t>(n, 0));
    }
    return bytes;
}

bool TQtSerialPort::waitForReadyRead(int timeoutMs)
{
    if (!isOpen())
        return false;
    if (Port.bytesAvailable() > 0)
        return true;
    pollfd ready{Port.handle(), POLLIN, 0};
    if (::poll(&ready, 1, std::max(timeoutMs, 0)) <= 0)
        return false;
    // Readable on a live line: bytes wait (no need to count them).
    const bool hungUp = ready.revents & (POLLHUP | POLLERR | POLLNVAL);
    if (((ready.revents & POLLIN) != 0 && !hungUp) || bytesWaiting() > 0)
        return true;
    // Readable without bytes: the device hung up. Poll would report this at
    // once from now on, so close rather than let callers spin.
    if (hungUp)
        close();
    return false;
}

QString TQtSerialPort::name() const
{
    return QFileInfo(Port.portName()).fileName();
}

bool TQtSerialPort::isOpen() const
{
    return Port.isOpen();
}

void TQtSerialPort::close()
{
    if (Port.isOpen())
        Port.close();
    if (LockFd >= 0) {
        ::close(LockFd);
        LockFd = -1;
    }
}

} // namespace k740
