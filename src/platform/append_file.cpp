#include "platform/append_file.h"

#include "platform/system_error.h"
#include "platform/write_all.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace k740 {

namespace {

bool IsOtherThanRegular(const QByteArray& nativePath)
{
    struct stat info { };
    return ::stat(nativePath.constData(), &info) == 0 && !S_ISREG(info.st_mode);
}

} // namespace

QString AppendWhole(const QString& path, const QByteArray& bytes)
{
    const QByteArray nativePath = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO for writing would otherwise wait for a reader.
    const int fd
        = ::open(nativePath.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        const int why = errno;
        return why == ENXIO || IsOtherThanRegular(nativePath) ? NotRegularFileText() : SystemErrorText(why);
    }

    struct stat info { };
    QString failure;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        failure = S_ISREG(info.st_mode) || info.st_mode == 0 ? SystemErrorText(errno) : NotRegularFileText();
    else
        failure = AppendWhole(fd, bytes);
    if (::close(fd) != 0 && failure.isEmpty())
        failure = SystemErrorText(errno);
    return failure;
}

QString AppendWhole(int fd, const QByteArray& bytes)
{
    struct stat before { };
    const bool regular = ::fstat(fd, &before) == 0 && S_ISREG(before.st_mode);
    if (WriteAll(fd, bytes))
        return {};
    const QString failure = SystemErrorText(errno);
    if (regular) {
        [[maybe_unused]] const int cut = ::ftruncate(fd, before.st_size);
    }
    return failure;
}

} // namespace k740
