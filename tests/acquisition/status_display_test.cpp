#include "acquisition/frame_decoder.h"
#include "acquisition/locale_scope.h"
#include "acquisition/status_display.h"

#include <climits>
#include <gtest/gtest.h>

using namespace k740;

TEST(StatusLevel, ErrorAndWarningBits)
{
    const auto good = TStatusLevel::Good, warning = TStatusLevel::Warning, error = TStatusLevel::Error;
    const TFrameChecks fine;
    const TStatusLevel activeHigh[] = {good, warning, error, error, error};
    for (uint32_t s = 0; s < 5; ++s)
        EXPECT_EQ(StatusLevel(s, false, fine), activeHigh[s]) << s;
    const TStatusLevel activeLow[] = {error, error, warning, good};
    for (uint32_t s = 0; s < 4; ++s)
        EXPECT_EQ(StatusLevel(s, true, fine), activeLow[s]) << s;
    EXPECT_EQ(StatusLevel(0x100, false, fine), good); // low 8 bits only
    EXPECT_EQ(StatusLevel(0, false, TFrameChecks{false, true}), error);
    EXPECT_EQ(StatusLevel(3, true, TFrameChecks{true, false}), error);
}

TEST(StatusText, BitStringsOfStatusAndDetailedStatus)
{
    EXPECT_EQ(BitString(5, 4), "0101");
    EXPECT_EQ(BitString(1, 40), QString(39, '0') + "1");
    EXPECT_EQ(BitString(1, INT_MAX).size(), 64);
    EXPECT_EQ(BitString(1, 0) + BitString(1, INT_MIN), "");
    TDecodedFrame f;
    f.Status = 2;
    f.DetailedStatus = 5;
    EXPECT_EQ(StatusText(f, 2, 0), "Status: 10");
    EXPECT_EQ(StatusText(f, 2, 4), "Status: 10 0101");
    EXPECT_EQ(StatusText(f, 0, 0), "Status: ");
}

TEST(ExtendedCaptions, PinsAndSerialNumber)
{
    EXPECT_EQ(PinsCaption(kLinkOk, "101\r"), "Pins: 101");
    EXPECT_EQ(PinsCaption(kLinkTimeout, "101\r"), "Pins: /");
    EXPECT_EQ(SerialRequest(true) + SerialRequest(false), "rs");
    EXPECT_EQ(SerialCaption(kLinkOk, "ab 12:34\r", true, 120), "SN: AB12-34");
    EXPECT_EQ(SerialCaption(kLinkOk, "ab 12:34\r", false, 116), "SN: AB12-34");
    EXPECT_EQ(SerialCaption(kLinkOk, "ab 12:34\r", false, 117), "SN#2: AB12-34");
    EXPECT_EQ(SerialCaption(kLinkTimeout, "ab 12:34\r", false, 117), "SN: /");
}

TEST(ExtendedCaptions, Supply)
{
    EXPECT_EQ(SupplyCaption(kLinkOk, "1:5,02 V:85.3 mA\r"), "5.02 V / 85 mA");
    EXPECT_EQ(SupplyCaption(kLinkOk, "1 : 4980 mV : 85.3 mA\r"), "4980 mV / 85 mA");
    EXPECT_EQ(SupplyCaption(kLinkOk, "1:5:12.6\r"), "5.00 / 12.60");
    EXPECT_EQ(SupplyCaption(kLinkOk, "0:5,02 V:85.3 mA\r"), "Switched Off");
    EXPECT_EQ(SupplyCaption(kLinkOk, "\r"), "Switched Off");
    EXPECT_EQ(SupplyCaption(kLinkTimeout, "1:5 V:8 mA\r"), "/");
    LocaleScope german(GermanLocale());
    EXPECT_EQ(SupplyCaption(kLinkOk, "1:5,02 V:85.3 mA\r"), "5,02 V / 85 mA");
}

TEST(FormatSupplyReading, UnitsDecimalsAndTheFirstReadingComma)
{
    EXPECT_EQ(FormatSupplyReading("5 V", true), "5.00 V");
    EXPECT_EQ(FormatSupplyReading("85.3 mA", true), "85.30 mA");
    EXPECT_EQ(FormatSupplyReading("4980.4 mV", true), "4980 mV");
    EXPECT_EQ(FormatSupplyReading("85.6 mA", false), "86 mA");
    EXPECT_EQ(FormatSupplyReading("5,02 V", false), "5,02 V"); // only the first reading is repaired
    EXPECT_EQ(FormatSupplyReading("85.6mA", false), "85.6mA"); // the unit must stand apart
    EXPECT_EQ(FormatSupplyReading("n/a", false), "n/a");
    EXPECT_EQ(FormatSupplyReading("-", true), "-");
    EXPECT_EQ(FormatSupplyReading("", true), "");
}
