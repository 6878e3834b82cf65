#pragma once
#include <QString>
#include <cstdint>

namespace k740 {

// The process, other than this one, that has the device at `devicePath`
// (a symbolic link to it will do) open: the first one found among the
// processes whose open files this user may see in /proc. 0 when none is
// seen.
int64_t PortHolderPid(const QString& devicePath);

} // namespace k740
