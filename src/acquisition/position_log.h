#pragma once
#include <QDateTime>
#include <QString>

namespace k740 {

// The position log: folder (with trailing '/') + "K740_" + port + ".LOG".
// Shown to the user as it is; WriteLogLine refuses port names that are not
// safe in a file name.
QString LogFileName(const QString& folder, const QString& portName);

// Appends "port;dd.mm.yyyy;hh:mm:ss;value" and CR LF to the log file, created
// when absent (its folder too), with the user's time separator in place of
// ":" and the text in single-byte Latin-1; the file is closed again. A line
// is written whole or not at all, and only into a regular file. On failure
// returns false and sets errorMessage (when given) to "Saving position to
// <file> failed: <the system's description>".
bool WriteLogLine(const QString& folder, const QString& portName, const QString& valueText, QString* errorMessage);
// The same with the given local date and time in place of the clock.
bool WriteLogLine(const QString& folder, const QString& portName, const QString& valueText, const QDateTime& now,
    QString* errorMessage);

} // namespace k740
