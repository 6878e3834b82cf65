#pragma once
#include "link/interface_identity.h"

#include <QString>
#include <cstdint>

namespace k740 {

struct TEncoderSettings;

// How counts become displayed numbers, derived when settings are applied.
struct TDisplaySetup {
    double DisplayScale = 1.0; // display units per count
    int32_t DisplayDecimals = 3;
    QString PosLabelCaption; // "ANGLE", "POSITION (mm)", ...
    int32_t Units = 0;       // the active Units: 0 for a rotary encoder
};

// A CPR of 0 in degrees gives an infinite scale (the read-out then shows
// INF or NAN) and a CPM of 0 likewise, instead of dividing by zero.
TDisplaySetup DisplaySetupFor(const TEncoderSettings& active);

// Everything besides the settings that the summary in the status bar shows.
struct TSummaryContext {
    TInterfaceKind InterfaceKind = TInterfaceKind::Counting;
    QString BitsText;      // bits as last configured
    QString FrequencyText; // clock frequency as the interface reported it
    bool AutoSave = false;
    int32_t AutoSaveInterval = 0; // seconds
};

// The whole settings summary panel text, including its
// " (Double click to change)" tail.
QString SettingsSummary(const TEncoderSettings& active, const TSummaryContext& context);

} // namespace k740
