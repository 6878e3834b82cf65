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

DeviceServer::DeviceServer(DeviceModel& device, CommandLog& log, QString dir, QString name, QObject* parent)
    : QObject(parent)
    , device_(device)
    , log_(log)
    , dir_(std::move(dir))
    , name_(std::move(name))
{
    hostPoll_.setInterval(kHostPollMs);
    connect(&hostPoll_, &QTimer::timeout, this, &DeviceServer::checkHostBack);
}

bool DeviceServer::plug(QString& error)
{
    unplug();
    if (!link_.open(dir_, name_, error))
        return false;
    ++generation_;
    notifier_ = new QSocketNotifier(link_.masterFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &DeviceServer::readHost);
    std::printf("ready %s\n", link_.linkPath().toLocal8Bit().constData());
    std::fflush(stdout);
    return true;
}

void DeviceServer::unplug()
{
    hostPoll_.stop();
    delete notifier_;
    notifier_ = nullptr;
    link_.close();
}

void DeviceServer::readHost()
{
    char buffer[4096];
    const ssize_t n = ::read(link_.masterFd(), buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        waitForHost();
        return;
    }
    const std::vector<ReplyPiece> pieces = device_.receive(QByteArray(buffer, int(n)));
    for (const QByteArray& command : device_.commands())
        log_.append(command);
    device_.clearCommands();

    QByteArray now;
    for (const ReplyPiece& piece : pieces) {
        if (piece.dueMs <= 0)
            now += piece.bytes;
        else
            sendLater(piece);
    }
    send(now);
}

void DeviceServer::send(const QByteArray& bytes)
{
    if (bytes.isEmpty() || !link_.isOpen())
        return;
    // A host that stops reading loses what does not fit, like a full UART buffer.
    [[maybe_unused]] const ssize_t written = ::write(link_.masterFd(), bytes.constData(), bytes.size());
}

void DeviceServer::sendLater(const ReplyPiece& piece)
{
    const int generation = generation_;
    QTimer::singleShot(piece.dueMs, Qt::PreciseTimer, this, [this, generation, bytes = piece.bytes] {
        if (generation == generation_)
            send(bytes);
    });
}

void DeviceServer::waitForHost()
{
    notifier_->setEnabled(false);
    hostPoll_.start();
}

void DeviceServer::checkHostBack()
{
    pollfd p{link_.masterFd(), POLLIN, 0};
    if (::poll(&p, 1, 0) < 0 || (p.revents & POLLHUP))
        return;
    hostPoll_.stop();
    notifier_->setEnabled(true);
}

} // namespace k740sim
