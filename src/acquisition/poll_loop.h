#pragma once
#include "acquisition/interface_session.h"

#include <QObject>
#include <QTimer>
#include <functional>

namespace k740 {

inline constexpr int kFirstSearchMs = 200;  // initTimer at start-up
inline constexpr int kSearchRetryMs = 1000; // initTimer while no interface is connected
inline constexpr int kCycleMs = 10;         // LoopTimer when polling begins or resumes

// What a search (initTimerTimer) ended with.
struct TSearchResult {
    TConnectResult Connection; // of the port chosen; Failed when none was
    TApplyResult Applied;      // the settings put in force, when connected
};

// The timers that search for the interface and poll it, without any window.
// initTimer searches (and again every kSearchRetryMs while no interface is
// connected); LoopTimer runs the acquisition cycle while the session polls,
// each cycle as soon as the session's deadline allows. A pause of the
// session (TPollingPause) stops the cycle and its end resumes it. Listeners
// (the main window, the position service) learn of each step by signals.
class TPollLoop : public QObject {
    Q_OBJECT
public:
    explicit TPollLoop(TInterfaceSession& session);

    // Asks which port to connect when several answered; empty connects none.
    void setPortChooser(std::function<QString(const QStringList&)> choose) { Choose = std::move(choose); }
    // The window's current layout, which keys absent from the settings keep.
    void setLayoutSource(std::function<TWindowGeometry()> layout) { Layout = std::move(layout); }

    // The first search in kFirstSearchMs.
    void start();
    // No search and no cycle from now on (the program's exit).
    void stop();

    // Timer handlers.
    void initTimerTimer();
    void LoopTimerTimer();

    bool searching() const { return initTimer.isActive(); }
    int searchInterval() const { return initTimer.interval(); }
    bool cycling() const { return LoopTimer.isActive(); }

signals:
    // A search begins: candidate ports are probed (window events are served
    // meanwhile).
    void searchStarting();
    void searchEnded(const TSearchResult& result);
    void cycleRun(const TCycleResult& cycle);

private:
    void searchAgainLater();
    void followPolling();

    TInterfaceSession& Session;
    std::function<QString(const QStringList&)> Choose;
    std::function<TWindowGeometry()> Layout;
    QTimer initTimer;
    QTimer LoopTimer;
    bool Stopped = false;
};

} // namespace k740
