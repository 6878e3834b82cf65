#include "settings/dialog_read_back.h"

#include "settings/choice_tables.h"

namespace k740 {

namespace {

void ReadBackResolution(TEncoderSettings& s, const TSettingsDialogValues& v)
{
    s.Rotary = v.Rotary;
    if (!v.Rotary) {
        s.Units = v.LinearUnit;
        if (IsTableRow(ResolutionTable, v.ResolutionRow))
            s.CPM = ResolutionTable[size_t(v.ResolutionRow)];
        return;
    }
    switch (v.Resolution) {
    case TResolutionMode::Custom:
        s.CPR = v.CustomCpr;
        s.Custom = v.CustomCpr;
        break;
    case TResolutionMode::Predefined:
        if (IsTableRow(CprTable, v.ResolutionRow))
            s.CPR = CprTable[size_t(v.ResolutionRow)];
        break;
    case TResolutionMode::PositionBits:
        s.CPR = CprForPositionBits(v.PositionBits);
        break;
    }
}

} // namespace

TEncoderSettings ReadBackSettings(
    const TEncoderSettings& active, const TSettingsDialogValues& v, const TSettingsDialogContext& context)
{
    TEncoderSettings s = active;
    s.InvertDir = v.InvertDir;
    s.Degrees = v.Rotary ? v.RotaryUnit : 0;
    s.ShowExtendedData = v.ShowExtendedData;
    s.SSIFreq = v.FrequencyRow + int32_t(TSsiClock::Khz35);
    s.SSIBits = v.PositionBits;
    s.PaddingBits = v.Frame.Padding;
    s.SSIStatusBits = v.Frame.Status;
    s.DetailedStatusBits = v.Frame.DetailedStatus;
    s.CRCBits = v.Frame.Crc;
    s.ShowStatusBits = v.ShowStatusBits;
    s.ShowStatusColor = v.ShowStatusColor;
    s.StatusActiveLow = v.StatusActiveLow;
    s.DCR = v.DistanceCoded && context.countingInterface();
    s.MultiturnBits = v.Frame.Multiturn;
    s.SignedMultiturnCounter = v.SignedMultiturnCounter;
    s.GrayCode = v.GrayCode;
    s.ShowRefMarks = v.ShowRefMarks;
    ReadBackResolution(s, v);
    if (s.DCR && IsTableRow(CppTable, v.CppRow))
        s.CPP = CppTable[size_t(v.CppRow)];
    if (v.MarkSpacing) {
        s.NominalIncrFlag = v.MarkSpacing->NominalIncrFlag;
        s.PeriodLength = v.MarkSpacing->PeriodLength;
        s.NominalIncr = v.MarkSpacing->NominalIncr;
    }
    s.BiSS = v.BiSS;
    DeriveFrame(s, context.InterfaceKind, context.FirmwareVersion);
    return s;
}

TEncoderSettings ReadBackEdits(const TEncoderSettings& active, const TSettingsDialogValues& opened,
    const TSettingsDialogValues& values, const TSettingsDialogContext& context)
{
    const TEncoderSettings unedited = ReadBackSettings(active, opened, context);
    const TEncoderSettings edited = ReadBackSettings(active, values, context);
    TEncoderSettings s = active;
    ForEachSettingsField([&](const char*, auto field) {
        if (edited.*field != unedited.*field)
            s.*field = edited.*field;
    });
    DeriveFrame(s, context.InterfaceKind, context.FirmwareVersion);
    return s;
}

TRunChoices ReadBackRunChoices(
    const TRunChoices& run, const TSettingsDialogValues& v, const TSettingsDialogContext& context)
{
    TRunChoices r = run;
    r.AutoSave = v.AutoSave;
    r.AutoSaveInterval = v.AutoSaveInterval;
    r.AutoCapture = v.AutoCapture;
    if (context.LayoutEditMode && v.LogoRow >= 0)
        r.LogoMode = v.LogoRow;
    return r;
}

} // namespace k740
