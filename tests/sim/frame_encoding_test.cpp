// Position frames of absolute encoders: known frames, CRC-6, Gray code,
// and round trips through the host's way of reading them.
#include "device/bit_frames.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>
#include <random>

using namespace k740sim;

namespace {

TDeviceConfig AbsoluteEncoder(TEncoderKind kind, TFrameLayout layout)
{
    TDeviceConfig config;
    config.KindLetter = 'S';
    config.Encoder = kind;
    config.Layout = layout;
    return config;
}

int64_t ScalePosition(uint64_t turns, uint64_t position, int positionBits)
{
    return int64_t((turns << positionBits) | position);
}

} // namespace

// Known frames for a known turn count, position and status: the short SSI
// frame is the decimal of the whole frame (after "B15" sets its length), the
// long SSI capture starts with a one and then the data, the BiSS-C capture
// has idle, Ack, Start and CDS bits before the data and the inverted CRC.
TEST(KnownFrames, EachKindFramesAKnownPositionAndStatus)
{
    struct Known {
        TEncoderKind kind;
        TFrameLayout layout;
        int64_t position;
        uint32_t status;
        QByteArray setUp; // answered "OK\r" before the request; empty: none
        QByteArray request;
        QByteArray reply;
    };
    const Known cases[] = {
        {TEncoderKind::Ssi, {4, 13, 0, 2, 0, 0}, ScalePosition(3, 4000, 13), 2, "B15\r", "?", "114306\r"},
        {TEncoderKind::Ssi, {12, 23, 0, 2, 0, 0}, ScalePosition(5, 2800862, 23), 1, "", "4", "802AABCDE4000000\r"},
        {TEncoderKind::Biss, {0, 26, 0, 2, 0, 6}, 1193046, 3, "", "4", "C4091A2B7A800000\r"},
    };
    for (const Known& known : cases) {
        TDeviceConfig config = AbsoluteEncoder(known.kind, known.layout);
        config.Position = known.position;
        config.Status = known.status;
        TDeviceModel device(config);
        if (!known.setUp.isEmpty()) {
            EXPECT_EQ(Ask(device, known.setUp), "OK\r") << known.reply.constData();
        }
        EXPECT_EQ(Ask(device, known.request), known.reply);
    }
    EXPECT_EQ(HexCapture(0xabcull), "0000000000000ABC");
}

TEST(Crc6, MatchesTheStandardTableAndAKnownFrame)
{
    const uint8_t head[] = {0x00, 0x03, 0x06, 0x05, 0x0C, 0x0F, 0x0A, 0x09};
    for (unsigned i = 0; i < 8; ++i)
        EXPECT_EQ(Crc6OfBits(i, 6), head[i]) << i;
    const uint8_t tail[] = {0x07, 0x04, 0x01, 0x02};
    for (unsigned i = 0; i < 4; ++i)
        EXPECT_EQ(Crc6OfBits(60 + i, 6), tail[i]) << i;
    EXPECT_EQ(Crc6OfBits(1193046ull * 4 + 3, 28), 0x0A);
}

TEST(Crc6, BitwiseAndGroupwiseAgreeForAnyLength)
{
    std::mt19937_64 random(740);
    for (int bits = 1; bits <= 58; ++bits) {
        const uint64_t data = random() & host::Mask(bits);
        EXPECT_EQ(Crc6OfBits(data, bits), host::Crc6ByGroups((bits + 5) / 6, data)) << bits;
        EXPECT_EQ(Crc6OfBits(data, bits), host::Crc6ByGroups(12, data)) << "extra groups";
    }
}

TEST(GrayCode, OnlyThePositionFieldIsGrayCodedAndTheHostUndoesIt)
{
    EXPECT_EQ(BinaryToGray(4), 6u);
    for (uint64_t v : {0ull, 1ull, 3ull, 8191ull, (1ull << 40) + 12345})
        EXPECT_EQ(host::GrayToBinary(BinaryToGray(v)), v);

    TDeviceConfig config = AbsoluteEncoder(TEncoderKind::Ssi, {4, 13, 0, 2, 0, 0});
    config.Position = ScalePosition(3, 4000, 13);
    config.Status = 2;
    config.GrayCode = true;
    TDeviceModel device(config);
    const QByteArray reply = Ask(device, "?");
    EXPECT_EQ(reply.trimmed().toUInt() >> 2 & 0x1FFF, BinaryToGray(4000));
    const host::Frame f = host::DecodeShortSsi(reply, config.Layout, true);
    EXPECT_EQ(f.turns, 3u);
    EXPECT_EQ(f.position, 4000u);
    EXPECT_EQ(f.status, 2u);
}

TEST(StatusBits, ActiveLowInvertsOnTheLineAndDetailFollowsStatus)
{
    TDeviceConfig config = AbsoluteEncoder(TEncoderKind::Ssi, {0, 10, 0, 2, 3, 0});
    config.Position = 700;
    config.Status = 1;
    config.StatusActiveLow = true;
    config.DetailStatus = 5;
    TDeviceModel device(config);
    const host::Frame f = host::DecodeShortSsi(Ask(device, "?"), config.Layout, false);
    EXPECT_EQ(f.position, 700u);
    EXPECT_EQ(f.status, 2u);
    EXPECT_EQ(f.detail, 5u);
    device.setStatus(3);
    EXPECT_EQ(host::DecodeShortSsi(Ask(device, "?"), config.Layout, false).status, 0u);
}

TEST(ShortSsi, FrameLengthTruncatesAndTurnsRideAbove)
{
    TDeviceConfig config = AbsoluteEncoder(TEncoderKind::Ssi, {2, 12, 0, 0, 0, 0});
    config.Position = ScalePosition(2, 0xABC, 12);
    TDeviceModel device(config);
    EXPECT_EQ(Ask(device, "?"), QByteArray::number((2 << 12) | 0xABC) + '\r');
    Ask(device, "B8\r"); // host clocks fewer bits: the low ones are lost
    EXPECT_EQ(Ask(device, "?"), QByteArray::number((2 << 8) | 0xAB) + '\r');
    Ask(device, "B14\r"); // more bits: zeros after the frame
    EXPECT_EQ(Ask(device, "?"), QByteArray::number(((2 << 12) | 0xABC) << 2) + '\r');
}

TEST(ShortSsi, NeverMoreThan31Bits)
{
    TDeviceConfig config = AbsoluteEncoder(TEncoderKind::Ssi, {8, 30, 0, 0, 0, 0});
    config.Position = -1;
    TDeviceModel device(config);
    EXPECT_EQ(Ask(device, "?"), "2147483647\r");
}

TEST(ShortSsi, PositionWrapsAtCountsPerTurnAndTurnsCountWholeTurns)
{
    TDeviceConfig config = AbsoluteEncoder(TEncoderKind::Ssi, {4, 12, 0, 0, 0, 0});
    config.CountsPerTurn = 3600;
    config.Position = 2 * 3600 + 5;
    TDeviceModel device(config);
    host::Frame f = host::DecodeShortSsi(Ask(device, "?"), config.Layout, false);
    EXPECT_EQ(f.turns, 2u);
    EXPECT_EQ(f.position, 5u);
    device.setPosition(-1); // one count below zero: last count of turn -1
    f = host::DecodeShortSsi(Ask(device, "?"), config.Layout, false);
    EXPECT_EQ(f.turns, 15u);
    EXPECT_EQ(f.position, 3599u);
}

TEST(RoundTrip, CapturesDecodeToTheEncodersFields)
{
    const TFrameLayout layouts[] = {
        {0, 13, 0, 2, 0, 6},
        {12, 26, 0, 2, 0, 6},
        {16, 24, 3, 2, 0, 6},
        {4, 17, 1, 0, 0, 0},
        {0, 32, 0, 2, 0, 6},
    };
    std::mt19937_64 random(17);
    for (const TFrameLayout& layout : layouts) {
        for (const TEncoderKind kind : {TEncoderKind::Ssi, TEncoderKind::Biss}) {
            for (int i = 0; i < 50; ++i) {
                TDeviceConfig config = AbsoluteEncoder(kind, layout);
                const uint64_t turns = random() & host::Mask(layout.MultiturnBits);
                const uint64_t position = random() & host::Mask(layout.PositionBits);
                config.Position = ScalePosition(turns, position, layout.PositionBits);
                config.Status = uint32_t(random() & host::Mask(layout.StatusBits));
                config.AckBits = 1 + i % 4; // the longest layout still fits in 64 bits
                TDeviceModel device(config);
                const QByteArray reply = Ask(device, "4");
                const host::Frame f
                    = kind == TEncoderKind::Biss ? host::DecodeBiss(reply, layout) : host::DecodeLongSsi(reply, layout);
                ASSERT_TRUE(f.valid) << reply.constData();
                EXPECT_TRUE(f.crcOk) << reply.constData();
                EXPECT_EQ(f.turns, turns);
                EXPECT_EQ(f.position, position);
                EXPECT_EQ(f.status, config.Status);
                EXPECT_EQ(f.padding, 0u);
            }
        }
    }
}
