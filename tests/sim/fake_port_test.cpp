// The in-process port: reply timing, exclusive opening, unplugging.
#include "device/fake_port.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cerrno>

namespace {

std::unique_ptr<ISerialPort> OpenOrFail(FakePortProvider& ports, const QString& name)
{
    int error = -1;
    auto port = ports.open(name, error);
    EXPECT_TRUE(port) << "error " << error;
    EXPECT_EQ(error, 0);
    return port;
}

// Collects bytes up to the first "\r" or until the deadline, like the host.
QByteArray ReadReply(ISerialPort& port, int timeoutMs)
{
    QByteArray reply;
    QElapsedTimer timer;
    timer.start();
    while (!reply.contains('\r') && timer.elapsed() <= timeoutMs) {
        if (port.bytesWaiting() > 0)
            reply += port.read(port.bytesWaiting());
        else
            port.waitForReadyRead(int(timeoutMs - timer.elapsed()) + 1);
    }
    return reply;
}

} // namespace

TEST(FakePort, ImmediateReplyIsWaitingRightAfterTheWrite)
{
    FakePortProvider ports;
    ports.plug(QStringLiteral("vcom0"), DeviceConfig{});
    auto port = OpenOrFail(ports, QStringLiteral("vcom0"));
    EXPECT_TRUE(port->configureLine());
    EXPECT_EQ(port->write("v"), 1);
    EXPECT_EQ(port->bytesWaiting(), 14);
    EXPECT_EQ(port->read(4), "K740");
    EXPECT_EQ(port->read(100), "-9Q V1.17\r");
    EXPECT_EQ(port->bytesWaiting(), 0);
    EXPECT_TRUE(port->restoreLine());
}

TEST(FakePort, SplitReplyArrivesInPiecesInOrder)
{
    FakePortProvider ports;
    ports.plug(QStringLiteral("vcom0"), DeviceConfig{})->setFault(DeviceFault::Split);
    auto port = OpenOrFail(ports, QStringLiteral("vcom0"));
    port->write("v");
    const int first = port->bytesWaiting();
    EXPECT_GT(first, 0);
    EXPECT_LT(first, 14) << "later pieces are not due yet";
    EXPECT_EQ(ReadReply(*port, 1000), "K740-9Q V1.17\r");
}

TEST(FakePort, DelayedReplyMissesA100msWindowAndShowsUpLater)
{
    FakePortProvider ports;
    ports.plug(QStringLiteral("vcom0"), DeviceConfig{})->setFault(DeviceFault::Delay);
    auto port = OpenOrFail(ports, QStringLiteral("vcom0"));
    QElapsedTimer timer;
    timer.start();
    port->write("v");
    EXPECT_FALSE(port->waitForReadyRead(100));
    EXPECT_GE(timer.elapsed(), 95);
    EXPECT_EQ(port->bytesWaiting(), 0);
    EXPECT_TRUE(port->waitForReadyRead(5000));
    EXPECT_GE(timer.elapsed(), 145);
    EXPECT_EQ(port->read(100), "K740-9Q V1.17\r");
}

TEST(FakePort, WaitReturnsWhenTheNextPieceIsDueNotAtTheTimeout)
{
    FakePortProvider ports;
    ports.plug(QStringLiteral("vcom0"), DeviceConfig{})->setFault(DeviceFault::Delay);
    auto port = OpenOrFail(ports, QStringLiteral("vcom0"));
    QElapsedTimer timer;
    timer.start();
    port->write("v");
    EXPECT_TRUE(port->waitForReadyRead(20000));
    EXPECT_LT(timer.elapsed(), 10000);
}

TEST(FakePort, SilentDeviceLetsTheWaitTimeOut)
{
    FakePortProvider ports;
    ports.plug(QStringLiteral("vcom0"), DeviceConfig{})->setFault(DeviceFault::Silence);
    auto port = OpenOrFail(ports, QStringLiteral("vcom0"));
    port->write("v");
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(port->waitForReadyRead(30));
    EXPECT_GE(timer.elapsed(), 25);
}

TEST(FakePortProvider, OpeningIsExclusiveAndBusyPortsRefuse)
{
    FakePortProvider ports;
    ports.plug(QStringLiteral("vcom0"), DeviceConfig{});
    int error = 0;
    EXPECT_FALSE(ports.open(QStringLiteral("nothing"), error));
    EXPECT_EQ(error, ENOENT);

    auto port = OpenOrFail(ports, QStringLiteral("vcom0"));
    EXPECT_FALSE(ports.open(QStringLiteral("vcom0"), error));
    EXPECT_EQ(error, EBUSY);
    port->close();
    EXPECT_FALSE(port->isOpen());
    EXPECT_TRUE(OpenOrFail(ports, QStringLiteral("vcom0")));

    ports.setBusy(QStringLiteral("vcom0"), true);
    EXPECT_FALSE(ports.open(QStringLiteral("vcom0"), error));
    EXPECT_EQ(error, EBUSY);
}

TEST(FakePortProvider, UnplugKillsTheOpenPortAndReplugServesNewOpens)
{
    FakePortProvider ports;
    ports.plug(QStringLiteral("vcom0"), DeviceConfig{});
    auto port = OpenOrFail(ports, QStringLiteral("vcom0"));
    ports.unplug(QStringLiteral("vcom0"));
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(port->write("v"), -EIO);
    EXPECT_LT(port->bytesWaiting(), 0);
    EXPECT_TRUE(ports.candidatePorts().isEmpty());
    int error = 0;
    EXPECT_FALSE(ports.open(QStringLiteral("vcom0"), error));
    EXPECT_EQ(error, ENOENT);

    ports.replug(QStringLiteral("vcom0"));
    EXPECT_FALSE(port->isOpen()) << "the old handle stays dead";
    auto again = OpenOrFail(ports, QStringLiteral("vcom0"));
    EXPECT_EQ(again->write("v"), 1);
    EXPECT_EQ(again->read(100), "K740-9Q V1.17\r");
    port.reset();   // closing the dead handle must not free the new one
    EXPECT_FALSE(ports.open(QStringLiteral("vcom0"), error));
    EXPECT_EQ(error, EBUSY);
}

TEST(FakePortProvider, CandidatesSortedCaseInsensitively)
{
    FakePortProvider ports;
    for (const char* name : {"vcom3", "COM3", "com10", "vcom10"})
        ports.plug(QString::fromLatin1(name), DeviceConfig{});
    EXPECT_EQ(ports.candidatePorts(),
              (QStringList{"com10", "COM3", "vcom10", "vcom3"}));
}

TEST(FakePortProvider, LineSettingsCanBeMadeToFail)
{
    FakePortProvider ports;
    ports.plug(QStringLiteral("vcom0"), DeviceConfig{});
    ports.setLineSettingsFail(QStringLiteral("vcom0"), true);
    auto port = OpenOrFail(ports, QStringLiteral("vcom0"));
    EXPECT_FALSE(port->configureLine());
}

TEST(FakePortProvider, DeviceRecordsWhatThePortWrote)
{
    FakePortProvider ports;
    auto device = ports.plug(QStringLiteral("vcom0"), DeviceConfig{});
    auto port = OpenOrFail(ports, QStringLiteral("vcom0"));
    port->write("v");
    port->write("B15\r");
    port->write("c");
    EXPECT_EQ(device, ports.device(QStringLiteral("vcom0")));
    EXPECT_EQ(device->commands(), (QList<QByteArray>{"v", "B15\r", "c"}));
}
