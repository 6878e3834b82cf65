// Fault injection: what the host receives from a misbehaving interface.
#include "sim_test_support.h"

#include <gtest/gtest.h>

using namespace k740sim;

namespace {

const QByteArray kIdentity = "K740-9Q V1.17\r";

DeviceModel Biss()
{
    DeviceConfig config;
    config.kindLetter = 'S';
    config.encoder = EncoderKind::Biss;
    config.layout = {0, 26, 0, 2, 0, 6};
    config.position = 1193046;
    config.status = 3;
    return DeviceModel(config);
}

std::vector<ReplyPiece> Faulty(DeviceFault fault, const QByteArray& command)
{
    DeviceModel device{DeviceConfig{}};
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
    EXPECT_EQ(ParseDeviceFault(QStringLiteral("ffff")), DeviceFault::AllOnes);
    EXPECT_FALSE(ParseDeviceFault(QStringLiteral("bogus")).has_value());
}

TEST(TransportFaults, SilenceAnswersNothingButCommandsStillAct)
{
    DeviceModel device{DeviceConfig{}};
    device.setFault(DeviceFault::Silence);
    EXPECT_TRUE(device.receive("v").empty());
    EXPECT_TRUE(device.receive("f").empty());
    EXPECT_FALSE(device.supplyOn());
    device.setFault(DeviceFault::None);
    EXPECT_EQ(Ask(device, "v"), kIdentity);
}

TEST(TransportFaults, DelayAndSplitKeepTheBytesButChangeTheirTiming)
{
    const std::vector<ReplyPiece> late = Faulty(DeviceFault::Delay, "v");
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].bytes, kIdentity);
    EXPECT_GT(late[0].dueMs, 100);

    const std::vector<ReplyPiece> pieces = Faulty(DeviceFault::Split, "v");
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].bytes + pieces[1].bytes + pieces[2].bytes, kIdentity);
    EXPECT_FALSE(pieces[1].bytes.contains('\r'));
    EXPECT_LT(pieces[0].dueMs, pieces[1].dueMs);
    EXPECT_LT(pieces[1].dueMs, pieces[2].dueMs);
    EXPECT_LT(pieces[2].dueMs, 50) << "small gaps, well inside a transaction";
}

TEST(TransportFaults, GarbageKeepsLengthAndEndsWithCarriageReturnOnly)
{
    DeviceModel device{DeviceConfig{}};
    device.setFault(DeviceFault::Garbage);
    const QByteArray reply = Ask(device, "v");
    EXPECT_EQ(reply.size(), kIdentity.size());
    EXPECT_EQ(reply.indexOf('\r'), reply.size() - 1);
    EXPECT_NE(reply, kIdentity);
    EXPECT_NE(Ask(device, "v"), reply) << "fresh junk every time";
}

TEST(TransportFaults, StreamNeverSendsCarriageReturnAndOutlastsATimeout)
{
    const std::vector<ReplyPiece> pieces = Faulty(DeviceFault::Stream, "?");
    ASSERT_FALSE(pieces.empty());
    for (const ReplyPiece& piece : pieces)
        EXPECT_FALSE(piece.bytes.contains('\r'));
    EXPECT_EQ(pieces.front().dueMs, 0);
    EXPECT_GT(pieces.back().dueMs, 150);
}

TEST(CaptureFaults, AllOnesCrcAndNonHexCaptures)
{
    DeviceModel device = Biss();
    const FrameLayout layout = device.config().layout;
    device.setFault(DeviceFault::AllOnes);
    EXPECT_EQ(Ask(device, "4"), "FFFFFFFFFFFFFFFF\r");
    EXPECT_EQ(Ask(device, "v"), "K740-9S V1.17\r") << "other replies unchanged";

    device.setFault(DeviceFault::CrcError);
    const host::Frame f = host::DecodeBiss(Ask(device, "4"), layout);
    EXPECT_TRUE(f.valid);
    EXPECT_FALSE(f.crcOk);
    EXPECT_EQ(f.position, 1193046u);

    device.setFault(DeviceFault::NonHex);
    const QByteArray reply = Ask(device, "4");
    EXPECT_EQ(reply, "C4091A2B7A80000G\r");
    EXPECT_FALSE(host::DecodeBiss(reply, layout).valid);
}
