// k740-position: asks a running k740 for its position over the D-Bus
// session bus and prints the answer.
#include "client_options.h"
#include "platform/position_service_names.h"
#include "platform/signal_pipe.h"
#include "recorder.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QThread>
#include <csignal>
#include <cstdio>

using namespace k740client;
namespace Names = k740::PositionService;

namespace {

enum ExitStatus { kAnswered = 0, kBadArguments = 1, kNoAnswer = 2, kNotPolling = 3 };
constexpr int kCallTimeoutMs = 2000;

int NoAnswer(const QString& destination)
{
    std::fprintf(stderr, "k740-position: no copy of k740 answers on the session bus (%s)\n", qPrintable(destination));
    return kNoAnswer;
}

// What a call of the service's interface brought back.
struct Answer {
    enum class Kind { Value, Nobody, NotPolling } kind = Kind::Nobody;
    QVariant value;
    QString why; // NotPolling: the program's reason
};

Answer Call(QDBusConnection& bus, const QString& destination, const QString& method, const QVariantList& arguments = {},
    const char* interface = Names::kInterface)
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
    if (reply.type() == QDBusMessage::ErrorMessage && reply.errorName() == Names::kNotPollingError)
        return {Answer::Kind::NotPolling, {}, reply.errorMessage()};
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return {Answer::Kind::Value, reply.arguments().first(), {}};
}

std::optional<QVariant> PropertyValue(QDBusConnection& bus, const QString& destination, const char* name)
{
    const Answer answer
        = Call(bus, destination, "Get", {QString(Names::kInterface), QString(name)}, "org.freedesktop.DBus.Properties");
    if (answer.kind != Answer::Kind::Value)
        return std::nullopt;
    return answer.value.value<QDBusVariant>().variant();
}

std::optional<QString> Property(QDBusConnection& bus, const QString& destination, const char* name)
{
    const auto value = PropertyValue(bus, destination, name);
    return value ? std::optional<QString>(value->toString()) : std::nullopt;
}

QString Destination(const ClientOptions& options)
{
    return options.Pid > 0 ? Names::NameOfProcess(options.Pid) : QString(Names::kName);
}

// The figures, one "name value" a line in the order of their names; with
// --watch again every MS milliseconds, a blank line between the rounds.
int Stats(QDBusConnection& bus, const ClientOptions& options)
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
            return kAnswered;
        QThread::msleep(ulong(options.WatchMs));
        std::printf("\n");
    }
}

int Record(QDBusConnection& bus, const ClientOptions& options)
{
    // A closed pipe shows as a failed write, which ends the recording with
    // its summary, rather than as a silent end by SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    k740::SignalPipe interruption({SIGINT, SIGTERM, SIGHUP}, k740::TSignalRepeat::EndsProcess);
    TRecorder recorder(bus, options);
    if (const auto failed = recorder.start(Destination(options)))
        return *failed;
    QObject::connect(
        &interruption, &k740::SignalPipe::received, &recorder, [&recorder] { recorder.finish(kAnswered); });
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
    return found > 0 ? kAnswered : NoAnswer(Names::kName);
}

int Ask(QDBusConnection& bus, const ClientOptions& options)
{
    const QString destination = Destination(options);
    for (;;) {
        const Answer answer = options.Query == TQuery::Position
            ? Call(bus, destination, "Position", {options.Form})
            : Call(bus, destination, options.Query == TQuery::Text ? "PositionText" : "WindowId");
        switch (answer.kind) {
        case Answer::Kind::Nobody:
            return NoAnswer(destination);
        case Answer::Kind::NotPolling:
            std::fprintf(stderr, "k740-position: the position is not current: %s\n", qPrintable(answer.why));
            return kNotPolling;
        case Answer::Kind::Value:
            break;
        }
        const QString text = options.Query == TQuery::Position ? PositionAnswerText(answer.value.toInt(), options.Form)
                                                               : answer.value.toString();
        std::printf("%s\n", qPrintable(text));
        std::fflush(stdout);
        if (options.WatchMs <= 0)
            return kAnswered;
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
        return kBadArguments;
    }
    if (options->Help) {
        std::fputs(qPrintable(ClientHelp()), stdout);
        return kAnswered;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "k740-position: no D-Bus session bus, so no copy of k740 can answer\n");
        return kNoAnswer;
    }
    switch (options->Query) {
    case TQuery::List:
        return List(bus);
    case TQuery::Stats:
        return Stats(bus, *options);
    case TQuery::Record:
        return Record(bus, *options);
    case TQuery::Position:
    case TQuery::Text:
    case TQuery::WindowId:
        break;
    }
    return Ask(bus, *options);
}
