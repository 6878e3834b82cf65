#include "record_output.h"

#include "platform/append_file.h"
#include "platform/system_error.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace k740client {

TRecordOutput::~TRecordOutput()
{
    if (OwnFd)
        ::close(Fd);
}

TRecordOutput::TOpen TRecordOutput::open(const QString& path)
{
    if (path == "-") {
        Fd = STDOUT_FILENO;
        return TOpen::Open;
    }
    // O_NONBLOCK: a FIFO without a reader fails at once (ENXIO) instead of
    // holding the program, deaf to signals, until one comes. O_APPEND: a
    // file cut back after a failed write goes on at its end.
    const int fd = ::open(QFile::encodeName(path).constData(),
        O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        if (errno == ENXIO)
            return TOpen::NoReader;
        Error = k740::SystemErrorText(errno);
        return TOpen::Failed;
    }
    // Written as any file or pipe is: a reader that is slow holds the writes up.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    Fd = fd;
    OwnFd = true;
    return TOpen::Open;
}

bool TRecordOutput::write(const QByteArray& line)
{
    Error = k740::AppendWhole(Fd, line);
    return Error.isEmpty();
}

} // namespace k740client
