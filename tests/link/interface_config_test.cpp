#include "link/interface_config.h"
#include "link/interface_identity.h"
#include "settings/encoder_settings.h"

#include <gtest/gtest.h>
#include <QList>
#include <climits>

namespace {

// Records the commands and answers each with the next scripted result and reply.
struct FakeInterface {
    QList<QByteArray> commands;
    QList<int> results;
    QList<QByteArray> replies;

    ExchangeFunction exchange()
    {
        return [this](const QByteArray& command, QByteArray& reply) {
            commands.append(command);
            reply = replies.isEmpty() ? QByteArray("\r") : replies.takeFirst();
            return results.isEmpty() ? 0 : results.takeFirst();
        };
    }
};

InterfaceIdentity Absolute(bool extended)
{
    InterfaceIdentity id;
    id.InterfaceKind = 1;
    id.ExtendedInterface = extended;
    return id;
}

TEncoderSettings Frame(int ssi, int pad, int st, int det)
{
    TEncoderSettings s;
    s.SSIBits = ssi;
    s.PaddingBits = pad;
    s.SSIStatusBits = st;
    s.DetailedStatusBits = det;
    s.SSIFreq = 3;
    return s;
}

} // namespace

TEST(FrameLength, CountsPositionPaddingAndStatusBits)
{
    EXPECT_EQ(FrameLengthFor(Frame(13, 0, 2, 0), true), 15);
    TEncoderSettings s = Frame(24, 4, 2, 6);
    s.MultiturnBits = 12;
    EXPECT_EQ(FrameLengthFor(s, true), 31);
    s.BiSS = true;
    EXPECT_EQ(FrameLengthFor(s, true), 31);
    EXPECT_EQ(FrameLengthFor(Frame(2, 0, 2, 0), false), 8);
    EXPECT_EQ(FrameLengthFor(Frame(29, 0, 2, 0), false), 30);
    EXPECT_EQ(FrameLengthFor(Frame(2, 0, 2, 0), true), 4);
}

TEST(FrameLength, OddBitCountsNeitherOverflowNorGoNegative)
{
    EXPECT_EQ(FrameLengthFor(Frame(INT_MAX, INT_MAX, INT_MAX, INT_MAX), true), 31);
    EXPECT_EQ(FrameLengthFor(Frame(-20, 5, -3, 0), true), 5);
    EXPECT_EQ(FrameLengthFor(Frame(INT_MIN, INT_MIN, 0, 0), true), 0);
    EXPECT_EQ(FrameLengthFor(Frame(INT_MIN, INT_MIN, 0, 0), false), 8);
}

TEST(ConfigureInterface, CountingInterfaceSendsNothing)
{
    FakeInterface device;
    InterfaceIdentity id;
    id.InterfaceKind = 0;
    TEncoderSettings s = Frame(13, 0, 2, 0);
    s.DCR = true;
    TConfigTexts texts;
    ConfigureInterface(id, s, texts, device.exchange());
    EXPECT_TRUE(device.commands.isEmpty());
    EXPECT_TRUE(s.DCR);
    EXPECT_TRUE(texts.BitsText.isEmpty());
}

TEST(ConfigureInterface, PlainInterfaceSendsOnlyTheFrameLength)
{
    FakeInterface device;
    TEncoderSettings s = Frame(13, 0, 2, 0);
    s.DCR = true;
    TConfigTexts texts;
    ConfigureInterface(Absolute(false), s, texts, device.exchange());
    EXPECT_EQ(device.commands, QList<QByteArray>({"B15\r"}));
    EXPECT_FALSE(s.DCR);
    EXPECT_EQ(texts.BitsText, "13");
    EXPECT_EQ(texts.FrequencyText, "100 kHz");
}

TEST(ConfigureInterface, RotaryTakesItsBitsFromTheCountsPerRevolution)
{
    for (int64_t cpr : {8192, 8193}) {
        FakeInterface device;
        TEncoderSettings s = Frame(5, 0, 0, 0);
        s.Rotary = true;
        s.CPR = cpr;
        TConfigTexts texts;
        ConfigureInterface(Absolute(false), s, texts, device.exchange());
        const int bits = cpr == 8192 ? 13 : 14;
        EXPECT_EQ(s.SSIBits, bits);
        EXPECT_EQ(device.commands, QList<QByteArray>({"B" + QByteArray::number(bits) + "\r"}));
        EXPECT_EQ(texts.BitsText, QString::number(bits));
    }
}

TEST(ConfigureInterface, ExtendedInterfaceAsksForTheFrequency)
{
    FakeInterface device;
    device.replies = {"0\r", "\r", "f = 280 kHz\r"};
    TEncoderSettings s = Frame(13, 0, 2, 0);
    TConfigTexts texts;
    ConfigureInterface(Absolute(true), s, texts, device.exchange());
    EXPECT_EQ(device.commands, QList<QByteArray>({"B15\r", "M3", "m"}));
    EXPECT_EQ(texts.FrequencyText, "280 kHz");

    device.commands.clear();
    device.replies = {"\r", "\r", "abcd\r"};
    ConfigureInterface(Absolute(true), s, texts, device.exchange());
    EXPECT_EQ(texts.FrequencyText, "");
}

TEST(ConfigureInterface, FailedExchangesKeepTheEarlierTexts)
{
    TEncoderSettings s = Frame(13, 0, 2, 0);
    TConfigTexts texts{"24", "1 MHz"};
    FakeInterface device;
    device.results = {-1};
    ConfigureInterface(Absolute(true), s, texts, device.exchange());
    EXPECT_EQ(device.commands, QList<QByteArray>({"B15\r"}));
    EXPECT_EQ(texts.BitsText, "24");
    EXPECT_EQ(texts.FrequencyText, "1 MHz");

    device.commands.clear();
    device.results = {0, -1};
    ConfigureInterface(Absolute(true), s, texts, device.exchange());
    EXPECT_EQ(device.commands, QList<QByteArray>({"B15\r", "M3"}));
    EXPECT_EQ(texts.BitsText, "13");
    EXPECT_EQ(texts.FrequencyText, "100 kHz");

    device.commands.clear();
    device.results = {0, 0, -3};
    device.replies = {"\r", "\r", "xxxx280 kHz\r"};
    ConfigureInterface(Absolute(true), s, texts, device.exchange());
    EXPECT_EQ(device.commands, QList<QByteArray>({"B15\r", "M3", "m"}));
    EXPECT_EQ(texts.FrequencyText, "100 kHz");
}
