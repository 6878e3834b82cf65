#include "acquisition/status_display.h"
#include "acquisition/frame_decoder.h"
#include "acquisition/locale_scope.h"

#include <gtest/gtest.h>
#include <climits>

namespace {
const QColor green(0, 128, 0);
const QColor orange(255, 153, 0);
const QColor red(255, 0, 0);
} // namespace

TEST(StatusColour, ActiveHighBits)
{
    EXPECT_EQ(StatusColour(0, false, true, true), green);
    EXPECT_EQ(StatusColour(1, false, true, true), orange);
    EXPECT_EQ(StatusColour(2, false, true, true), red);
    EXPECT_EQ(StatusColour(3, false, true, true), red);
    EXPECT_EQ(StatusColour(4, false, true, true), red);
    EXPECT_EQ(StatusColour(0x100, false, true, true), green);   // only the low 8 bits count
}

TEST(StatusColour, ActiveLowBits)
{
    EXPECT_EQ(StatusColour(3, true, true, true), green);
    EXPECT_EQ(StatusColour(2, true, true, true), orange);
    EXPECT_EQ(StatusColour(1, true, true, true), red);
    EXPECT_EQ(StatusColour(0, true, true, true), red);
    EXPECT_EQ(StatusColour(0xFF, true, true, true), green);
}

TEST(StatusColour, BadFramesAreRedWhateverTheBits)
{
    EXPECT_EQ(StatusColour(0, false, false, true), red);
    EXPECT_EQ(StatusColour(0, false, true, false), red);
    EXPECT_EQ(StatusColour(3, true, true, false), red);
}

TEST(BitString, LowBitsMostSignificantFirst)
{
    EXPECT_EQ(BitString(5, 4), "0101");
    EXPECT_EQ(BitString(2, 2), "10");
    EXPECT_EQ(BitString(0xFFFFFFFF, 32), QString(32, '1'));
    EXPECT_EQ(BitString(1, 0), "");
    EXPECT_EQ(BitString(1, -3), "");
    EXPECT_EQ(BitString(1, INT_MIN), "");
    EXPECT_EQ(BitString(1, 40), QString(39, '0') + "1");
    EXPECT_EQ(BitString(1, INT_MAX).size(), 64);
}

TEST(StatusText, StatusThenDetailedStatus)
{
    TDecodedFrame f;
    f.Status = 2;
    f.DetailedStatus = 5;
    EXPECT_EQ(StatusText(f, 2, 0), "Status: 10");
    EXPECT_EQ(StatusText(f, 2, 4), "Status: 10 0101");
    EXPECT_EQ(StatusText(f, 0, 0), "Status: ");
}

TEST(PinsCaption, FirstThreeCharactersOrSlash)
{
    EXPECT_EQ(PinsCaption(0, "101\r"), "Pins: 101");
    EXPECT_EQ(PinsCaption(0, "1\r"), "Pins: 1\r");
    EXPECT_EQ(PinsCaption(-1, "101\r"), "Pins: /");
}

TEST(SerialCaption, CleansTheReplyAndNamesTheSource)
{
    EXPECT_EQ(SerialRequest(true), "r");
    EXPECT_EQ(SerialRequest(false), "s");
    EXPECT_EQ(SerialCaption(0, "ab 12:34\r", true, 120), "SN: AB12-34");
    EXPECT_EQ(SerialCaption(0, "ab 12:34\r", false, 116), "SN: AB12-34");
    EXPECT_EQ(SerialCaption(0, "ab 12:34\r", false, 117), "SN#2: AB12-34");
    EXPECT_EQ(SerialCaption(-1, "ab 12:34\r", false, 117), "SN: /");
}

TEST(SupplyCaption, StateAndReadings)
{
    EXPECT_EQ(SupplyCaption(0, "1:5,02 V:85.3 mA\r"), "5.02 V / 85 mA");
    EXPECT_EQ(SupplyCaption(0, "1 : 4980 mV : 85.3 mA\r"), "4980 mV / 85 mA");
    EXPECT_EQ(SupplyCaption(0, "1:5:12.6\r"), "5.00 / 12.60");
    EXPECT_EQ(SupplyCaption(0, "0:5,02 V:85.3 mA\r"), "Switched Off");
    EXPECT_EQ(SupplyCaption(0, "10:5,02 V:85.3 mA\r"), "Switched Off");
    EXPECT_EQ(SupplyCaption(0, "\r"), "Switched Off");
    EXPECT_EQ(SupplyCaption(-1, "1:5 V:8 mA\r"), "/");
}

TEST(SupplyCaption, UsesTheUsersDecimalSeparator)
{
    LocaleScope german(GermanLocale());
    EXPECT_EQ(SupplyCaption(0, "1:5,02 V:85.3 mA\r"), "5,02 V / 85 mA");
    EXPECT_EQ(SupplyCaption(0, "1:5.1:2\r"), "5,10 / 2,00");
}

TEST(FormatSupplyReading, UnitsDecimalsAndTheFirstReadingComma)
{
    EXPECT_EQ(FormatSupplyReading("5.02 V", true), "5.02 V");
    EXPECT_EQ(FormatSupplyReading("5 V", true), "5.00 V");
    EXPECT_EQ(FormatSupplyReading("5,02 V", false), "5,02 V");   // no comma repair: not a number
    EXPECT_EQ(FormatSupplyReading("85.3 mA", true), "85.30 mA");
    EXPECT_EQ(FormatSupplyReading("4980.4 mV", true), "4980 mV");
    EXPECT_EQ(FormatSupplyReading("85.6 mA", false), "86 mA");
    EXPECT_EQ(FormatSupplyReading("85.6mA", false), "85.6mA");    // the unit must be set apart
    EXPECT_EQ(FormatSupplyReading("n/a", false), "n/a");
    EXPECT_EQ(FormatSupplyReading("", true), "");
    EXPECT_EQ(FormatSupplyReading("-", true), "-");             // ends where the number should start
}
