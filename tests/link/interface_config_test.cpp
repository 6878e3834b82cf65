#include "link/interface_config.h"
#include "link/interface_identity.h"

#include <QList>
#include <climits>
#include <gtest/gtest.h>

using namespace k740;

namespace {

using Commands = QList<QByteArray>;

// Records the commands; answers with the scripted results and replies, then Ok and "\r".
struct FakeInterface {
    Commands commands;
    QList<TLinkResult> results;
    QList<QByteArray> replies;

    TExchangeFunction exchange()
    {
        return [this](const QByteArray& command, QByteArray& reply) {
            commands.append(command);
            reply = replies.isEmpty() ? QByteArray("\r") : replies.takeFirst();
            return results.isEmpty() ? kLinkOk : results.takeFirst();
        };
    }
};

InterfaceIdentity Identity(uint8_t kind, bool extended)
{
    InterfaceIdentity id;
    id.InterfaceKind = TInterfaceKind(kind);
    id.ExtendedInterface = extended;
    return id;
}

TFrameConfig Frame(int ssi, int pad, int st, int det)
{
    TFrameConfig s;
    s.SSIBits = ssi;
    s.PaddingBits = pad;
    s.SSIStatusBits = st;
    s.DetailedStatusBits = det;
    s.SSIFreq = 3;
    return s;
}

} // namespace

TEST(FrameLength, PositionPaddingAndStatusBitsWithinLimits)
{
    EXPECT_EQ(FrameLengthFor(Frame(13, 0, 2, 0), true), 15);
    TFrameConfig s = Frame(24, 4, 2, 6);
    EXPECT_EQ(FrameLengthFor(s, true), 31);
    s = Frame(2, 0, 2, 0);
    EXPECT_EQ(FrameLengthFor(s, true), 4);
    EXPECT_EQ(FrameLengthFor(s, false), 8);
    s.BiSS = true;
    EXPECT_EQ(FrameLengthFor(s, true), 31);
    EXPECT_EQ(FrameLengthFor(Frame(29, 0, 2, 0), false), 30);
    EXPECT_EQ(FrameLengthFor(Frame(INT_MAX, INT_MAX, INT_MAX, INT_MAX), true), 31);
    EXPECT_EQ(FrameLengthFor(Frame(-20, 5, INT_MIN, 0), true), 5);
}

TEST(ConfigureInterface, OnlyTheAbsoluteInterfaceIsConfigured)
{
    FakeInterface device;
    TFrameConfig s = Frame(13, 0, 2, 0);
    TConfigTexts texts;
    EXPECT_TRUE(ConfigureInterface(Identity(0, true), s, texts, device.exchange()).Result.ok());
    EXPECT_TRUE(device.commands.isEmpty());

    const TConfigResult plain = ConfigureInterface(Identity(1, false), s, texts, device.exchange());
    EXPECT_TRUE(plain.Result.ok() && plain.FrameConfirmed);
    EXPECT_EQ(device.commands, Commands({"B15\r"}));
    EXPECT_EQ(texts.BitsText, "13");
    EXPECT_EQ(texts.FrequencyText, "100 kHz");
}

TEST(ConfigureInterface, ExtendedInterfaceReportsItsFrequency)
{
    FakeInterface device;
    device.replies = {"0\r", "\r", "f = 280 kHz\r"};
    TFrameConfig s = Frame(13, 0, 2, 0);
    TConfigTexts texts;
    ConfigureInterface(Identity(1, true), s, texts, device.exchange());
    EXPECT_EQ(device.commands, Commands({"B15\r", "M3", "m"}));
    EXPECT_EQ(texts.FrequencyText, "280 kHz");
    device.replies = {"\r", "\r", "abcd\r"};
    ConfigureInterface(Identity(1, true), s, texts, device.exchange());
    EXPECT_EQ(texts.FrequencyText, "");
}

// A command that gets no reply or "ERR" stops the configuration; the texts
// keep what the interface confirmed, and the result names the command.
TEST(ConfigureInterface, FailedCommandsStopAndAreReported)
{
    struct Step {
        QList<TLinkResult> results;
        QByteArray lastReply; // of the last command sent
        Commands sent;
        QString bits, frequency;
        TLinkOutcome outcome;
        bool frameConfirmed;
    };
    const Step steps[] = {
        {{kLinkTimeout}, "", {"B15\r"}, "24", "1 MHz", TLinkOutcome::Timeout, false},
        {{}, "ERR\r", {"B15\r"}, "24", "1 MHz", TLinkOutcome::Refused, false},
        {{kLinkOk, kLinkTimeout}, "", {"B15\r", "M3"}, "13", "1 MHz", TLinkOutcome::Timeout, true},
        {{kLinkOk}, "ERR\r", {"B15\r", "M3"}, "13", "1 MHz", TLinkOutcome::Refused, true},
        {{kLinkOk, kLinkOk, kLinkNoPort}, "", {"B15\r", "M3", "m"}, "13", "", TLinkOutcome::NoPort, true},
    };
    for (const Step& step : steps) {
        FakeInterface device;
        device.results = step.results;
        device.replies = QList<QByteArray>(step.sent.size() - 1, "OK\r") << step.lastReply;
        TConfigTexts texts{"24", "1 MHz"};
        const TConfigResult result
            = ConfigureInterface(Identity(1, true), Frame(13, 0, 2, 0), texts, device.exchange());
        EXPECT_EQ(device.commands, step.sent);
        EXPECT_EQ(texts.BitsText, step.bits);
        EXPECT_EQ(texts.FrequencyText, step.frequency);
        EXPECT_EQ(result.Result.Outcome, step.outcome);
        EXPECT_EQ(result.Command, step.sent.last());
        EXPECT_EQ(result.FrameConfirmed, step.frameConfirmed);
    }
}
