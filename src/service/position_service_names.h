#pragma once
#include "acquisition/cycle_row_columns.h"

#include <QString>

namespace k740::position_service {

// The names other programs reach the program's position service by, on the
// D-Bus session bus.
inline constexpr char kName[] = "org.k740.Desktop";
inline constexpr char kPath[] = "/org/k740/Desktop";
inline constexpr char kInterface[] = "org.k740.Desktop";
// The errors Position, Value and PositionText answer while the position is
// not current: polling does not run, or plain homing holds the read-out.
inline constexpr char kNotPollingError[] = "org.k740.Desktop.Error.NotPolling";
inline constexpr char kHomingError[] = "org.k740.Desktop.Error.Homing";
// The method that hands out a stream of cycles, and the columns of its
// rows (one packet per row, a line feed at its end).
inline constexpr char kOpenStream[] = "OpenStream";
inline constexpr const char* kStreamColumns = kCycleRowColumns;
// The error Zero() answers when the command could not be sent to the interface.
inline constexpr char kZeroFailedError[] = "org.k740.Desktop.Error.ZeroFailed";

// The name every copy owns, whether or not it owns kName: the prefix and
// the process id.
inline constexpr char kProcessNamePrefix[] = "org.k740.Desktop.Pid";
inline QString NameOfProcess(qint64 pid)
{
    return kProcessNamePrefix + QString::number(pid);
}

} // namespace k740::position_service
