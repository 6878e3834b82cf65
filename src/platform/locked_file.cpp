#include "platform/locked_file.h"

#include "platform/huge_pages.h"
#include "platform/system_error.h"
#include "platform/write_all.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace k740 {

namespace {

// How often a lock held elsewhere is asked for again: soon at first, as
// saves of other copies take moments, then every few milliseconds.
constexpr std::chrono::microseconds kFirstLockPoll(200);
constexpr std::chrono::microseconds kLongestLockPoll(10000);
// A save's new file is named after the file, this and 6 letters or digits.
constexpr char kNewFileInfix[] = ".k740-save.";
constexpr int kNewFileSuffixLength = 6;
constexpr int kNameAttempts = 100;

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QByteArray FolderOf(const QByteArray& nativePath)
{
    const qsizetype slash = nativePath.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : nativePath.left(slash);
}

void SyncFolderOf(const QByteArray& nativePath)
{
    const int fd = ::open(FolderOf(nativePath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Takes the lock, waiting until `deadline` at most while another process
// holds it; false with errno set on failure, EWOULDBLOCK when the wait ran
// out.
bool LockUntil(int fd, int operation, std::chrono::steady_clock::time_point deadline)
{
    for (auto pause = kFirstLockPoll;; pause = std::min(pause * 2, kLongestLockPoll)) {
        if (::flock(fd, operation | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(pause);
    }
}

QByteArray RandomSuffix()
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix;
    for (int i = 0; i < kNewFileSuffixLength; ++i)
        suffix += kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet) - 1)];
    return suffix;
}

// The new file of a save, in the folder of the file it replaces.
struct TNewFile {
    int Fd = -1;
    QByteArray Name; // empty while it has none
};

// Without a name where the file system allows, so that a process that ends
// while writing it leaves nothing behind; else named after the pattern.
TNewFile OpenNewFile(const QByteArray& nativePath)
{
    const int unnamed = ::open(FolderOf(nativePath).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (unnamed >= 0)
        return {unnamed, {}};
    QByteArray name = nativePath + kNewFileInfix + QByteArray(kNewFileSuffixLength, 'X');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    return {fd, fd >= 0 ? name : QByteArray()};
}

// A name of the pattern for a complete unnamed file, from which it then
// takes the file's place.
bool NameNewFile(TNewFile& file, const QByteArray& nativePath)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.Fd);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray name = nativePath + kNewFileInfix + RandomSuffix();
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0) {
            file.Name = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// New files that a save left when its process ended before they took the
// file's place. No other save of the file runs meanwhile: the caller holds
// its lock.
void RemoveLeftNewFiles(const QByteArray& nativePath)
{
    const QString path = QFile::decodeName(nativePath);
    const qsizetype slash = path.lastIndexOf('/');
    const QString prefix = path.mid(slash + 1) + QLatin1String(kNewFileInfix);
    QDir folder(slash < 0 ? QStringLiteral(".") : path.left(slash + 1));
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.size() == prefix.size() + kNewFileSuffixLength && name.startsWith(prefix))
            ::unlink(QFile::encodeName(folder.filePath(name)).constData());
    }
}

} // namespace

TLockedFile::TLockedFile(const QString& path, TLockMode mode, int lockWaitMs)
    : NativePath(QFile::encodeName(path))
{
    // A link stays a link: its target is the file that is replaced.
    if (char* target = ::realpath(NativePath.constData(), nullptr)) {
        NativePath = target;
        std::free(target);
    }
    openLocked(mode, lockWaitMs);
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

// A file found replaced once its lock came is opened again, for as long as
// the wait for a lock may last in all: other copies saving one after the
// other replace it again and again.
bool TLockedFile::openLocked(TLockMode mode, int lockWaitMs)
{
    using TClock = std::chrono::steady_clock;
    const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(lockWaitMs);
    const int access = mode == TLockMode::Read ? O_RDONLY : O_RDWR;
    for (bool first = true; first || TClock::now() < deadline; first = false) {
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
        if (!LockUntil(fd, mode == TLockMode::Read ? LOCK_SH : LOCK_EX, deadline)) {
            LockedElsewhere = errno == EWOULDBLOCK;
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
    AskForHugePages(content.data(), size_t(content.size()));
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
    Content = content;
    return content;
}

bool TLockedFile::replace(const QByteArray& bytes)
{
    bool refused = false;
    Replaced = replaceThroughNewFile(bytes, refused) || (refused && rewriteInPlace(bytes));
    return Replaced;
}

// `refused`: the folder takes no new file, or the new file may not take the
// old one's place.
bool TLockedFile::replaceThroughNewFile(const QByteArray& bytes, bool& refused)
{
    RemoveLeftNewFiles(NativePath);
    TNewFile file = OpenNewFile(NativePath);
    if (file.Fd < 0) {
        refused = true;
        return fail();
    }
    struct stat held { };
    int why = 0;
    if (::fstat(Fd, &held) != 0 || ::fchmod(file.Fd, held.st_mode & 07777) != 0 || !WriteAll(file.Fd, bytes, 0)
        || ::fsync(file.Fd) != 0)
        why = errno;
    else if (file.Name.isEmpty() && !NameNewFile(file, NativePath)) {
        why = errno;
        refused = true;
    }
    if (::close(file.Fd) != 0 && why == 0)
        why = errno;
    if (why == 0 && ::rename(file.Name.constData(), NativePath.constData()) != 0) {
        why = errno;
        refused = why == EPERM || why == EACCES || why == EBUSY;
    }
    if (why != 0) {
        if (!file.Name.isEmpty())
            ::unlink(file.Name.constData());
        Error = SystemErrorText(why);
        return false;
    }
    SyncFolderOf(NativePath);
    return true;
}

bool TLockedFile::rewriteInPlace(const QByteArray& bytes)
{
    if (!Content && !readAll())
        return false;
    const QByteArray old = *Content;
    const off_t oldSize = off_t(old.size()), newSize = off_t(bytes.size());
    // Room for the new size, without changing the size the file shows.
    // A file system that cannot reserve it goes on without.
    if (newSize > oldSize && ::fallocate(Fd, FALLOC_FL_KEEP_SIZE, oldSize, newSize - oldSize) != 0
        && errno != EOPNOTSUPP && errno != ENOSYS)
        return fail();
    // From the start: the file is never longer than what has been written.
    if (!WriteAll(Fd, bytes, 0)) {
        const int why = errno;
        [[maybe_unused]] const bool restored = WriteAll(Fd, old, 0) && ::ftruncate(Fd, oldSize) == 0;
        Error = SystemErrorText(why);
        return false;
    }
    if (::ftruncate(Fd, newSize) != 0 || ::fsync(Fd) != 0)
        return fail();
    return true;
}

} // namespace k740
