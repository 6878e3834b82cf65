#pragma once
#include <QString>

namespace k740 {

// Folder where simulators publish virtual ports as symbolic links to terminal
// devices: $K740_VPORT_DIR, else $XDG_RUNTIME_DIR/k740-vports, else
// /tmp/k740-vports-<uid>.
QString VirtualPortDirectory();

// Whether a folder may hold virtual ports. Anyone who can put a link into it
// decides which terminal the program probes, configures and logs, so only a
// real folder (not a symbolic link) that the user owns and that neither group
// nor others may write is Private.
enum class TPortFolderState { Private, Missing, SymbolicLink, NotAFolder, OtherOwner, OpenToOthers };
TPortFolderState CheckPortFolder(const QString& path);
// The state in words, to follow "the folder", e.g. "is a symbolic link".
QString PortFolderProblem(TPortFolderState state);

// True for names that may go into file and section names: letters, digits,
// ".", "_" and "-" only, not empty, not "." or "..".
bool IsSafePortName(const QString& name);

} // namespace k740
