#pragma once
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace k740 {

// What constructing a TIniFile does with the file.
enum class TIniUse {
    Read,      // reads it at once, for value() and sectionExists()
    EditsOnly, // reads nothing: the edits are made on the file as it is when saving
};

// One INI file, read into memory when constructed, edited there and saved
// by Save(), as the Windows private-profile functions read and write it (see
// ProfileLines): names compare without regard to case, only the first block
// of a repeated section counts, a value loses one pair of matching quotes,
// and every line not edited stays as it is. The text is UTF-16 or UTF-8
// after a byte-order mark, else single-byte (Latin-1, as in files written by
// Windows' profile functions), and is written back in the same encoding; a new file is
// single-byte with CRLF line ends, or UTF-8 after its mark when single-byte
// text cannot hold what it has to.
//
// Reading and saving lock the file, so that processes sharing it never see
// it half written and never lose each other's saves; a lock that another
// process holds for longer than a moment (kLockWaitMs) is given up on: the
// file then reads as empty, and a save fails.
//
// A file that cannot be read whole (unreadable, or not text in its encoding,
// such as one holding a NUL byte) reads as empty, is reported once on
// standard error, and is never written. A file whose only fault is a run of
// NUL bytes at its end, left by a save that was cut off, reads up to them
// (reported once too), and its next save writes it whole.
class TIniFile {
public:
    explicit TIniFile(const QString& path, TIniUse use = TIniUse::Read);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    // Reading found the file locked by another process for the whole wait.
    bool lockedElsewhere() const;
    bool sectionExists(const QString& section) const;
    // The value text, or nothing when the key is absent.
    std::optional<QString> value(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    // A value made from the one the file holds for the key when it is saved
    // (nothing when the key is absent), e.g. to keep the file's own notation.
    using TValueFromHeld = std::function<QString(const std::optional<QString>& held)>;
    void setValue(const QString& section, const QString& key, const TValueFromHeld& value);
    // Whether a section of that name can be stored in the file as it was
    // read: a header line that reads back as the name, in the file's
    // encoding (any name Unicode holds, for a file without text yet).
    bool canStoreSection(const QString& section) const;

    // Reads the file again under an exclusive lock, makes this object's
    // edits on what it holds now and, when that changes it, writes it back:
    // through a new file in the same folder that then replaces it, so the
    // old file stays whole whatever fails, or, where the folder takes no new
    // file or refuses the replacement, in place (see TLockedFile). Returns an
    // empty text on success, else the message: "settings not saved: <file
    // name> is locked by another program", or "cannot write <file name>:
    // <reason>; settings not saved". Refuses when the file cannot be read
    // whole or written, and when a name or value cannot be stored so that it
    // reads back the same (a line break, a "]" in a section name, a
    // character the file's encoding lacks...).
    QString save() const;

private:
    struct Data;
    std::unique_ptr<Data> D;
};

} // namespace k740
