#include "acquisition/poll_loop.h"

namespace k740 {

TPollLoop::TPollLoop(TInterfaceSession& session)
    : Session(session)
{
    initTimer.setSingleShot(true);
    LoopTimer.setSingleShot(true);
    LoopTimer.setTimerType(Qt::PreciseTimer);
    connect(&initTimer, &QTimer::timeout, this, &TPollLoop::initTimerTimer);
    connect(&LoopTimer, &QTimer::timeout, this, &TPollLoop::LoopTimerTimer);
    connect(&Session, &TInterfaceSession::pollingChanged, this, &TPollLoop::followPolling);
}

void TPollLoop::start()
{
    Stopped = false;
    initTimer.start(kFirstSearchMs);
}

void TPollLoop::stop()
{
    Stopped = true;
    initTimer.stop();
    LoopTimer.stop();
}

// A connection is kept only when its settings could be put in force on it;
// otherwise the search is tried again later.
void TPollLoop::initTimerTimer()
{
    initTimer.stop();
    emit searchStarting();
    const TProbeResult probe = Session.search();
    if (Stopped)
        return;
    const QString chosen = Session.choosePort(
        probe, Choose ? Choose : [](const QStringList&) { return QString(); });
    TSearchResult result;
    if (!chosen.isEmpty() && !Stopped) {
        result.Connection = Session.connectTo(chosen, Layout ? Layout() : TWindowGeometry{});
        if (result.Connection.Outcome == TConnectOutcome::Connected)
            result.Applied = Session.putSettingsInForce(false);
    }
    if (Session.notConnected() && !Stopped)
        searchAgainLater();
    emit searchEnded(result);
}

void TPollLoop::LoopTimerTimer()
{
    LoopTimer.stop();
    const TCycleResult cycle = Session.runCycle();
    if (cycle.LinkLost && !Stopped)
        searchAgainLater();
    emit cycleRun(cycle);
    if (Session.polling() && !Stopped)
        LoopTimer.start(Session.msUntilNextCycle());
}

void TPollLoop::searchAgainLater()
{
    initTimer.start(kSearchRetryMs);
}

void TPollLoop::followPolling()
{
    if (!Session.polling())
        LoopTimer.stop();
    else if (!LoopTimer.isActive() && !Stopped)
        LoopTimer.start(kCycleMs);
}

} // namespace k740
