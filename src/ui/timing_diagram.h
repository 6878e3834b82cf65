#pragma once

namespace k740 {

// The timing diagrams the settings dialog can open, by the selector value the
// timing-diagram window keeps (any value other than Biss shows the SSI one).
enum class TTimingDiagram { None = 0, Ssi = 1, Biss = 2 };

} // namespace k740
