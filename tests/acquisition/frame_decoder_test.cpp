#include "acquisition/frame_decoder.h"
#include "settings/encoder_settings.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

using namespace k740;

namespace {

std::string Bits(uint64_t value, int width)
{
    std::string bits;
    for (int bit = width - 1; bit >= 0; --bit)
        bits += ((value >> bit) & 1) ? '1' : '0';
    return bits;
}

// The interface's hexadecimal text of a 64-bit capture starting with bits.
QByteArray Capture(std::string bits)
{
    bits.resize(64, '0');
    return QByteArray::number(qulonglong(std::stoull(bits, nullptr, 2)), 16).rightJustified(16, '0').toUpper() + "\r";
}

// CRC-6 x^6 + x + 1, start 0, bit by bit: independent of the table.
uint8_t BitwiseCrc6(const std::string& bits)
{
    uint8_t crc = 0;
    for (char b : bits) {
        const bool feedback = ((crc >> 5) & 1) ^ (b == '1');
        crc = uint8_t(((crc << 1) & 0x3F) ^ (feedback ? 0x03 : 0));
    }
    return crc;
}

// Idle 11, Ack 000, Start 1, CDS 0, data, inverted CRC.
QByteArray BissCapture(const std::string& data)
{
    return Capture("1100010" + data + Bits(~BitwiseCrc6(data) & 0x3F, 6));
}

TEncoderSettings Layout(int mt, int ssi, int pad, int st, int det, int crc = 0)
{
    TEncoderSettings s;
    s.MultiturnBits = mt;
    s.SSIBits = ssi;
    s.PaddingBits = pad;
    s.SSIStatusBits = st;
    s.DetailedStatusBits = det;
    s.CRCBits = crc;
    return s;
}

struct Decoded {
    TDecodedFrame frame;
    bool valid = false;
    bool crcOk = false;
};

Decoded DecodeReply(const QByteArray& reply, TFrameKind kind, const TEncoderSettings& s, TDecodedFrame start = {})
{
    Decoded d{start};
    const TFrameChecks checks = Decode(reply, kind, s, d.frame);
    d.valid = checks.Valid;
    d.crcOk = checks.CrcOk;
    return d;
}

} // namespace

TEST(BitHelpers, AreDefinedForAnyCount)
{
    EXPECT_EQ(Mask(-5), 0u);
    EXPECT_EQ(Mask(6), 0x3Fu);
    EXPECT_EQ(Mask(64), ~uint64_t(0));
    EXPECT_EQ(Mask(INT64_MAX), ~uint64_t(0));
    EXPECT_EQ(ShiftRight(0x8000000000000000u, 63), 1u);
    EXPECT_EQ(ShiftRight(~uint64_t(0), 64), 0u);
    EXPECT_EQ(ShiftRight(12, -3), 12u);
    EXPECT_EQ(ShiftLeft(1, 64), 0u);
    EXPECT_EQ(ShiftLeft(12, INT64_MIN), 12u);
}

TEST(FrameKind, FollowsInterfaceKindBissAndLongFrame)
{
    TEncoderSettings s;
    EXPECT_EQ(FrameKindFor(TInterfaceKind::Absolute, s), fkSsiShort);
    s.LongFrame = true;
    EXPECT_EQ(FrameKindFor(TInterfaceKind::Absolute, s), fkSsiLong);
    s.BiSS = true;
    EXPECT_EQ(FrameKindFor(TInterfaceKind::Absolute, s), fkBiss);
    EXPECT_EQ(FrameKindFor(TInterfaceKind::Counting, s), fkCounter);
    EXPECT_EQ(PositionRequest(fkCounter) + PositionRequest(fkSsiShort), "??");
    EXPECT_EQ(PositionRequest(fkSsiLong) + PositionRequest(fkBiss), "44");
}

TEST(CounterPath, ReadsCountLatchAndFlag)
{
    Decoded d = DecodeReply(" 12345 :-200: 1\r", fkCounter, {});
    EXPECT_EQ(d.frame.Position, 12345);
    EXPECT_EQ(d.frame.RefLatch, -200);
    EXPECT_EQ(d.frame.RefEvent, 1);
    EXPECT_TRUE(d.valid && d.crcOk);
    EXPECT_EQ(SplitReplyFields("1: 5 V:8:5 mA\r").Third, "8:5 mA");
}

// Replies that are not three 32-bit decimals up to a carriage return renew
// nothing, the flag included.
TEST(ShapeChecks, RepliesOfTheWrongShapeAreInvalidAndWriteNothing)
{
    const TDecodedFrame start{111, 22, 3, 4, 5, 6, 77, 1};
    for (const char* reply : {"7\r", "12:34\r", "1:2:3:4\r", "1:2:3", "abc:5:1\r", "1:2:x\r", "1::0\r",
             "2147483648:0:0\r", "1:5.02 V:85.3 mA\r", "\x8f\x01:\x02:1\r", ""}) {
        const Decoded d = DecodeReply(reply, fkCounter, {}, start);
        EXPECT_FALSE(d.valid) << reply;
        EXPECT_EQ(d.frame.Position + d.frame.RefLatch + d.frame.RefEvent, 189) << reply;
    }
    for (const char* reply : {"-1\r", "+5\r", "12a\r", "2147483648\r", "1 2\r", "\r", "x\x05\r"}) {
        const Decoded d = DecodeReply(reply, fkSsiShort, Layout(4, 13, 0, 2, 0), start);
        EXPECT_FALSE(d.valid) << reply;
        EXPECT_EQ(d.frame.Position + d.frame.Turns + d.frame.Status, 136) << reply;
    }
    EXPECT_TRUE(DecodeReply("2147483647\r", fkSsiShort, Layout(4, 13, 0, 2, 0)).valid);
}

TEST(ShortSsiPath, WorkedExampleAndGrayCode)
{
    TDecodedFrame start;
    start.Padding = 5;
    Decoded d = DecodeReply(" 114306 \r", fkSsiShort, Layout(4, 13, 0, 2, 0), start);
    EXPECT_EQ(d.frame.Turns, 3);
    EXPECT_EQ(d.frame.Position, 4000);
    EXPECT_EQ(d.frame.Status, 2u);
    EXPECT_EQ(d.frame.DetailedStatus, 0u);
    EXPECT_EQ(d.frame.Padding, 5u); // not part of the short frame

    TEncoderSettings s = Layout(2, 4, 1, 2, 3);
    s.GrayCode = true; // only the position is converted
    d = DecodeReply(QByteArray::number(std::stoi("11"
                                                 "0110"
                                                 "1"
                                                 "10"
                                                 "101",
                        nullptr, 2)),
        fkSsiShort, s);
    EXPECT_EQ(d.frame.Turns, 3);
    EXPECT_EQ(d.frame.Position, 4);
    EXPECT_EQ(d.frame.Status, 2u);
    EXPECT_EQ(d.frame.DetailedStatus, 5u);
}

TEST(LongSsiPath, WorkedExampleAndAllFields)
{
    Decoded d = DecodeReply("802AABCDE4000000\r", fkSsiLong, Layout(12, 23, 0, 2, 0));
    EXPECT_TRUE(d.valid);
    EXPECT_EQ(d.frame.Turns, 5);
    EXPECT_EQ(d.frame.Position, 2800862);
    EXPECT_EQ(d.frame.Status, 1u);

    // Gray code: the position only; BiSS-C positions stay binary.
    TEncoderSettings gray = Layout(12, 23, 0, 2, 0);
    gray.GrayCode = true;
    const QByteArray grayCapture = Capture("1" + Bits(5, 12) + Bits(1000 ^ 500, 23) + "01");
    d = DecodeReply(grayCapture, fkSsiLong, gray);
    EXPECT_EQ(d.frame.Position, 1000);
    EXPECT_EQ(d.frame.Turns, 5);
    EXPECT_EQ(d.frame.Status, 1u);
    gray.CRCBits = 6;
    gray.MultiturnBits = 0;
    gray.SSIBits = 26;
    EXPECT_EQ(DecodeReply("C4091A2B7A800000\r", fkBiss, gray).frame.Position, 1193046);

    d = DecodeReply(Capture("1" + Bits(0xABC, 12) + Bits(0x123456, 24) + Bits(9, 4) + "10" + Bits(0x2A, 6)), fkSsiLong,
        Layout(12, 24, 4, 2, 6));
    EXPECT_EQ(d.frame.Turns, 0xABC);
    EXPECT_EQ(d.frame.Position, 0x123456);
    EXPECT_EQ(d.frame.Padding, 9u);
    EXPECT_EQ(d.frame.Status, 2u);
    EXPECT_EQ(d.frame.DetailedStatus, 0x2Au);
}

TEST(CapturePaths, UnusableCapturesAreInvalidAndWriteNothing)
{
    const TEncoderSettings s = Layout(0, 26, 0, 2, 0, 6);
    const TDecodedFrame start{111, 22, 3, 4, 5, 6, 77};
    for (TFrameKind kind : {fkSsiLong, fkBiss})
        for (const char* reply : {"FFFFFFFF12345678\r", "ffffffffffffffff\r", "C4091A2B7A80000\r",
                 "C4091A2B7A8000000\r", "C4091A2B7A80000G\r", "\r"}) {
            const Decoded d = DecodeReply(reply, kind, s, start);
            EXPECT_FALSE(d.valid) << reply;
            EXPECT_TRUE(d.crcOk) << reply;
            EXPECT_EQ(d.frame.Position + d.frame.Turns + d.frame.RefLatch, 210);
            EXPECT_EQ(d.frame.Status + d.frame.DetailedStatus + d.frame.Padding + d.frame.ReceivedCrc, 18u);
        }
    // BiSS-C needs both idle bits and an Ack-to-Start transition.
    EXPECT_FALSE(DecodeReply("8000000000000000\r", fkBiss, s).valid);
    EXPECT_TRUE(DecodeReply("8000000000000000\r", fkSsiLong, s).valid);
    EXPECT_FALSE(DecodeReply("FFFFFFF000000000\r", fkBiss, s).valid);
}

TEST(BissPath, WorkedExampleAndCrcCheck)
{
    EXPECT_EQ(BissCapture(Bits(1193046, 26) + "11"), "C4091A2B7A800000\r");
    Decoded d = DecodeReply("  C4091A2B7A800000\r", fkBiss, Layout(0, 26, 0, 2, 0, 6));
    EXPECT_TRUE(d.valid && d.crcOk);
    EXPECT_EQ(d.frame.Position, 1193046);
    EXPECT_EQ(d.frame.Status, 3u);
    EXPECT_EQ(d.frame.ReceivedCrc, 0x35u);

    // Position bit 17 flipped: the fields stay written, only the check fails.
    d = DecodeReply("C4081A2B7A800000\r", fkBiss, Layout(0, 26, 0, 2, 0, 6));
    EXPECT_TRUE(d.valid);
    EXPECT_FALSE(d.crcOk);
    EXPECT_EQ(d.frame.Position, 1193046 ^ (1 << 17));
    EXPECT_TRUE(DecodeReply("C4081A2B7A800000\r", fkBiss, Layout(0, 26, 0, 2, 0, 0)).crcOk);
    EXPECT_TRUE(DecodeReply("C4081A2B7A800000\r", fkBiss, Layout(0, 26, 0, 2, 0, -6)).crcOk);

    // Turns and position beyond 31 bits together.
    d = DecodeReply(
        BissCapture(Bits(2049, 12) + Bits(0x2ABCDEF, 26) + Bits(5, 4) + "01"), fkBiss, Layout(12, 26, 4, 2, 0, 6));
    EXPECT_TRUE(d.valid && d.crcOk);
    EXPECT_EQ(d.frame.Turns, 2049);
    EXPECT_EQ(d.frame.Position, 0x2ABCDEF);
    EXPECT_EQ(d.frame.Padding, 5u);
    EXPECT_EQ(d.frame.Status, 1u);
}

TEST(CapturePaths, ExtremeBitCountsStayDefined)
{
    const QByteArray reply = "C4091A2B7A800000\r";
    for (int bits : {INT_MIN, -1, 0, 32, 64, 65, INT_MAX})
        for (TFrameKind kind : {fkSsiShort, fkSsiLong, fkBiss})
            DecodeReply(reply, kind, Layout(bits, bits, bits, bits, bits, bits));
    EXPECT_EQ(DecodeReply(reply, fkSsiLong, Layout(0, 0, 0, 0, 0)).frame.Position, 0);
    EXPECT_EQ(uint64_t(DecodeReply(reply, fkSsiLong, Layout(0, 64, 0, 0, 0)).frame.Position), 0x88123456F5000000u);
    EXPECT_EQ(
        uint64_t(DecodeReply(reply, fkSsiLong, Layout(-3, INT_MAX, 0, 0, 0)).frame.Position), 0x88123456F5000000u);
}

TEST(InvertDirection, NegatesWhatTheFrameRenewed)
{
    TDecodedFrame f{5, 3, 0, 0, 0, 0, -7};
    InvertDirection(f, fkCounter, 4);
    EXPECT_EQ(f.Position, -5);
    EXPECT_EQ(f.RefLatch, 7);
    EXPECT_EQ(f.Turns, 3);
    InvertDirection(f, fkBiss, 4);
    EXPECT_EQ(f.Position, 5);
    EXPECT_EQ(f.RefLatch, 7);
    EXPECT_EQ(f.Turns, 13);
    InvertDirection(f, fkSsiShort, 0);
    EXPECT_EQ(f.Turns, 13);
    f = {INT64_MIN, 3};
    InvertDirection(f, fkSsiLong, 64);
    EXPECT_EQ(f.Position, INT64_MIN);
    EXPECT_EQ(f.Turns, -3);
}

TEST(BitCodes, GrayCodeAndCrc6)
{
    EXPECT_EQ(GrayToBinary(6), 4);
    for (int64_t v : {int64_t(0), int64_t(4000), INT64_MAX, int64_t(0x123456789ABCDEF)})
        EXPECT_EQ(GrayToBinary(v ^ (v >> 1)), v) << v;
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(Crc6Table[i], BitwiseCrc6(Bits(i, 6))) << i;
    // Groups beyond the data change nothing, however many.
    const uint64_t data = 1193046ull * 4 + 3;
    EXPECT_EQ(BissCrc6(5, data), 0x0A);
    EXPECT_EQ(BissCrc6(INT32_MAX, data), 0x0A);
    EXPECT_EQ(BissCrc6(-4, data), 0);
    EXPECT_EQ(BissCrc6(11, 0xFEDCBA9876543210u), BitwiseCrc6(Bits(0xFEDCBA9876543210u, 64)));
}
