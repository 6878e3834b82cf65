// The interface's command set as the host sees it on the serial line.
#include "sim_test_support.h"

#include <gtest/gtest.h>

using namespace k740sim;

TEST(Identity, BuiltFromModelKindAndFirmware)
{
    TDeviceConfig config;
    config.KindLetter = 'S';
    TDeviceModel device(config);
    const QByteArray id = Ask(device, "v");
    EXPECT_EQ(id, "K740-9S V1.17\r");
    EXPECT_EQ(id.mid(9, 1), "1") << "major digit at position 10";
    EXPECT_EQ(id.mid(11, 2), "17") << "minor digits at positions 12 and 13";

    config.Model = "T740";
    config.KindLetter = 'Q';
    config.Firmware = "1.05";
    TDeviceModel other(config);
    EXPECT_EQ(Ask(other, "v"), "T740-9Q V1.05\r");

    config.Identity = "K740-9B V2.00 custom";
    TDeviceModel raw(config);
    EXPECT_EQ(Ask(raw, "v"), "K740-9B V2.00 custom\r");
}

TEST(InfoReplies, SerialNumbersPinsAndSupply)
{
    TDeviceConfig config;
    config.Serial = "ab 12:34";
    config.Serial2 = "K0042";
    config.Pins = "101";
    config.SupplyReadings = "4980 mV:120 mA";
    TDeviceModel device(config);
    EXPECT_EQ(Ask(device, "s"), "ab 12:34\r");
    EXPECT_EQ(Ask(device, "r"), "K0042\r");
    EXPECT_EQ(Ask(device, "p"), "101\r");
    EXPECT_EQ(Ask(device, "e"), "1:4980 mV:120 mA\r");
    EXPECT_FALSE(Ask(device, "f").isEmpty());
    EXPECT_FALSE(device.supplyOn());
    EXPECT_TRUE(Ask(device, "e").startsWith("0:"));
    EXPECT_TRUE(Ask(device, "e").endsWith('\r'));
    EXPECT_FALSE(Ask(device, "n").isEmpty());
    EXPECT_EQ(Ask(device, "e"), "1:4980 mV:120 mA\r");
}

TEST(Configuration, FrameLengthCommandNeedsDigitsAndCarriageReturn)
{
    TDeviceModel device(TDeviceConfig{});
    EXPECT_TRUE(Ask(device, "B2").isEmpty()) << "incomplete until \\r";
    EXPECT_EQ(Ask(device, "4\r"), "OK\r");
    EXPECT_EQ(device.frameLength(), 24);
    EXPECT_EQ(Ask(device, "b"), "24\r");
    EXPECT_EQ(Ask(device, "B0\r"), "ERR\r");
    EXPECT_EQ(device.frameLength(), 24);
    EXPECT_EQ(Ask(device, "B1v"), "K740-9Q V1.17\r") << "a broken B is dropped";
    EXPECT_EQ(device.frameLength(), 24);
}

TEST(Configuration, ClockCodeAndFrequencyText)
{
    TDeviceModel device(TDeviceConfig{});
    const QByteArray before = Ask(device, "m");
    EXPECT_EQ(before, "FRQ=100 kHz\r");
    EXPECT_EQ(Ask(device, "M4"), "OK\r");
    const QByteArray reply = Ask(device, "m");
    EXPECT_EQ(reply.mid(4, reply.size() - 5), "280 kHz") << "host drops 4 chars and the last";
    EXPECT_EQ(Ask(device, "M1"), "OK\r");
    EXPECT_EQ(Ask(device, "m"), "FRQ=35 kHz\r");
    EXPECT_EQ(Ask(device, "M9"), "ERR\r");
    EXPECT_EQ(Ask(device, "m"), "FRQ=35 kHz\r");
}

TEST(Commands, NoReplyCommandsAndUnknownBytesStaySilent)
{
    TDeviceModel device(TDeviceConfig{});
    for (const char* command : {"c", "z", "x", "\r", "Q"})
        EXPECT_TRUE(Ask(device, command).isEmpty()) << command;
    EXPECT_TRUE(Ask(device, "4").isEmpty()) << "no capture on the counting interface";
}

TEST(Commands, EveryCommandIsRecordedRaw)
{
    TDeviceModel device(TDeviceConfig{});
    device.receive("vB15\rM");
    device.receive("3?cz");
    const QList<QByteArray> expected = {"v", "B15\r", "M3", "?", "c", "z"};
    EXPECT_EQ(device.commands(), expected);
    device.clearCommands();
    EXPECT_TRUE(device.commands().isEmpty());
}

TEST(Commands, SeveralCommandsInOneWriteAnswerInOrder)
{
    TDeviceConfig config;
    config.Position = 42;
    TDeviceModel device(config);
    EXPECT_EQ(Ask(device, "?p?"), "42:0:0\r010\r42:0:0\r");
}

TEST(Motion, CountFollowsSpeedOnTheInjectedClock)
{
    ManualClock clock;
    TDeviceConfig config;
    config.Speed = -2500;
    config.Position = 1000;
    TDeviceModel device(config, clock.function());
    clock.advanceMs(100);
    EXPECT_EQ(Ask(device, "?"), "750:0:0\r");
    device.setSpeed(0);
    clock.advanceMs(1000);
    EXPECT_EQ(device.truePosition(), 750);
    device.setPosition(-5);
    EXPECT_EQ(Ask(device, "?"), "-5:0:0\r");
}

TEST(Motion, CountWrapsAt32Bits)
{
    TDeviceConfig config;
    config.Position = (int64_t(1) << 31) + 5;
    TDeviceModel device(config);
    EXPECT_EQ(Ask(device, "?"), "-2147483643:0:0\r");
}
