#include "settings/encoder_settings.h"

#include "link/interface_identity.h"

TEncoderSettings ActivateSettings(const TEncoderSettings& stored, const InterfaceIdentity& identity)
{
    const bool absoluteInterface = identity.InterfaceKind == 1;
    TEncoderSettings active = stored;
    active.BiSS = stored.BiSS && absoluteInterface && identity.FirmwareVersion > 115;
    active.PeriodLength = stored.DCRPeriode == 1 ? 5 : 2;
    if (!identity.ExtendedInterface) {
        active.ShowExtendedData = false;
        active.BiSS = false;
    }
    // Summed in 64 bits: the counts come from the file unchecked.
    const int64_t frameBits = int64_t(active.MultiturnBits) + active.SSIBits + active.PaddingBits
                              + active.SSIStatusBits + active.DetailedStatusBits;
    active.LongFrame = absoluteInterface && identity.FirmwareVersion >= 116 && !active.BiSS && frameBits > 31;
    return active;
}

TEncoderSettings CommitSettings(const TEncoderSettings& active, const TEncoderSettings& stored)
{
    TEncoderSettings committed = active;
    committed.DCRPeriode = active.PeriodLength == 5 ? 1 : 0;
    committed.Position_Top = stored.Position_Top;
    committed.Position_Left = stored.Position_Left;
    committed.Position_Width = stored.Position_Width;
    committed.Position_Height = stored.Position_Height;
    committed.Logo_Flag = stored.Logo_Flag;
    committed.Panel_Width = stored.Panel_Width;
    committed.Panel_Left = stored.Panel_Left;
    committed.Panel_Top = stored.Panel_Top;
    committed.Panel_Height = stored.Panel_Height;
    return committed;
}
