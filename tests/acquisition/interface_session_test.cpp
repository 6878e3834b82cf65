// The interface session against in-process interfaces, without a window.
#include "acquisition/interface_session.h"
#include "device/fake_port.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

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
        s = std::make_unique<TInterfaceSession>(ports, DataFolders::Beside(dir.path() + "/"), options);
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

TEST_F(SessionTest, FiguresCountWhatTheFaultsDo)
{
    auto config = Device('S', EncoderKind::Biss);
    config.layout.multiturnBits = 0;
    config.layout.positionBits = 26;
    config.layout.statusBits = 2;
    const auto device = ports.plug("vcom0", config);
    writeIni("[K740.vcom0]\nRotary=1\nCPR=67108864\nBiSS=1\nSSIStatusBits=2\nCRCBits=6\n");
    session();
    EXPECT_LT(s->linkFigures().Seconds, 1); // counted from the start until a connection
    connect("vcom0");
    s->applySettings(false);
    EXPECT_GT(s->linkFigures().Exchanges, 0u); // the configuration's
    s->resetLinkFigures();
    std::vector<TCycleSample> samples;
    QObject::connect(s.get(), &TInterfaceSession::cycleSampled, [&](const TCycleSample& x) { samples.push_back(x); });
    s->setSampling(true);

    const auto cycles = [&](DeviceFault fault, int count) {
        device->setFault(fault);
        for (int i = 0; i < count; ++i)
            s->runCycle();
    };
    cycles(DeviceFault::None, 3);
    cycles(DeviceFault::Garbage, 4);
    EXPECT_FALSE(samples.back().Valid);
    EXPECT_EQ(samples.back().RawCount, 0);
    EXPECT_EQ(samples.back().Text, "- - - - - -");
    cycles(DeviceFault::CrcError, 5);
    EXPECT_TRUE(samples.back().Valid);
    EXPECT_FALSE(samples.back().CrcOk);
    cycles(DeviceFault::Split, 1); // complete after 8 ms
    TLinkFigures f = s->linkFigures();
    EXPECT_EQ(f.Cycles, 13u);
    EXPECT_EQ(f.Exchanges, 13u);
    EXPECT_EQ(f.Frames, 13u);
    EXPECT_EQ(f.InvalidFrames, 4u);
    EXPECT_EQ(f.CrcFailures, 5u);
    EXPECT_EQ(f.Timeouts + f.IncompleteReplies + f.LinkLosses, 0u);
    EXPECT_LT(f.RoundTripMedianUs, 1000u);
    EXPECT_GE(f.RoundTripP99Us, 7900u);

    // Silence: the position request times out and the link is lost; the
    // figures stay readable until the next connection, which resets them.
    cycles(DeviceFault::Silence, 1);
    ASSERT_TRUE(s->notConnected());
    EXPECT_FALSE(samples.back().Valid);
    EXPECT_EQ(samples.back().Text, "");
    f = s->linkFigures();
    EXPECT_EQ(f.Cycles, 14u);
    EXPECT_EQ(f.Exchanges, 14u);
    EXPECT_EQ(f.Timeouts, 1u);
    EXPECT_EQ(f.LinkLosses, 1u);

    const auto reconnect = [&] {
        device->setFault(DeviceFault::None);
        s->closePort();
        ASSERT_EQ(connect("vcom0").Outcome, TConnectOutcome::Connected);
        s->applySettings(false);
        EXPECT_EQ(s->linkFigures().Cycles, 0u);
        EXPECT_EQ(s->linkFigures().LinkLosses, 0u);
    };
    // A reply without its carriage return in time; a port that is gone.
    reconnect();
    cycles(DeviceFault::Stream, 1);
    f = s->linkFigures();
    EXPECT_EQ(f.IncompleteReplies, 1u);
    EXPECT_EQ(f.Timeouts, 0u);
    EXPECT_EQ(f.LinkLosses, 1u);
    reconnect();
    ports.unplug("vcom0");
    s->runCycle();
    f = s->linkFigures();
    EXPECT_EQ(f.Timeouts + f.IncompleteReplies, 0u);
    EXPECT_EQ(f.LinkLosses, 1u);
}

TEST_F(SessionTest, CyclesAreSampledOnlyWhileAsked)
{
    const auto device = ports.plug("vcom0", Device('Q', EncoderKind::Counter));
    session();
    connect("vcom0");
    s->applySettings(false);
    std::vector<TCycleSample> samples;
    QObject::connect(s.get(), &TInterfaceSession::cycleSampled, [&](const TCycleSample& x) { samples.push_back(x); });
    device->setPosition(1234);
    s->runCycle();
    EXPECT_TRUE(samples.empty());

    s->setSampling(true);
    const int64_t before
        = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
              .count();
    s->runCycle();
    ASSERT_EQ(samples.size(), 1u);
    const TCycleSample& first = samples.front();
    EXPECT_EQ(first.Number, 2u); // cycles are numbered while nobody samples too
    EXPECT_GE(first.ReplyTimeUs, before);
    EXPECT_EQ(first.RawCount, 1234);
    EXPECT_DOUBLE_EQ(first.Value, 1.234);
    EXPECT_EQ(first.Text, "1.234");
    EXPECT_TRUE(first.Valid && first.CrcOk);

    // Plain homing leaves the read-out as it was; the sample has the position.
    s->startHoming();
    device->setPosition(1300);
    s->runCycle();
    EXPECT_EQ(s->readOutText(), "1.234");
    EXPECT_EQ(samples.back().Number, 3u);
    EXPECT_EQ(samples.back().Text, "1.300");
    EXPECT_EQ(samples.back().RawCount, 1300);

    s->setSampling(false);
    s->runCycle();
    EXPECT_EQ(samples.size(), 2u);

    // The time is the position reply's, not that of the three exchanges of
    // the extended data after it (each reply comes in pieces 4 ms apart).
    s->closePort();
    ports.plug("vcom1", Device('Q', EncoderKind::Counter))->setFault(DeviceFault::Split);
    writeIni("[K740.vcom1]\nShowExtendedData=1\n");
    connect("vcom1");
    s->applySettings(false);
    s->setSampling(true);
    s->runCycle();
    const int64_t after
        = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
              .count();
    EXPECT_GE(after - samples.back().ReplyTimeUs, 10000);
}
