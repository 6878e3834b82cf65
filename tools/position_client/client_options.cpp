#include "client_options.h"

#include <array>
#include <charconv>
#include <cstring>

namespace k740client {

namespace {

// The value after an option at `i`, moving `i` past it.
std::optional<qint64> NumberAfter(const QStringList& arguments, int& i, qint64 min, QString& error)
{
    const QString option = arguments[i];
    bool ok = false;
    const qint64 value = arguments.value(++i).toLongLong(&ok);
    if (!ok || value < min || value > INT32_MAX) {
        error = QStringLiteral("%1 wants a whole number of at least %2").arg(option).arg(min);
        return std::nullopt;
    }
    return value;
}

// The shortest text that reads back as `value`.
template <class Real> QString ShortestText(Real value)
{
    std::array<char, 32> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    return QString::fromLatin1(digits.data(), int(end - digits.data()));
}

} // namespace

std::optional<TClientOptions> ParseClientArguments(const QStringList& arguments, QString& error)
{
    TClientOptions options;
    int queries = 0;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        std::optional<qint64> number;
        if (a == "--help" || a == "-h") {
            options.Help = true;
        } else if (a == "--value") {
            options.Query = TQuery::Value;
            ++queries;
        } else if (a == "--text") {
            options.Query = TQuery::Text;
            ++queries;
        } else if (a == "--window-id") {
            options.Query = TQuery::WindowId;
            ++queries;
        } else if (a == "--list") {
            options.Query = TQuery::List;
            ++queries;
        } else if (a == "--stats") {
            options.Query = TQuery::Stats;
            ++queries;
        } else if (a == "--record") {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                error = "--record wants a file name, or - for standard output";
                return std::nullopt;
            }
            options.Query = TQuery::Record;
            options.RecordPath = arguments[++i];
            ++queries;
        } else if (a == "--frames") {
            if (!(number = NumberAfter(arguments, i, 1, error)))
                return std::nullopt;
            options.Frames = *number;
        } else if (a == "--form") {
            if (!(number = NumberAfter(arguments, i, INT32_MIN, error)))
                return std::nullopt;
            options.Form = int32_t(*number);
        } else if (a == "--watch") {
            if (!(number = NumberAfter(arguments, i, 1, error)))
                return std::nullopt;
            options.WatchMs = int(*number);
        } else if (a == "--pid") {
            if (!(number = NumberAfter(arguments, i, 1, error)))
                return std::nullopt;
            options.Pid = *number;
        } else {
            error = "unknown argument " + a;
            return std::nullopt;
        }
    }
    if (queries > 1) {
        error = "--value, --text, --window-id, --list, --stats and --record exclude each other";
        return std::nullopt;
    }
    const bool recording = options.Query == TQuery::Record;
    if (options.Frames > 0 && !recording) {
        error = "--frames goes with --record only";
        return std::nullopt;
    }
    if (options.WatchMs > 0 && recording) {
        error = "--watch does not go with --record";
        return std::nullopt;
    }
    return options;
}

QString ClientHelp()
{
    return QStringLiteral(
        "Usage: k740-position [--form 4|10|N | --value | --text | --window-id | --list | --stats] [--watch MS]\n"
        "                     [--pid N]\n"
        "       k740-position --record FILE|- [--frames N] [--pid N]\n"
        "Asks a running k740 for its position over the D-Bus session bus (org.k740.Desktop).\n"
        "\n"
        "  --form N       the position value in form N: 4 ten-thousandths, 10 the 32-bit float\n"
        "                 (printed as its bit pattern and the value it holds), any other\n"
        "                 number thousandths (the default); 0 for a linear encoder and for\n"
        "                 a rotary one shown in counts\n"
        "  --value        the position in the unit the read-out shows (mm, µm, inch, mil or\n"
        "                 degrees; counts within the revolution for counts and D° M' S\")\n"
        "  --text         the read-out exactly as shown\n"
        "  --window-id    the main window's native window id\n"
        "  --list         the copies running: process id, port and identity\n"
        "                 (* marks the one that owns org.k740.Desktop)\n"
        "  --stats        the figures of the link to the interface, one \"name value\" a line\n"
        "  --record FILE  every acquisition cycle as a CSV line into FILE (- for standard output)\n"
        "                 until interrupted: seconds since the first line, cycle number, raw count,\n"
        "                 value, read-out text, valid, crc; then one line on standard error:\n"
        "                 rows written, cycles missed\n"
        "  --frames N     with --record: stop after N rows\n"
        "  --watch MS     ask again every MS milliseconds until interrupted\n"
        "  --pid N        ask the copy with process id N (org.k740.Desktop.Pid<N>)\n"
        "  --help         this text\n"
        "\n"
        "Exit status: 0 answered, 1 bad arguments, 2 no copy of k740 answers (or it ended while recording),\n"
        "3 the position is not current (no interface connected, polling paused by a dialog or message\n"
        "box, or homing holds the read-out), 4 the recording could not be written.\n");
}

QString PositionAnswerText(int32_t answer, int32_t form)
{
    if (form != 10)
        return QString::number(answer);
    float value = 0;
    std::memcpy(&value, &answer, sizeof value);
    return QStringLiteral("0x%1 %2").arg(uint32_t(answer), 8, 16, QChar('0')).arg(ShortestText(value));
}

QString ValueAnswerText(double value)
{
    return ShortestText(value);
}

} // namespace k740client
