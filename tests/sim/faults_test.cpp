// Fault injection: what the host receives from a misbehaving interface.
#include "sim_test_support.h"

#include <gtest/gtest.h>

using namespace k740sim;

namespace {

const QByteArray kIdentity = "K740-9Q V1.17\r";

TDeviceModel Biss()
{
    TDeviceConfig config;
    config.KindLetter = 'S';
    config.Encoder = TEncoderKind::Biss;
    config.Layout = {0, 26, 0, 2, 0, 6};
    config.Position = 1193046;
    config.Status = 3;
    return TDeviceModel(config);
}

std::vector<TReplyPiece> Faulty(TDeviceFault fault, const QByteArray& command)
{
    TDeviceModel device{TDeviceConfig{}};
    device.setFault(fault);
    return device.receive(command);
}

} // namespace

TEST(FaultNames, ParseAndNameEveryFault)
{
    for (const QString& name : DeviceFaultNames().split(QStringLiteral(", "))) {
        const auto fault = ParseDeviceFault(name);
        ASSERT_TRUE(fault.has_value()) << name.toStdString();
        EXPECT_EQ(DeviceFaultName(*fault), name);
        EXPECT_TRUE(Faulty(*fault, "c").empty()) << "no-reply commands stay quiet";
    }
    EXPECT_EQ(ParseDeviceFault(QStringLiteral("ffff")), TDeviceFault::AllOnes);
    EXPECT_FALSE(ParseDeviceFault(QStringLiteral("bogus")).has_value());
}

TEST(TransportFaults, SilenceAnswersNothingButCommandsStillAct)
{
    TDeviceModel device{TDeviceConfig{}};
    device.setFault(TDeviceFault::Silence);
    EXPECT_TRUE(device.receive("v").empty());
    EXPECT_TRUE(device.receive("f").empty());
    EXPECT_FALSE(device.supplyOn());
    device.setFault(TDeviceFault::None);
    EXPECT_EQ(Ask(device, "v"), kIdentity);
}

TEST(TransportFaults, DelayAndSplitKeepTheBytesButChangeTheirTiming)
{
    const std::vector<TReplyPiece> late = Faulty(TDeviceFault::Delay, "v");
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].Bytes, kIdentity);
    EXPECT_GT(late[0].DueMs, 100);

    const std::vector<TReplyPiece> pieces = Faulty(TDeviceFault::Split, "v");
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].Bytes + pieces[1].Bytes + pieces[2].Bytes, kIdentity);
    EXPECT_FALSE(pieces[1].Bytes.contains('\r'));
    EXPECT_LT(pieces[0].DueMs, pieces[1].DueMs);
    EXPECT_LT(pieces[1].DueMs, pieces[2].DueMs);
    EXPECT_LT(pieces[2].DueMs, 50) << "small gaps, well inside a transaction";
}

TEST(TransportFaults, GarbageKeepsLengthAndEndsWithCarriageReturnOnly)
{
    TDeviceModel device{TDeviceConfig{}};
    device.setFault(TDeviceFault::Garbage);
    const QByteArray reply = Ask(device, "v");
    EXPECT_EQ(reply.size(), kIdentity.size());
    EXPECT_EQ(reply.indexOf('\r'), reply.size() - 1);
    EXPECT_NE(reply, kIdentity);
    EXPECT_NE(Ask(device, "v"), reply) << "fresh junk every time";
}

TEST(TransportFaults, StreamNeverSendsCarriageReturnAndOutlastsATimeout)
{
    const std::vector<TReplyPiece> pieces = Faulty(TDeviceFault::Stream, "?");
    ASSERT_FALSE(pieces.empty());
    for (const TReplyPiece& piece : pieces)
        EXPECT_FALSE(piece.Bytes.contains('\r'));
    EXPECT_EQ(pieces.front().DueMs, 0);
    EXPECT_GT(pieces.back().DueMs, 150);
}

TEST(CaptureFaults, AllOnesCrcAndNonHexCaptures)
{
    TDeviceModel device = Biss();
    const TFrameLayout layout = device.config().Layout;
    device.setFault(TDeviceFault::AllOnes);
    EXPECT_EQ(Ask(device, "4"), "FFFFFFFFFFFFFFFF\r");
    EXPECT_EQ(Ask(device, "v"), "K740-9S V1.17\r") << "other replies unchanged";

    device.setFault(TDeviceFault::CrcError);
    const host::Frame f = host::DecodeBiss(Ask(device, "4"), layout);
    EXPECT_TRUE(f.valid);
    EXPECT_FALSE(f.crcOk);
    EXPECT_EQ(f.position, 1193046u);

    device.setFault(TDeviceFault::NonHex);
    const QByteArray reply = Ask(device, "4");
    EXPECT_EQ(reply, "C4091A2B7A80000G\r");
    EXPECT_FALSE(host::DecodeBiss(reply, layout).valid);
}

TEST(TransportFaults, LateDelaysTheNextSupplyReplyAndRefuseLeavesTheFrameAsItWas)
{
    TDeviceModel late{TDeviceConfig{}};
    late.setFault(TDeviceFault::Late);
    EXPECT_EQ(late.receive("?").at(0).DueMs, 0);
    EXPECT_GT(late.receive("e").at(0).DueMs, 100);
    EXPECT_EQ(late.receive("e").at(0).DueMs, 0);
    EXPECT_EQ(late.fault(), TDeviceFault::None);

    TDeviceModel device = Biss();
    const int length = device.frameLength();
    device.setFault(TDeviceFault::Refuse);
    EXPECT_EQ(Ask(device, "B12\r") + Ask(device, "M5") + Ask(device, "m"), "ERR\rERR\rFRQ=100 kHz\r");
    EXPECT_EQ(device.frameLength(), length);
}
