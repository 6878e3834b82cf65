#pragma once
#include <QString>
#include <memory>
#include <optional>

// One INI file, read into memory when constructed, edited there and written
// back whole by Save(). Behaves like the Windows private-profile functions:
// section names and keys compare without regard to ASCII case, lines are
// "key=value", a new key goes to the end of its section and a new section to
// the end of the file, and every other section, key and comment stays. Where
// a key appears twice in a section, the first one counts; a section header
// line without its "]" is taken as closed. Text is single-byte
// (Latin-1), as in the files the Windows program wrote.
//
// Line ends: CRLF and LF files both read. A file that had CRLF line ends is
// written with CRLF again; anything else, including a new file, with LF.
class IniFile {
public:
    explicit IniFile(const QString& path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const QString& Path() const;
    bool SectionExists(const QString& section) const;
    // The value text (trimmed), or nothing when the key is absent.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    void SetValue(const QString& section, const QString& key, const QString& value);

    // Writes the file through a temporary file in the same directory that
    // then replaces it, so the old file stays whole whatever fails. Returns
    // an empty text on success, else "Unable to write to " + the path. Refuses
    // when the existing file could not be read completely (unreadable, or
    // holding NUL bytes as a UTF-16 file does), when it is write-protected,
    // or when a name or value edited in cannot be stored on one line.
    QString Save() const;

private:
    struct Data;
    std::unique_ptr<Data> d;
};
