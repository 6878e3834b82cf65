#pragma once
#include <QString>
#include <memory>
#include <optional>

namespace k740 {

// One INI file, read into memory when constructed, edited there and written
// back whole by Save(), as the Windows private-profile functions read and
// write it (see ProfileLines): names compare without regard to case, only the
// first block of a repeated section counts, a value loses one pair of matching
// quotes, and every line not edited stays as it is. The text is UTF-16 or
// UTF-8 after a byte-order mark, else single-byte (Latin-1, as the Windows
// program wrote it), and is written back in the same encoding; a new file is
// single-byte with CRLF line ends.
//
// A file that cannot be read whole (unreadable, or not text in its encoding,
// such as one holding a NUL byte) reads as empty, is reported once on
// standard error, and is never written.
class IniFile {
public:
    explicit IniFile(const QString& path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    bool SectionExists(const QString& section) const;
    // The value text, or nothing when the key is absent.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    void SetValue(const QString& section, const QString& key, const QString& value);

    // Writes the file, when an edit changed it, through a temporary file in
    // the same directory that then replaces it, so the old file stays whole
    // whatever fails. Returns an empty text on success, else "Unable to write
    // to " + the path. Refuses when the existing file could not be read whole,
    // when it is write-protected, or when a name or value edited in cannot be
    // stored so that it reads back the same (a line break, a "]" in a section
    // name, a character the file's encoding lacks...).
    QString Save() const;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace k740
