#include "app/pty_link.h"

#include "platform/virtual_port_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace k740sim {

namespace {

QString SystemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// Raw 8N1 at 115200 on the slave side; set through the master, it stays
// when the host opens and closes the slave.
bool MakeRaw(int masterFd)
{
    termios tio{};
    if (tcgetattr(masterFd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    return tcsetattr(masterFd, TCSANOW, &tio) == 0;
}

// The folder as the host will trust it: created private when missing,
// refused when anyone but the user could put links into it.
bool PreparePortFolder(const QString& dir, QString& error)
{
    using k740::TPortFolderState;
    TPortFolderState state = k740::CheckPortFolder(dir);
    if (state == TPortFolderState::Missing) {
        const QString clean = QDir::cleanPath(dir);
        QDir().mkpath(QFileInfo(clean).path());
        if (::mkdir(QFile::encodeName(clean).constData(), S_IRWXU) != 0 && errno != EEXIST) {
            error
                = QStringLiteral("cannot create folder %1: %2").arg(dir, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        state = k740::CheckPortFolder(dir);
    }
    if (state == TPortFolderState::Private)
        return true;
    error = QStringLiteral("refusing to publish in %1: the folder %2; it must be a folder of your own that "
                           "no one else can write to (mode 0700)")
                .arg(dir, k740::PortFolderProblem(state));
    return false;
}

} // namespace

TPtyLink::~TPtyLink()
{
    close();
}

bool TPtyLink::open(const QString& dir, const QString& name, QString& error)
{
    close();
    if (!PreparePortFolder(dir, error))
        return false;
    const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = SystemError("posix_openpt");
        return false;
    }
    char slave[128] = {};
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, slave, sizeof slave) != 0 || !MakeRaw(fd)) {
        error = SystemError("pseudo-terminal set-up");
        ::close(fd);
        return false;
    }
    const QString link = QDir(dir).absoluteFilePath(name);
    const QByteArray linkBytes = QFile::encodeName(link);
    ::unlink(linkBytes.constData());
    if (::symlink(slave, linkBytes.constData()) != 0) {
        error = SystemError("symlink");
        ::close(fd);
        return false;
    }
    MasterFd = fd;
    LinkPath = link;
    SlavePath = slave;
    return true;
}

void TPtyLink::close()
{
    if (MasterFd < 0)
        return;
    ::unlink(QFile::encodeName(LinkPath).constData());
    ::close(MasterFd);
    MasterFd = -1;
}

bool TPtyLink::leftExclusive() const
{
    const int fd = ::open(SlavePath.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    if (errno != EBUSY)
        return false;
    // Busy for an open slave is the host back again; busy with none open is
    // the flag that stayed.
    pollfd master{MasterFd, POLLIN, 0};
    return ::poll(&master, 1, 0) > 0 && (master.revents & POLLHUP);
}

} // namespace k740sim
