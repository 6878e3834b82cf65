#include "platform/port_permission.h"

#include <QTemporaryDir>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace k740;

TEST(PortPermission, HintNamesTheDeviceAndItsGroup)
{
    QTemporaryDir vports;
    qputenv("K740_VPORT_DIR", vports.path().toLocal8Bit());
    const QString link = vports.path() + "/vcom7";
    ASSERT_EQ(::symlink("/dev/null", link.toLocal8Bit().constData()), 0);
    EXPECT_EQ(PortDevicePath("vcom7"), link);
    EXPECT_EQ(PortDevicePath("null"), "/dev/null");

    struct stat devNull { };
    ASSERT_EQ(::stat("/dev/null", &devNull), 0);
    if (const struct group* owner = ::getgrgid(devNull.st_gid))
        EXPECT_EQ(OwningGroup(link), QString::fromLocal8Bit(owner->gr_name)); // through the link
    else
        EXPECT_EQ(OwningGroup(link), "dialout");
    EXPECT_EQ(OwningGroup(vports.path() + "/missing"), "dialout");

    const QString hint = PortPermissionHint("vcom7");
    EXPECT_TRUE(hint.contains(link)) << hint.toStdString();
    EXPECT_TRUE(hint.contains("usermod -aG " + OwningGroup(link) + " $USER"));
    qunsetenv("K740_VPORT_DIR");
}
