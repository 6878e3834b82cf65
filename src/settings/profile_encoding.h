#pragma once
#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <optional>

namespace k740 {

// How the text of an INI file is stored, told by its byte-order mark as the
// Windows profile functions tell it: UTF-16 in either byte order or UTF-8
// after their marks, single-byte text (Latin-1, the code page of files those
// functions write) without one.
enum class TProfileEncoding { Latin1, Utf8, Utf16LE, Utf16BE };

// The text of an INI file without its byte-order mark. Single-byte text
// stays as its bytes, each one a character, so that a file of many
// megabytes is not converted; the other encodings are held as UTF-16.
struct TProfileText {
    TProfileEncoding Encoding = TProfileEncoding::Latin1;
    QString Text;          // UTF-16 and UTF-8 files
    QByteArray SingleByte; // single-byte files
    bool CutOff = false;   // the bytes ended in NULs, which are not part of the text
    bool isEmpty() const { return Text.isEmpty() && SingleByte.isEmpty(); }
};

// The text of an INI file. A run of NUL bytes at the end, where a save that
// was cut off had made room for text it never wrote, ends the text. Nothing
// when the bytes are not text in the encoding their mark names, so that
// writing the text back would change them (invalid UTF-8, an odd byte of
// UTF-16), or when the text holds a NUL before other text.
std::optional<TProfileText> DecodeProfile(const QByteArray& bytes);

// The bytes of an INI file, mark first, built from the pieces of its text
// in turn (the lines of a file of many megabytes, without joining them
// first). bytes() gives them when DecodeProfile reads them back as exactly
// the pieces together; nothing when there are none: a character the
// encoding lacks, a NUL, a lone surrogate, or single-byte text that begins
// like a byte-order mark.
class TProfileWriter {
public:
    // `characters`: about how many characters the pieces hold.
    TProfileWriter(TProfileEncoding encoding, qsizetype characters);
    void append(QStringView piece);
    void append(QLatin1StringView piece);
    std::optional<QByteArray> bytes();

private:
    TProfileEncoding Encoding;
    QStringEncoder Encoder;
    QByteArray Bytes;
    qsizetype MarkSize = 0;
    bool Storable = true;
    bool HighSurrogateLast = false; // UTF-8: the last piece ended in the first half of a pair
};

} // namespace k740
