// The interface session against in-process interfaces, without a window.
#include "acquisition/interface_session.h"
#include "support/fake_port.h"

#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace k740;
using namespace k740sim;

namespace {

TDeviceConfig Device(char kind, TEncoderKind encoder)
{
    TDeviceConfig config;
    config.KindLetter = kind;
    config.Encoder = encoder;
    if (encoder != TEncoderKind::Counter) {
        config.Layout.MultiturnBits = 4;
        config.Layout.PositionBits = 13;
    }
    return config;
}

class SessionTest : public ::testing::Test {
protected:
    TInterfaceSession& session(const TRunOptions& options = {})
    {
        s = std::make_unique<TInterfaceSession>(ports, TDataFolders::beside(dir.path() + "/"), options);
        return *s;
    }
    TConnectResult connect(const QString& port) { return s->connectTo(port, TWindowGeometry{}); }
    // `config` plugged in as vcom0 with `ini`, connected, settings applied.
    std::shared_ptr<TDeviceModel> connected(const TDeviceConfig& config, const QByteArray& ini)
    {
        const auto device = ports.plug("vcom0", config);
        writeIni(ini);
        session();
        connect("vcom0");
        s->putSettingsInForce(false);
        return device;
    }
    void writeIni(const QByteArray& text)
    {
        QFile ini(dir.path() + "/K740.INI");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(text);
    }
    QByteArray readIni() const
    {
        QFile ini(dir.path() + "/K740.INI");
        return ini.open(QIODevice::ReadOnly) ? ini.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    TFakePortProvider ports;
    std::unique_ptr<TInterfaceSession> s;
};

} // namespace

TEST_F(SessionTest, AttemptThatEndsEarlyLeavesNoIdentityOfTheLastConnection)
{
    ports.plug("vcom0", Device('S', TEncoderKind::Ssi));
    ports.plug("vcom1", Device('B', TEncoderKind::Biss));
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
    EXPECT_TRUE(ports.open("vcom1").Port); // a failed attempt lets the port go
    // The notice shows once until a supported interface connects again.
    EXPECT_FALSE(connect("vcom1").ShowUnsupportedNotice);
    s->closePort();
    connect("vcom0");
    s->closePort();
    EXPECT_TRUE(connect("vcom1").ShowUnsupportedNotice);
}

TEST_F(SessionTest, RowFollowsTheInterfaceAndTheLinkLoss)
{
    const auto device = ports.plug("vcom0", Device('Q', TEncoderKind::Counter));
    session();
    ASSERT_EQ(connect("vcom0").Outcome, TConnectOutcome::Connected);
    s->putSettingsInForce(false);
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
    auto counting = Device('Q', TEncoderKind::Counter);
    counting.RefEvery = 200;
    const auto counter = ports.plug("vcom0", counting);
    writeIni("[K740.vcom0]\nInvertDir=1\n[K740.vcom1]\nInvertDir=1\nRotary=1\nCPR=8192\nMultiturnBits=4\n");
    session();
    connect("vcom0");
    s->putSettingsInForce(false);
    counter->setPosition(500);
    for (int i = 0; i < 3; ++i)
        s->runCycle();
    EXPECT_EQ(s->lastFrame().Position, -500);
    EXPECT_EQ(s->lastFrame().RefLatch, -400);

    // An SSI frame renews position and turns; the latch stays as it was.
    s->closePort();
    auto config = Device('S', TEncoderKind::Ssi);
    config.Position = 3 * 8192 + 100;
    ports.plug("vcom1", config);
    connect("vcom1");
    s->putSettingsInForce(false);
    for (int i = 0; i < 3; ++i)
        s->runCycle();
    EXPECT_EQ(s->lastFrame().Position, -100);
    EXPECT_EQ(s->lastFrame().Turns, (-3) & 15);
    EXPECT_EQ(s->lastFrame().RefLatch, -400);
}

TEST_F(SessionTest, SupplySwitchFollowsTheLastSupplyReply)
{
    auto config = Device('Q', TEncoderKind::Counter);
    config.SupplyOn = false;
    const auto device = ports.plug("vcom0", config);
    writeIni("[K740.vcom0]\nShowExtendedData=1\n");
    session();
    s->switchSupply(); // nothing known yet: nothing sent
    connect("vcom0");  // switches the supply on
    s->putSettingsInForce(false);
    device->clearCommands();
    s->runCycle();
    ASSERT_EQ(s->runCycle().SupplyCaption.value_or(""), "5.02 V / 85 mA");
    device->clearCommands();
    EXPECT_EQ(s->switchSupply(), "");
    EXPECT_EQ(device->commands(), QList<QByteArray>{"f"});
    s->runCycle();
    device->clearCommands();
    s->switchSupply();
    EXPECT_EQ(device->commands(), QList<QByteArray>{"n"});
}

// A late reply is dropped before the next request, never read as its
// answer; at connection it fails the attempt.
TEST_F(SessionTest, LateReplyIsDroppedAndCounted)
{
    auto config = Device('Q', TEncoderKind::Counter);
    config.Position = 12345;
    config.Fault = TDeviceFault::Late;
    const auto device = connected(config, "[K740.vcom0]\nShowExtendedData=1\n");
    ASSERT_TRUE(s->notConnected() && s->identity().PortName.isEmpty());
    connect("vcom0");
    s->putSettingsInForce(false);
    device->setFault(TDeviceFault::Late);
    if (s->runCycle().SupplyCaption != QString("/")) // "e" gets no reply in time ...
        GTEST_SKIP() << "the machine was too busy to see the supply reply late";
    device->setFault(TDeviceFault::None);
    QThread::msleep(80); // ... but before the next request
    s->runCycle();
    EXPECT_EQ(s->readOutText(), "12.345");
    EXPECT_EQ(s->linkFigures().LateReplies, 1u);
    EXPECT_EQ(s->linkFigures().InvalidFrames, 0u);
}

// A configuration refused at connection says which command; the summary
// shows no texts of the last connection, whose interface confirmed them.
TEST_F(SessionTest, RefusedConfigurationAtConnectionShowsNothingUnconfirmed)
{
    const auto device = connected(Device('S', TEncoderKind::Ssi), "[K740.vcom0]\nSSIFreq=4\n");
    device->setFault(TDeviceFault::Refuse);
    s->closePort();
    connect("vcom0");
    const TApplyResult refused = s->putSettingsInForce(false);
    EXPECT_EQ(refused.ConfigError,
        "Configuring the interface failed: \"B24\" was refused; the interface keeps its previous setting.");
    EXPECT_FALSE(refused.Summary.contains("kHz")) << refused.Summary.toStdString();
}

TEST_F(SessionTest, ZeroThatCannotBeSentChangesNothing)
{
    auto config = Device('Q', TEncoderKind::Counter);
    config.RefEvery = 200;
    const auto device = connected(config, "");
    device->setPosition(500); // passes the mark at 400
    s->runCycle();
    s->startHoming(); // plain homing: the latched mark is the zero at once
    ASSERT_EQ(s->homing().ZeroOffset, 400);
    ports.unplug("vcom0");
    EXPECT_EQ(s->zero(), kLinkNoPort); // the port died with the device
    EXPECT_EQ(s->homing().ZeroOffset, 400);
}

// Copies with a serial filter: a busy port may be their own, so they wait
// rather than take another interface; once their own was seen they wait for
// it after a loss, without asking.
TEST_F(SessionTest, SerialFilterConnectsOnlyItsOwnInterface)
{
    ports.plug("vcom0", Device('Q', TEncoderKind::Counter));
    auto own = Device('Q', TEncoderKind::Counter);
    own.Serial2 = "BBB2";
    ports.plug("vcom1", own);
    TRunOptions options;
    options.SerialFilter = "BBB";
    session(options);
    const auto searchAndChoose = [&] { return s->choosePort(s->search(), [](const QStringList&) { return "vcom0"; }); };

    ports.setBusy("vcom1", true); // another copy probing it
    EXPECT_EQ(searchAndChoose(), "");
    EXPECT_TRUE(ports.open("vcom0").Port); // not kept open
    ports.setBusy("vcom1", false);
    ASSERT_EQ(searchAndChoose(), "vcom1");
    ASSERT_EQ(connect("vcom1").Outcome, TConnectOutcome::Connected);
    ports.unplug("vcom1");
    s->runCycle();
    EXPECT_EQ(searchAndChoose(), "");
    ports.replug("vcom1");
    EXPECT_EQ(searchAndChoose(), "vcom1");
}

namespace {
// Cycles, exchanges, frames, invalid, CRC failures, time-outs, incomplete, link losses.
std::vector<uint64_t> Counts(const TLinkFigures& f)
{
    return {
        f.Cycles, f.Exchanges, f.Frames, f.InvalidFrames, f.CrcFailures, f.Timeouts, f.IncompleteReplies, f.LinkLosses};
}
using Figures = std::vector<uint64_t>;

// A BiSS-C encoder of 26 position bits, shown in counts.
TDeviceConfig BissDevice()
{
    auto config = Device('S', TEncoderKind::Biss);
    config.Layout.MultiturnBits = 0;
    config.Layout.PositionBits = 26;
    config.Layout.StatusBits = 2;
    return config;
}
const char kBissIni[] = "[K740.vcom0]\nRotary=1\nCPR=67108864\nBiSS=1\nSSIStatusBits=2\nCRCBits=6\n";
} // namespace

TEST_F(SessionTest, FiguresCountWhatTheFaultsDoAcrossConnections)
{
    const auto device = ports.plug("vcom0", BissDevice());
    writeIni(kBissIni);
    session();
    EXPECT_LT(s->linkFigures().Seconds, 1); // counted from the start until a connection
    const auto connectAgain = [&] {
        device->setFault(TDeviceFault::None);
        s->closePort();
        ASSERT_EQ(connect("vcom0").Outcome, TConnectOutcome::Connected);
        s->putSettingsInForce(false); // the configuration's exchanges count too
    };
    const auto cycles = [&](TDeviceFault fault, int count) {
        device->setFault(fault);
        for (int i = 0; i < count; ++i)
            s->runCycle();
    };
    connectAgain();
    s->resetLinkFigures();
    cycles(TDeviceFault::None, 3);
    cycles(TDeviceFault::Garbage, 4);
    cycles(TDeviceFault::CrcError, 5);
    cycles(TDeviceFault::Split, 1); // complete after 8 ms
    TLinkFigures f = s->linkFigures();
    EXPECT_EQ(Counts(f), (Figures{13, 13, 13, 4, 5, 0, 0, 0}));
    EXPECT_LT(f.RoundTripMedianUs, 1000u);
    EXPECT_GE(f.RoundTripP99Us, 7900u);
    EXPECT_GT(f.ConnectedSeconds, 0);
    // The link is lost after one time-out; the figures go on through the
    // next connections, which are counted from their own start.
    cycles(TDeviceFault::Silence, 1);
    EXPECT_EQ(Counts(s->linkFigures()), (Figures{14, 14, 13, 4, 5, 1, 0, 1}));
    EXPECT_EQ(s->linkFigures().ConnectedSeconds, 0);
    connectAgain();
    const uint64_t configuration = s->linkFigures().Exchanges - 14;
    f = s->linkFigures();
    EXPECT_LT(f.ConnectedSeconds, f.Seconds);
    cycles(TDeviceFault::Stream, 1); // bytes without a carriage return
    EXPECT_EQ(Counts(s->linkFigures()), (Figures{15, 15 + configuration, 13, 4, 5, 1, 1, 2}));
    connectAgain();
    ports.unplug("vcom0"); // the write fails
    s->runCycle();
    EXPECT_EQ(Counts(s->linkFigures()), (Figures{16, 16 + 2 * configuration, 13, 4, 5, 1, 1, 3}));
}

TEST_F(SessionTest, EveryCycleGoesToTheStreamsAsARow)
{
    const auto device = ports.plug("vcom0", BissDevice());
    writeIni(QByteArray(kBissIni) + "ShowExtendedData=1\n"); // two exchanges follow the position's
    session();
    connect("vcom0");
    s->putSettingsInForce(false);
    device->setPosition(1234);
    s->runCycle();
    const int stream = s->openStream();
    ASSERT_GE(stream, 0);
    s->runCycle();
    device->setFault(TDeviceFault::CrcError);
    s->runCycle();
    device->setFault(TDeviceFault::Garbage);
    s->runCycle();
    device->setFault(TDeviceFault::None);
    s->startHoming(); // plain homing leaves the read-out as it was
    device->setPosition(1300);
    s->runCycle();
    EXPECT_EQ(s->readOutText(), "- - - - - -");
    ports.unplug("vcom0");
    s->runCycle();

    // Numbered while no stream was open too; no raw count without a frame.
    QList<QByteArray> rows;
    char row[4096];
    for (ssize_t n = 0; (n = ::recv(stream, row, sizeof row, MSG_DONTWAIT)) > 0;)
        rows.append(QByteArray(row, int(n)).mid(QByteArray(row, int(n)).indexOf(',')));
    EXPECT_EQ(rows,
        QList<QByteArray>({",2,1234,1234,\"1234\",1,1\n", ",3,1234,1234,\"CRC check failed\",1,0\n",
            ",4,,,\"- - - - - -\",0,1\n", ",5,1300,1300,\"1300\",1,1\n", ",6,,,\"\",0,1\n"}));
    EXPECT_EQ(s->linkFigures().DroppedRows, 0u);
    ::close(stream);
}

// The settings go back only where they were loaded from: nothing before a
// connection, the loaded port's section after a loss or a failed attempt.
TEST_F(SessionTest, SavesOnlyLoadedSettingsIntoTheirOwnSection)
{
    const QByteArray user = "[ABC]\nCPR=4096\nRotary=1\n";
    writeIni(user);
    TRunOptions options;
    options.LayoutEditMode = true;
    options.SerialFilter = "ABC";
    session(options);
    EXPECT_FALSE(s->shouldSaveAtExit());
    EXPECT_EQ(s->saveSettings({}), "");
    EXPECT_EQ(readIni(), user);

    writeIni("[K740.vcom0]\nCPR=4096\n");
    ports.plug("vcom0", Device('Q', TEncoderKind::Counter));
    ports.plug("vcom1", Device('B', TEncoderKind::Biss));
    session();
    ASSERT_EQ(connect("vcom0").Outcome, TConnectOutcome::Connected);
    s->search(); // as after a link loss: the port's name is cleared
    EXPECT_EQ(connect("vcom1").Outcome, TConnectOutcome::Unsupported);
    EXPECT_TRUE(s->shouldSaveAtExit());
    EXPECT_EQ(s->saveSettings({}), "");
    const QByteArray saved = readIni();
    EXPECT_TRUE(saved.startsWith("[K740.vcom0]\nCPR=4096\nRotary=0\n")) << saved.constData();
    EXPECT_FALSE(saved.contains("[K740.]") || saved.contains("vcom1"));
}

// The settings dialog opens on the interface and the run, and its OK takes
// the run's choices back: the logo mode only in layout edit mode.
TEST_F(SessionTest, SettingsDialogOpensOnTheRunAndItsOkTakesTheChoices)
{
    for (const bool editMode : {false, true}) {
        ports.plug("vcom0", Device('S', TEncoderKind::Ssi));
        TRunOptions options;
        options.LayoutEditMode = editMode;
        options.LogoMode = 2;
        session(options);
        connect("vcom0");
        const TSettingsDialogContext context = s->settingsDialogContext(false);
        EXPECT_TRUE(context.absoluteInterface() && context.ExtendedInterface && !context.RecordingOptionsVisible);
        EXPECT_EQ(context.FirmwareVersion, 117);
        EXPECT_EQ(context.LayoutEditMode, editMode);

        TSettingsDialogResult ok{s->activeSettings(), s->runChoices(), false};
        ok.Run.AutoSave = true;
        ok.Run.AutoSaveInterval = 7;
        ok.Run.LogoMode = 1;
        ok.Active.InvertDir = true;
        s->acceptSettings(ok);
        const TRunChoices run = s->runChoices();
        EXPECT_TRUE(run.AutoSave);
        EXPECT_EQ(run.AutoSaveInterval, 7);
        EXPECT_EQ(run.LogoMode, editMode ? 1 : 2);
        EXPECT_TRUE(s->activeSettings().InvertDir && s->storedSettings().InvertDir);
    }
}
