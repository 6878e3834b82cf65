#include "settings/dialog_limits.h"

#include "settings/choice_tables.h"
#include "settings/display_units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace k740 {

namespace {

constexpr float kDefaultCpm = 1000;

struct TIntegerKey {
    const char* Key;
    int32_t TEncoderSettings::*Field;
    TSpinLimits Limits;
};

const TIntegerKey kIntegerKeys[] = {
    {"Degrees", &TEncoderSettings::Degrees,
        {int32_t(TRotaryUnit::Counts), int32_t(TRotaryUnit::DegreesMinutesSeconds)}},
    {"Units", &TEncoderSettings::Units, {int32_t(TLinearUnit::Millimetres), int32_t(TLinearUnit::Mils)}},
    {"SSIFreq", &TEncoderSettings::SSIFreq, {int32_t(TSsiClock::Khz35), int32_t(TSsiClock::Khz4400)}},
    {"NominalIncr", &TEncoderSettings::NominalIncr, {2, std::numeric_limits<int32_t>::max() - 1, 2}},
    {"MultiturnBits", &TEncoderSettings::MultiturnBits, kMultiturnBitsLimits},
    {"PaddingBits", &TEncoderSettings::PaddingBits, kPaddingBitsLimits},
    {"SSIStatusBits", &TEncoderSettings::SSIStatusBits, kGeneralStatusBitsLimits},
    {"DetailedStatusBits", &TEncoderSettings::DetailedStatusBits, kDetailedStatusBitsLimits},
    {"CRCBits", &TEncoderSettings::CRCBits, kCrcBitsLimits},
};

// Within the limits, and on a step of the increment (rounded up).
int32_t InLimits(int32_t value, const TSpinLimits& limits)
{
    const int64_t clamped = std::clamp(value, limits.Minimum, limits.Maximum);
    const int64_t steps = (clamped - limits.Minimum + limits.Increment - 1) / limits.Increment;
    return int32_t(std::min<int64_t>(limits.Minimum + steps * limits.Increment, limits.Maximum));
}

// A count per period in no row of the list is kept (the dialog shows it in a
// row of its own); only one below 1 takes the nearest row.
int32_t CppInLimits(int32_t cpp)
{
    if (cpp >= 1)
        return cpp;
    return *std::min_element(CppTable.begin(), CppTable.end(),
        [cpp](int32_t a, int32_t b) { return std::abs(int64_t(a) - cpp) < std::abs(int64_t(b) - cpp); });
}

float CpmInLimits(float cpm)
{
    const auto [lowest, highest] = std::minmax_element(ResolutionTable.begin(), ResolutionTable.end());
    return std::isnan(cpm) ? kDefaultCpm : std::clamp(cpm, *lowest, *highest);
}

template <class Value> void Bring(QStringList& notes, const char* key, Value& field, Value allowed)
{
    if (field == allowed)
        return;
    notes.append(QStringLiteral("%1=%2 is out of range: %3 is used").arg(key).arg(field).arg(allowed));
    field = allowed;
}

} // namespace

QStringList BringIntoDialogLimits(TEncoderSettings& s)
{
    QStringList notes;
    Bring<int64_t>(notes, "CPR", s.CPR, std::max<int64_t>(s.CPR, 1));
    Bring<float>(notes, "CPM", s.CPM, CpmInLimits(s.CPM));
    Bring<int64_t>(notes, "Custom", s.Custom, std::max<int64_t>(s.Custom, 1));
    Bring<int32_t>(notes, "CPP", s.CPP, CppInLimits(s.CPP));
    for (const TIntegerKey& key : kIntegerKeys)
        Bring<int32_t>(notes, key.Key, s.*key.Field, InLimits(s.*key.Field, key.Limits));
    // After the other fields of the frame, which set its budget.
    Bring<int32_t>(notes, "SSIBits", s.SSIBits,
        InLimits(s.SSIBits, {kMinPositionBits, PositionBitsLimit(s.BiSS, FrameFieldsOf(s))}));
    return notes;
}

} // namespace k740
