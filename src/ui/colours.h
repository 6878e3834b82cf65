#pragma once
#include <QColor>

namespace k740 {

// Colours of the main window.
namespace Colours {
inline const QColor Orange{247, 147, 30}; // coloured band and hints
inline const QColor Navy{0, 0, 128};      // absolute read-out, reference read-out, settings summary
inline const QColor Green{0, 128, 0};     // counting read-out
inline const QColor Flash{127, 255, 0};   // reference read-out when a mark arrives
} // namespace Colours

} // namespace k740
