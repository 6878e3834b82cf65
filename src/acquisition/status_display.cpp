#include "acquisition/status_display.h"

#include "acquisition/frame_decoder.h"
#include "settings/decimal_text.h"
#include "settings/parse_real.h"

#include <QLocale>
#include <algorithm>

namespace k740 {

namespace {

// Reads text as a decimal real with "." as the decimal point. Returns 0 when
// the whole text is such a number (value is then set), else the 1-based
// position of the first character that does not belong to it.
int ReadReal(const QString& text, float& value)
{
    const TRealScan scan = ScanReal(text);
    if (!scan.Complete || scan.End < text.size())
        return scan.End + 1;
    value = float(QLocale::c().toDouble(QStringView(text).mid(scan.Start)));
    return 0;
}

QString TrimmedField(const QByteArray& field)
{
    return QString::fromLatin1(TrimBlanks(field));
}

} // namespace

TStatusLevel StatusLevel(uint32_t status, bool activeLow, const TFrameChecks& checks)
{
    uint32_t s = status & 0xFF;
    if (activeLow)
        s = ~s & 3;
    if (!checks.Valid || !checks.CrcOk || s > 1)
        return TStatusLevel::Error;
    return s == 0 ? TStatusLevel::Good : TStatusLevel::Warning;
}

QString BitString(uint32_t value, int32_t width)
{
    QString text;
    for (int64_t bit = std::min<int64_t>(width, 64) - 1; bit >= 0; --bit)
        text.append(bit < 32 && (value >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0'));
    return text;
}

QString StatusText(const TDecodedFrame& frame, int32_t statusBits, int32_t detailedStatusBits)
{
    QString text = QStringLiteral("Status: ") + BitString(frame.Status, statusBits);
    if (detailedStatusBits != 0)
        text += QLatin1Char(' ') + BitString(frame.DetailedStatus, detailedStatusBits);
    return text;
}

QString PinsCaption(const TLinkResult& result, const QByteArray& reply)
{
    return QStringLiteral("Pins: ") + (result.ok() ? QString::fromLatin1(reply.left(3)) : QStringLiteral("/"));
}

QByteArray SerialRequest(bool secondSerial)
{
    return secondSerial ? QByteArrayLiteral("r") : QByteArrayLiteral("s");
}

QString SerialCaption(const TLinkResult& result, const QByteArray& reply, bool secondSerial, int32_t firmwareVersion)
{
    if (!result.ok())
        return QStringLiteral("SN: /");
    // The reply's closing carriage return is not drawn.
    QString serial = QString::fromLatin1(reply.endsWith('\r') ? reply.chopped(1) : reply);
    serial.remove(QLatin1Char(' '));
    serial.replace(QLatin1Char(':'), QLatin1Char('-'));
    const bool first = secondSerial || firmwareVersion < 117;
    return (first ? QStringLiteral("SN: ") : QStringLiteral("SN#2: ")) + serial.toUpper();
}

TSupplyState SupplyStateOf(const TLinkResult& result, const QByteArray& reply)
{
    if (!result.ok())
        return TSupplyState::Unknown;
    return TrimmedField(SplitReplyFields(reply).First) == QLatin1String("1") ? TSupplyState::On : TSupplyState::Off;
}

QString SupplyCaption(const TLinkResult& result, const QByteArray& reply)
{
    const TSupplyState state = SupplyStateOf(result, reply);
    if (state == TSupplyState::Unknown)
        return QStringLiteral("/");
    if (state == TSupplyState::Off)
        return QStringLiteral("Switched Off");
    const TReplyFields fields = SplitReplyFields(reply);
    return FormatSupplyReading(TrimmedField(fields.Second), true) + QStringLiteral(" / ")
        + FormatSupplyReading(TrimmedField(fields.Third), false);
}

QString FormatSupplyReading(const QString& reading, bool firstReading)
{
    QString r = reading;
    float value = 0;
    int code = ReadReal(r, value);
    if (code <= 0)
        return FormatFixed(value, 8, 2);
    if (firstReading && code == 2 && r.size() > 1 && r[1] == QLatin1Char(',')) {
        r[1] = '.';
        code = ReadReal(r, value);
    }
    // The number runs up to and including the character at code; after a
    // comma repaired into a whole number there is no number part left.
    const QString unit = r.mid(std::max(code, 1) - 1);
    const QString number = r.left(std::max(code, 0)).trimmed();
    if (!ParseReal(number, value))
        return r;
    const int decimals = (firstReading && !unit.contains(QLatin1String("mV"))) ? 2 : 0;
    return FormatFixed(value, 8, decimals) + unit;
}

} // namespace k740
