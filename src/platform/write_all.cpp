#include "platform/write_all.h"

#include <cerrno>
#include <unistd.h>

namespace k740 {

bool WriteAll(int fd, const QByteArray& bytes, std::optional<off_t> offset)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const char* from = bytes.constData() + done;
        const size_t size = size_t(bytes.size() - done);
        const ssize_t n = offset ? ::pwrite(fd, from, size, *offset + done) : ::write(fd, from, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace k740
