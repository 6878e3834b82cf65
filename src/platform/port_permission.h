#pragma once
#include <QString>

namespace k740 {

// The device file behind a port name: /dev/<name> for a USB serial port, else
// the link of that name in the virtual-port folder.
QString PortDevicePath(const QString& portName);

// The group that owns the file at `path` (links followed), "dialout" when it
// cannot be told.
QString OwningGroup(const QString& path);

// What to do when `portName` could not be opened for lack of permission
// (EACCES): one line naming the device and the group to join.
QString PortPermissionHint(const QString& portName);

} // namespace k740
