// Measures what the trend window costs: k740 against a moving k740-sim on an
// Xvfb server of its own (1600 x 900, Qt's xcb platform, no window manager),
// in alternating rounds without the trend window and with it open ("/T",
// the 60 s span). Each round starts the program afresh, lets it settle and
// counts the position requests per second the simulator receives and the
// CPU of the program and of the X server.
//
// Usage: trend_bench [--k740 PATH] [--sim PATH] [--seconds N] [--rounds N]
// PATH defaults to k740 and k740-sim next to this program; N to 20 seconds
// per round and 2 rounds of each. Exit code 0 when the open window costs at
// most 3 % of a core more (program plus X server) than the closed one, and
// the median polling rate with it open is within 1 % of the rate without.
#include "bench_support.h"
#include "display_server.h"
#include "program_measure.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

namespace {

const char kPortName[] = "bench0";
constexpr int kSpeed = 5000; // counts per second: the read-out and the trend move every cycle
constexpr int kSettleMs = 3000;
constexpr double kMaxExtraCpuPct = 3;
constexpr double kMaxRateLossPct = 1;

struct TRound {
    bool Ok = false;
    double MedianRate = 0;
    double CpuPercent = 0; // program and X server, of one core
};

TRound MeasureRound(const QString& programDir, const QString& portDir, const QString& log, TDisplayServer& server,
    bool trend, int seconds)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", server.display());
    env.remove("WAYLAND_DISPLAY");
    env.insert("K740_VPORT_DIR", portDir);
    StartProgram(program, env, programDir, programDir + "/k740.err", trend ? QStringList{"/T"} : QStringList{});
    TCommandCount commands(log);
    TRound r;
    if (!AwaitPolling(commands, program, 20000)) {
        std::fprintf(stderr, "trend_bench: k740 did not start polling\n");
        Stop(program, SIGTERM);
        return r;
    }
    QThread::msleep(kSettleMs);
    commands.update();
    const double cpuStart = CpuSeconds(program.processId()) + CpuSeconds(server.pid());
    QElapsedTimer clock;
    clock.start();
    const std::vector<double> perSecond = RequestsPerSecond(commands, seconds, [] {});
    const double cpu = CpuSeconds(program.processId()) + CpuSeconds(server.pid()) - cpuStart;
    r.CpuPercent = 100 * cpu / (double(clock.nsecsElapsed()) / 1e9);
    r.MedianRate = Median(perSecond);
    r.Ok = program.state() == QProcess::Running;
    Stop(program, SIGTERM);
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString here = QCoreApplication::applicationDirPath();
    const QString k740 = ArgumentAfter(arguments, "--k740", here + "/k740");
    const QString simPath = ArgumentAfter(arguments, "--sim", here + "/k740-sim");
    const int seconds = std::max(1, ArgumentAfter(arguments, "--seconds", "20").toInt());
    const int rounds = std::max(1, ArgumentAfter(arguments, "--rounds", "2").toInt());

    QTemporaryDir dir;
    const QString programDir = dir.filePath("program");
    const QString portDir = dir.filePath("ports");
    QDir().mkpath(programDir);
    if (!QFile::copy(k740, programDir + "/k740")) {
        std::fprintf(stderr, "trend_bench: cannot copy %s\n", qPrintable(k740));
        return 2;
    }
    QProcess sim;
    TDisplayServer server;
    if (!StartSimulator(sim, simPath, portDir, kPortName, dir.filePath("commands.log"), kSpeed)
        || !server.start("1600x900x24")) {
        std::fprintf(stderr, "trend_bench: the simulator or Xvfb did not start\n");
        Stop(sim, SIGTERM);
        return 2;
    }
    std::vector<double> rates[2];
    std::vector<double> cpus[2];
    bool ok = true;
    for (int round = 0; round < rounds; ++round) {
        for (bool trend : {false, true}) {
            const TRound r = MeasureRound(programDir, portDir, dir.filePath("commands.log"), server, trend, seconds);
            ok = ok && r.Ok;
            rates[trend].push_back(r.MedianRate);
            cpus[trend].push_back(r.CpuPercent);
            std::printf("round %d, trend %-6s median %5.1f requests/s, CPU %.2f %% (program + X server)\n", round + 1,
                trend ? "open" : "closed", r.MedianRate, r.CpuPercent);
            std::fflush(stdout);
        }
    }
    Stop(sim, SIGTERM);
    const double extraCpu = Median(cpus[1]) - Median(cpus[0]);
    const double rateLoss = 100 * (Median(rates[0]) - Median(rates[1])) / std::max(1.0, Median(rates[0]));
    const bool cpuMet = extraCpu <= kMaxExtraCpuPct;
    const bool rateMet = rateLoss <= kMaxRateLossPct;
    std::printf("trend open costs %+.2f %% of a core (target at most %.0f) %s\n", extraCpu, kMaxExtraCpuPct,
        cpuMet ? "met" : "NOT met");
    std::printf("polling rate %+.2f %% with it open (target at most %.0f %% lower) %s\n", -rateLoss, kMaxRateLossPct,
        rateMet ? "met" : "NOT met");
    const bool allMet = ok && cpuMet && rateMet;
    std::printf("targets: %s\n", allMet ? "met" : "NOT met");
    return allMet ? 0 : 1;
}
