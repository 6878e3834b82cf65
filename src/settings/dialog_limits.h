#pragma once
#include "settings/encoder_settings.h"

#include <QStringList>
#include <cstdint>

namespace k740 {

// What a spinner of the settings dialog can be set to.
struct TSpinLimits {
    int32_t Minimum = 0;
    int32_t Maximum = 0;
    int32_t Increment = 1;
};

// The settings dialog's spinners; the position bits' maximum follows the
// frame budget (PositionBitsLimit).
constexpr TSpinLimits kMultiturnBitsLimits{0, 16};
constexpr TSpinLimits kPaddingBitsLimits{0, 10};
constexpr TSpinLimits kGeneralStatusBitsLimits{0, kGeneralStatusBitCount, kGeneralStatusBitCount};
constexpr TSpinLimits kDetailedStatusBitsLimits{0, 8};
constexpr TSpinLimits kCrcBitsLimits{0, 6};
constexpr TSpinLimits kSaveIntervalLimits{1, 120};

// Brings every setting the dialog edits into what the dialog can make of
// it: spinners into their limits, the position bits into the frame budget,
// lists and radio buttons to one of their values (the nearest one) unless
// the dialog keeps a value in no row (a resolution in the table's range, a
// count per period above 0), counts above 0 and the nominal increment to a positive even number. One text per
// key that was out of range: "SSIBits=64 is out of range: 63 is used".
QStringList BringIntoDialogLimits(TEncoderSettings& settings);

} // namespace k740
