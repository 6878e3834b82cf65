#pragma once
// A tmpfs of a few pages of its own, so that a test can fill a disk for
// real. Mounting needs root; elsewhere problem() says why there is none.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

class SmallTmpfs {
public:
    explicit SmallTmpfs(int kibibytes)
    {
        const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k,mode=0700";
        if (::geteuid() != 0)
            problem_ = "mounting a tmpfs needs root";
        else if (::mount("tmpfs", native().constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0)
            problem_ = QString("mount: ") + std::strerror(errno);
        else
            mounted_ = true;
    }
    ~SmallTmpfs()
    {
        if (mounted_)
            ::umount2(native().constData(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool mounted() const { return mounted_; }
    const QString& problem() const { return problem_; }
    // The mount point, with a trailing '/'.
    QString path() const { return dir_.path() + '/'; }

    // Takes every free byte with a file of its own; true when the disk is
    // full afterwards.
    bool fill() const
    {
        const int fd = ::open(QFile::encodeName(path() + "filler").constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0)
            return false;
        const QByteArray page(4096, 'x');
        while (::write(fd, page.constData(), size_t(page.size())) > 0) { }
        while (::write(fd, "x", 1) > 0) { }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }

private:
    QByteArray native() const { return QFile::encodeName(dir_.path()); }

    QTemporaryDir dir_;
    QString problem_;
    bool mounted_ = false;
};
