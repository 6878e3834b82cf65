// The interface session against in-process interfaces, without a window.
#include "acquisition/interface_session.h"
#include "device/fake_port.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace k740;
using namespace k740sim;

namespace {

DeviceConfig Device(char kind, EncoderKind encoder)
{
    DeviceConfig config;
    config.kindLetter = kind;
    config.encoder = encoder;
    if (encoder != EncoderKind::Counter) {
        config.layout.multiturnBits = 4;
        config.layout.positionBits = 13;
    }
    return config;
}

class SessionTest : public ::testing::Test {
protected:
    TInterfaceSession& session(const RunOptions& options = {})
    {
        s = std::make_unique<TInterfaceSession>(ports, dir.path() + "/", options);
        return *s;
    }
    TConnectResult connect(const QString& port) { return s->connectTo(port, WindowGeometry{}); }
    void writeIni(const QByteArray& text)
    {
        QFile ini(dir.path() + "/K740.INI");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(text);
    }

    QTemporaryDir dir;
    FakePortProvider ports;
    std::unique_ptr<TInterfaceSession> s;
};

} // namespace

TEST_F(SessionTest, AttemptThatEndsEarlyLeavesNoIdentityOfTheLastConnection)
{
    ports.plug("vcom0", Device('S', EncoderKind::Ssi));
    ports.plug("vcom1", Device('B', EncoderKind::Biss));
    session();
    ASSERT_EQ(connect("vcom0").Outcome, TConnectOutcome::Connected);
    ASSERT_EQ(s->identity().InterfaceKind, TInterfaceKind::Absolute);
    ASSERT_TRUE(s->identity().ExtendedInterface && s->identity().SecondSerial);

    s->closePort();
    const TConnectResult unsupported = connect("vcom1");
    EXPECT_EQ(unsupported.Outcome, TConnectOutcome::Unsupported);
    EXPECT_TRUE(unsupported.ShowUnsupportedNotice);
    EXPECT_EQ(s->identity().InterfaceKind, TInterfaceKind::Counting);
    EXPECT_FALSE(s->identity().ExtendedInterface);
    EXPECT_FALSE(s->identity().SecondSerial);
    EXPECT_EQ(s->identity().FirmwareVersion, 117);
    // The notice shows once until a supported interface connects again.
    s->closePort();
    EXPECT_FALSE(connect("vcom1").ShowUnsupportedNotice);
    s->closePort();
    connect("vcom0");
    s->closePort();
    EXPECT_TRUE(connect("vcom1").ShowUnsupportedNotice);
}

TEST_F(SessionTest, RowFollowsTheInterfaceAndTheLinkLoss)
{
    const auto device = ports.plug("vcom0", Device('Q', EncoderKind::Counter));
    session();
    ASSERT_EQ(connect("vcom0").Outcome, TConnectOutcome::Connected);
    s->applySettings(false);
    TRowState row = s->row();
    EXPECT_TRUE(row.ZeroVisible && row.ZeroEnabled && row.HomeVisible && row.HomeEnabled && row.RefReadOutVisible);
    EXPECT_EQ(device->commands().value(1), "c");

    device->setPosition(1234);
    s->runCycle();
    EXPECT_EQ(s->readOutText(), "1.234");
    ports.unplug("vcom0");
    const TCycleResult lost = s->runCycle();
    EXPECT_TRUE(lost.LinkLost);
    EXPECT_TRUE(s->notConnected());
    EXPECT_EQ(s->readOutText(), "");
    row = s->row();
    EXPECT_TRUE(row.ZeroVisible && !row.ZeroEnabled && row.HomeVisible && !row.HomeEnabled);
}

TEST_F(SessionTest, InvertedDirectionNegatesOnlyWhatTheFrameRenewed)
{
    // A counting reply renews count and latch: both turn round, once.
    auto counting = Device('Q', EncoderKind::Counter);
    counting.refEvery = 200;
    const auto counter = ports.plug("vcom0", counting);
    writeIni("[K740.vcom0]\nInvertDir=1\n[K740.vcom1]\nInvertDir=1\nRotary=1\nCPR=8192\nMultiturnBits=4\n");
    session();
    connect("vcom0");
    s->applySettings(false);
    counter->setPosition(500);
    for (int i = 0; i < 3; ++i)
        s->runCycle();
    EXPECT_EQ(s->lastFrame().Position, -500);
    EXPECT_EQ(s->lastFrame().RefLatch, -400);

    // An SSI frame renews position and turns; the latch stays as it was.
    s->closePort();
    auto config = Device('S', EncoderKind::Ssi);
    config.position = 3 * 8192 + 100;
    ports.plug("vcom1", config);
    connect("vcom1");
    s->applySettings(false);
    for (int i = 0; i < 3; ++i)
        s->runCycle();
    EXPECT_EQ(s->lastFrame().Position, -100);
    EXPECT_EQ(s->lastFrame().Turns, (-3) & 15);
    EXPECT_EQ(s->lastFrame().RefLatch, -400);
}

TEST_F(SessionTest, SupplySwitchFollowsTheLastSupplyCaption)
{
    auto config = Device('Q', EncoderKind::Counter);
    config.supplyOn = false;
    const auto device = ports.plug("vcom0", config);
    writeIni("[K740.vcom0]\nShowExtendedData=1\n");
    session();
    s->switchSupply(); // nothing shown yet: nothing sent
    connect("vcom0");  // switches the supply on
    s->applySettings(false);
    device->clearCommands();
    s->runCycle();
    ASSERT_EQ(s->runCycle().SupplyCaption.value_or(""), "5.02 V / 85 mA");
    device->clearCommands();
    s->switchSupply();
    EXPECT_EQ(device->commands(), QList<QByteArray>{"f"});
    s->runCycle();
    device->clearCommands();
    s->switchSupply();
    EXPECT_EQ(device->commands(), QList<QByteArray>{"n"});
}
