#include "acquisition/locale_scope.h"
#include "acquisition/position_format.h"
#include "settings/encoder_settings.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace k740;

namespace {

TPositionFormat Format(bool rotary, int64_t cpr, int32_t degrees, double scale, int32_t decimals,
    int32_t multiturnBits = 0, bool signedTurns = false)
{
    return TPositionFormat{rotary, cpr, RotaryUnitOf(degrees), scale, decimals, multiturnBits, signedTurns};
}

TPositionFormat Counts(int64_t cpr)
{
    return Format(true, cpr, 0, 1, 0);
}
TPositionFormat Linear(double scale, int32_t decimals)
{
    return Format(false, 0, 0, scale, decimals);
}
const TPositionFormat degrees8192 = Format(true, 8192, 1, 360.0 / 8192, 3);
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
    const TPositionFormat f = MakePositionFormat(s, 0.25, 2);
    EXPECT_TRUE(f.Rotary && f.SignedMultiturnCounter);
    EXPECT_EQ(f.CPR + int32_t(f.Degrees) + f.MultiturnBits + f.DisplayDecimals, 4096 + 1 + 12 + 2);
    EXPECT_EQ(f.DisplayScale, 0.25);
}

TEST(FormatPosition, RotaryWrapsLinearKeepsSign)
{
    EXPECT_EQ(FormatPosition(Counts(8192), -1), "8191");
    EXPECT_EQ(FormatPosition(Counts(8192), -8192), "0");
    EXPECT_EQ(FormatPosition(Counts(8192), 8192), "0");
    EXPECT_EQ(FormatPosition(Counts(8192), 16383), "8191");
    EXPECT_EQ(FormatPosition(Linear(0.001, 3), -1234), "-1.234");
    EXPECT_EQ(FormatPosition(Linear(0.001, 3), 0), "0.000");
    EXPECT_EQ(FormatPosition(Linear(0.0005, 3), -1), "-0.001"); // halves away from zero
    EXPECT_TRUE(FormatPosition(Linear(1, 0), INT64_MAX).contains('E'));
    EXPECT_EQ(FormatPosition(degrees8192, -1), "359.956°");
    EXPECT_EQ(FormatPosition(Format(true, 360, 1, 1, 0), 45), "45°");
    EXPECT_EQ(FormatPosition(Format(true, 8192, 2, 1, 0), 1000), "43° 56' 43.1\"");
    // Stored units outside 0..2: 2 or more is degrees-minutes-seconds, a
    // negative one shows the count as it is.
    EXPECT_EQ(FormatPosition(Format(true, 8192, 7, 1, 0), 1000), "43° 56' 43.1\"");
    EXPECT_EQ(FormatPosition(Format(true, 8192, -1, 1, 0), 1000), "1000");
    LocaleScope german(GermanLocale());
    EXPECT_EQ(FormatPosition(Linear(0.001, 3), -1234), "-1,234");
}

TEST(WrapCount, IsAFloorModuloWithoutOverflow)
{
    EXPECT_EQ(WrapCount(Counts(3), INT64_MIN), 1);
    EXPECT_EQ(WrapCount(Counts(7), INT64_MAX), 0);
    EXPECT_EQ(WrapCount(Counts(INT64_MAX), -1), INT64_MAX - 1);
    EXPECT_EQ(WrapCount(Counts(1), INT64_MIN), 0);
    EXPECT_EQ(WrapCount(Counts(-1), INT64_MIN), 0);
    EXPECT_EQ(WrapCount(Counts(0), -5), -5); // no revolution to wrap into
    EXPECT_EQ(WrapCount(Linear(1, 0), -8193), -8193);
}

TEST(FormatPosition, ImpossibleScalesAndDecimalsStillGiveText)
{
    EXPECT_EQ(FormatPosition(Format(true, 0, 1, inf, 1), 5), "INF°");
    EXPECT_EQ(FormatPosition(Format(true, 0, 1, inf, 1), 0), "NAN°");
    EXPECT_EQ(FormatPosition(Linear(0, 3), 12345), "0.000");
    EXPECT_EQ(FormatPosition(Linear(std::nan(""), 3), 1), "NAN");
    EXPECT_EQ(FormatPosition(Linear(1, -7), 12), "12");
    EXPECT_EQ(FormatPosition(Linear(1, INT_MAX), 1).size(), 20);
}

TEST(FormatDms, DegreesMinutesSeconds)
{
    EXPECT_EQ(FormatDms(8192, 1000), "43° 56' 43.1\"");
    EXPECT_EQ(FormatDms(4, 3), "270° 00' 00.0\"");
    // One count per hundredth of a second: pad chosen before rounding, no carry.
    EXPECT_EQ(FormatDms(129600000, 996), "0° 00' 010.0\"");
    EXPECT_EQ(FormatDms(129600000, 5996), "0° 00' 60.0\"");
    EXPECT_EQ(FormatDms(0, 5), "0° 00' NAN\"");
    FormatDms(1, INT64_MAX);
    FormatDms(INT64_MIN, INT64_MAX);
    LocaleScope german(GermanLocale());
    EXPECT_EQ(FormatDms(8192, 1000), "43° 56' 43,1\"");
}

TEST(TextPieces, ZeroPadAndDegreeSuffix)
{
    EXPECT_EQ(ZeroPad(5, 2), "05");
    EXPECT_EQ(ZeroPad(5, 4), "0005");
    EXPECT_EQ(ZeroPad(-5, 3), "0-5");
    EXPECT_EQ(ZeroPad(123, 2), "123");
    EXPECT_EQ(ZeroPad(5, 5), "5");
    EXPECT_EQ(ZeroPad(5, 0), "5");
    EXPECT_EQ(DegreeSuffix(TRotaryUnit::Degrees), "°");
    EXPECT_EQ(DegreeSuffix(TRotaryUnit::Counts) + DegreeSuffix(TRotaryUnit::DegreesMinutesSeconds), "");
}

TEST(TurnsPrefix, SignedRuleWithHalf)
{
    const auto prefixed = [](int32_t bits, bool isSigned, int32_t turns) {
        return WithTurnsPrefix(Format(true, 8192, 0, 1, 0, bits, isSigned), turns, "5");
    };
    EXPECT_EQ(prefixed(12, false, 4000), "4000 : 5");
    EXPECT_EQ(prefixed(12, true, 2048), "2048 : 5");
    EXPECT_EQ(prefixed(12, true, 2049), "-2047 : 5");
    EXPECT_EQ(prefixed(1, true, 0), "0 : 5");
    EXPECT_EQ(prefixed(1, true, 1), "1 : 5");
    EXPECT_EQ(prefixed(31, true, INT32_MAX), "-1 : 5");
    EXPECT_EQ(prefixed(32, true, INT32_MAX), "2147483647 : 5");
    EXPECT_EQ(prefixed(INT32_MAX, true, -3), "-3 : 5");
    EXPECT_EQ(prefixed(0, false, 7), "5");
    EXPECT_EQ(WithTurnsPrefix(Format(false, 0, 0, 1, 0, 12), 7, "5"), "5");
}

TEST(PositionValueAndLog, WrappedAndScaledWithoutSignOrTurns)
{
    EXPECT_FLOAT_EQ(PositionValue(degrees8192, -1), 359.95605f);
    EXPECT_FLOAT_EQ(PositionValue(Format(true, 8192, 2, 1, 0), 8193), 1.0f);
    EXPECT_EQ(PositionValue(Counts(8192), 100), 0.0f);
    EXPECT_EQ(PositionValue(Linear(0.001, 3), 100), 0.0f);
    EXPECT_TRUE(std::isinf(PositionValue(Format(true, 0, 1, inf, 1), 3)));
    EXPECT_EQ(LogValueText(Format(true, 8192, 1, 360.0 / 8192, 3, 12), -1), "359.956");
    EXPECT_EQ(LogValueText(Format(true, 8192, 2, 1, 0), 1000), "1000");
    LocaleScope german(GermanLocale());
    EXPECT_EQ(LogValueText(Linear(0.001, 3), -1234), "-1,234");
}
