#include "app/control_channel.h"

#include "app/device_server.h"
#include "device/device_model.h"
#include "platform/signal_pipe.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace k740sim {

namespace {

void Report(FILE* stream, const QByteArray& line)
{
    std::fprintf(stream, "%s\n", line.constData());
    std::fflush(stream);
}

} // namespace

TControlChannel::TControlChannel(TDeviceModel& device, TDeviceServer& server, QObject* parent)
    : QObject(parent)
    , Device(device)
    , Server(server)
    , Input(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this))
{
    connect(Input, &QSocketNotifier::activated, this, &TControlChannel::readInput);
    auto* signalPipe
        = new k740::TSignalPipe({SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2}, k740::TSignalRepeat::Delivered, this);
    connect(signalPipe, &k740::TSignalPipe::received, this, &TControlChannel::onSignal);
}

void TControlChannel::readInput()
{
    char buffer[1024];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        // End of input: keep serving, controlled by signals only.
        Input->setEnabled(false);
        return;
    }
    PartialLine += QByteArray(buffer, int(n));
    int end;
    while ((end = PartialLine.indexOf('\n')) >= 0) {
        const QByteArray line = PartialLine.left(end).trimmed();
        PartialLine.remove(0, end + 1);
        if (!line.isEmpty())
            execute(line);
    }
}

void TControlChannel::execute(const QByteArray& line)
{
    const QList<QByteArray> words = line.simplified().split(' ');
    const QByteArray& verb = words.first();
    const QByteArray argument = words.value(1);
    bool ok = words.size() <= 2;
    if (verb == "quit" && words.size() == 1) {
        QCoreApplication::quit();
    } else if (verb == "unplug" && words.size() == 1) {
        Server.unplug();
    } else if (verb == "replug" && words.size() == 1) {
        replug();
    } else if (verb == "truth" && words.size() == 1) {
        Report(stdout, "truth " + QByteArray::number(qlonglong(Device.truePosition())));
    } else if (verb == "fault" && words.size() == 2) {
        const auto fault = ParseDeviceFault(QString::fromLatin1(argument));
        if ((ok = fault.has_value()))
            Device.setFault(*fault);
    } else if (verb == "position" && words.size() == 2) {
        const qlonglong value = argument.toLongLong(&ok);
        if (ok)
            Device.setPosition(value);
    } else if (verb == "speed" && words.size() == 2) {
        const double value = argument.toDouble(&ok);
        if (ok)
            Device.setSpeed(value);
    } else if (verb == "status" && words.size() == 2) {
        const uint value = argument.toUInt(&ok);
        if (ok)
            Device.setStatus(value);
    } else {
        ok = false;
    }
    if (!ok)
        Report(stderr, "k740-sim: cannot do \"" + line + "\"");
}

void TControlChannel::onSignal(int signalNumber)
{
    if (signalNumber == SIGUSR1)
        Server.unplug();
    else if (signalNumber == SIGUSR2)
        replug();
    else
        QCoreApplication::quit();
}

void TControlChannel::replug()
{
    QString error;
    if (!Server.plug(error))
        Report(stderr, "k740-sim: " + error.toLocal8Bit());
}

} // namespace k740sim
