#include "platform/signal_pipe.h"

#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace k740 {

namespace {

constexpr int kMaxSignals = 8;

int g_pipe[2] = {-1, -1};
int g_signals[kMaxSignals];
int g_signalCount = 0;
std::atomic<bool> g_endsProcess{false};
std::atomic<bool> g_arrived{false};

void RestoreDefaultActions()
{
    struct sigaction fallback { };
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (int i = 0; i < g_signalCount; ++i)
        sigaction(g_signals[i], &fallback, nullptr);
}

// Async-signal-safe: atomics, write(), sigaction() and raise() only. Another
// thread may take a second signal before the first handler has restored the
// default actions: whichever handler comes second ends the process.
void OnSignal(int signalNumber)
{
    if (g_endsProcess.load()) {
        const bool second = g_arrived.exchange(true);
        RestoreDefaultActions();
        if (second) {
            ::raise(signalNumber);
            return;
        }
    }
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

} // namespace

SignalPipe::SignalPipe(std::initializer_list<int> signalNumbers, TSignalRepeat repeat, QObject* parent)
    : QObject(parent)
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalPipe::drain);
    g_endsProcess = repeat == TSignalRepeat::EndsProcess;
    g_signalCount = 0;
    for (const int number : signalNumbers) {
        if (g_signalCount == kMaxSignals)
            break;
        g_signals[g_signalCount++] = number;
    }
    struct sigaction action { };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // While one signal of the set is handled the others wait, so that the
    // switch back to the default actions is complete before the next runs.
    for (int i = 0; i < g_signalCount; ++i)
        sigaddset(&action.sa_mask, g_signals[i]);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < g_signalCount; ++i)
        sigaction(g_signals[i], &action, nullptr);
}

SignalPipe::~SignalPipe()
{
    RestoreDefaultActions();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void SignalPipe::drain()
{
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1)
        emit received(byte);
}

} // namespace k740
