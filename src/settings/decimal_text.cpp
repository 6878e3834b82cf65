#include "settings/decimal_text.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace k740 {

QChar DecimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar('.') : point.at(0);
}

namespace {

// Decimal digits of a positive finite value: digits[0] stands at 10^exponent.
// 60 digits are enough to tell a true half from a near half at any rounding
// position the formatter uses.
struct TDecimalDigits {
    QByteArray Digits;
    int Exponent = 0;
};

TDecimalDigits DecimalDigits(double positive)
{
    // The same digits as printf's "%.60e", about ten times faster.
    char buffer[96];
    *std::to_chars(buffer, buffer + sizeof buffer - 1, positive, std::chars_format::scientific, 60).ptr = '\0';
    TDecimalDigits result;
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            result.Digits.append(*p);
    result.Exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
    return result;
}

// Rounds to `keep` digits, halves away from zero. keep may be 0 (the value
// rounds to one unit of the next higher place, or to nothing).
void RoundTo(TDecimalDigits& d, int keep)
{
    if (keep < 0) {
        d.Digits.clear();
        return;
    }
    const bool up = keep < d.Digits.size() && d.Digits[keep] >= '5';
    d.Digits.truncate(keep);
    if (!up)
        return;
    int i = d.Digits.size() - 1;
    for (; i >= 0; --i) {
        if (d.Digits[i] == '9') {
            d.Digits[i] = '0';
        } else {
            d.Digits[i] = char(d.Digits[i] + 1);
            break;
        }
    }
    if (i < 0) {
        d.Digits.prepend('1');
        ++d.Exponent;
    }
}

QString ExponentText(double value, int precision)
{
    QString text = QString::number(value, 'E', std::max(0, precision - 1));
    // Drop trailing zeros of the mantissa, as a general float format does.
    const int e = text.indexOf('E');
    QString mantissa = text.left(e);
    QString exponent = text.mid(e + 1);
    if (mantissa.contains('.')) {
        while (mantissa.endsWith('0'))
            mantissa.chop(1);
        if (mantissa.endsWith('.'))
            mantissa.chop(1);
    }
    mantissa.replace('.', DecimalSeparator());
    const bool negativeExponent = exponent.startsWith('-');
    exponent.remove(0, 1);
    while (exponent.size() > 2 && exponent.startsWith('0'))
        exponent.remove(0, 1);
    return mantissa + "E" + (negativeExponent ? "-" : "+") + exponent;
}

} // namespace

QString FormatFixed(double value, int precision, int decimals)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    precision = std::clamp(precision, 1, 18);
    decimals = std::clamp(decimals, 0, 18);

    const bool negative = value < 0;
    TDecimalDigits d;
    if (value != 0) {
        d = DecimalDigits(std::fabs(value));
        if (d.Exponent + 1 > precision)
            return ExponentText(value, precision);
        RoundTo(d, std::min(precision, d.Exponent + 1 + decimals));
        if (d.Exponent + 1 > precision)
            return ExponentText(value, precision);
    }

    auto digitAt = [&](int power) -> char {
        const int index = d.Exponent - power;
        return (index >= 0 && index < d.Digits.size()) ? d.Digits[index] : '0';
    };
    QString text;
    for (int power = std::max(d.Exponent, 0); power >= 0; --power)
        text.append(QLatin1Char(d.Digits.isEmpty() ? '0' : digitAt(power)));
    if (decimals > 0) {
        text.append(DecimalSeparator());
        for (int power = -1; power >= -decimals; --power)
            text.append(QLatin1Char(d.Digits.isEmpty() ? '0' : digitAt(power)));
    }
    const bool allZero = std::all_of(d.Digits.begin(), d.Digits.end(), [](char c) { return c == '0'; });
    if (negative && !allZero)
        text.prepend('-');
    return text;
}

QString FormatMicrons(double value)
{
    QString text = FormatFixed(value, 8, 4);
    const QChar separator = DecimalSeparator();
    while (text.contains(separator) && (text.endsWith('0') || text.endsWith(separator)))
        text.chop(1);
    return text;
}

} // namespace k740
