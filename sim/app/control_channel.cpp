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

ControlChannel::ControlChannel(DeviceModel& device, DeviceServer& server, QObject* parent)
    : QObject(parent)
    , device_(device)
    , server_(server)
    , input_(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this))
{
    connect(input_, &QSocketNotifier::activated, this, &ControlChannel::readInput);
    auto* signalPipe
        = new k740::SignalPipe({SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2}, k740::TSignalRepeat::Delivered, this);
    connect(signalPipe, &k740::SignalPipe::received, this, &ControlChannel::onSignal);
}

void ControlChannel::readInput()
{
    char buffer[1024];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        // End of input: keep serving, controlled by signals only.
        input_->setEnabled(false);
        return;
    }
    partialLine_ += QByteArray(buffer, int(n));
    int end;
    while ((end = partialLine_.indexOf('\n')) >= 0) {
        const QByteArray line = partialLine_.left(end).trimmed();
        partialLine_.remove(0, end + 1);
        if (!line.isEmpty())
            execute(line);
    }
}

void ControlChannel::execute(const QByteArray& line)
{
    const QList<QByteArray> words = line.simplified().split(' ');
    const QByteArray& verb = words.first();
    const QByteArray argument = words.value(1);
    bool ok = words.size() <= 2;
    if (verb == "quit" && words.size() == 1) {
        QCoreApplication::quit();
    } else if (verb == "unplug" && words.size() == 1) {
        server_.unplug();
    } else if (verb == "replug" && words.size() == 1) {
        replug();
    } else if (verb == "truth" && words.size() == 1) {
        Report(stdout, "truth " + QByteArray::number(qlonglong(device_.truePosition())));
    } else if (verb == "fault" && words.size() == 2) {
        const auto fault = ParseDeviceFault(QString::fromLatin1(argument));
        if ((ok = fault.has_value()))
            device_.setFault(*fault);
    } else if (verb == "position" && words.size() == 2) {
        const qlonglong value = argument.toLongLong(&ok);
        if (ok)
            device_.setPosition(value);
    } else if (verb == "speed" && words.size() == 2) {
        const double value = argument.toDouble(&ok);
        if (ok)
            device_.setSpeed(value);
    } else if (verb == "status" && words.size() == 2) {
        const uint value = argument.toUInt(&ok);
        if (ok)
            device_.setStatus(value);
    } else {
        ok = false;
    }
    if (!ok)
        Report(stderr, "k740-sim: cannot do \"" + line + "\"");
}

void ControlChannel::onSignal(int signalNumber)
{
    if (signalNumber == SIGUSR1)
        server_.unplug();
    else if (signalNumber == SIGUSR2)
        replug();
    else
        QCoreApplication::quit();
}

void ControlChannel::replug()
{
    QString error;
    if (!server_.plug(error))
        Report(stderr, "k740-sim: " + error.toLocal8Bit());
}

} // namespace k740sim
