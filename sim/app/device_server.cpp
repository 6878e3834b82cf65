#include "app/device_server.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace k740sim {

namespace {
constexpr int kHostPollMs = 5;
}

TDeviceServer::TDeviceServer(TDeviceModel& device, TCommandLog& log, QString dir, QString name, QObject* parent)
    : QObject(parent)
    , Device(device)
    , Log(log)
    , Dir(std::move(dir))
    , Name(std::move(name))
{
    HostPoll.setInterval(kHostPollMs);
    connect(&HostPoll, &QTimer::timeout, this, &TDeviceServer::checkHostBack);
}

bool TDeviceServer::plug(QString& error)
{
    if (!publish(error))
        return false;
    std::printf("ready %s\n", Link.linkPath().toLocal8Bit().constData());
    std::fflush(stdout);
    return true;
}

bool TDeviceServer::publish(QString& error)
{
    unplug();
    if (!Link.open(Dir, Name, error))
        return false;
    ++Generation;
    Notifier = new QSocketNotifier(Link.masterFd(), QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TDeviceServer::readHost);
    return true;
}

void TDeviceServer::unplug()
{
    HostPoll.stop();
    // Later: this may run inside the notifier's own signal.
    if (Notifier) {
        Notifier->setEnabled(false);
        Notifier->deleteLater();
    }
    Notifier = nullptr;
    Link.close();
}

void TDeviceServer::readHost()
{
    char buffer[4096];
    const ssize_t n = ::read(Link.masterFd(), buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        waitForHost();
        return;
    }
    const std::vector<TReplyPiece> pieces = Device.receive(QByteArray(buffer, int(n)));
    for (const QByteArray& command : Device.commands())
        Log.append(command);
    Device.clearCommands();

    QByteArray now;
    for (const TReplyPiece& piece : pieces) {
        if (piece.DueMs <= 0)
            now += piece.Bytes;
        else
            sendLater(piece);
    }
    send(now);
}

void TDeviceServer::send(const QByteArray& bytes)
{
    if (bytes.isEmpty() || !Link.isOpen())
        return;
    // A host that stops reading loses what does not fit, like a full UART buffer.
    [[maybe_unused]] const ssize_t written = ::write(Link.masterFd(), bytes.constData(), bytes.size());
}

void TDeviceServer::sendLater(const TReplyPiece& piece)
{
    const int generation = Generation;
    QTimer::singleShot(piece.DueMs, Qt::PreciseTimer, this, [this, generation, bytes = piece.Bytes] {
        if (generation == Generation)
            send(bytes);
    });
}

void TDeviceServer::waitForHost()
{
    // A host that was killed leaves the terminal exclusive: a new one, under
    // the same name, serves the next host.
    if (Link.leftExclusive()) {
        QString error;
        if (publish(error))
            return;
        std::fprintf(stderr, "k740-sim: %s\n", qPrintable(error));
    }
    Notifier->setEnabled(false);
    HostPoll.start();
}

void TDeviceServer::checkHostBack()
{
    pollfd p{Link.masterFd(), POLLIN, 0};
    if (::poll(&p, 1, 0) < 0 || (p.revents & POLLHUP))
        return;
    HostPoll.stop();
    Notifier->setEnabled(true);
}

} // namespace k740sim
