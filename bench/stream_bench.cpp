// Measures what following every cycle costs: k740 against k740-sim (a
// counting interface whose encoder moves; offscreen) on a session bus of the
// benchmark's own, in rounds of two windows: one without any client of the
// stream, one while `k740-position --record` writes every cycle to a file.
// Each window gives the median of the position requests the simulator
// counted per second and the CPU shares of one core of the program, the bus
// daemon and the recorder; the report gives the medians over the rounds, for
// each recording its rows per second and the cycles it missed (from its
// summary line), and the messages the bus carried per second while one more
// recording ran (dbus-monitor, package dbus-bin; skipped without it).
//
// Usage: stream_bench [--k740 PATH] [--sim PATH] [--client PATH]
//                     [--seconds N] [--rounds N] [--speed N]
// Defaults: the programs next to this one, 20-second windows, 3 rounds, 2000
// counts per second. Exit code 0 when, in the medians, the polling rate with
// the recorder is within 1 % of the rate without and the CPU shares of
// program, bus daemon and recorder together grow by at most 0.5 % of a core,
// no recording missed a cycle or wrote fewer rows per second than 99 % of the
// polling rate, and the bus carried less than one message per second.
#include "bench_support.h"
#include "program_measure.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const char kPortName[] = "bench0";
constexpr int kSettleMs = 2000;
constexpr double kMaxRateLoss = 0.01;     // of the rate without a recorder
constexpr double kMaxCpuGrowthPct = 0.5;  // of one core: program, bus daemon and recorder
constexpr double kMaxBusMessagesPerS = 1; // while recording
constexpr int kBusWatchSeconds = 5;

// The processes whose CPU counts; 0 for one that does not run.
struct TPids {
    qint64 Program = 0;
    qint64 Daemon = 0;
    qint64 Recorder = 0;
};

struct TWindow {
    double MedianRate = 0;      // position requests per second
    double CpuPercent = 0;      // the program's, of one core
    double DaemonPercent = 0;   // the bus daemon's
    double RecorderPercent = 0; // the recorder's
    double total() const { return CpuPercent + DaemonPercent + RecorderPercent; }
};

struct TRecording {
    double RowsPerSecond = 0;
    long Missed = -1; // -1: no summary line
};

double CpuOf(qint64 pid)
{
    return pid ? CpuSeconds(pid) : 0;
}

TWindow MeasureWindow(TCommandCount& commands, const TPids& pids, int seconds)
{
    const double programStart = CpuOf(pids.Program);
    const double daemonStart = CpuOf(pids.Daemon);
    const double recorderStart = CpuOf(pids.Recorder);
    QElapsedTimer clock;
    clock.start();
    const std::vector<double> perSecond = RequestsPerSecond(commands, seconds, [] {});
    const double percent = 100 / (double(clock.nsecsElapsed()) / 1e9);
    return {Median(perSecond), percent * (CpuOf(pids.Program) - programStart),
        percent * (CpuOf(pids.Daemon) - daemonStart), percent * (CpuOf(pids.Recorder) - recorderStart)};
}

// A bus of the benchmark's own; its address, or empty when it did not start.
QString StartBus(QProcess& bus)
{
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (!bus.waitForStarted(5000) || !bus.waitForReadyRead(5000))
        return {};
    return QString::fromLatin1(bus.readLine()).trimmed();
}

// "k740-position: N rows written, M cycles missed"
TRecording ReadSummary(const QByteArray& summary, double seconds)
{
    const QList<QByteArray> words = summary.trimmed().split(' ');
    if (words.size() != 7 || words[2] != "rows")
        return {};
    return {words[1].toDouble() / seconds, words[4].toLong()};
}

struct TSetup {
    QString K740, Sim, Client;
    int Seconds = 20;
    int Rounds = 3;
    int Speed = 2000;
};

struct TResults {
    std::vector<double> RateWithout, RateWith, CpuWithout, CpuWith, TotalWithout, TotalWith;
    std::vector<double> DaemonGrowth, RecorderCpu;
    std::vector<TRecording> Recordings;
    double BusMessagesPerS = -1; // -1: not watched
};

// One round: a window without a recorder, then one with it; the recorder
// starts kSettleMs before its window and ends with SIGINT after it.
void StartRecorder(QProcess& recorder, const TSetup& setup, const QProcessEnvironment& env, const QString& csv)
{
    recorder.setProcessEnvironment(env);
    recorder.start(setup.Client, {"--record", csv});
    recorder.waitForStarted(5000);
}

void RunRound(const TSetup& setup, const QProcessEnvironment& env, TCommandCount& commands, TPids pids,
    const QString& csv, TResults& results)
{
    const TWindow without = MeasureWindow(commands, pids, setup.Seconds);
    QProcess recorder;
    StartRecorder(recorder, setup, env, csv);
    QElapsedTimer recording;
    recording.start();
    QThread::msleep(kSettleMs);
    pids.Recorder = recorder.processId();
    const TWindow with = MeasureWindow(commands, pids, setup.Seconds);
    Stop(recorder, SIGINT);
    const double recorded = double(recording.elapsed()) / 1000;
    results.RateWithout.push_back(without.MedianRate);
    results.CpuWithout.push_back(without.CpuPercent);
    results.TotalWithout.push_back(without.total());
    results.RateWith.push_back(with.MedianRate);
    results.CpuWith.push_back(with.CpuPercent);
    results.TotalWith.push_back(with.total());
    results.DaemonGrowth.push_back(with.DaemonPercent - without.DaemonPercent);
    results.RecorderCpu.push_back(with.RecorderPercent);
    results.Recordings.push_back(ReadSummary(recorder.readAllStandardError(), recorded));
    const TRecording& r = results.Recordings.back();
    std::printf("round %zu: without %5.1f requests/s, CPU %.2f %% + daemon %.2f %%; with %5.1f requests/s, "
                "CPU %.2f %% + daemon %.2f %% + recorder %.2f %%; recording %5.1f rows/s, %ld cycles missed\n",
        results.Recordings.size(), without.MedianRate, without.CpuPercent, without.DaemonPercent, with.MedianRate,
        with.CpuPercent, with.DaemonPercent, with.RecorderPercent, r.RowsPerSecond, r.Missed);
    std::fflush(stdout);
}

// Messages per second on the bus while a recorder runs, from dbus-monitor's
// one line per message; -1 without dbus-monitor.
double BusMessagesPerSecond(const TSetup& setup, const QProcessEnvironment& env, const QString& csv)
{
    QProcess recorder;
    StartRecorder(recorder, setup, env, csv);
    QThread::msleep(kSettleMs);
    QProcess monitor;
    monitor.setProcessEnvironment(env);
    monitor.start("dbus-monitor", {"--session", "--profile"});
    double perSecond = -1;
    if (monitor.waitForStarted(5000)) {
        QThread::msleep(500); // its own start
        monitor.waitForReadyRead(100);
        monitor.readAllStandardOutput();
        QThread::msleep(kBusWatchSeconds * 1000);
        monitor.waitForReadyRead(100);
        perSecond = double(monitor.readAllStandardOutput().count('\n')) / kBusWatchSeconds;
    }
    Stop(monitor, SIGTERM);
    Stop(recorder, SIGINT);
    return perSecond;
}

bool Report(const TResults& results)
{
    const double rateWithout = Median(results.RateWithout);
    const double rateWith = Median(results.RateWith);
    const double cpuGrowth = Median(results.TotalWith) - Median(results.TotalWithout);
    const bool rateMet = rateWith >= (1 - kMaxRateLoss) * rateWithout;
    const bool cpuMet = cpuGrowth <= kMaxCpuGrowthPct;
    const bool busMet = results.BusMessagesPerS >= 0 && results.BusMessagesPerS < kMaxBusMessagesPerS;
    bool recordingsMet = !results.Recordings.empty();
    for (const TRecording& r : results.Recordings)
        recordingsMet = recordingsMet && r.Missed == 0 && r.RowsPerSecond >= (1 - kMaxRateLoss) * rateWithout;
    std::printf("median rate without %.1f, with %.1f requests/s (at least %.1f) %s\n", rateWithout, rateWith,
        (1 - kMaxRateLoss) * rateWithout, rateMet ? "met" : "NOT met");
    std::printf("median CPU of the program without %.2f %%, with %.2f %%; bus daemon %+.2f %%; recorder %.2f %%\n",
        Median(results.CpuWithout), Median(results.CpuWith), Median(results.DaemonGrowth), Median(results.RecorderCpu));
    std::printf("median CPU of all without %.2f %%, with %.2f %%: %+.2f %% of a core (at most %.1f) %s\n",
        Median(results.TotalWithout), Median(results.TotalWith), cpuGrowth, kMaxCpuGrowthPct,
        cpuMet ? "met" : "NOT met");
    std::printf("recordings: every cycle, rows at the polling rate %s\n", recordingsMet ? "met" : "NOT met");
    if (results.BusMessagesPerS < 0)
        std::printf("bus messages while recording: not watched (dbus-monitor missing) NOT met\n");
    else
        std::printf("bus messages while recording: %.1f per second (below %.0f) %s\n", results.BusMessagesPerS,
            kMaxBusMessagesPerS, busMet ? "met" : "NOT met");
    const bool met = rateMet && cpuMet && recordingsMet && busMet;
    std::printf("targets: %s\n", met ? "met" : "NOT met");
    return met;
}

int Run(const TSetup& setup)
{
    QTemporaryDir dir;
    const QString programDir = dir.filePath("program");
    const QString portDir = dir.filePath("ports");
    const QString log = dir.filePath("commands.log");
    QDir().mkpath(programDir);
    if (!QFile::copy(setup.K740, programDir + "/k740")) {
        std::fprintf(stderr, "stream_bench: cannot copy %s\n", qPrintable(setup.K740));
        return 2;
    }
    QProcess bus;
    const QString address = StartBus(bus);
    QProcess sim;
    if (address.isEmpty() || !StartSimulator(sim, setup.Sim, portDir, kPortName, log, setup.Speed)) {
        std::fprintf(stderr, "stream_bench: dbus-daemon or %s did not start\n", qPrintable(setup.Sim));
        Stop(sim, SIGTERM);
        Stop(bus, SIGTERM);
        return 2;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("K740_VPORT_DIR", portDir);
    QProcess program;
    StartProgram(program, env, programDir, dir.filePath("k740.err"));

    TCommandCount commands(log);
    TResults results;
    const bool polling = AwaitPolling(commands, program, 20000);
    if (polling) {
        QThread::msleep(kSettleMs);
        const TPids pids{program.processId(), bus.processId(), 0};
        for (int round = 0; round < setup.Rounds && program.state() == QProcess::Running; ++round)
            RunRound(setup, env, commands, pids, dir.filePath("run.csv"), results);
        results.BusMessagesPerS = BusMessagesPerSecond(setup, env, dir.filePath("run.csv"));
    } else {
        std::fprintf(stderr, "stream_bench: k740 did not start polling\n");
    }
    const bool met = polling && program.state() == QProcess::Running && Report(results);
    Stop(program, SIGTERM);
    Stop(sim, SIGTERM);
    Stop(bus, SIGTERM);
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString here = QCoreApplication::applicationDirPath();
    TSetup setup;
    setup.K740 = ArgumentAfter(arguments, "--k740", here + "/k740");
    setup.Sim = ArgumentAfter(arguments, "--sim", here + "/k740-sim");
    setup.Client = ArgumentAfter(arguments, "--client", here + "/k740-position");
    setup.Seconds = std::max(1, ArgumentAfter(arguments, "--seconds", "20").toInt());
    setup.Rounds = std::max(1, ArgumentAfter(arguments, "--rounds", "3").toInt());
    setup.Speed = ArgumentAfter(arguments, "--speed", "2000").toInt();
    return Run(setup);
}
