#include "settings/parse_real.h"

#include "platform/decimal_text.h"

#include <QLocale>
#include <cmath>

namespace {
bool isDigit(QChar c) { return c >= '0' && c <= '9'; }
} // namespace

bool ParseReal(const QString& text, float& value)
{
    QString t = text;
    const int separator = t.indexOf(DecimalSeparator());
    if (separator >= 0)
        t[separator] = '.';

    int i = 0;
    const int n = t.size();
    while (i < n && t[i] == ' ')
        ++i;
    const int start = i;
    if (i < n && (t[i] == '+' || t[i] == '-'))
        ++i;
    int digits = 0;
    for (; i < n && isDigit(t[i]); ++i)
        ++digits;
    if (i < n && t[i] == '.')
        for (++i; i < n && isDigit(t[i]); ++i)
            ++digits;
    if (digits == 0)
        return false;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-'))
            ++i;
        int exponentDigits = 0;
        for (; i < n && isDigit(t[i]); ++i)
            ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    if (i != n)
        return false;

    bool ok = false;
    const double parsed = QLocale::c().toDouble(QStringView(t).mid(start), &ok);
    if (!ok && !std::isinf(parsed))
        return false;
    const float result = float(parsed);
    if (!std::isfinite(result))
        return false;
    value = result;
    return true;
}
