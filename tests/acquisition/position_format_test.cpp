#include "acquisition/position_format.h"
#include "acquisition/locale_scope.h"
#include "settings/encoder_settings.h"

#include <gtest/gtest.h>
#include <climits>
#include <cmath>
#include <limits>

namespace {

PositionFormat Rotary(int64_t cpr, int32_t degrees, double scale, int32_t decimals)
{
    PositionFormat f;
    f.Rotary = true;
    f.CPR = cpr;
    f.Degrees = degrees;
    f.DisplayScale = scale;
    f.DisplayDecimals = decimals;
    return f;
}

PositionFormat Linear(double scale, int32_t decimals)
{
    PositionFormat f;
    f.DisplayScale = scale;
    f.DisplayDecimals = decimals;
    return f;
}

PositionFormat Turns(int32_t bits, bool isSigned)
{
    PositionFormat f = Rotary(8192, 0, 1, 0);
    f.MultiturnBits = bits;
    f.SignedMultiturnCounter = isSigned;
    return f;
}

const double inf = std::numeric_limits<double>::infinity();

} // namespace

TEST(MakePositionFormat, TakesTheSettingsAndTheDerivedScale)
{
    TEncoderSettings s;
    s.Rotary = true;
    s.CPR = 4096;
    s.Degrees = 1;
    s.MultiturnBits = 12;
    s.SignedMultiturnCounter = true;
    const PositionFormat f = MakePositionFormat(s, 0.25, 2);
    EXPECT_TRUE(f.Rotary);
    EXPECT_EQ(f.CPR, 4096);
    EXPECT_EQ(f.Degrees, 1);
    EXPECT_EQ(f.DisplayScale, 0.25);
    EXPECT_EQ(f.DisplayDecimals, 2);
    EXPECT_EQ(f.MultiturnBits, 12);
    EXPECT_TRUE(f.SignedMultiturnCounter);
}

TEST(FormatPosition, RotaryCountsWrapIntoOneRevolution)
{
    const PositionFormat f = Rotary(8192, 0, 1, 0);
    EXPECT_EQ(FormatPosition(f, -1), "8191");
    EXPECT_EQ(FormatPosition(f, -8192), "0");
    EXPECT_EQ(FormatPosition(f, 8192), "0");
    EXPECT_EQ(FormatPosition(f, 16383), "8191");
    EXPECT_EQ(FormatPosition(f, 100), "100");
}

TEST(WrapCount, IsAFloorModuloEvenAtTheLimits)
{
    EXPECT_EQ(WrapCount(Rotary(8192, 0, 1, 0), INT64_MIN), 0);
    EXPECT_EQ(WrapCount(Rotary(3, 0, 1, 0), INT64_MIN), 1);
    EXPECT_EQ(WrapCount(Rotary(7, 0, 1, 0), INT64_MAX), 0);
    EXPECT_EQ(WrapCount(Rotary(INT64_MAX, 0, 1, 0), -1), INT64_MAX - 1);
    EXPECT_EQ(WrapCount(Rotary(-1, 0, 1, 0), INT64_MIN), 0);
    EXPECT_EQ(WrapCount(Rotary(1, 0, 1, 0), INT64_MIN), 0);
    EXPECT_EQ(WrapCount(Rotary(2, 0, 1, 0), INT64_MIN + 1), 1);
    EXPECT_EQ(WrapCount(Rotary(0, 0, 1, 0), -5), -5);    // no revolution to wrap into
    EXPECT_EQ(WrapCount(Linear(1, 0), -8193), -8193);
}

TEST(FormatPosition, LinearKeepsSignAndDecimals)
{
    const PositionFormat f = Linear(0.001, 3);
    EXPECT_EQ(FormatPosition(f, 1234), "1.234");
    EXPECT_EQ(FormatPosition(f, -1234), "-1.234");
    EXPECT_EQ(FormatPosition(f, 0), "0.000");
    EXPECT_EQ(FormatPosition(Linear(0.0005, 3), 1), "0.001");   // halves away from zero
    EXPECT_EQ(FormatPosition(Linear(0.0005, 3), -1), "-0.001");
    EXPECT_EQ(FormatPosition(Linear(1, 0), 1234567890123456789).contains('E'), true);
}

TEST(FormatPosition, DegreesCarryTheDegreeSign)
{
    EXPECT_EQ(FormatPosition(Rotary(8192, 1, 360.0 / 8192, 3), 1000), "43.945°");
    EXPECT_EQ(FormatPosition(Rotary(8192, 1, 360.0 / 8192, 3), -1), "359.956°");
    EXPECT_EQ(FormatPosition(Rotary(360, 1, 1, 0), 45), "45°");
    EXPECT_EQ(FormatPosition(Rotary(8192, 2, 1, 0), 1000), "43° 56' 43.1\"");
}

TEST(FormatPosition, UsesTheUsersDecimalSeparator)
{
    LocaleScope german(GermanLocale());
    EXPECT_EQ(FormatPosition(Linear(0.001, 3), -1234), "-1,234");
    EXPECT_EQ(FormatPosition(Rotary(8192, 2, 1, 0), 1000), "43° 56' 43,1\"");
}

TEST(FormatPosition, ImpossibleScalesAndDecimalsShowInsteadOfFailing)
{
    EXPECT_EQ(FormatPosition(Rotary(0, 1, inf, 1), 5), "INF°");
    EXPECT_EQ(FormatPosition(Rotary(0, 1, inf, 1), 0), "NAN°");
    EXPECT_EQ(FormatPosition(Linear(0, 3), 12345), "0.000");
    EXPECT_EQ(FormatPosition(Linear(std::nan(""), 3), 1), "NAN");
    EXPECT_EQ(FormatPosition(Linear(1, -7), 12), "12");
    EXPECT_EQ(FormatPosition(Linear(1, INT_MAX), 1).size(), 20);   // decimals capped at 18
}

TEST(FormatDms, WritesDegreesMinutesAndSeconds)
{
    EXPECT_EQ(FormatDms(8192, 1000), "43° 56' 43.1\"");
    EXPECT_EQ(FormatDms(8192, 0), "0° 00' 00.0\"");
    EXPECT_EQ(FormatDms(4, 3), "270° 00' 00.0\"");
}

TEST(FormatDms, SecondsPadBeforeRoundingAndDoNotCarry)
{
    // One count is a hundredth of a second of arc.
    EXPECT_EQ(FormatDms(129600000, 996), "0° 00' 010.0\"");
    EXPECT_EQ(FormatDms(129600000, 5996), "0° 00' 60.0\"");
}

TEST(FormatDms, DegenerateRevolutionsStayDefined)
{
    EXPECT_EQ(FormatDms(0, 5), "0° 00' NAN\"");
    FormatDms(1, INT64_MAX);
    FormatDms(-1, INT64_MIN);
    FormatDms(INT64_MIN, INT64_MAX);
}

TEST(ZeroPad, PadsWidthsOneToFour)
{
    EXPECT_EQ(ZeroPad(5, 2), "05");
    EXPECT_EQ(ZeroPad(5, 4), "0005");
    EXPECT_EQ(ZeroPad(-5, 3), "0-5");
    EXPECT_EQ(ZeroPad(123, 2), "123");
    EXPECT_EQ(ZeroPad(5, 5), "5");
    EXPECT_EQ(ZeroPad(5, 0), "5");
    EXPECT_EQ(ZeroPad(5, -2), "5");
}

TEST(DegreeSuffix, OnlyForDegrees)
{
    EXPECT_EQ(DegreeSuffix(1), "°");
    EXPECT_EQ(DegreeSuffix(0), "");
    EXPECT_EQ(DegreeSuffix(2), "");
}

TEST(TurnsPrefix, UnsignedAndSignedCounters)
{
    EXPECT_EQ(WithTurnsPrefix(Turns(12, false), 4000, "5"), "4000 : 5");
    EXPECT_EQ(WithTurnsPrefix(Turns(12, true), 2048, "5"), "2048 : 5");
    EXPECT_EQ(WithTurnsPrefix(Turns(12, true), 2049, "5"), "-2047 : 5");
    EXPECT_EQ(WithTurnsPrefix(Turns(12, true), 4095, "5"), "-1 : 5");
    EXPECT_EQ(WithTurnsPrefix(Turns(1, true), 0, "5"), "0 : 5");
    EXPECT_EQ(WithTurnsPrefix(Turns(1, true), 1, "5"), "1 : 5");
    EXPECT_EQ(WithTurnsPrefix(Turns(32, true), INT32_MAX, "5"), "2147483647 : 5");
    EXPECT_EQ(WithTurnsPrefix(Turns(31, true), INT32_MAX, "5"), "-1 : 5");
    EXPECT_EQ(WithTurnsPrefix(Turns(INT32_MAX, true), -3, "5"), "-3 : 5");
}

TEST(TurnsPrefix, OnlyForRotaryWithMultiturnBits)
{
    EXPECT_EQ(WithTurnsPrefix(Turns(0, false), 7, "5"), "5");
    EXPECT_EQ(WithTurnsPrefix(Turns(-4, true), 7, "5"), "5");
    PositionFormat linear = Linear(1, 0);
    linear.MultiturnBits = 12;
    EXPECT_EQ(WithTurnsPrefix(linear, 7, "5"), "5");
}

TEST(PositionValue, DegreesAndDmsOnly)
{
    EXPECT_FLOAT_EQ(PositionValue(Rotary(8192, 1, 360.0 / 8192, 3), -1), 359.95605f);
    EXPECT_FLOAT_EQ(PositionValue(Rotary(8192, 2, 1, 0), 8193), 1.0f);
    EXPECT_EQ(PositionValue(Rotary(8192, 0, 1, 0), 100), 0.0f);
    EXPECT_EQ(PositionValue(Linear(0.001, 3), 100), 0.0f);
    EXPECT_TRUE(std::isinf(PositionValue(Rotary(0, 1, inf, 1), 3)));
}

TEST(LogValueText, WrappedScaledWithoutSignOrTurns)
{
    PositionFormat f = Rotary(8192, 1, 360.0 / 8192, 3);
    f.MultiturnBits = 12;
    EXPECT_EQ(LogValueText(f, -1), "359.956");
    EXPECT_EQ(LogValueText(Linear(0.001, 3), -1234), "-1.234");
    EXPECT_EQ(LogValueText(Rotary(8192, 2, 1, 0), 1000), "1000");
    LocaleScope german(GermanLocale());
    EXPECT_EQ(LogValueText(Linear(0.001, 3), -1234), "-1,234");
}
