// The in-process port: reply timing, exclusive opening, unplugging.
#include "sim_test_support.h"
#include "support/fake_port.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cerrno>

using namespace k740sim;

namespace {

const QString kPort = QStringLiteral("vcom0");

std::unique_ptr<ISerialPort> OpenOrFail(TFakePortProvider& ports)
{
    k740::TOpenedPort opened = ports.open(kPort);
    EXPECT_TRUE(opened.Port && opened.Result.ok()) << "error " << opened.Result.OsError;
    return std::move(opened.Port);
}

int OpenError(TFakePortProvider& ports, const QString& name = kPort)
{
    const k740::TOpenedPort opened = ports.open(name);
    EXPECT_FALSE(opened.Port);
    return opened.Result.OsError;
}

} // namespace

TEST(FakePort, ImmediateReplyIsWaitingRightAfterTheWrite)
{
    TFakePortProvider ports;
    ports.plug(kPort, TDeviceConfig{});
    auto port = OpenOrFail(ports);
    EXPECT_TRUE(port->configureLine().ok());
    EXPECT_TRUE(port->write("v").ok());
    EXPECT_EQ(port->bytesWaiting(), 14);
    EXPECT_EQ(port->read(4), "K740");
    EXPECT_EQ(port->read(100), "-9Q V1.17\r");
    EXPECT_EQ(port->bytesWaiting(), 0);
    EXPECT_TRUE(port->restoreLine().ok());
}

// The pieces come 4 ms apart on the device's clock, each only when due.
TEST(FakePort, SplitReplyArrivesInPiecesInOrderAsTheyFallDue)
{
    ManualClock clock;
    TFakePortProvider ports;
    ports.plug(kPort, TDeviceConfig{}, clock.function())->setFault(TDeviceFault::Split);
    auto port = OpenOrFail(ports);
    port->write("v");
    QByteArrayList pieces;
    for (int step = 0; step < 4; ++step) {
        pieces << port->read(100);
        clock.advanceMs(2);
        pieces << port->read(100);
        clock.advanceMs(2);
    }
    EXPECT_EQ(pieces, QByteArrayList({"K740-", "", "9Q V1", "", ".17\r", "", "", ""}));
}

TEST(FakePort, DelayedReplyMissesA100msWindowAndWaitEndsWhenItIsDue)
{
    TFakePortProvider ports;
    ports.plug(kPort, TDeviceConfig{})->setFault(TDeviceFault::Delay);
    auto port = OpenOrFail(ports);
    QElapsedTimer timer;
    timer.start();
    port->write("v");
    EXPECT_FALSE(port->waitForReadyRead(100));
    EXPECT_GE(timer.elapsed(), 95);
    EXPECT_EQ(port->bytesWaiting(), 0);
    EXPECT_TRUE(port->waitForReadyRead(20000));
    EXPECT_GE(timer.elapsed(), 145);
    EXPECT_LT(timer.elapsed(), 10000) << "woke when due, not at the time-out";
    EXPECT_EQ(port->read(100), "K740-9Q V1.17\r");
}

TEST(FakePortProvider, OpeningIsExclusiveAndBusyPortsRefuse)
{
    TFakePortProvider ports;
    EXPECT_EQ(OpenError(ports, QStringLiteral("nothing")), ENOENT);
    ports.plug(kPort, TDeviceConfig{});
    auto port = OpenOrFail(ports);
    EXPECT_EQ(OpenError(ports), EBUSY);
    port->close();
    EXPECT_FALSE(port->isOpen());
    EXPECT_TRUE(OpenOrFail(ports));
    ports.setBusy(kPort, true, 4321);
    const k740::TOpenedPort held = ports.open(kPort);
    EXPECT_EQ(held.Result.Outcome, k740::TLinkOutcome::Busy);
    EXPECT_EQ(held.HolderPid, 4321);
}

TEST(FakePortProvider, UnplugKillsTheOpenPortAndReplugServesNewOpens)
{
    TFakePortProvider ports;
    ports.plug(kPort, TDeviceConfig{});
    auto port = OpenOrFail(ports);
    ports.unplug(kPort);
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(port->write("v").OsError, EIO);
    EXPECT_EQ(port->bytesWaiting(), 0);
    EXPECT_FALSE(port->waitForReadyRead(10000)) << "returns at once";
    EXPECT_TRUE(ports.candidatePorts().isEmpty());
    EXPECT_EQ(OpenError(ports), ENOENT);

    ports.replug(kPort);
    EXPECT_FALSE(port->isOpen()) << "the old handle stays dead";
    auto again = OpenOrFail(ports);
    EXPECT_TRUE(again->write("v").ok());
    EXPECT_EQ(again->read(100), "K740-9Q V1.17\r");
    port.reset(); // closing the dead handle must not free the new one
    EXPECT_EQ(OpenError(ports), EBUSY);
}

TEST(FakePortProvider, ListsRecordsAndFailsLineSettingsOnRequest)
{
    TFakePortProvider ports;
    for (const char* name : {"vcom3", "COM3", "com10", "vcom10"})
        ports.plug(QString::fromLatin1(name), TDeviceConfig{});
    EXPECT_EQ(ports.candidatePorts(), (QStringList{"com10", "COM3", "vcom10", "vcom3"}));

    auto device = ports.plug(kPort, TDeviceConfig{});
    EXPECT_EQ(device, ports.device(kPort));
    ports.setLineSettingsFail(kPort, true);
    auto port = OpenOrFail(ports);
    EXPECT_FALSE(port->configureLine().ok());
    port->write("v");
    port->write("B15\r");
    port->write("c");
    EXPECT_EQ(device->commands(), (QList<QByteArray>{"v", "B15\r", "c"}));
}
