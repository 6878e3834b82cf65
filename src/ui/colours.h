#pragma once
#include "acquisition/status_display.h"

#include <QColor>
#include <QPalette>

namespace k740 {

// Colours of the main window.
namespace Colours {
inline const QColor Orange{247, 147, 30};      // coloured band and hints
inline const QColor Navy{0, 0, 128};           // absolute read-out, reference read-out, settings summary
inline const QColor Green{0, 128, 0};          // counting read-out
inline const QColor Flash{127, 255, 0};        // reference read-out when a mark arrives
inline const QColor ButtonFace{240, 240, 240}; // buttons, read-outs
inline const QColor StatusWarning{255, 153, 0};
inline const QColor StatusError{255, 0, 0};
} // namespace Colours

// The status field's colour: green, orange or red.
QColor StatusLevelColour(TStatusLevel level);

// The main window's own colours, whatever the desktop's scheme: black text
// on a white window, light grey buttons and read-outs, white edit fields.
QPalette DesignPalette();

} // namespace k740
