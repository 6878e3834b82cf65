#include "platform/locked_file.h"

#include "platform/system_error.h"
#include "platform/write_all.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace k740 {

namespace {

// Opening the file and finding it replaced before the lock came: tries
// before giving up on a file that keeps changing.
constexpr int kOpenAttempts = 100;

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void SyncFolderOf(const QByteArray& nativePath)
{
    const qsizetype slash = nativePath.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : nativePath.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

TLockedFile::TLockedFile(const QString& path, TLockMode mode)
    : NativePath(QFile::encodeName(path))
{
    // A link stays a link: its target is the file that is replaced.
    if (char* target = ::realpath(NativePath.constData(), nullptr)) {
        NativePath = target;
        std::free(target);
    }
    openLocked(mode);
}

TLockedFile::~TLockedFile()
{
    if (Fd < 0)
        return;
    // An empty file created only to be locked goes again, so that a failed
    // first save leaves no trace.
    struct stat held {
    }, named{};
    if (Created && !Replaced && ::fstat(Fd, &held) == 0 && held.st_size == 0
        && ::stat(NativePath.constData(), &named) == 0 && SameFile(held, named))
        ::unlink(NativePath.constData());
    ::close(Fd);
}

bool TLockedFile::fail()
{
    Error = SystemErrorText(errno);
    return false;
}

bool TLockedFile::openLocked(TLockMode mode)
{
    const int access = mode == TLockMode::Read ? O_RDONLY : O_RDWR;
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        // O_NONBLOCK: a FIFO in the file's place must not hold the program up.
        int fd = ::open(NativePath.constData(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        bool created = false;
        if (fd < 0 && errno == ENOENT && mode == TLockMode::Edit) {
            fd = ::open(NativePath.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
            if (fd < 0 && errno == EEXIST)
                continue; // another process created it first
            created = fd >= 0;
        }
        if (fd < 0)
            return fail();
        struct stat held { };
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            if (S_ISREG(held.st_mode) || held.st_mode == 0)
                fail();
            else
                Error = NotRegularFileText();
            ::close(fd);
            return false;
        }
        int locked;
        do
            locked = ::flock(fd, mode == TLockMode::Read ? LOCK_SH : LOCK_EX);
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            fail();
            ::close(fd);
            return false;
        }
        struct stat named { };
        if (::stat(NativePath.constData(), &named) == 0 && SameFile(held, named)) {
            Fd = fd;
            Created = created;
            return true;
        }
        ::close(fd); // replaced or removed while we waited: take the file that has the name now
    }
    Error = QStringLiteral("The file keeps being replaced");
    return false;
}

std::optional<QByteArray> TLockedFile::readAll()
{
    struct stat held { };
    if (::fstat(Fd, &held) != 0) {
        fail();
        return std::nullopt;
    }
    // Read into room for the whole file; a file that grows meanwhile gets more.
    QByteArray content(qsizetype(held.st_size) + 1, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == content.size())
            content.resize(size * 2 + 4096);
        const ssize_t n = ::pread(Fd, content.data() + size, size_t(content.size() - size), off_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            fail();
            return std::nullopt;
        }
        if (n == 0)
            break;
        size += n;
    }
    content.truncate(size);
    return content;
}

bool TLockedFile::replace(const QByteArray& bytes)
{
    Replaced = replaceThroughTemporary(bytes);
    return Replaced;
}

bool TLockedFile::replaceThroughTemporary(const QByteArray& bytes)
{
    QByteArray temporary = NativePath + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return rewriteInPlace(bytes); // the folder takes no new file
    struct stat held { };
    int why = 0;
    if (::fstat(Fd, &held) != 0 || ::fchmod(fd, held.st_mode & 07777) != 0 || !WriteAll(fd, bytes, 0)
        || ::fsync(fd) != 0)
        why = errno;
    if (::close(fd) != 0 && why == 0)
        why = errno;
    if (why == 0 && ::rename(temporary.constData(), NativePath.constData()) != 0)
        why = errno;
    if (why != 0) {
        ::unlink(temporary.constData());
        Error = SystemErrorText(why);
        return false;
    }
    SyncFolderOf(NativePath);
    return true;
}

bool TLockedFile::rewriteInPlace(const QByteArray& bytes)
{
    struct stat held { };
    if (::fstat(Fd, &held) != 0)
        return fail();
    const off_t oldSize = held.st_size;
    if (bytes.size() > oldSize) {
        const int reserved = ::posix_fallocate(Fd, oldSize, off_t(bytes.size()) - oldSize);
        if (reserved != 0) {
            [[maybe_unused]] const int cut = ::ftruncate(Fd, oldSize);
            Error = SystemErrorText(reserved);
            return false;
        }
    }
    if (!WriteAll(Fd, bytes, 0) || ::ftruncate(Fd, off_t(bytes.size())) != 0 || ::fsync(Fd) != 0)
        return fail();
    return true;
}

} // namespace k740
