#pragma once
#include <QString>
#include <QStringView>

namespace k740 {

// Which characters besides the control characters are written as codes.
enum class TPrintable {
    Unicode, // every printable character stays
    Ascii,   // every character beyond ASCII too (text that stands for bytes, as Latin-1)
};

// `text` as it can be shown on one line of a terminal or in a message,
// whatever it holds: control characters written as "\r", "\n" or "\xNN".
QString PrintableText(QStringView text, TPrintable keep = TPrintable::Unicode);

} // namespace k740
