#include "platform/port_permission.h"

#include <QFile>
#include <QTemporaryDir>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace k740;

TEST(PortPermission, HintNamesTheDeviceAndTheGroupToJoin)
{
    QTemporaryDir vports;
    qputenv("K740_VPORT_DIR", vports.path().toLocal8Bit());
    const QString device = vports.path() + "/device";
    const QString link = vports.path() + "/vcom7";
    QFile file(device);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(::symlink(device.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
    EXPECT_EQ(PortDevicePath("vcom7"), link);
    EXPECT_EQ(PortDevicePath("null"), "/dev/null");

    // Root's files belong to the group root; give this one to an ordinary group.
    if (::geteuid() == 0) {
        const struct group* plain = ::getgrnam("dialout");
        ASSERT_NE(plain, nullptr);
        ASSERT_EQ(::chown(device.toLocal8Bit().constData(), uid_t(-1), plain->gr_gid), 0);
    }
    struct stat status { };
    ASSERT_EQ(::stat(device.toLocal8Bit().constData(), &status), 0);
    const struct group* owner = ::getgrgid(status.st_gid);
    ASSERT_NE(owner, nullptr);
    const QString groupName = QString::fromLocal8Bit(owner->gr_name);
    EXPECT_EQ(OwningGroup(vports.path() + "/missing").Name, "dialout");

    // Group read and write: join the group (unless it is root).
    ASSERT_EQ(::chmod(device.toLocal8Bit().constData(), 0660), 0);
    EXPECT_EQ(OwningGroup(link).Name, groupName); // through the link
    EXPECT_TRUE(OwningGroup(link).ReadWrite);
    const QString hint = PortPermissionHint("vcom7");
    EXPECT_TRUE(hint.startsWith("No permission to open vcom7 (" + link + ").\n")) << hint.toStdString();
    EXPECT_TRUE(hint.contains("usermod -aG " + groupName + " $USER"));
    EXPECT_FALSE(hint.contains("udev rule"));

    // No group access: the device must first be given to dialout.
    ASSERT_EQ(::chmod(device.toLocal8Bit().constData(), 0600), 0);
    EXPECT_FALSE(OwningGroup(link).ReadWrite);
    EXPECT_TRUE(PortPermissionHint("vcom7").contains("udev rule"));
    EXPECT_TRUE(PortPermissionHint("vcom7").contains("usermod -aG dialout $USER"));
    qunsetenv("K740_VPORT_DIR");
}
