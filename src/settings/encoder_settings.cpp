#include "settings/encoder_settings.h"

#include "settings/dialog_limits.h"

#include "link/interface_identity.h"

namespace k740 {

TEncoderSettings ActivateSettings(
    const TEncoderSettings& stored, const InterfaceIdentity& identity, QStringList* outOfRange)
{
    const bool absoluteInterface = identity.InterfaceKind == TInterfaceKind::Absolute;
    TEncoderSettings active = stored;
    active.BiSS = stored.BiSS && BissCapable(identity.ExtendedInterface, absoluteInterface, identity.FirmwareVersion);
    active.PeriodLength = stored.DCRPeriode == 1 ? 5 : 2;
    if (!identity.ExtendedInterface)
        active.ShowExtendedData = false;
    const QStringList notes = BringIntoDialogLimits(active);
    if (outOfRange)
        *outOfRange += notes;
    DeriveFrame(active, identity.InterfaceKind, identity.FirmwareVersion);
    return active;
}

bool KeepsFittedFont(const TEncoderSettings& active)
{
    return active.Rotary && RotaryUnitOf(active.Degrees) != TRotaryUnit::DegreesMinutesSeconds;
}

TFrameFields FrameFieldsOf(const TEncoderSettings& s)
{
    return {s.MultiturnBits, s.PaddingBits, s.SSIStatusBits, s.DetailedStatusBits, s.CRCBits};
}

TEncoderSettings CommitSettings(const TEncoderSettings& active, const TEncoderSettings& stored)
{
    TEncoderSettings committed = active;
    committed.DCRPeriode = active.PeriodLength == 5 ? 1 : 0;
    committed.Layout = stored.Layout;
    return committed;
}

int32_t BitsForCount(int64_t count)
{
    if (count <= 0)
        return 0;
    for (int32_t n = 1; n <= 58; ++n)
        if ((int64_t(1) << n) >= count)
            return n;
    return 0;
}

void DeriveFrame(TEncoderSettings& active, TInterfaceKind kind, int32_t firmwareVersion)
{
    const bool absoluteInterface = kind == TInterfaceKind::Absolute;
    if (!active.Rotary)
        active.MultiturnBits = 0;
    if (absoluteInterface) {
        active.DCR = false;
        if (active.Rotary)
            active.SSIBits = BitsForCount(active.CPR);
    }
    active.LongFrame
        = IsLongFrame(absoluteInterface, firmwareVersion, active.BiSS, active.SSIBits, FrameFieldsOf(active));
}

TFrameConfig FrameConfigOf(const TEncoderSettings& active)
{
    TFrameConfig frame;
    frame.SSIBits = active.SSIBits;
    frame.PaddingBits = active.PaddingBits;
    frame.SSIStatusBits = active.SSIStatusBits;
    frame.DetailedStatusBits = active.DetailedStatusBits;
    frame.SSIFreq = active.SSIFreq;
    frame.BiSS = active.BiSS;
    return frame;
}

} // namespace k740
