#pragma once
#include <QString>

namespace k740 {

// Folder where simulators publish virtual ports as symbolic links to terminal
// devices: $K740_VPORT_DIR, else $XDG_RUNTIME_DIR/k740-vports, else
// /tmp/k740-vports-<uid>.
QString VirtualPortDirectory();

// True for names that may go into file and section names: letters, digits,
// ".", "_" and "-" only, not empty, not "." or "..".
bool IsSafePortName(const QString& name);

} // namespace k740
