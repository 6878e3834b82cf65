#pragma once
#include <QDateTime>
#include <QString>
#include <cstdint>

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

// When the position log's next line is due. Each line is due one interval
// after the previous line's due time, not after the cycle that wrote it, so
// that the lines keep the interval on average instead of falling behind by
// up to a cycle each. After a pause of more than an interval (a dialog or
// message box holds polling up) the schedule starts again from then rather
// than writing the lines it missed.
class TLogSchedule {
public:
    // Whether a line is due at tick `now`: more than `intervalMs` after the
    // last due time (a tick difference, so the counter's wrap-around does
    // not matter; the first line of a run is due at once). A due line moves
    // the schedule on.
    bool take(uint32_t now, uint32_t intervalMs);

private:
    uint32_t LastDue = 0;
};

} // namespace k740
