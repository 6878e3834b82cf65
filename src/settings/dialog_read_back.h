#pragma once
#include "settings/dialog_context.h"
#include "settings/encoder_settings.h"
#include "settings/frame_budget.h"
#include "settings/resolution_choice.h"

#include <optional>

namespace k740 {

// Spacing of distance-coded reference marks as the dialog's OK check
// accepted it.
struct TMarkSpacing {
    bool NominalIncrFlag = true; // entered as nominal increment, not as basic increment
    int32_t PeriodLength = 2;    // mm
    int32_t NominalIncr = 0;     // periods
};

// The settings dialog's control values when OK is accepted. Rows are list
// rows, -1 when nothing is selected.
struct TSettingsDialogValues {
    bool AutoSave = false;
    int32_t AutoSaveInterval = 1;
    bool AutoCapture = false;
    int LogoRow = -1;
    bool InvertDir = false;
    bool Rotary = false;
    int32_t LinearUnit = 0; // as Units
    int32_t RotaryUnit = 0; // as Degrees
    bool ShowExtendedData = false;
    int FrequencyRow = -1;
    int32_t PositionBits = 0;
    TFrameFields Frame;
    bool ShowStatusBits = false;
    bool ShowStatusColor = false;
    bool StatusActiveLow = false;
    bool DistanceCoded = false;
    bool SignedMultiturnCounter = false;
    bool GrayCode = false;
    bool ShowRefMarks = false;
    int ResolutionRow = 0; // ResolutionTable row when linear, CprTable row when rotary
    TResolutionMode Resolution = TResolutionMode::Predefined;
    int64_t CustomCpr = 0;
    int CppRow = 0;
    std::optional<TMarkSpacing> MarkSpacing; // set when distance-coded
    bool BiSS = false;                       // BiSS offered and chosen
};

// `active` with the dialog's values: units, frequency code (row + 1), frame
// fields, status display, distance coding (only on a counting interface),
// resolution (CPM from the resolution row when linear; CPR from the chosen
// way when rotary, a custom count also becoming Custom), counts per period,
// mark spacing, protocol, and the frame in force derived from the result
// (DeriveFrame). A row outside its table leaves the value it would set
// unchanged.
TEncoderSettings ReadBackSettings(
    const TEncoderSettings& active, const TSettingsDialogValues& values, const TSettingsDialogContext& context);

// The settings an accepted dialog leaves: a field takes what the dialog's
// values give for it (ReadBackSettings) only where that differs from what
// the values it opened with (`opened`) gave; every other field keeps its
// value in `active`, also one the controls cannot show (a count beyond a
// spinner's range, for example). So OK without an edit changes nothing.
TEncoderSettings ReadBackEdits(const TEncoderSettings& active, const TSettingsDialogValues& opened,
    const TSettingsDialogValues& values, const TSettingsDialogContext& context);

// `run` with the dialog's recording choices, and its logo choice in layout
// edit mode when one is selected.
TRunChoices ReadBackRunChoices(
    const TRunChoices& run, const TSettingsDialogValues& values, const TSettingsDialogContext& context);

} // namespace k740
