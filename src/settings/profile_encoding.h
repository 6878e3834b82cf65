#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

namespace k740 {

// How the text of an INI file is stored, told by its byte-order mark as the
// Windows profile functions tell it: UTF-16 in either byte order or UTF-8
// after their marks, single-byte text (Latin-1, the Windows program's code
// page) without one.
enum class TProfileEncoding { Latin1, Utf8, Utf16LE, Utf16BE };

struct TProfileText {
    TProfileEncoding Encoding = TProfileEncoding::Latin1;
    QString Text;        // without the byte-order mark
    bool CutOff = false; // the bytes ended in NULs, which are not part of the text
};

// The text of an INI file. A run of NUL bytes at the end, where a save that
// was cut off had made room for text it never wrote, ends the text. Nothing
// when the bytes are not text in the encoding their mark names, so that
// writing the text back would change them (invalid UTF-8, an odd byte of
// UTF-16), or when the text holds a NUL before other text.
std::optional<TProfileText> DecodeProfile(const QByteArray& bytes);

// The bytes of an INI file, mark first, that DecodeProfile reads back as
// exactly `text`. Nothing when there are none: a character the encoding
// lacks, a NUL, or single-byte text that begins like a byte-order mark.
std::optional<QByteArray> EncodeProfile(const TProfileText& text);

} // namespace k740
