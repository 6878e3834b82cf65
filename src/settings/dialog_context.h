#pragma once
#include "link/interface_identity.h"
#include "settings/encoder_settings.h"
#include "settings/frame_budget.h"

#include <cstdint>

namespace k740 {

// What the settings dialog needs to know of the connected interface and of
// the program's run.
struct TSettingsDialogContext {
    TInterfaceKind InterfaceKind = TInterfaceKind::Counting;
    bool ExtendedInterface = false;
    int32_t FirmwareVersion = 0; // major * 100 + minor
    bool LayoutEditMode = false;
    bool RecordingOptionsVisible = true;

    bool countingInterface() const { return InterfaceKind == TInterfaceKind::Counting; }
    bool absoluteInterface() const { return InterfaceKind == TInterfaceKind::Absolute; }
    bool bissCapable() const { return BissCapable(ExtendedInterface, absoluteInterface(), FirmwareVersion); }
};

// The run's options the settings dialog shows and returns; none of them is
// stored with the settings.
struct TRunChoices {
    bool AutoSave = false;
    int32_t AutoSaveInterval = 1; // seconds
    bool AutoCapture = false;
    int32_t LogoMode = 0; // TLogoMode
};

// What an accepted settings dialog gives back.
struct TSettingsDialogResult {
    TEncoderSettings Active; // the active settings as edited
    TRunChoices Run;
    bool SettingsChanged = false; // encoder type, distance coding or direction was changed
};

} // namespace k740
