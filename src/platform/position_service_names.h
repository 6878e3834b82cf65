#pragma once
#include <QString>

namespace k740::position_service {

// The names other programs reach the program's position service by, on the
// D-Bus session bus.
inline constexpr char kName[] = "org.k740.Desktop";
inline constexpr char kPath[] = "/org/k740/Desktop";
inline constexpr char kInterface[] = "org.k740.Desktop";
// The error Position and PositionText answer while the position is not current.
inline constexpr char kNotPollingError[] = "org.k740.Desktop.Error.NotPolling";
// The error Zero() answers when the command could not be sent to the interface.
inline constexpr char kZeroFailedError[] = "org.k740.Desktop.Error.ZeroFailed";
// The errors of Subscribe() from a subscriber and of Unsubscribe() from a
// caller that is none.
inline constexpr char kAlreadySubscribedError[] = "org.k740.Desktop.Error.AlreadySubscribed";
inline constexpr char kNotSubscribedError[] = "org.k740.Desktop.Error.NotSubscribed";
// The signal sent once per acquisition cycle while someone subscribed.
inline constexpr char kCycleSignal[] = "Cycle";

// The name every copy owns, whether or not it owns kName: the prefix and
// the process id.
inline constexpr char kProcessNamePrefix[] = "org.k740.Desktop.Pid";
inline QString NameOfProcess(qint64 pid)
{
    return kProcessNamePrefix + QString::number(pid);
}

} // namespace k740::position_service
