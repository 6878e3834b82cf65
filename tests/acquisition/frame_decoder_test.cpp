#include "acquisition/frame_decoder.h"
#include "settings/encoder_settings.h"

#include <gtest/gtest.h>
#include <climits>
#include <string>

namespace {

std::string Bits(uint64_t value, int width)
{
    std::string bits;
    for (int bit = width - 1; bit >= 0; --bit)
        bits += ((value >> bit) & 1) ? '1' : '0';
    return bits;
}

// A 64-bit capture of the given leading bits, zero filled, as the interface sends it.
QByteArray Capture(std::string bits)
{
    bits.resize(64, '0');
    return QByteArray::number(qulonglong(std::stoull(bits, nullptr, 2)), 16).rightJustified(16, '0').toUpper() + "\r";
}

// CRC-6 x^6 + x + 1, start 0, one bit at a time: independent of the table.
uint8_t BitwiseCrc6(const std::string& bits)
{
    uint8_t crc = 0;
    for (char b : bits) {
        const bool feedback = ((crc >> 5) & 1) ^ (b == '1');
        crc = uint8_t((crc << 1) & 0x3F);
        if (feedback)
            crc ^= 0x03;
    }
    return crc;
}

// idle 11, Ack 000, Start 1, CDS 0, data bits, inverted CRC.
QByteArray BissCapture(const std::string& data)
{
    return Capture("110001" "0" + data + Bits(~BitwiseCrc6(data) & 0x3F, 6));
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
    Decoded d;
    d.frame = start;
    Decode(reply, kind, s, d.frame, d.valid, d.crcOk);
    return d;
}

TDecodedFrame Marked()
{
    TDecodedFrame f;
    f.Position = 111;
    f.Turns = 22;
    f.Status = 3;
    f.DetailedStatus = 4;
    f.Padding = 5;
    f.ReceivedCrc = 6;
    f.RefLatch = 77;
    return f;
}

void ExpectUnchanged(const TDecodedFrame& f)
{
    const TDecodedFrame m = Marked();
    EXPECT_EQ(f.Position, m.Position);
    EXPECT_EQ(f.Turns, m.Turns);
    EXPECT_EQ(f.Status, m.Status);
    EXPECT_EQ(f.DetailedStatus, m.DetailedStatus);
    EXPECT_EQ(f.Padding, m.Padding);
    EXPECT_EQ(f.ReceivedCrc, m.ReceivedCrc);
    EXPECT_EQ(f.RefLatch, m.RefLatch);
}

} // namespace

TEST(BitHelpers, AreDefinedForAnyCount)
{
    EXPECT_EQ(Mask(0), 0u);
    EXPECT_EQ(Mask(-5), 0u);
    EXPECT_EQ(Mask(6), 0x3Fu);
    EXPECT_EQ(Mask(63), 0x7FFFFFFFFFFFFFFFu);
    EXPECT_EQ(Mask(64), ~uint64_t(0));
    EXPECT_EQ(Mask(INT64_MAX), ~uint64_t(0));
    EXPECT_EQ(ShiftRight(0x8000000000000000u, 63), 1u);
    EXPECT_EQ(ShiftRight(~uint64_t(0), 64), 0u);
    EXPECT_EQ(ShiftRight(12, -3), 12u);
    EXPECT_EQ(ShiftLeft(1, 63), 0x8000000000000000u);
    EXPECT_EQ(ShiftLeft(1, 64), 0u);
    EXPECT_EQ(ShiftLeft(12, INT64_MIN), 12u);
}

TEST(FrameKind, FollowsInterfaceKindBissAndLongFrame)
{
    TEncoderSettings s;
    EXPECT_EQ(FrameKindFor(0, s), fkCounter);
    EXPECT_EQ(FrameKindFor(1, s), fkSsiShort);
    s.LongFrame = true;
    EXPECT_EQ(FrameKindFor(1, s), fkSsiLong);
    s.BiSS = true;
    EXPECT_EQ(FrameKindFor(1, s), fkBiss);
    EXPECT_EQ(FrameKindFor(0, s), fkCounter);
    EXPECT_EQ(PositionRequest(fkCounter), "?");
    EXPECT_EQ(PositionRequest(fkSsiShort), "?");
    EXPECT_EQ(PositionRequest(fkSsiLong), "4");
    EXPECT_EQ(PositionRequest(fkBiss), "4");
}

TEST(CounterPath, ReadsCountLatchAndFlag)
{
    const Decoded d = DecodeReply("12345:-200:1\r", fkCounter, {});
    EXPECT_EQ(d.frame.Position, 12345);
    EXPECT_EQ(d.frame.RefLatch, -200);
    EXPECT_EQ(CounterReplyFlag("12345:-200:1\r"), 1);
    EXPECT_TRUE(d.valid);
    EXPECT_TRUE(d.crcOk);
}

TEST(CounterPath, OddRepliesReadAsZeroAndNeverInvalid)
{
    Decoded d = DecodeReply("7\r", fkCounter, {}, Marked());
    EXPECT_EQ(d.frame.Position, 0);
    EXPECT_EQ(d.frame.RefLatch, 0);
    EXPECT_EQ(CounterReplyFlag("7\r"), 7);       // no colons: the whole text is the flag
    EXPECT_EQ(CounterReplyFlag("12:34\r"), 0);   // one colon: "12:34" is no number
    EXPECT_EQ(CounterReplyFlag("1:2:x\r"), 0);
    EXPECT_EQ(CounterReplyFlag(""), 0);
    d = DecodeReply("abc:99999999999:\r", fkCounter, {});
    EXPECT_EQ(d.frame.Position, 0);
    EXPECT_EQ(d.frame.RefLatch, 0);               // beyond 32 bits
    EXPECT_TRUE(d.valid);
    d = DecodeReply("-2147483648:2147483647:0\r", fkCounter, {});
    EXPECT_EQ(d.frame.Position, INT32_MIN);
    EXPECT_EQ(d.frame.RefLatch, INT32_MAX);
}

TEST(ReplyFields, SplitAtTheFirstTwoColons)
{
    const TReplyFields f = SplitReplyFields("1: 5 V:8:5 mA\r");
    EXPECT_EQ(f.First, "1");
    EXPECT_EQ(f.Second, " 5 V");
    EXPECT_EQ(f.Third, "8:5 mA");
    EXPECT_TRUE(SplitReplyFields("").Third.isEmpty());
}

TEST(ShortSsiPath, DecodesTheWorkedExample)
{
    const Decoded d = DecodeReply(" 114306 \r", fkSsiShort, Layout(4, 13, 0, 2, 0), Marked());
    EXPECT_EQ(d.frame.Turns, 3);
    EXPECT_EQ(d.frame.Position, 4000);
    EXPECT_EQ(d.frame.Status, 2u);
    EXPECT_EQ(d.frame.DetailedStatus, 0u);
    EXPECT_EQ(d.frame.Padding, 5u);               // not carried by the short frame
    EXPECT_TRUE(d.valid);
}

TEST(ShortSsiPath, GrayCodeConvertsOnlyThePosition)
{
    TEncoderSettings s = Layout(2, 4, 1, 2, 3);
    s.GrayCode = true;
    // turns 11 | position gray 0110 | pad 1 | status 10 | detailed 101
    const Decoded d = DecodeReply(QByteArray::number(std::stoi("11" "0110" "1" "10" "101", nullptr, 2)) + "\r",
                          fkSsiShort, s);
    EXPECT_EQ(d.frame.Turns, 3);
    EXPECT_EQ(d.frame.Position, 4);
    EXPECT_EQ(d.frame.Status, 2u);
    EXPECT_EQ(d.frame.DetailedStatus, 5u);
}

TEST(ShortSsiPath, NegativeOrJunkTextStaysDefined)
{
    Decoded d = DecodeReply("-1\r", fkSsiShort, Layout(4, 13, 0, 2, 0));
    EXPECT_EQ(d.frame.Position, 8191);
    EXPECT_EQ(d.frame.Turns, -1);                 // all bits above the position field
    d = DecodeReply("x12\r", fkSsiShort, Layout(4, 13, 0, 2, 0), Marked());
    EXPECT_EQ(d.frame.Position, 0);
    EXPECT_TRUE(d.valid);
}

TEST(LongSsiPath, DecodesTheWorkedExample)
{
    const Decoded d = DecodeReply("802AABCDE4000000\r", fkSsiLong, Layout(12, 23, 0, 2, 0));
    EXPECT_TRUE(d.valid);
    EXPECT_EQ(d.frame.Turns, 5);
    EXPECT_EQ(d.frame.Position, 2800862);
    EXPECT_EQ(d.frame.Status, 1u);
}

TEST(LongSsiPath, SplitsEveryField)
{
    const QByteArray reply = Capture("1" + Bits(0xABC, 12) + Bits(0x123456, 24) + Bits(9, 4) + Bits(2, 2)
                                     + Bits(0x2A, 6));
    const Decoded d = DecodeReply(reply, fkSsiLong, Layout(12, 24, 4, 2, 6));
    EXPECT_EQ(d.frame.Turns, 0xABC);
    EXPECT_EQ(d.frame.Position, 0x123456);
    EXPECT_EQ(d.frame.Padding, 9u);
    EXPECT_EQ(d.frame.Status, 2u);
    EXPECT_EQ(d.frame.DetailedStatus, 0x2Au);
}

TEST(CapturePaths, RejectUnusableCapturesWithoutWritingAnything)
{
    const TEncoderSettings s = Layout(0, 26, 0, 2, 0, 6);
    for (TFrameKind kind : {fkSsiLong, fkBiss}) {
        for (const char* reply : {"FFFFFFFF12345678\r", "ffffffffffffffff\r", "C4091A2B7A80000\r",
                                  "C4091A2B7A8000000\r", "C4091A2B7A80000G\r", "\r", "0000000000000000\r"}) {
            const Decoded d = DecodeReply(reply, kind, s, Marked());
            EXPECT_FALSE(d.valid) << reply;
            EXPECT_TRUE(d.crcOk) << reply;
            ExpectUnchanged(d.frame);
        }
    }
    // BiSS-C needs both idle bits; SSI only the first one.
    EXPECT_FALSE(DecodeReply("8000000000000000\r", fkBiss, s).valid);
    EXPECT_TRUE(DecodeReply("8000000000000000\r", fkSsiLong, s).valid);
    // Idle all the way: no Ack-to-Start transition.
    EXPECT_FALSE(DecodeReply("FFFFFFF000000000\r", fkBiss, s).valid);
    EXPECT_FALSE(DecodeReply("C000000000000000\r", fkBiss, s).valid);
}

TEST(BissPath, DecodesTheWorkedExample)
{
    const Decoded d = DecodeReply("  C4091A2B7A800000\r", fkBiss, Layout(0, 26, 0, 2, 0, 6));
    EXPECT_TRUE(d.valid);
    EXPECT_TRUE(d.crcOk);
    EXPECT_EQ(d.frame.Position, 1193046);
    EXPECT_EQ(d.frame.Status, 3u);
    EXPECT_EQ(d.frame.ReceivedCrc, 0x35u);
    EXPECT_EQ(d.frame.Turns, 0);
    EXPECT_EQ(BissCapture(Bits(1193046, 26) + "11"), "C4091A2B7A800000\r");
}

TEST(BissPath, CrcMismatchKeepsTheFieldsAndCrcOffAcceptsIt)
{
    // Position bit 17 flipped against the worked example.
    const QByteArray corrupt = "C4081A2B7A800000\r";
    Decoded d = DecodeReply(corrupt, fkBiss, Layout(0, 26, 0, 2, 0, 6));
    EXPECT_TRUE(d.valid);
    EXPECT_FALSE(d.crcOk);
    EXPECT_EQ(d.frame.Position, 1193046 ^ (1 << 17));
    EXPECT_EQ(d.frame.Status, 3u);
    EXPECT_EQ(d.frame.ReceivedCrc, 0x35u);
    d = DecodeReply(corrupt, fkBiss, Layout(0, 26, 0, 2, 0, 0));
    EXPECT_TRUE(d.crcOk);
    d = DecodeReply(corrupt, fkBiss, Layout(0, 26, 0, 2, 0, -6));
    EXPECT_TRUE(d.crcOk);
}

TEST(BissPath, WideMultiturnFramePassesWhenIntact)
{
    const std::string data = Bits(2049, 12) + Bits(0x2ABCDEF, 26) + Bits(5, 4) + "01";
    const Decoded d = DecodeReply(BissCapture(data), fkBiss, Layout(12, 26, 4, 2, 0, 6));
    EXPECT_TRUE(d.valid);
    EXPECT_TRUE(d.crcOk);
    EXPECT_EQ(d.frame.Turns, 2049);
    EXPECT_EQ(d.frame.Position, 0x2ABCDEF);
    EXPECT_EQ(d.frame.Padding, 5u);
    EXPECT_EQ(d.frame.Status, 1u);
}

TEST(CapturePaths, ExtremeBitCountsStayDefined)
{
    const QByteArray reply = "C4091A2B7A800000\r";
    for (int bits : {INT_MIN, -1, 0, 31, 32, 63, 64, 65, INT_MAX}) {
        const TEncoderSettings s = Layout(bits, bits, bits, bits, bits, bits);
        for (TFrameKind kind : {fkSsiShort, fkSsiLong, fkBiss})
            DecodeReply(reply, kind, s);
    }
    // Every field 0 bits wide: nothing to read, all fields 0.
    Decoded d = DecodeReply(reply, fkSsiLong, Layout(0, 0, 0, 0, 0));
    EXPECT_EQ(d.frame.Position, 0);
    EXPECT_EQ(d.frame.Turns, 0);
    // A 64-bit position takes the whole capture after the leading 1.
    d = DecodeReply(reply, fkSsiLong, Layout(0, 64, 0, 0, 0));
    EXPECT_EQ(uint64_t(d.frame.Position), 0xC4091A2B7A800000u << 1);
    d = DecodeReply(reply, fkSsiLong, Layout(-3, INT_MAX, 0, 0, 0));
    EXPECT_EQ(uint64_t(d.frame.Position), 0xC4091A2B7A800000u << 1);
}

TEST(InvertDirection, NegatesAndMasksTheTurns)
{
    TDecodedFrame f;
    f.Position = 5;
    f.RefLatch = -7;
    f.Turns = 3;
    InvertDirection(f, 4);
    EXPECT_EQ(f.Position, -5);
    EXPECT_EQ(f.RefLatch, 7);
    EXPECT_EQ(f.Turns, 13);
    InvertDirection(f, 0);
    EXPECT_EQ(f.Turns, 13);
    f.Turns = 3;
    InvertDirection(f, 64);
    EXPECT_EQ(f.Turns, -3);
    f.Position = INT64_MIN;
    f.Turns = INT32_MIN;
    InvertDirection(f, 32);
    EXPECT_EQ(f.Position, INT64_MIN);
    EXPECT_EQ(f.Turns, INT32_MIN);
}

TEST(GrayToBinary, InvertsTheGrayCode)
{
    EXPECT_EQ(GrayToBinary(6), 4);
    EXPECT_EQ(GrayToBinary(0), 0);
    for (int64_t v : {int64_t(1), int64_t(4000), int64_t(0x2ABCDEF), INT64_MAX, int64_t(0x123456789ABCDEF)})
        EXPECT_EQ(GrayToBinary(v ^ (v >> 1)), v) << v;
}

TEST(Crc6, TableIsTheBissPolynomial)
{
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(Crc6Table[i], BitwiseCrc6(Bits(i, 6))) << i;
    EXPECT_EQ(Crc6Table[1], 0x03);
    EXPECT_EQ(Crc6Table[63], 0x02);
}

TEST(Crc6, GroupsCoverTheDataAndExtraGroupsChangeNothing)
{
    const uint64_t data = 1193046ull * 4 + 3;
    EXPECT_EQ(BissCrc6(5, data), 0x0A);
    EXPECT_EQ(BissCrc6(11, data), 0x0A);
    EXPECT_EQ(BissCrc6(INT32_MAX, data), 0x0A);
    EXPECT_EQ(BissCrc6(0, data), 0);
    EXPECT_EQ(BissCrc6(-4, data), 0);
    const uint64_t wide = 0xFEDCBA9876543210u;
    EXPECT_EQ(BissCrc6(11, wide), BitwiseCrc6(Bits(wide, 64)));
}
