#include "platform/port_permission.h"

#include <QFile>
#include <QTemporaryDir>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace k740;

TEST(PortPermission, DeviceAndGroupComeFromTheFileBehindThePort)
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

    struct stat status { };
    ASSERT_EQ(::stat(device.toLocal8Bit().constData(), &status), 0);
    const struct group* owner = ::getgrgid(status.st_gid);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(OwningGroup(vports.path() + "/missing").Name, "dialout");
    ASSERT_EQ(::chmod(device.toLocal8Bit().constData(), 0660), 0);
    EXPECT_EQ(OwningGroup(link).Name, QString::fromLocal8Bit(owner->gr_name)); // through the link
    EXPECT_TRUE(OwningGroup(link).ReadWrite);
    ASSERT_EQ(::chmod(device.toLocal8Bit().constData(), 0600), 0);
    EXPECT_FALSE(OwningGroup(link).ReadWrite);
    EXPECT_TRUE(PortPermissionHint("vcom7").startsWith("No permission to open vcom7 (" + link + ").\n"));
    qunsetenv("K740_VPORT_DIR");
}

TEST(PortPermission, MembershipIsReadFromTheProcessAndTheAccount)
{
    const struct group* own = ::getgrgid(::getegid());
    ASSERT_NE(own, nullptr);
    const TGroupMembership mine = MembershipOf(QString::fromLocal8Bit(own->gr_name));
    EXPECT_TRUE(mine.InProcess);
    const TGroupMembership none = MembershipOf("k740-no-such-group");
    EXPECT_FALSE(none.InProcess);
    EXPECT_FALSE(none.InAccount);
}

TEST(PortPermission, HintNamesOnlyTheStepsThisUserStillNeeds)
{
    const TGroupMembership out{false, false};
    const TGroupMembership joinedLater{false, true};
    const TGroupMembership in{true, true};
    struct Case {
        TDeviceGroup group;
        TGroupMembership inOwner;
        TGroupMembership inDialout;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    };
    const std::vector<Case> cases = {
        // The group may read and write: join it, or only log in again.
        {{"dialout", true}, out, out, {"Add your user to the group \"dialout\" (sudo usermod -aG dialout $USER)"},
            {"udev", "after this session"}},
        {{"uucp", true}, out, out, {"usermod -aG uucp $USER"}, {"usermod -aG dialout", "udev"}},
        {{"dialout", true}, joinedLater, joinedLater, {"joined the group \"dialout\" after this session began"},
            {"usermod", "udev"}},
        {{"dialout", true}, in, in, {"You are in its group \"dialout\"", "getfacl /dev/ttyACM0"},
            {"usermod", "udev", "log out"}},
        // Root's group or no group access: the device needs a udev rule first.
        {{"root", false}, in, in, {"a udev rule must give it to the group dialout with mode 0660"},
            {"usermod", "log out"}},
        {{"root", true}, in, out, {"give it to the group dialout", "usermod -aG dialout $USER"}, {"usermod -aG root"}},
        {{"dialout", false}, joinedLater, joinedLater, {"a udev rule must give it mode 0660", "log out and in again"},
            {"usermod", "to the group dialout"}},
    };
    for (const Case& c : cases) {
        const QString hint = PermissionHintText({"ttyACM0", "/dev/ttyACM0", c.group, c.inOwner, c.inDialout});
        SCOPED_TRACE(hint.toStdString());
        EXPECT_TRUE(hint.startsWith("No permission to open ttyACM0 (/dev/ttyACM0).\n"));
        EXPECT_TRUE(hint.endsWith('.'));
        for (const char* text : c.present)
            EXPECT_TRUE(hint.contains(text)) << text;
        for (const char* text : c.absent)
            EXPECT_FALSE(hint.contains(text)) << text;
    }
}
