#include "link/transaction.h"
#include "platform/qt_serial_port.h"
#include "pty_pair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>

using namespace k740;

namespace {

QByteArray ReadMaster(int master)
{
    char buffer[256];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    return n > 0 ? QByteArray(buffer, int(n)) : QByteArray();
}

void WriteMaster(int master, const QByteArray& bytes)
{
    ASSERT_EQ(::write(master, bytes.constData(), size_t(bytes.size())), bytes.size());
}

double ProcessCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

class QtSerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(pty.slavePath.isEmpty()); }

    std::unique_ptr<ISerialPort> openPort()
    {
        TOpenedPort opened = TQtSerialPort::open(pty.slavePath);
        EXPECT_TRUE(opened.Port) << "error " << opened.Result.OsError;
        return std::move(opened.Port);
    }

    PtyPair pty;
};

TEST_F(QtSerialPortTest, ConfigureLineSets115200_8N1KeepingOtherFieldsAndRestoreLineUndoesIt)
{
    auto port = openPort();
    ASSERT_TRUE(port);
    termios before{};
    ASSERT_EQ(tcgetattr(pty.outsider, &before), 0);
    cfsetispeed(&before, B9600);
    cfsetospeed(&before, B9600);
    before.c_cflag |= CSTOPB; // (a pseudo-terminal forces 8 bits, no parity)
    before.c_iflag |= IXON;
    before.c_cc[VTIME] = 7;
    ASSERT_EQ(tcsetattr(pty.outsider, TCSANOW, &before), 0);

    ASSERT_TRUE(port->configureLine().ok());
    termios line{};
    ASSERT_EQ(tcgetattr(pty.outsider, &line), 0);
    EXPECT_EQ(cfgetispeed(&line), speed_t(B115200));
    EXPECT_EQ(cfgetospeed(&line), speed_t(B115200));
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_TRUE(line.c_iflag & IXON);
    EXPECT_EQ(line.c_cc[VTIME], 7);

    ASSERT_TRUE(port->restoreLine().ok());
    ASSERT_EQ(tcgetattr(pty.outsider, &line), 0);
    EXPECT_EQ(cfgetospeed(&line), speed_t(B9600));
    EXPECT_EQ(line.c_cflag, before.c_cflag);
    EXPECT_EQ(line.c_iflag, before.c_iflag);
}

TEST_F(QtSerialPortTest, MovesBytesBothWaysWithoutAnEventLoop)
{
    auto port = openPort();
    ASSERT_TRUE(port);
    ASSERT_TRUE(port->configureLine().ok());
    EXPECT_EQ(port->bytesWaiting(), 0);
    EXPECT_FALSE(port->waitForReadyRead(20));

    EXPECT_EQ(port->write("v\r"), kLinkOk);
    EXPECT_EQ(ReadMaster(pty.master), "v\r"); // raw line: no translation

    WriteMaster(pty.master, "K740\r\n");
    EXPECT_TRUE(port->waitForReadyRead(2000));
    EXPECT_EQ(port->bytesWaiting(), 6);
    EXPECT_EQ(port->read(4), "K740");
    EXPECT_EQ(port->read(100), "\r\n");
    EXPECT_EQ(port->bytesWaiting(), 0);
}

TEST_F(QtSerialPortTest, BytesFetchedByQtWhileEventsRunAreCountedAndReadFirst)
{
    auto port = openPort();
    ASSERT_TRUE(port);
    WriteMaster(pty.master, "ab");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    WriteMaster(pty.master, "cd");
    ASSERT_TRUE(port->waitForReadyRead(2000));
    while (port->bytesWaiting() < 4 && clock.elapsed() < 2000)
        port->waitForReadyRead(10);
    EXPECT_EQ(port->read(100), "abcd");
}

TEST_F(QtSerialPortTest, TransactDropsStaleBytesAndGetsTheReplyOverTheDevice)
{
    auto port = openPort();
    ASSERT_TRUE(port);
    ASSERT_TRUE(port->configureLine().ok());
    WriteMaster(pty.master, "stale\r");
    ASSERT_TRUE(port->waitForReadyRead(2000));
    std::thread device([this] {
        pollfd command{pty.master, POLLIN, 0};
        if (::poll(&command, 1, 2000) == 1 && ReadMaster(pty.master) == "v")
            WriteMaster(pty.master, "K740-9Q 1.17\r");
    });
    QByteArray reply;
    int late = 0;
    EXPECT_EQ(Transact(port.get(), "v", 0, false, reply, &late), kLinkOk);
    device.join();
    EXPECT_EQ(reply, "K740-9Q 1.17\r");
    EXPECT_EQ(late, 6);
}

TEST_F(QtSerialPortTest, PortIsHeldExclusively)
{
    auto port = openPort();
    ASSERT_TRUE(port);

    // Busy, and the holder is this process: not named.
    TOpenedPort second = TQtSerialPort::open(pty.slavePath);
    EXPECT_FALSE(second.Port);
    EXPECT_EQ(second.Result.Outcome, TLinkOutcome::Busy);
    EXPECT_EQ(second.HolderPid, 0);

    // Also through a link to the same device.
    QTemporaryDir dir;
    const QString link = dir.filePath("vcom0");
    ASSERT_TRUE(QFile::link(pty.slavePath, link));
    EXPECT_EQ(TQtSerialPort::open(link).Result.Outcome, TLinkOutcome::Busy);

    // A program that gets past TIOCEXCL (root does) still finds the lock.
    ASSERT_EQ(::ioctl(pty.outsider, TIOCNXCL), 0);
    const int other = ::open(pty.slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(errno, EWOULDBLOCK);
    ::close(other);

    port->close();
    EXPECT_TRUE(TQtSerialPort::open(pty.slavePath).Port);
}

TEST_F(QtSerialPortTest, PortLockedByAnotherProgramFailsWithoutTouchingIt)
{
    ASSERT_EQ(::flock(pty.outsider, LOCK_EX | LOCK_NB), 0);
    termios before{};
    ASSERT_EQ(tcgetattr(pty.outsider, &before), 0);

    EXPECT_EQ(TQtSerialPort::open(pty.slavePath).Result, (TLinkResult{TLinkOutcome::Busy, EWOULDBLOCK}));
    termios after{};
    ASSERT_EQ(tcgetattr(pty.outsider, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
}

TEST_F(QtSerialPortTest, OpenFailuresGiveTheOsErrorCode)
{
    EXPECT_EQ(TQtSerialPort::open(QStringLiteral("/dev/k740-no-such-port")).Result,
        (TLinkResult{TLinkOutcome::SystemError, ENOENT}));

    QTemporaryDir dir;
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(TQtSerialPort::open(plain.fileName()).Result, (TLinkResult{TLinkOutcome::SystemError, ENOTTY}));
}

TEST_F(QtSerialPortTest, VanishedDeviceFailsWritesAndClosesInsteadOfSpinning)
{
    auto port = openPort();
    ASSERT_TRUE(port);
    pty.closeMaster();

    EXPECT_FALSE(port->write("?").ok());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(port->waitForReadyRead(1000));
    EXPECT_LT(clock.elapsed(), 900); // the hang-up is seen at once
    EXPECT_FALSE(port->isOpen());
    QByteArray reply;
    EXPECT_EQ(Transact(port.get(), "?", 0, false, reply), kLinkNoPort);
}

TEST_F(QtSerialPortTest, VanishedDeviceDoesNotKeepTheEventLoopBusy)
{
    auto port = openPort();
    ASSERT_TRUE(port);
    pty.closeMaster();

    // The program keeps polling the lost port every 10 ms for a while.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&port] {
        port->bytesWaiting();
        port->read(10);
    });
    poll.start(10);
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    loop.exec();
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    EXPECT_LT(cpu, 0.5 * double(clock.elapsed()) / 1000.0);
    EXPECT_FALSE(port->isOpen());
}

} // namespace
