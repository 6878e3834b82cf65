#include "platform/port_permission.h"

#include "platform/virtual_port_dir.h"

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
    return VirtualPortDirectory() + '/' + portName;
}

QString OwningGroup(const QString& path)
{
    struct stat status { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("dialout");
    const struct group* owner = ::getgrgid(status.st_gid);
    return owner ? QString::fromLocal8Bit(owner->gr_name) : QStringLiteral("dialout");
}

QString PortPermissionHint(const QString& portName)
{
    const QString device = PortDevicePath(portName);
    const QString group = OwningGroup(device);
    return QStringLiteral("No permission to open %1 (%2): add your user to the group \"%3\" that owns it "
                          "(sudo usermod -aG %3 $USER), then log out and in again.")
        .arg(portName, device, group);
}

} // namespace k740
