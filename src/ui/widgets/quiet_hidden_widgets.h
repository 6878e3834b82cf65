#pragma once

namespace k740 {

// Keeps what changes in widgets that are not shown from assistive
// technology: their names, descriptions, values and texts raise no
// accessibility events (a hidden label written every cycle would otherwise
// flood a screen reader). A widget that is shown again announces its name,
// so that nothing is left stale. Showing, hiding and states still raise
// theirs. Once per program is enough.
void QuietHiddenWidgets();

} // namespace k740
