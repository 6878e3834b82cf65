#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

namespace k740 {

enum class TLockMode {
    Read, // shared: others may read at the same time, nobody replaces the file meanwhile
    Edit, // exclusive: from reading the file to replacing it; created empty when absent
};

// A file held under a lock (flock) for as long as the object lives, so that
// processes that read and replace it in turn never lose each other's
// writes: a process that waited for the lock while another replaced the
// file opens the new file before it goes on. Readers that take the lock
// never see a file half rewritten.
class TLockedFile {
public:
    TLockedFile(const QString& path, TLockMode mode);
    ~TLockedFile();
    TLockedFile(const TLockedFile&) = delete;
    TLockedFile& operator=(const TLockedFile&) = delete;

    // False when the file could not be opened (absent, for reading) and
    // locked; error() says why.
    bool isOpen() const { return Fd >= 0; }
    // The file existed before this object (Edit creates it otherwise).
    bool existed() const { return !Created; }
    // The system's description of the last failure.
    const QString& error() const { return Error; }

    // The whole content; nothing (error() set) when it cannot be read.
    std::optional<QByteArray> readAll();

    // Edit only: replaces the content. The new content goes to a temporary
    // file in the same folder that then takes the file's name, so the old
    // content stays whole whatever fails. Where the folder takes no new
    // file, the file is rewritten in place after its new size has been
    // reserved, so that a full disk fails before any byte changes. False
    // (error() set) on failure.
    bool replace(const QByteArray& bytes);

private:
    bool openLocked(TLockMode mode);
    bool replaceThroughTemporary(const QByteArray& bytes);
    bool rewriteInPlace(const QByteArray& bytes);
    bool fail();

    QByteArray NativePath;
    int Fd = -1;
    bool Created = false;  // this object created the file
    bool Replaced = false; // replace() succeeded
    QString Error;
};

} // namespace k740
