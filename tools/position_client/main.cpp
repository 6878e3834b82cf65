// k740-position: asks a running k740 for its position over the D-Bus
// session bus and prints the answer.
#include "client_options.h"
#include "platform/signal_pipe.h"
#include "recorder.h"
#include "service/position_service_names.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QThread>
#include <csignal>
#include <cstdio>

using namespace k740client;
namespace Names = k740::position_service;

namespace {

enum TExitStatus { KAnswered = 0, KBadArguments = 1, KNoAnswer = 2, KNotCurrent = 3 };
constexpr int kCallTimeoutMs = 2000;

int NoAnswer(const QString& destination)
{
    std::fprintf(stderr, "k740-position: no copy of k740 answers on the session bus (%s)\n", qPrintable(destination));
    return KNoAnswer;
}

// What a call of the service's interface brought back.
struct TAnswer {
    enum class TKind { Value, Nobody, NotCurrent } Kind = TKind::Nobody;
    QVariant Value;
    QString Why; // NotCurrent: the program's reason
};

TAnswer Call(QDBusConnection& bus, const QString& destination, const QString& method,
    const QVariantList& arguments = {}, const char* interface = Names::kInterface)
{
    QDBusMessage call = QDBusMessage::createMethodCall(destination, Names::kPath, interface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        // The bus thread may still be busy with the error reply after it has
        // woken this thread; a round trip behind it lets it finish before the
        // program ends (else Qt warns about its types at exit).
        bus.call(QDBusMessage::createMethodCall(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping"));
    }
    const QString error = reply.type() == QDBusMessage::ErrorMessage ? reply.errorName() : QString();
    if (error == Names::kNotPollingError || error == Names::kHomingError)
        return {TAnswer::TKind::NotCurrent, {}, reply.errorMessage()};
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return {TAnswer::TKind::Value, reply.arguments().first(), {}};
}

std::optional<QVariant> PropertyValue(QDBusConnection& bus, const QString& destination, const char* name)
{
    const TAnswer answer
        = Call(bus, destination, "Get", {QString(Names::kInterface), QString(name)}, "org.freedesktop.DBus.Properties");
    if (answer.Kind != TAnswer::TKind::Value)
        return std::nullopt;
    return answer.Value.value<QDBusVariant>().variant();
}

std::optional<QString> Property(QDBusConnection& bus, const QString& destination, const char* name)
{
    const auto value = PropertyValue(bus, destination, name);
    return value ? std::optional<QString>(value->toString()) : std::nullopt;
}

QString Destination(const TClientOptions& options)
{
    return options.Pid > 0 ? Names::NameOfProcess(options.Pid) : QString(Names::kName);
}

// The figures, one "name value" a line in the order of their names; with
// --watch again every MS milliseconds, a blank line between the rounds.
int Stats(QDBusConnection& bus, const TClientOptions& options)
{
    const QString destination = Destination(options);
    for (;;) {
        const auto value = PropertyValue(bus, destination, "Statistics");
        if (!value)
            return NoAnswer(destination);
        const QVariantMap figures = qdbus_cast<QVariantMap>(*value);
        for (auto it = figures.cbegin(); it != figures.cend(); ++it) {
            const QVariant& figure = it.value();
            const QString text
                = figure.typeId() == QMetaType::Double ? QString::number(figure.toDouble(), 'f', 1) : figure.toString();
            std::printf("%s %s\n", qPrintable(it.key()), qPrintable(text));
        }
        std::fflush(stdout);
        if (options.WatchMs <= 0)
            return KAnswered;
        QThread::msleep(ulong(options.WatchMs));
        std::printf("\n");
    }
}

int Record(QDBusConnection& bus, const TClientOptions& options)
{
    // A closed pipe shows as a failed write, which ends the recording with
    // its summary, rather than as a silent end by SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    k740::TSignalPipe interruption({SIGINT, SIGTERM, SIGHUP}, k740::TSignalRepeat::EndsProcess);
    TRecorder recorder(bus, options);
    if (const auto failed = recorder.start(Destination(options)))
        return *failed;
    QObject::connect(&interruption, &k740::TSignalPipe::received, &recorder, [&recorder] { recorder.interrupt(); });
    QObject::connect(&recorder, &TRecorder::finished, QCoreApplication::instance(), &QCoreApplication::exit);
    return QCoreApplication::exec();
}

int List(QDBusConnection& bus)
{
    QDBusConnectionInterface* names = bus.interface();
    const QString mainOwner = names->serviceOwner(Names::kName).value();
    const QString prefix = Names::kProcessNamePrefix;
    int found = 0;
    for (const QString& name : names->registeredServiceNames().value()) {
        if (!name.startsWith(prefix))
            continue;
        const auto port = Property(bus, name, "Port");
        const auto identity = Property(bus, name, "Identity");
        if (!port || !identity)
            continue;
        const bool main = !mainOwner.isEmpty() && names->serviceOwner(name).value() == mainOwner;
        std::printf("%s%s\t%s\t%s\n", main ? "*" : "", qPrintable(name.mid(prefix.size())),
            qPrintable(port->isEmpty() ? "-" : *port), qPrintable(identity->isEmpty() ? "-" : *identity));
        ++found;
    }
    return found > 0 ? KAnswered : NoAnswer(Names::kName);
}

// The method of a query without arguments.
const char* MethodOf(TQuery query)
{
    return query == TQuery::Value ? "Value" : query == TQuery::Text ? "PositionText" : "WindowId";
}

int Ask(QDBusConnection& bus, const TClientOptions& options)
{
    const QString destination = Destination(options);
    for (;;) {
        const TAnswer answer = options.Query == TQuery::Position ? Call(bus, destination, "Position", {options.Form})
                                                                 : Call(bus, destination, MethodOf(options.Query));
        switch (answer.Kind) {
        case TAnswer::TKind::Nobody:
            return NoAnswer(destination);
        case TAnswer::TKind::NotCurrent:
            std::fprintf(stderr, "k740-position: the position is not current: %s\n", qPrintable(answer.Why));
            return KNotCurrent;
        case TAnswer::TKind::Value:
            break;
        }
        const QString text = options.Query == TQuery::Position ? PositionAnswerText(answer.Value.toInt(), options.Form)
            : options.Query == TQuery::Value                   ? ValueAnswerText(answer.Value.toDouble())
                                                               : answer.Value.toString();
        std::printf("%s\n", qPrintable(text));
        std::fflush(stdout);
        if (options.WatchMs <= 0)
            return KAnswered;
        QThread::msleep(ulong(options.WatchMs));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QString error;
    const auto options = ParseClientArguments(QCoreApplication::arguments().mid(1), error);
    if (!options) {
        std::fprintf(stderr, "k740-position: %s (see --help)\n", qPrintable(error));
        return KBadArguments;
    }
    if (options->Help) {
        std::fputs(qPrintable(ClientHelp()), stdout);
        return KAnswered;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "k740-position: no D-Bus session bus, so no copy of k740 can answer\n");
        return KNoAnswer;
    }
    switch (options->Query) {
    case TQuery::List:
        return List(bus);
    case TQuery::Stats:
        return Stats(bus, *options);
    case TQuery::Record:
        return Record(bus, *options);
    case TQuery::Position:
    case TQuery::Value:
    case TQuery::Text:
    case TQuery::WindowId:
        break;
    }
    return Ask(bus, *options);
}
