#pragma once
#include <QString>

namespace k740 {

// The device file behind a port name: /dev/<name> for a USB serial port, else
// the link of that name in the virtual-port folder.
QString PortDevicePath(const QString& portName);

// The group that owns the file at `path` (links followed) and whether that
// group may read and write it; "dialout" and true when it cannot be told.
struct DeviceGroup {
    QString Name;
    bool ReadWrite = true;
};
DeviceGroup OwningGroup(const QString& path);

// What to do when `portName` could not be opened for lack of permission
// (EACCES): the problem, a line break, and the fix, which names the group
// to join (or, when the device's group has no access or is root, the
// udev rule that gives it to dialout).
QString PortPermissionHint(const QString& portName);

} // namespace k740
