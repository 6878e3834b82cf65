#include "acquisition/display_setup.h"
#include "acquisition/locale_scope.h"
#include "settings/encoder_settings.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace k740;

namespace {

TEncoderSettings Rotary(int64_t cpr, int32_t degrees = 1)
{
    TEncoderSettings s;
    s.Rotary = true;
    s.CPR = cpr;
    s.Degrees = degrees;
    s.Units = 3;
    return s;
}

TEncoderSettings Linear(float cpm, int32_t units)
{
    TEncoderSettings s;
    s.CPM = cpm;
    s.Units = units;
    return s;
}

void ExpectScale(const TEncoderSettings& s, double scale, int32_t decimals)
{
    const TDisplaySetup d = DisplaySetupFor(s);
    EXPECT_DOUBLE_EQ(d.DisplayScale, scale) << s.CPR << " " << s.CPM << " " << s.Units;
    EXPECT_EQ(d.DisplayDecimals, decimals) << s.CPR << " " << s.CPM << " " << s.Units;
}

QString Summary(const TEncoderSettings& s, uint8_t kind)
{
    return SettingsSummary(s, TSummaryContext{TInterfaceKind(kind), "13", "100 kHz"});
}

} // namespace

TEST(DisplaySetup, RotaryDegreesDecimalsFollowTheStep)
{
    ExpectScale(Rotary(360), 1, 0);
    ExpectScale(Rotary(100), 3.6, 1);
    ExpectScale(Rotary(720), 0.5, 1);
    ExpectScale(Rotary(1440), 0.25, 2);
    ExpectScale(Rotary(1800), 0.2, 1);
    ExpectScale(Rotary(3600), 0.1, 1);
    ExpectScale(Rotary(36000), 0.01, 2);
    ExpectScale(Rotary(8192), 0.0439453125, 3);
    for (int32_t degrees : {0, 2}) {
        ExpectScale(Rotary(8192, degrees), 1, 0);
        EXPECT_EQ(DisplaySetupFor(Rotary(8192, degrees)).PosLabelCaption, "ANGLE");
        EXPECT_EQ(DisplaySetupFor(Rotary(8192, degrees)).Units, 0);
    }
    EXPECT_TRUE(std::isinf(DisplaySetupFor(Rotary(0)).DisplayScale));
    const TDisplaySetup negative = DisplaySetupFor(Rotary(INT64_MIN)); // no overflow on a hand-edited CPR
    EXPECT_LT(negative.DisplayScale, 0);
    EXPECT_EQ(negative.DisplayDecimals, 0);
}

TEST(DisplaySetup, LinearScaleAndDecimalsByUnitAndResolution)
{
    ExpectScale(Linear(1000, 0), 0.001, 3);
    ExpectScale(Linear(10000, 0), 0.0001, 4);
    ExpectScale(Linear(10, 0), 0.1, 1);
    ExpectScale(Linear(1000, 1), 1, 0);
    ExpectScale(Linear(400000, 1), 0.0025, 4);
    ExpectScale(Linear(1000, 2), 1.0 / 25400, 5);
    ExpectScale(Linear(1000, 3), 1000.0 / 25400, 2);
    ExpectScale(Linear(1000, 7), 0.001, 3);
    ExpectScale(Linear(20, 1), 50, 0);                       // 2 - 3 stays at 0
    ExpectScale(Linear(999.6f, 0), 1.0 / double(999.6f), 3); // nearest whole resolution
    ExpectScale(Linear(10.5f, 0), 1.0 / 10.5, 1);            // ties to even: 10
    ExpectScale(Linear(11.5f, 0), 1.0 / 11.5, 3);            // 12 is in no list
    EXPECT_TRUE(std::isinf(DisplaySetupFor(Linear(0, 0)).DisplayScale));
    EXPECT_EQ(DisplaySetupFor(Linear(3.0e38f, 0)).DisplayDecimals, 3);
    const char* captions[] = {"POSITION (mm)", "POSITION (µm)", "POSITION (inch)", "POSITION (mil)"};
    for (int32_t units = 0; units < 4; ++units)
        EXPECT_EQ(DisplaySetupFor(Linear(1000, units)).PosLabelCaption, QString::fromUtf8(captions[units]));
    EXPECT_EQ(DisplaySetupFor(Linear(1000, -1)).PosLabelCaption, "POSITION (mm)");
}

TEST(SettingsSummary, CountingInterface)
{
    TEncoderSettings s = Linear(50, 0);
    EXPECT_EQ(Summary(s, 0), "Linear / 20 µm (Double click to change)");
    s.DCR = true;
    EXPECT_EQ(Summary(s, 0), "Linear with Distance Coded Ref Marks  / 20 µm (Double click to change)");
    s = Rotary(8192);
    EXPECT_EQ(Summary(s, 0), "Rotary / 8192 CPR (Double click to change)");
    s.DCR = true;
    EXPECT_EQ(Summary(s, 0), "Rotary with Distance Coded Ref Marks  / 8192 CPR (Double click to change)");
}

TEST(SettingsSummary, AbsoluteInterface)
{
    TEncoderSettings s = Rotary(8192);
    s.GrayCode = true;
    EXPECT_EQ(Summary(s, 1), "SSI /  8192 CPR  /  100 kHz /  13 Gray code bits (Double click to change)");
    s.MultiturnBits = 12;
    EXPECT_EQ(Summary(s, 1),
        "SSI /  8192 CPR  /  100 kHz /  13 Gray code Position + 12 Multiturn bits (Double click to change)");
    s.BiSS = true;
    EXPECT_EQ(
        Summary(s, 1), "BiSS /  8192 CPR  /  100 kHz /  13 Position + 12 Multiturn bits (Double click to change)");
    s.MultiturnBits = 0;
    EXPECT_EQ(Summary(s, 1), "BiSS /  8192 CPR  /  100 kHz /  13 bits (Double click to change)");
    s = Linear(1000, 0);
    s.GrayCode = true;
    s.MultiturnBits = 12;
    EXPECT_EQ(Summary(s, 1), "SSI Linear /  1 µm  /  100 kHz /  13 Gray code bits (Double click to change)");
    s.BiSS = true;
    EXPECT_EQ(Summary(s, 1), "BiSS Linear /  1 µm  /  100 kHz /  13 Gray code bits (Double click to change)");
}

TEST(SettingsSummary, InverseDirectionAndAutoSaveTails)
{
    TEncoderSettings s = Linear(50, 0);
    s.InvertDir = true;
    const TSummaryContext autoSave{TInterfaceKind::Counting, "", "", true, 5};
    EXPECT_EQ(SettingsSummary(s, autoSave),
        "Linear / 20 µm / Inverse Direction / AutoSave every 5 sec (Double click to change)");
    s.CPM = 0;
    EXPECT_EQ(SettingsSummary(s, autoSave),
        "Linear / INF µm / Inverse Direction / AutoSave every 5 sec (Double click to change)");
}
