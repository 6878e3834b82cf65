// The settings dialog's lists, resolution choice, frame budget, input checks
// and read-back, without a window.
#include "settings/choice_tables.h"
#include "settings/dialog_input_checks.h"
#include "settings/dialog_read_back.h"

#include <QLocale>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

using namespace k740;

// The dialog opens on stored values: a linear encoder with CPM 1000 shows
// "1", CPM 50 "20", one with a CPM in no row its own text (2.5: "400"); a
// rotary one with CPR 8192 shows 8192; the texts take the user's decimal
// separator.
TEST(SettingsLists, StoredValuesOpenOnTheirTexts)
{
    const QStringList resolutions = ResolutionTexts();
    EXPECT_EQ(resolutions.value(ResolutionRow(1000)), "1");
    EXPECT_EQ(resolutions.value(ResolutionRow(50)), "20");
    EXPECT_EQ(resolutions.value(ResolutionRow(1.6f)), "625");
    EXPECT_EQ(ResolutionText(2.5f), "400");
    EXPECT_EQ(CprTexts().value(RotaryResolutionFor(8192, 63).Row), "8192");
    EXPECT_EQ(CppTexts().value(CppRow(20)), "20");
    EXPECT_EQ(resolutions.size(), 39);
    EXPECT_EQ(CprTexts().size(), 23);
    EXPECT_EQ(CppTexts().size(), 8);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString first = ResolutionTexts().first();
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(first, "0,2441");
}

// Each row is the first to hold its value, so opening with that value
// selects it, and shows it: counts as they are, a resolution as the microns
// of one count to at most 4 decimals, trailing zeros dropped.
TEST(SettingsLists, EachRowIsFoundByItsValueAndShowsIt)
{
    const QStringList resolutions = ResolutionTexts();
    for (int row = 0; row < int(ResolutionTable.size()); ++row) {
        const float cpm = ResolutionTable[row];
        const QString text = resolutions.value(row);
        EXPECT_EQ(ResolutionRow(cpm), row) << cpm;
        EXPECT_NEAR(text.toDouble(), 1000.0 / cpm, 0.00005 + 1e-9) << qPrintable(text);
        const int point = text.indexOf('.');
        EXPECT_LE(point < 0 ? 0 : text.size() - point - 1, 4) << qPrintable(text);
        EXPECT_FALSE(point >= 0 && (text.endsWith('0') || text.endsWith('.'))) << qPrintable(text);
    }
    for (int row = 0; row < int(CprTable.size()); ++row) {
        const TRotaryResolution choice = RotaryResolutionFor(CprTable[row], 63);
        EXPECT_EQ(choice.Mode, TResolutionMode::Predefined) << CprTable[row];
        EXPECT_EQ(choice.Row, row) << CprTable[row];
        EXPECT_EQ(CprTexts().value(row).toLongLong(), CprTable[row]);
    }
    for (int row = 0; row < int(CppTable.size()); ++row) {
        EXPECT_EQ(CppRow(CppTable[row]), row) << CppTable[row];
        EXPECT_EQ(CppTexts().value(row).toInt(), CppTable[row]);
    }
}

TEST(SettingsLists, RowOfAValueElseNone)
{
    EXPECT_EQ(ResolutionRow(1000), 25);
    EXPECT_EQ(ResolutionRow(1.6f), 38);
    EXPECT_EQ(ResolutionRow(999), -1);
    EXPECT_EQ(CppRow(2000), 7);
    EXPECT_EQ(CppRow(3), -1);
}

// Position bits only for an exponent the spinner can show (8 up to the
// frame's limit, here 30), else the count is custom.
TEST(RotaryResolution, TableRowElsePowerOfTwoInTheSpinnersRangeElseCustom)
{
    using M = TResolutionMode;
    const std::tuple<int64_t, M, int, int32_t> cases[] = {
        {8192, M::Predefined, 0, 0},
        {8, M::Predefined, 22, 0},
        {131072, M::PositionBits, 0, 17},
        {int64_t(1) << 30, M::PositionBits, 0, 30},
        {int64_t(1) << 31, M::Custom, 0, 0},
        {2, M::Custom, 0, 0},
        {4, M::Custom, 0, 0},
        {int64_t(1) << 59, M::Custom, 0, 0},
        {5000, M::Custom, 0, 0},
        {1, M::Custom, 0, 0},
        {0, M::Custom, 0, 0},
    };
    for (const auto& [cpr, mode, row, bits] : cases) {
        const TRotaryResolution choice = RotaryResolutionFor(cpr, 30);
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
    const std::tuple<TResolutionMode, int, int64_t, int64_t> cases[] = {
        {TResolutionMode::Predefined, 3, 2000, 32000},
        {TResolutionMode::PositionBits, 3, 131072, 32000},
        {TResolutionMode::Custom, 3, 5000, 5000},
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

// A value the controls cannot show stays unless the user edits what stands
// for it: a frequency code in no row, a CPM in a row of its own, a CPR the
// spinner cannot give, shown as a custom count (which leaves Custom alone).
TEST(DialogReadBack, OkKeepsWhatTheUserDidNotEdit)
{
    TEncoderSettings active;
    active.SSIFreq = 9;
    active.CPM = 2.5f;
    active.CPR = 4;
    active.Custom = 32000;
    TSettingsDialogValues opened;
    opened.FrequencyRow = -1;
    opened.ResolutionRow = int(ResolutionTable.size()); // the row of its own
    opened.Resolution = TResolutionMode::Custom;
    opened.CustomCpr = 4;
    using Edit = std::function<void(TSettingsDialogValues&)>;
    // rotary, the edit, then SSIFreq, CPM, CPR and Custom after OK
    const std::tuple<bool, Edit, int32_t, float, int64_t, int64_t> cases[] = {
        {false, [](TSettingsDialogValues&) {}, 9, 2.5f, 4, 32000},
        {false, [](TSettingsDialogValues& v) { v.FrequencyRow = 2; }, 3, 2.5f, 4, 32000},
        {false, [](TSettingsDialogValues& v) { v.ResolutionRow = 25; }, 9, 1000, 4, 32000},
        {true, [](TSettingsDialogValues&) {}, 9, 2.5f, 4, 32000},
        {true, [](TSettingsDialogValues& v) { v.CustomCpr = 5000; }, 9, 2.5f, 5000, 5000},
    };
    for (const auto& [rotary, edit, freq, cpm, cpr, custom] : cases) {
        active.Rotary = opened.Rotary = rotary;
        TSettingsDialogValues values = opened;
        edit(values);
        const TEncoderSettings s = ReadBackEdits(active, opened, values, absoluteContext());
        EXPECT_EQ(s.SSIFreq, freq) << rotary;
        EXPECT_EQ(s.CPM, cpm) << rotary;
        EXPECT_EQ(s.CPR, cpr) << rotary;
        EXPECT_EQ(s.Custom, custom) << rotary;
    }
}
