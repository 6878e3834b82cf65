#include "acquisition/position_log.h"

#include "platform/append_file.h"
#include "platform/virtual_port_dir.h"

#include <QDir>
#include <QLocale>

namespace k740 {

namespace {

// The character between hours and minutes in the user's short time format,
// ":" when it has none (quoted text and blanks do not count).
QChar TimeSeparator()
{
    const QString format = QLocale().timeFormat(QLocale::ShortFormat);
    int i = 0;
    while (i < format.size() && format[i].toLower() != 'h')
        ++i;
    while (i < format.size() && format[i].toLower() == 'h')
        ++i;
    for (; i < format.size() && format[i] != 'm'; ++i) {
        const QChar c = format[i];
        if (!c.isLetter() && c != '\'' && c != ' ')
            return c;
    }
    return ':';
}

QString DateTimeText(const QDateTime& now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    const QChar separator = TimeSeparator();
    auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return two(date.day()) + '.' + two(date.month()) + '.'
        + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + ';' + two(time.hour()) + separator
        + two(time.minute()) + separator + two(time.second()) + ';';
}

bool Fail(QString* errorMessage, const QString& fileName, const QString& reason)
{
    if (errorMessage)
        *errorMessage = QStringLiteral("Saving position to %1 failed: %2").arg(fileName, reason);
    return false;
}

} // namespace

QString LogFileName(const QString& folder, const QString& portName)
{
    return folder + "K740_" + portName + ".LOG";
}

bool WriteLogLine(const QString& folder, const QString& portName, const QString& valueText, QString* errorMessage)
{
    return WriteLogLine(folder, portName, valueText, QDateTime::currentDateTime(), errorMessage);
}

bool WriteLogLine(const QString& folder, const QString& portName, const QString& valueText, const QDateTime& now,
    QString* errorMessage)
{
    const QString fileName = LogFileName(folder, portName);
    if (!IsSafePortName(portName))
        return Fail(errorMessage, fileName, QStringLiteral("the port name cannot be part of a file name"));

    const QByteArray line = (portName + ';' + DateTimeText(now) + valueText + "\r\n").toLatin1();
    QDir().mkpath(folder); // a per-user log folder may not exist yet
    const QString failure = AppendWhole(fileName, line);
    return failure.isEmpty() || Fail(errorMessage, fileName, failure);
}

bool TLogSchedule::take(uint32_t now, uint32_t intervalMs)
{
    if (uint32_t(now - LastDue) <= intervalMs)
        return false;
    LastDue += intervalMs;
    if (uint32_t(now - LastDue) > intervalMs)
        LastDue = now;
    return true;
}

} // namespace k740
