// Fault injection: what the host receives from a misbehaving interface.
#include "sim_test_support.h"

#include <gtest/gtest.h>

namespace {

DeviceConfig Biss()
{
    DeviceConfig config;
    config.kindLetter = 'S';
    config.encoder = EncoderKind::Biss;
    config.layout = {0, 26, 0, 2, 0, 6};
    config.position = 1193046;
    config.status = 3;
    return config;
}

} // namespace

TEST(FaultNames, ParseAndNameEveryFault)
{
    for (const QString& name : DeviceFaultNames().split(QStringLiteral(", "))) {
        const auto fault = ParseDeviceFault(name);
        ASSERT_TRUE(fault.has_value()) << name.toStdString();
        EXPECT_EQ(DeviceFaultName(*fault), name);
    }
    EXPECT_EQ(ParseDeviceFault(QStringLiteral("ffff")), DeviceFault::AllOnes);
    EXPECT_FALSE(ParseDeviceFault(QStringLiteral("bogus")).has_value());
}

TEST(TransportFaults, SilenceAnswersNothingButCommandsStillAct)
{
    DeviceModel device(DeviceConfig{});
    device.setFault(DeviceFault::Silence);
    EXPECT_TRUE(device.receive("v").empty());
    EXPECT_TRUE(device.receive("f").empty());
    EXPECT_FALSE(device.supplyOn());
    device.setFault(DeviceFault::None);
    EXPECT_EQ(Ask(device, "v"), "K740-9Q V1.17\r");
}

TEST(TransportFaults, DelaySendsTheWholeReplyLate)
{
    DeviceModel device(DeviceConfig{});
    device.setFault(DeviceFault::Delay);
    const std::vector<ReplyPiece> pieces = device.receive("v");
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].bytes, "K740-9Q V1.17\r");
    EXPECT_GT(pieces[0].dueMs, 100);
}

TEST(TransportFaults, SplitKeepsTheBytesInOrderWithGaps)
{
    DeviceModel device(DeviceConfig{});
    device.setFault(DeviceFault::Split);
    const std::vector<ReplyPiece> pieces = device.receive("v");
    ASSERT_EQ(pieces.size(), 3u);
    QByteArray joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
        joined += pieces[i].bytes;
        EXPECT_EQ(pieces[i].bytes.contains('\r'), i == 2) << i;
        if (i > 0) {
            EXPECT_GT(pieces[i].dueMs, pieces[i - 1].dueMs);
        }
    }
    EXPECT_EQ(joined, "K740-9Q V1.17\r");
    EXPECT_LT(pieces.back().dueMs, 50) << "small gaps, well inside a transaction";
}

TEST(TransportFaults, GarbageKeepsLengthAndEndsWithCarriageReturnOnly)
{
    DeviceModel device(DeviceConfig{});
    device.setFault(DeviceFault::Garbage);
    const QByteArray reply = Ask(device, "v");
    EXPECT_EQ(reply.size(), QByteArray("K740-9Q V1.17\r").size());
    EXPECT_EQ(reply.indexOf('\r'), reply.size() - 1);
    EXPECT_FALSE(reply.startsWith("K740"));
    EXPECT_NE(Ask(device, "v"), reply) << "fresh junk every time";
}

TEST(TransportFaults, StreamNeverSendsCarriageReturnAndOutlastsATimeout)
{
    DeviceModel device(DeviceConfig{});
    device.setFault(DeviceFault::Stream);
    const std::vector<ReplyPiece> pieces = device.receive("?");
    ASSERT_FALSE(pieces.empty());
    for (const ReplyPiece& piece : pieces)
        EXPECT_FALSE(piece.bytes.contains('\r'));
    EXPECT_EQ(pieces.front().dueMs, 0);
    EXPECT_GT(pieces.back().dueMs, 150);
}

TEST(TransportFaults, NoReplyCommandsStayQuietUnderEveryFault)
{
    DeviceModel device(DeviceConfig{});
    for (const QString& name : DeviceFaultNames().split(QStringLiteral(", "))) {
        device.setFault(*ParseDeviceFault(name));
        EXPECT_TRUE(device.receive("c").empty()) << name.toStdString();
    }
}

TEST(CaptureFaults, AllOnesCapture)
{
    DeviceModel device(Biss());
    device.setFault(DeviceFault::AllOnes);
    EXPECT_EQ(Ask(device, "4"), "FFFFFFFFFFFFFFFF\r");
    EXPECT_FALSE(host::DecodeBiss(Ask(device, "4"), device.config().layout).valid);
    EXPECT_EQ(Ask(device, "v"), "K740-9S V1.17\r") << "other replies unchanged";
}

TEST(CaptureFaults, CrcErrorKeepsFieldsButFailsTheCheck)
{
    DeviceModel device(Biss());
    device.setFault(DeviceFault::CrcError);
    const host::Frame f = host::DecodeBiss(Ask(device, "4"), device.config().layout);
    EXPECT_TRUE(f.valid);
    EXPECT_FALSE(f.crcOk);
    EXPECT_EQ(f.position, 1193046u);
}

TEST(CaptureFaults, NonHexCaptureIsRejected)
{
    DeviceModel device(Biss());
    device.setFault(DeviceFault::NonHex);
    const QByteArray reply = Ask(device, "4");
    EXPECT_EQ(reply, "C4091A2B7A80000G\r");
    EXPECT_FALSE(host::DecodeBiss(reply, device.config().layout).valid);
}
