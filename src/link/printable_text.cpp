#include "link/printable_text.h"

namespace k740 {

namespace {

bool IsControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c < 0xa0);
}

} // namespace

QString PrintableText(QStringView text, TPrintable keep)
{
    QString printable;
    printable.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == '\r')
            printable += QStringLiteral("\\r");
        else if (code == '\n')
            printable += QStringLiteral("\\n");
        else if (IsControl(code) || (keep == TPrintable::Ascii && code >= 0x80))
            printable += QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0'));
        else
            printable += c;
    }
    return printable;
}

} // namespace k740
