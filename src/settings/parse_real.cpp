#include "settings/parse_real.h"

#include "settings/decimal_text.h"

#include <QLocale>
#include <cmath>

namespace k740 {

namespace {
bool IsDigit(QChar c)
{
    return c >= '0' && c <= '9';
}
} // namespace

TRealScan ScanReal(const QString& t)
{
    TRealScan scan;
    int i = 0;
    const int n = t.size();
    while (i < n && t[i] == ' ')
        ++i;
    scan.Start = i;
    if (i < n && (t[i] == '+' || t[i] == '-'))
        ++i;
    int digits = 0;
    for (; i < n && IsDigit(t[i]); ++i)
        ++digits;
    if (i < n && t[i] == '.')
        for (++i; i < n && IsDigit(t[i]); ++i)
            ++digits;
    scan.End = i;
    if (digits == 0)
        return scan;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-'))
            ++i;
        int exponentDigits = 0;
        for (; i < n && IsDigit(t[i]); ++i)
            ++exponentDigits;
        scan.End = i;
        if (exponentDigits == 0)
            return scan;
    }
    scan.Complete = true;
    return scan;
}

bool ParseReal(const QString& text, float& value)
{
    QString t = text;
    const int separator = t.indexOf(DecimalSeparator());
    if (separator >= 0)
        t[separator] = '.';

    const TRealScan scan = ScanReal(t);
    if (!scan.Complete || scan.End != t.size())
        return false;
    bool ok = false;
    const double parsed = QLocale::c().toDouble(QStringView(t).mid(scan.Start), &ok);
    if (!ok && !std::isinf(parsed))
        return false;
    const float result = float(parsed);
    if (!std::isfinite(result))
        return false;
    value = result;
    return true;
}

} // namespace k740
