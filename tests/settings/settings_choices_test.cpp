// The settings dialog's lists, resolution choice, frame budget, input checks
// and read-back, without a window.
#include "settings/choice_tables.h"
#include "settings/dialog_input_checks.h"
#include "settings/dialog_read_back.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <limits>

using namespace k740;

TEST(SettingsLists, TextsInListOrder)
{
    EXPECT_EQ(ResolutionTexts().join(' '),
        "0.2441 0.4883 0.9766 1.9531 3.9063 7.8125 15.625 31.25 62.5 125 250 0.001 "
        "0.002 0.0025 0.004 0.005 0.01 0.02 0.04 0.05 0.1 0.2 0.25 0.4 0.5 1 1.25 "
        "2 2.5 4 5 6.25 10 12.5 20 25 50 100 625");
    EXPECT_EQ(CprTexts().join(' '),
        "8192 4096 2048 2000 1600 1024 1000 800 512 500 400 320 256 200 160 128 100 80 64 40 32 16 8");
    EXPECT_EQ(CppTexts().join(' '), "4 20 40 100 200 400 1000 2000");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString first = ResolutionTexts().first();
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(first, "0,2441");
}

TEST(SettingsLists, RowOfAValueElseTheFirst)
{
    EXPECT_EQ(ResolutionRow(1000), 25);
    EXPECT_EQ(ResolutionRow(1.6f), 38);
    EXPECT_EQ(ResolutionRow(999), 0);
    EXPECT_EQ(CppRow(2000), 7);
    EXPECT_EQ(CppRow(3), 0);
}

TEST(RotaryResolution, TableRowElsePowerOfTwoElseCustom)
{
    using M = ResolutionMode;
    const std::tuple<int64_t, M, int, int32_t> cases[] = {
        {8192, M::Predefined, 0, 0},
        {8, M::Predefined, 22, 0},
        {131072, M::PositionBits, 0, 17},
        {2, M::PositionBits, 0, 1},
        {4, M::PositionBits, 0, 2},
        {int64_t(1) << 58, M::PositionBits, 0, 58},
        {int64_t(1) << 59, M::Custom, 0, 0},
        {5000, M::Custom, 0, 0},
        {1, M::Custom, 0, 0},
        {0, M::Custom, 0, 0},
    };
    for (const auto& [cpr, mode, row, bits] : cases) {
        const TRotaryResolution choice = RotaryResolutionFor(cpr);
        EXPECT_EQ(choice.Mode, mode) << cpr;
        EXPECT_EQ(choice.Row, row) << cpr;
        EXPECT_EQ(choice.Bits, bits) << cpr;
    }
}

TEST(RotaryResolution, PositionBitsCountStaysWithin64Bits)
{
    EXPECT_EQ(CprForPositionBits(8), 256);
    EXPECT_EQ(CprForPositionBits(62), int64_t(1) << 62);
    EXPECT_EQ(CprForPositionBits(63), std::numeric_limits<int64_t>::max());
}

TEST(FrameBudget, PositionBitsLeftByTheOtherFields)
{
    constexpr int32_t big = std::numeric_limits<int32_t>::max();
    const std::tuple<bool, TFrameFields, int32_t> cases[] = {
        {false, {16, 10, 2, 8, 6}, 27},
        {true, {16, 10, 2, 8, 6}, 25},
        {false, {}, 63},
        {true, {}, 59},
        {true, {16, 10, 2, 0, 30}, 8},
        {false, {big, big, big, big, big}, 8},
    };
    for (const auto& [biss, fields, limit] : cases)
        EXPECT_EQ(PositionBitsLimit(biss, fields), limit) << biss << " " << limit;
}

TEST(FrameBudget, LongFrameOnlyForSsiBeyond31BitsFromFirmware116)
{
    const TFrameFields fields{4, 2, 2, 0, 6}; // 8 bits besides the position
    EXPECT_TRUE(IsLongFrame(true, 116, false, 24, fields));
    EXPECT_FALSE(IsLongFrame(true, 116, false, 23, fields));
    EXPECT_FALSE(IsLongFrame(true, 115, false, 24, fields));
    EXPECT_FALSE(IsLongFrame(true, 116, true, 24, fields));
    EXPECT_FALSE(IsLongFrame(false, 116, false, 24, fields));
}

TEST(DialogInputChecks, CustomCprIsAPositive64BitCount)
{
    const std::pair<const char*, std::optional<int64_t>> cases[] = {
        {"5000", 5000},
        {"-5000", 5000},
        {" 42 ", 42},
        {"0x10", 16},
        {"-9223372036854775808", INT64_MAX},
        {"0", std::nullopt},
        {"", std::nullopt},
        {"12a", std::nullopt},
        {"9223372036854775808", std::nullopt},
    };
    for (const auto& [text, cpr] : cases)
        EXPECT_EQ(CustomCprFromText(text), cpr) << text;
}

TEST(DialogInputChecks, NominalIncrementIsAnEvenPositive32BitInteger)
{
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"1000", 1000},
        {"2147483646", 2147483646},
        {"999", std::nullopt},
        {"0", std::nullopt},
        {"-1000", std::nullopt},
        {"abc", std::nullopt},
        {"2147483648", std::nullopt},
        {"4294967296", std::nullopt},
    };
    for (const auto& [text, increment] : cases)
        EXPECT_EQ(NominalIncrementFromText(text), increment) << text;
}

TEST(DialogInputChecks, BasicIncrementDividesByTwicePeriodAndGivesPeriods)
{
    const std::tuple<const char*, int32_t, std::optional<int32_t>> cases[] = {
        {"100", 2, 50},
        {"102", 2, std::nullopt},
        {"105", 5, std::nullopt},
        {"110", 5, 22},
        {"2147483640", 5, 429496728},
        {"0", 2, std::nullopt},
        {"-100", 2, std::nullopt},
        {"4294967300", 2, std::nullopt},
        {"x", 2, std::nullopt},
    };
    for (const auto& [text, period, increment] : cases)
        EXPECT_EQ(NominalIncrementFromBasic(text, period), increment) << text << " / " << period;
}

namespace {
TSettingsDialogContext absoluteContext()
{
    TSettingsDialogContext context;
    context.InterfaceKind = TInterfaceKind::Absolute;
    context.ExtendedInterface = true;
    context.FirmwareVersion = 116;
    return context;
}
} // namespace

TEST(DialogReadBack, LinearTakesUnitsAndResolutionRowAndDerivesLongFrame)
{
    TEncoderSettings active;
    active.CPR = 4096;
    active.Degrees = 2;
    active.CPP = 20;
    TSettingsDialogValues v;
    v.LinearUnit = 3;
    v.RotaryUnit = 1;
    v.ResolutionRow = 25;
    v.FrequencyRow = -1;
    v.PositionBits = 24;
    v.Frame = {0, 6, 2, 0, 6};
    v.DistanceCoded = true;
    v.CppRow = 7;
    const TEncoderSettings s = ReadBackSettings(active, v, absoluteContext());
    EXPECT_FALSE(s.Rotary);
    EXPECT_EQ(s.Units, 3);
    EXPECT_EQ(s.Degrees, 0);
    EXPECT_EQ(s.CPM, 1000);
    EXPECT_EQ(s.CPR, 4096);
    EXPECT_EQ(s.SSIFreq, 0);
    EXPECT_FALSE(s.DCR); // not on an absolute interface
    EXPECT_EQ(s.CPP, 20);
    EXPECT_TRUE(s.LongFrame);
}

TEST(DialogReadBack, RotaryCprFromTheChosenWay)
{
    TEncoderSettings active;
    active.Custom = 32000;
    TSettingsDialogValues v;
    v.Rotary = true;
    v.RotaryUnit = 2;
    v.PositionBits = 17;
    v.CustomCpr = 5000;
    const std::tuple<ResolutionMode, int, int64_t, int64_t> cases[] = {
        {ResolutionMode::Predefined, 3, 2000, 32000},
        {ResolutionMode::PositionBits, 3, 131072, 32000},
        {ResolutionMode::Custom, 3, 5000, 5000},
    };
    for (const auto& [mode, row, cpr, custom] : cases) {
        v.Resolution = mode;
        v.ResolutionRow = row;
        const TEncoderSettings s = ReadBackSettings(active, v, TSettingsDialogContext());
        EXPECT_TRUE(s.Rotary);
        EXPECT_EQ(s.Degrees, 2);
        EXPECT_EQ(s.CPR, cpr);
        EXPECT_EQ(s.Custom, custom);
    }
}

TEST(DialogReadBack, DistanceCodingOnACountingInterface)
{
    TSettingsDialogValues v;
    v.DistanceCoded = true;
    v.CppRow = 7;
    v.MarkSpacing = TMarkSpacing{false, 5, 22};
    v.BiSS = true;
    const TEncoderSettings s = ReadBackSettings(TEncoderSettings(), v, TSettingsDialogContext());
    EXPECT_TRUE(s.DCR);
    EXPECT_EQ(s.CPP, 2000);
    EXPECT_FALSE(s.NominalIncrFlag);
    EXPECT_EQ(s.PeriodLength, 5);
    EXPECT_EQ(s.NominalIncr, 22);
    EXPECT_TRUE(s.BiSS);
    EXPECT_FALSE(s.LongFrame);
}

TEST(DialogReadBack, RunChoicesTakeTheLogoOnlyInLayoutEditMode)
{
    TSettingsDialogValues v;
    v.AutoSave = true;
    v.AutoSaveInterval = 30;
    v.AutoCapture = true;
    v.LogoRow = 2;
    TRunChoices run;
    run.LogoMode = 3;
    TSettingsDialogContext context;
    const TRunChoices plain = ReadBackRunChoices(run, v, context);
    EXPECT_TRUE(plain.AutoSave);
    EXPECT_EQ(plain.AutoSaveInterval, 30);
    EXPECT_TRUE(plain.AutoCapture);
    EXPECT_EQ(plain.LogoMode, 3);
    context.LayoutEditMode = true;
    EXPECT_EQ(ReadBackRunChoices(run, v, context).LogoMode, 2);
    v.LogoRow = -1;
    EXPECT_EQ(ReadBackRunChoices(run, v, context).LogoMode, 3);
}
