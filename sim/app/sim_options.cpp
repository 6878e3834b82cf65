#include "app/sim_options.h"

#include "platform/virtual_port_dir.h"

#include <QCommandLineParser>

namespace k740sim {

namespace {

const char kDescription[] = "Simulates a K740 USB encoder interface on a pseudo-terminal and publishes it as\n"
                            "<dir>/<name>. Prints \"ready <link path>\" once the link exists.\n"
                            "\n"
                            "Control lines on stdin (end of input does not stop the simulator):\n"
                            "  fault NAME      switch a fault on (\"fault none\" switches it off)\n"
                            "  unplug          close the terminal and remove the link (also SIGUSR1)\n"
                            "  replug          new terminal, link again, \"ready <path>\" again (also SIGUSR2)\n"
                            "  position N      move the encoder to scale position N (counts)\n"
                            "  speed N         move at N counts per second (0 stops)\n"
                            "  status N        status bits as meant (inverted on the line with --active-low)\n"
                            "  truth           print \"truth <scale position>\"\n"
                            "  quit            remove the link and exit (also SIGINT, SIGTERM, SIGHUP)\n"
                            "\n"
                            "Commands the interface does not know get no reply; \"B\" and \"M\" answer OK or ERR.\n"
                            "An absolute encoder answers \"?\" with its first (multiturn bits + frame length)\n"
                            "bits, at most 31, and \"4\" with a 64-bit capture of its line.\n"
                            "\n"
                            "Faults: ";

class TOptionReader {
public:
    TOptionReader(const QCommandLineParser& parser, QString& error)
        : Parser(parser)
        , Error(error)
    {
    }

    template <typename T> void integer(const char* name, T& target, qlonglong min, qlonglong max)
    {
        if (!Parser.isSet(QLatin1String(name)))
            return;
        bool ok = false;
        const qlonglong value = Parser.value(QLatin1String(name)).toLongLong(&ok);
        if (!ok || value < min || value > max)
            fail(QStringLiteral("--%1 needs a whole number from %2 to %3").arg(name).arg(min).arg(max));
        else
            target = T(value);
    }
    void text(const char* name, QByteArray& target)
    {
        if (Parser.isSet(QLatin1String(name)))
            target = Parser.value(QLatin1String(name)).toLatin1();
    }
    QString value(const char* name) const { return Parser.value(QLatin1String(name)); }
    bool isSet(const char* name) const { return Parser.isSet(QLatin1String(name)); }
    void fail(const QString& message)
    {
        if (Error.isEmpty())
            Error = message;
    }
    bool failed() const { return !Error.isEmpty(); }

private:
    const QCommandLineParser& Parser;
    QString& Error;
};

void AddOptions(QCommandLineParser& parser)
{
    const QList<QCommandLineOption> options = {
        {"dir",
            "Folder of the link (default: the virtual-port folder); created with mode 0700 when missing, "
            "refused unless it is your own and writable by you alone.",
            "DIR"},
        {"name", "Link name (default vcom0).", "NAME", "vcom0"},
        {"model", "K740 or T740 (default K740).", "MODEL", "K740"},
        {"kind", "Identity letter Q, S or B (default Q for a counter, else S).", "LETTER"},
        {"firmware", "Firmware version text, digit.two digits (default 1.17).", "X.YY", "1.17"},
        {"identity", "Raw identity reply to \"v\", replacing the built one.", "TEXT"},
        {"serial", "Reply to \"s\" (default 00:1A:2B:3C).", "TEXT"},
        {"serial2", "Reply to \"r\" (default 7400123).", "TEXT"},
        {"pins", "Reply to \"p\" (default 010).", "TEXT"},
        {"supply", "Encoder supply at start: on or off (default on).", "on|off", "on"},
        {"supply-readings", "Readings in the \"e\" reply (default \"5.02 V:85.3 mA\").", "TEXT"},
        {"encoder", "counter, ssi or biss (default counter).", "KIND", "counter"},
        {"mt", "Multiturn bits (default 0).", "N"},
        {"bits", "Position bits (default 13).", "N"},
        {"cpr", "Counts per turn of the position field (default 2^bits).", "N"},
        {"pad", "Padding bits (default 0).", "N"},
        {"status-bits", "Status bits (default 0).", "N"},
        {"detail-bits", "Detailed status bits, SSI (default 0).", "N"},
        {"crc-bits", "CRC bits, BiSS-C: 6 or 0 (default 6).", "N"},
        {"ack-bits", "BiSS-C Ack zeros before Start (default 3).", "N"},
        {"gray", "Send the SSI position in Gray code, short and long frames (BiSS-C stays binary)."},
        {"status", "Status bits as meant, decimal (default 0).", "VALUE"},
        {"detail", "Detailed status bits, decimal (default 0).", "VALUE"},
        {"active-low", "Status bits are sent inverted."},
        {"speed", "Encoder speed in counts per second (default 0).", "COUNTS_PER_S"},
        {"position", "Scale position at start, in counts (default 0).", "N"},
        {"origin", "Scale position where the count reads 0 (default 0).", "N"},
        {"ref-every", "A reference mark every N counts.", "N"},
        {"dcr", "Distance-coded marks: nominal increment N (even), counts per period CPP.", "N:CPP"},
        {"fault", "Fault at start (default none).", "NAME", "none"},
        {"log-commands", "Append every received command to FILE, one a line, \"\\r\" as \\r.", "FILE"},
    };
    parser.addOptions(options);
}

void ReadIdentity(TOptionReader& in, TDeviceConfig& device)
{
    device.Model = in.value("model").toLatin1();
    if (device.Model != "K740" && device.Model != "T740")
        in.fail(QStringLiteral("--model must be K740 or T740"));
    device.Firmware = in.value("firmware").toLatin1();
    in.text("identity", device.Identity);
    in.text("serial", device.Serial);
    in.text("serial2", device.Serial2);
    in.text("pins", device.Pins);
    in.text("supply-readings", device.SupplyReadings);
    const QString supply = in.value("supply");
    if (supply != QLatin1String("on") && supply != QLatin1String("off"))
        in.fail(QStringLiteral("--supply must be on or off"));
    device.SupplyOn = supply == QLatin1String("on");
}

void ReadEncoder(TOptionReader& in, TDeviceConfig& device)
{
    const QString encoder = in.value("encoder");
    if (encoder == QLatin1String("counter"))
        device.Encoder = TEncoderKind::Counter;
    else if (encoder == QLatin1String("ssi"))
        device.Encoder = TEncoderKind::Ssi;
    else if (encoder == QLatin1String("biss"))
        device.Encoder = TEncoderKind::Biss;
    else
        in.fail(QStringLiteral("--encoder must be counter, ssi or biss"));

    device.KindLetter = device.Encoder == TEncoderKind::Counter ? 'Q' : 'S';
    if (in.isSet("kind")) {
        const QString kind = in.value("kind");
        if (kind != QLatin1String("Q") && kind != QLatin1String("S") && kind != QLatin1String("B"))
            in.fail(QStringLiteral("--kind must be Q, S or B"));
        else
            device.KindLetter = kind.at(0).toLatin1();
    }

    TFrameLayout& l = device.Layout;
    in.integer("mt", l.MultiturnBits, 0, 32);
    in.integer("bits", l.PositionBits, 1, 62);
    in.integer("pad", l.PaddingBits, 0, 32);
    in.integer("status-bits", l.StatusBits, 0, 32);
    in.integer("detail-bits", l.DetailBits, 0, 32);
    in.integer("crc-bits", l.CrcBits, 0, 6);
    in.integer("cpr", device.CountsPerTurn, 1, 1LL << 62);
    in.integer("ack-bits", device.AckBits, 0, 40);
    in.integer("status", device.Status, 0, 0xFFFFFFFFLL);
    in.integer("detail", device.DetailStatus, 0, 0xFFFFFFFFLL);
    device.GrayCode = in.isSet("gray");
    device.StatusActiveLow = in.isSet("active-low");
}

void ReadMotion(TOptionReader& in, TDeviceConfig& device)
{
    if (in.isSet("speed")) {
        bool ok = false;
        device.Speed = in.value("speed").toDouble(&ok);
        if (!ok)
            in.fail(QStringLiteral("--speed needs a number"));
    }
    in.integer("position", device.Position, -(1LL << 62), 1LL << 62);
    in.integer("origin", device.CountOrigin, -(1LL << 62), 1LL << 62);
    in.integer("ref-every", device.RefEvery, 1, 1LL << 40);
    if (in.isSet("dcr")) {
        const QStringList parts = in.value("dcr").split(QLatin1Char(':'));
        bool okN = false, okCpp = false;
        const int n = parts.value(0).toInt(&okN);
        const int cpp = parts.value(1).toInt(&okCpp);
        if (parts.size() != 2 || !okN || !okCpp || n < 4 || n % 2 != 0 || cpp < 1)
            in.fail(QStringLiteral("--dcr needs N:CPP with an even N >= 4 and CPP >= 1"));
        device.DcrNominal = n;
        device.DcrCountsPerPeriod = cpp;
    }
    const auto fault = ParseDeviceFault(in.value("fault"));
    if (!fault)
        in.fail(QStringLiteral("--fault must be one of: ") + DeviceFaultNames());
    else
        device.Fault = *fault;
}

} // namespace

std::optional<TSimOptions> ParseSimOptions(const QStringList& arguments, QString& error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(kDescription) + DeviceFaultNames() + '.');
    parser.addHelpOption();
    AddOptions(parser);
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument: ") + parser.positionalArguments().first();
        return std::nullopt;
    }

    TSimOptions options;
    TOptionReader in(parser, error);
    options.Dir = in.isSet("dir") ? in.value("dir") : k740::VirtualPortDirectory();
    options.Name = in.value("name");
    if (!k740::IsSafePortName(options.Name))
        in.fail(QStringLiteral("--name may hold only letters, digits, '.', '_' and '-'"));
    options.CommandLogPath = in.value("log-commands");
    ReadIdentity(in, options.Device);
    ReadEncoder(in, options.Device);
    ReadMotion(in, options.Device);
    if (in.failed())
        return std::nullopt;
    return options;
}

} // namespace k740sim
