#pragma once
#include <QString>

namespace k740 {

// The device file behind a port name: /dev/<name> for a USB serial port, else
// the link of that name in the virtual-port folder.
QString PortDevicePath(const QString& portName);

// The group that owns the file at `path` (links followed) and whether that
// group may read and write it; "dialout" and true when it cannot be told.
struct TDeviceGroup {
    QString Name;
    bool ReadWrite = true;
};
TDeviceGroup OwningGroup(const QString& path);

// Whether this user is in a group: in this process (its effective and
// supplementary groups, which the kernel checks), and in the user's account
// (the group database, which the next login takes up).
struct TGroupMembership {
    bool InProcess = false;
    bool InAccount = false;
};
TGroupMembership MembershipOf(const QString& groupName);

// What is known about a port this user may not open: its device, the
// device's group, and the user's membership of that group and of dialout.
struct TPortAccessFacts {
    QString PortName;
    QString Device;
    TDeviceGroup Group;
    TGroupMembership InOwner;
    TGroupMembership InDialout;
};
// The hint for those facts (see PortPermissionHint).
QString PermissionHintText(const TPortAccessFacts& facts);

// What to do when `portName` could not be opened for lack of permission
// (EACCES): the problem, a line break, and only the steps this user still
// needs: join the device's group, or log in again when the account joined
// it after this session began; when the group may not read and write the
// device (or is root), first a udev rule that gives it to dialout.
QString PortPermissionHint(const QString& portName);

// What to say when `portName` could not be opened because another program
// holds it (EBUSY): "Cannot open <port> (<device>): the port is busy:
// another program holds it.", a line break and what to do.
QString PortBusyHint(const QString& portName);

} // namespace k740
