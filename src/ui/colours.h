#pragma once
#include "acquisition/status_display.h"

#include <QColor>
#include <QPalette>

namespace k740 {

// Colours of the main window.
namespace colours {
inline const QColor kOrange{247, 147, 30};      // coloured band and hints
inline const QColor kNavy{0, 0, 128};           // absolute read-out, reference read-out, settings summary
inline const QColor kGreen{0, 128, 0};          // counting read-out
inline const QColor kFlash{127, 255, 0};        // reference read-out when a mark arrives
inline const QColor kButtonFace{240, 240, 240}; // buttons, read-outs
inline const QColor kStatusWarning{255, 153, 0};
inline const QColor kStatusError{255, 0, 0};
} // namespace colours

// The status field's colour: green, orange or red.
QColor StatusLevelColour(TStatusLevel level);

// The main window's own colours, whatever the desktop's scheme: black text
// on a white window, light grey buttons and read-outs, white edit fields.
QPalette DesignPalette();

} // namespace k740
