#include "platform/port_holder.h"

#include <QFile>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace k740 {

namespace {

using TDir = std::unique_ptr<DIR, int (*)(DIR*)>;

TDir OpenDir(const std::string& path)
{
    return TDir(::opendir(path.c_str()), &::closedir);
}

// The process id a /proc entry names, or 0 for the other entries.
int64_t ProcessId(const char* name)
{
    char* end = nullptr;
    const long long pid = std::strtoll(name, &end, 10);
    return end != name && *end == '\0' && pid > 0 ? pid : 0;
}

bool HasOpen(int64_t pid, dev_t device)
{
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    const TDir dir = OpenDir(fds);
    if (!dir)
        return false; // gone, or not ours to look at
    while (const dirent* entry = ::readdir(dir.get())) {
        struct stat target { };
        if (entry->d_name[0] != '.' && ::stat((fds + '/' + entry->d_name).c_str(), &target) == 0
            && S_ISCHR(target.st_mode) && target.st_rdev == device)
            return true;
    }
    return false;
}

} // namespace

int64_t PortHolderPid(const QString& devicePath)
{
    struct stat wanted { };
    if (::stat(QFile::encodeName(devicePath).constData(), &wanted) != 0 || !S_ISCHR(wanted.st_mode))
        return 0;
    const TDir proc = OpenDir("/proc");
    if (!proc)
        return 0;
    const int64_t self = ::getpid();
    while (const dirent* entry = ::readdir(proc.get())) {
        const int64_t pid = ProcessId(entry->d_name);
        if (pid != 0 && pid != self && HasOpen(pid, wanted.st_rdev))
            return pid;
    }
    return 0;
}

} // namespace k740
