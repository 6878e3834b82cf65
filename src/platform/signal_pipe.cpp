#include "platform/signal_pipe.h"

#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace k740 {

namespace {

constexpr int kMaxSignals = 8;

int gPipe[2] = {-1, -1};
int gSignals[kMaxSignals];
int gSignalCount = 0;
std::atomic<bool> gEndsProcess{false};
std::atomic<bool> gArrived{false};

void RestoreDefaultActions()
{
    struct sigaction fallback { };
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (int i = 0; i < gSignalCount; ++i)
        sigaction(gSignals[i], &fallback, nullptr);
}

// Async-signal-safe: atomics, write(), sigaction() and raise() only. Another
// thread may take a second signal before the first handler has restored the
// default actions: whichever handler comes second ends the process.
void OnSignal(int signalNumber)
{
    if (gEndsProcess.load()) {
        const bool second = gArrived.exchange(true);
        RestoreDefaultActions();
        if (second) {
            ::raise(signalNumber);
            return;
        }
    }
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
}

} // namespace

TSignalPipe::TSignalPipe(std::initializer_list<int> signalNumbers, TSignalRepeat repeat, QObject* parent)
    : QObject(parent)
{
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    Notifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TSignalPipe::drain);
    gEndsProcess = repeat == TSignalRepeat::EndsProcess;
    gSignalCount = 0;
    for (const int number : signalNumbers) {
        if (gSignalCount == kMaxSignals)
            break;
        gSignals[gSignalCount++] = number;
    }
    struct sigaction action { };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // While one signal of the set is handled the others wait, so that the
    // switch back to the default actions is complete before the next runs.
    for (int i = 0; i < gSignalCount; ++i)
        sigaddset(&action.sa_mask, gSignals[i]);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < gSignalCount; ++i)
        sigaction(gSignals[i], &action, nullptr);
}

TSignalPipe::~TSignalPipe()
{
    RestoreDefaultActions();
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

void TSignalPipe::drain()
{
    unsigned char byte = 0;
    while (::read(gPipe[0], &byte, 1) == 1)
        emit received(byte);
}

} // namespace k740
