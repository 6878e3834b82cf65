#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace k740client {

enum class TQuery { Position, Value, Text, WindowId, List, Stats, Record };

struct TClientOptions {
    TQuery Query = TQuery::Position;
    int32_t Form = 1000; // 4, 10 or any other number (thousandths)
    int WatchMs = 0;     // 0: ask once
    qint64 Pid = 0;      // 0: the copy that owns the common name
    QString RecordPath;  // --record: the CSV file, "-" for standard output
    qint64 Frames = 0;   // --record: stop after this many rows; 0 never
    bool Help = false;
};

// Reads k740-position's arguments (without the program name); nullopt with
// `error` set when they make no sense.
std::optional<TClientOptions> ParseClientArguments(const QStringList& arguments, QString& error);
QString ClientHelp();

// A position answer as printed: the integer, or for form 10 the bit pattern
// in hexadecimal and the float it holds ("0x42b50000 90.5").
QString PositionAnswerText(int32_t answer, int32_t form);
// A value answer as printed: the shortest text that reads back as it.
QString ValueAnswerText(double value);

} // namespace k740client
