#include "platform/port_permission.h"

#include "platform/virtual_port_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace k740 {

namespace {

const char kDialout[] = "dialout";

bool Contains(const std::vector<gid_t>& groups, gid_t group)
{
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

std::vector<gid_t> ProcessGroups()
{
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(size_t(count > 0 ? count : 0));
    if (count > 0 && ::getgroups(count, groups.data()) < 0)
        groups.clear();
    groups.push_back(::getegid());
    return groups;
}

std::vector<gid_t> AccountGroups()
{
    const struct passwd* user = ::getpwuid(::geteuid());
    if (!user)
        return {};
    int count = 0;
    ::getgrouplist(user->pw_name, user->pw_gid, nullptr, &count);
    std::vector<gid_t> groups(size_t(count > 0 ? count : 0));
    if (count <= 0 || ::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0)
        return {user->pw_gid};
    groups.resize(size_t(count));
    return groups;
}

// The step that puts this user into `group`, or none when the process is in it.
QString JoinStep(const QString& group, const TGroupMembership& membership)
{
    if (membership.InProcess)
        return {};
    if (membership.InAccount)
        return QStringLiteral("your user joined the group \"%1\" after this session began: log out and in again")
            .arg(group);
    return QStringLiteral("add your user to the group \"%1\" (sudo usermod -aG %1 $USER), then log out and in again")
        .arg(group);
}

QString Sentence(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text + '.';
}

} // namespace

QString PortDevicePath(const QString& portName)
{
    const QString device = "/dev/" + portName;
    if (IsSafePortName(portName) && QFileInfo::exists(device))
        return device;
    return QDir(VirtualPortDirectory()).filePath(portName);
}

TDeviceGroup OwningGroup(const QString& path)
{
    struct stat status { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {QString::fromLatin1(kDialout), true};
    const struct group* owner = ::getgrgid(status.st_gid);
    const bool readWrite = (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    return {owner ? QString::fromLocal8Bit(owner->gr_name) : QString::fromLatin1(kDialout), readWrite};
}

TGroupMembership MembershipOf(const QString& groupName)
{
    const struct group* entry = ::getgrnam(QFile::encodeName(groupName).constData());
    if (!entry)
        return {};
    return {Contains(ProcessGroups(), entry->gr_gid), Contains(AccountGroups(), entry->gr_gid)};
}

QString PermissionHintText(const TPortAccessFacts& facts)
{
    const QString problem = QStringLiteral("No permission to open %1 (%2).").arg(facts.PortName, facts.Device);
    const QString& group = facts.Group.Name;
    if (facts.Group.ReadWrite && group != QLatin1String("root")) {
        const QString join = JoinStep(group, facts.InOwner);
        if (join.isEmpty())
            return problem
                + QStringLiteral("\nYou are in its group \"%1\", which may read and write it, so something else "
                                 "refuses access (see ls -l and getfacl %2).")
                      .arg(group, facts.Device);
        return problem + '\n' + Sentence(join);
    }
    QStringList steps;
    if (group == QLatin1String(kDialout))
        steps << QStringLiteral("its group \"dialout\" may not read and write it: a udev rule must give it mode 0660 "
                                "(README.md has an example)");
    else
        steps << QStringLiteral("its group \"%1\" may not read and write it: a udev rule must give it to the group "
                                "dialout with mode 0660 (README.md has an example)")
                     .arg(group);
    const QString join = JoinStep(QString::fromLatin1(kDialout), facts.InDialout);
    if (!join.isEmpty())
        steps << join;
    return problem + '\n' + Sentence(steps.join(QStringLiteral("; ")));
}

QString PortPermissionHint(const QString& portName)
{
    TPortAccessFacts facts;
    facts.PortName = portName;
    facts.Device = PortDevicePath(portName);
    facts.Group = OwningGroup(facts.Device);
    facts.InOwner = MembershipOf(facts.Group.Name);
    facts.InDialout = MembershipOf(QString::fromLatin1(kDialout));
    return PermissionHintText(facts);
}

QString PortBusyHint(const QString& portName)
{
    return QStringLiteral("Cannot open %1 (%2): the port is busy: another program holds it.\nClose the program that "
                          "uses it (a terminal program, another copy of k740) or wait until it lets go; the search "
                          "tries again every second.")
        .arg(portName, PortDevicePath(portName));
}

} // namespace k740
