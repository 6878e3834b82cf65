#include "app/pty_link.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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

} // namespace

PtyLink::~PtyLink()
{
    close();
}

bool PtyLink::open(const QString& dir, const QString& name, QString& error)
{
    close();
    if (!QDir().mkpath(dir)) {
        error = QStringLiteral("cannot create folder ") + dir;
        return false;
    }
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
    masterFd_ = fd;
    linkPath_ = link;
    return true;
}

void PtyLink::close()
{
    if (masterFd_ < 0)
        return;
    ::unlink(QFile::encodeName(linkPath_).constData());
    ::close(masterFd_);
    masterFd_ = -1;
}

} // namespace k740sim
