#include "platform/port_permission.h"

#include "platform/virtual_port_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <grp.h>
#include <sys/stat.h>

namespace k740 {

QString PortDevicePath(const QString& portName)
{
    const QString device = "/dev/" + portName;
    if (IsSafePortName(portName) && QFileInfo::exists(device))
        return device;
    return QDir(VirtualPortDirectory()).filePath(portName);
}

DeviceGroup OwningGroup(const QString& path)
{
    struct stat status { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {QStringLiteral("dialout"), true};
    const struct group* owner = ::getgrgid(status.st_gid);
    const bool readWrite = (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    return {owner ? QString::fromLocal8Bit(owner->gr_name) : QStringLiteral("dialout"), readWrite};
}

QString PortPermissionHint(const QString& portName)
{
    const QString device = PortDevicePath(portName);
    const DeviceGroup group = OwningGroup(device);
    const QString problem = QStringLiteral("No permission to open %1 (%2).").arg(portName, device);
    if (group.ReadWrite && group.Name != "root")
        return problem
            + QStringLiteral("\nAdd your user to the group \"%1\" that owns it (sudo usermod -aG %1 $USER), "
                             "then log out and in again.")
                  .arg(group.Name);
    return problem
        + QStringLiteral("\nIts group \"%1\" may not read and write it: give it to the group dialout with mode "
                         "0660 (a udev rule), add your user to dialout (sudo usermod -aG dialout $USER), "
                         "then log out and in again.")
              .arg(group.Name);
}

} // namespace k740
