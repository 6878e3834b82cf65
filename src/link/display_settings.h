#pragma once
#include <QString>
#include <cstdint>

struct TEncoderSettings;

// How counts become displayed numbers, derived when settings are applied.
struct TDisplaySetup {
    double DisplayScale = 1.0;      // display units per count
    int32_t DisplayDecimals = 3;
    QString PosLabelCaption;        // "ANGLE", "POSITION (mm)", ...
    int32_t Units = 0;              // the active Units: 0 for a rotary encoder
};

// A CPR of 0 in degrees gives an infinite scale (the read-out then shows
// INF or NAN) and a CPM of 0 likewise, instead of dividing by zero.
TDisplaySetup DisplaySetupFor(const TEncoderSettings& active);

// Everything besides the settings that the summary in the status bar shows.
struct TSummaryContext {
    uint8_t InterfaceKind = 0;
    QString BitsText;               // bits as last configured
    QString FrequencyText;          // clock frequency as the interface reported it
    bool AutoSave = false;
    int32_t AutoSaveInterval = 0;   // seconds
};

// The whole settings summary panel text, including its
// " (Double click to change)" tail.
QString SettingsSummary(const TEncoderSettings& active, const TSummaryContext& context);

// Fixed-point text with at most 4 decimals and 8 significant digits,
// trailing zeros (and a bare separator) removed: 0.244140625 gives 0.2441.
QString FormatMicrons(double value);

// Smallest n in 1..58 with 2^n >= count; 0 for a count <= 0 or above 2^58.
int32_t BitsForCount(int64_t count);
