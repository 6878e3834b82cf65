#include "settings/ini_values.h"

#include "settings/decimal_text.h"
#include "settings/parse_real.h"

#include <cmath>

namespace k740 {

namespace {

std::optional<int64_t> ParseHex(QStringView digits, int bits)
{
    uint64_t value = 0;
    for (const QChar c : digits) {
        const int digit = QStringView(u"0123456789abcdef").indexOf(c.toLower());
        if (digit < 0 || (value >> (bits - 4)) != 0)
            return std::nullopt;
        value = value << 4 | uint64_t(digit);
    }
    if (bits == 32)
        return int64_t(int32_t(uint32_t(value)));
    return int64_t(value);
}

std::optional<int64_t> ParseDecimal(QStringView text, int bits)
{
    const bool negative = text.startsWith('-');
    if (negative || text.startsWith('+'))
        text = text.mid(1);
    if (text.isEmpty())
        return std::nullopt;
    // Magnitude limit: 2^(bits-1) - 1, one more for a negative value.
    const uint64_t limit = (uint64_t(1) << (bits - 1)) - (negative ? 0 : 1);
    uint64_t magnitude = 0;
    for (const QChar c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const uint64_t digit = uint64_t(c.unicode() - '0');
        if (magnitude > (limit - digit) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    // Negate in unsigned arithmetic: -2^63 has no positive counterpart.
    return negative ? int64_t(0 - magnitude) : int64_t(magnitude);
}

} // namespace

std::optional<int64_t> ParseIniInteger(const QString& text, int bits)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return ParseHex(QStringView(text).mid(2), bits);
    return ParseDecimal(text, bits);
}

QString CpmText(float cpm, QChar separator)
{
    const double value = cpm;
    const int decimals = std::fabs(value - std::nearbyint(value)) <= 0.01 ? 0 : 1;
    QString text = FormatFixed(value, 8, decimals);
    const int at = text.indexOf(DecimalSeparator());
    if (at >= 0)
        text[at] = separator;
    return text;
}

bool ParseIniReal(const QString& text, float& value)
{
    QString t = text;
    const int comma = t.indexOf(',');
    if (comma >= 0 && !t.contains('.'))
        t[comma] = '.';
    return ParseReal(t, value);
}

QChar IniDecimalSeparator(const std::optional<QString>& heldText)
{
    return heldText && heldText->contains(',') && !heldText->contains('.') ? QChar(',') : QChar('.');
}

} // namespace k740
