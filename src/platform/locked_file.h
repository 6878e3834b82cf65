#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

namespace k740 {

enum class TLockMode {
    Read, // shared: others may read at the same time, nobody replaces the file meanwhile
    Edit, // exclusive: from reading the file to replacing it; created empty when absent
};

// How long a lock that another process holds is waited for before giving up.
constexpr int kLockWaitMs = 2000;

// A file held under a lock (flock) for as long as the object lives, so that
// processes that read and replace it in turn never lose each other's
// writes: a process that waited for the lock while another replaced the
// file opens the new file before it goes on. Readers that take the lock
// never see a file half rewritten. A lock held elsewhere for longer than
// the wait is given up on (lockedElsewhere()).
class TLockedFile {
public:
    TLockedFile(const QString& path, TLockMode mode, int lockWaitMs = kLockWaitMs);
    ~TLockedFile();
    TLockedFile(const TLockedFile&) = delete;
    TLockedFile& operator=(const TLockedFile&) = delete;

    // False when the file could not be opened (absent, for reading) and
    // locked; error() says why.
    bool isOpen() const { return Fd >= 0; }
    // The file existed before this object (Edit creates it otherwise).
    bool existed() const { return !Created; }
    // Another process held the lock for the whole wait.
    bool lockedElsewhere() const { return LockedElsewhere; }
    // The system's description of the last failure.
    const QString& error() const { return Error; }

    // The whole content; nothing (error() set) when it cannot be read.
    std::optional<QByteArray> readAll();

    // Edit only: replaces the content. The new content goes to a new file in
    // the same folder that then takes the file's name, so the old content
    // stays whole whatever fails; the new file has no name until it is
    // complete where the file system allows, and copies left by a process
    // that ended while saving are removed. Where the folder takes no new
    // file, or refuses the replacement (a shared folder with the sticky bit
    // and a file of another account), the file is rewritten in place: room
    // for its new size is reserved first, so that a full disk fails before
    // any byte changes, and it grows only by what is written, so that it is
    // a readable file at every moment. False (error() set) on failure.
    bool replace(const QByteArray& bytes);

private:
    bool openLocked(TLockMode mode, int lockWaitMs);
    bool replaceThroughNewFile(const QByteArray& bytes, bool& refused);
    bool rewriteInPlace(const QByteArray& bytes);
    bool fail();

    QByteArray NativePath;
    int Fd = -1;
    bool Created = false;              // this object created the file
    bool Replaced = false;             // replace() succeeded
    bool LockedElsewhere = false;      // the wait for the lock ran out
    std::optional<QByteArray> Content; // what readAll() read, put back when an in-place rewrite fails
    QString Error;
};

} // namespace k740
