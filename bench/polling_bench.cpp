// Measures the polling cycle of k740 against k740-sim over a pseudo-terminal:
// position requests per second received by the simulator, the CPU share of
// the program and its resident memory, with and without extended data, with
// the encoder standing and moving. The program runs from a copy in a
// temporary folder, whose K740.INI chooses the extended data: offscreen by
// default, or with --display on an Xvfb server of its own (1600 x 900, Qt's
// xcb platform, no window manager), whose CPU is then counted as well.
//
// Usage: polling_bench [--display] [--k740 PATH] [--sim PATH]
//                      [--seconds N | --minutes N] [--scenario NAME]
// PATH defaults to k740 and k740-sim next to this program; each scenario is
// measured for 20 s by default. Exit code 0 when every target of the table
// below is met (the median of the per-second request counts, the CPU share
// of one core of the program, plus the X server's with --display), and the
// resident memory stays under 100 MB and grows by at most 4 MB in the window.
#include "bench_support.h"
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
#include <unistd.h>
#include <vector>

#include "display_server.h"
#include "program_measure.h"

namespace {

const char kPortName[] = "bench0";
constexpr int kSettleMs = 2000;
constexpr long kMaxRssKb = 100 * 1024;
constexpr long kMaxRssGrowthKb = 4 * 1024;

enum class TScreen { Offscreen, Display };

struct TTargets {
    double MinRate;   // median position requests per second
    double MaxCpuPct; // of one core: the program, plus the X server's on a display
};

struct TScenario {
    const char* Name;
    int Speed; // counts per second: 5000 moves 50 counts per request
    bool Extended;
    TTargets Offscreen;
    TTargets Display;
};

const TScenario kScenarios[] = {
    {"still", 0, false, {97, 1.5}, {95, 5}},
    {"still-extended", 0, true, {90, 2.5}, {88, 6}},
    {"moving", 5000, false, {97, 2}, {95, 3}},
    {"moving-extended", 5000, true, {90, 2.5}, {88, 6}},
};

struct TResult {
    bool Connected = false;
    double Rate = 0;       // mean over the window
    double MedianRate = 0; // median of the per-second counts
    double ExchangesPerCycle = 0;
    double CpuPercent = 0;
    double ServerCpuPercent = 0; // the X server's, on a display
    long RssStartKb = 0;
    long RssEndKb = 0;
    long RssMaxKb = 0;
};

bool WriteSettings(const QString& programDir, bool extended)
{
    QFile ini(programDir + "/K740.INI");
    if (!ini.open(QIODevice::WriteOnly))
        return false;
    ini.write(QStringLiteral("[K740.%1]\nShowExtendedData=%2\n").arg(kPortName).arg(extended ? 1 : 0).toLatin1());
    return true;
}

// `serverPid` is the X server's, or 0 offscreen.
TResult Measure(TCommandCount& commands, qint64 pid, qint64 serverPid, int seconds)
{
    TResult r;
    QThread::msleep(kSettleMs);
    commands.update();
    const long positionsStart = commands.positions();
    const long allStart = commands.all();
    const double cpuStart = CpuSeconds(pid);
    const double serverCpuStart = serverPid ? CpuSeconds(serverPid) : 0;
    r.RssStartKb = r.RssMaxKb = RssKb(pid);
    QElapsedTimer clock;
    clock.start();
    const std::vector<double> perSecond = RequestsPerSecond(commands, seconds, [&] {
        r.RssEndKb = RssKb(pid);
        r.RssMaxKb = std::max(r.RssMaxKb, r.RssEndKb);
    });
    commands.update();
    const double cpu = CpuSeconds(pid) - cpuStart;
    const double serverCpu = serverPid ? CpuSeconds(serverPid) - serverCpuStart : 0;
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const long positions = commands.positions() - positionsStart;
    r.Rate = double(positions) / wall;
    r.MedianRate = Median(perSecond);
    r.ExchangesPerCycle = positions > 0 ? double(commands.all() - allStart) / double(positions) : 0;
    r.CpuPercent = 100 * cpu / wall;
    r.ServerCpuPercent = 100 * serverCpu / wall;
    r.Connected = true;
    return r;
}

TResult RunScenario(const TScenario& scenario, TScreen screen, const QString& k740, const QString& simPath, int seconds)
{
    QTemporaryDir dir;
    const QString programDir = dir.filePath("program");
    const QString portDir = dir.filePath("ports");
    const QString log = dir.filePath("commands.log");
    QDir().mkpath(programDir);
    if (!QFile::copy(k740, programDir + "/k740") || !WriteSettings(programDir, scenario.Extended)) {
        std::fprintf(stderr, "polling_bench: cannot prepare %s\n", qPrintable(programDir));
        return {};
    }
    QProcess sim;
    if (!StartSimulator(sim, simPath, portDir, kPortName, log, scenario.Speed)) {
        std::fprintf(stderr, "polling_bench: %s did not report ready\n", qPrintable(simPath));
        Stop(sim, SIGTERM);
        return {};
    }
    TDisplayServer server;
    if (screen == TScreen::Display && !server.start("1600x900x24")) {
        std::fprintf(stderr, "polling_bench: Xvfb did not start\n");
        Stop(sim, SIGTERM);
        return {};
    }
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (screen == TScreen::Display) {
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", server.display());
        env.remove("WAYLAND_DISPLAY");
    } else {
        env.insert("QT_QPA_PLATFORM", "offscreen");
    }
    env.insert("K740_VPORT_DIR", portDir);
    StartProgram(program, env, programDir, dir.filePath("k740.err"));

    TCommandCount commands(log);
    TResult r;
    if (AwaitPolling(commands, program, 20000))
        r = Measure(commands, program.processId(), screen == TScreen::Display ? server.pid() : 0, seconds);
    else
        std::fprintf(stderr, "polling_bench: k740 did not start polling: %s\n", qPrintable(program.errorString()));
    if (program.state() != QProcess::Running)
        r.Connected = false;
    Stop(program, SIGTERM);
    Stop(sim, SIGTERM);
    return r;
}

bool Report(const TScenario& scenario, TScreen screen, const TResult& r)
{
    const TTargets& targets = screen == TScreen::Display ? scenario.Display : scenario.Offscreen;
    // Cycles are at least 10 ms apart, so more than 100 per second means the
    // pause between them broke.
    const bool rateMet = r.MedianRate >= targets.MinRate && r.Rate <= 100.5;
    const double cpuPercent = r.CpuPercent + r.ServerCpuPercent;
    const bool cpuMet = cpuPercent <= targets.MaxCpuPct;
    const bool rssMet = r.RssMaxKb < kMaxRssKb && r.RssEndKb - r.RssStartKb <= kMaxRssGrowthKb;
    // Guards against settings that did not take effect: 1 or 4 exchanges per cycle.
    const bool setupMet = scenario.Extended ? r.ExchangesPerCycle > 3.5 : r.ExchangesPerCycle < 1.5;
    std::printf("%-16s speed %4d  median %5.1f requests/s (target %.0f), mean %5.1f (at most 100) %s, "
                "%.2f exchanges per cycle%s\n",
        scenario.Name, scenario.Speed, r.MedianRate, targets.MinRate, r.Rate, rateMet ? "met" : "NOT met",
        r.ExchangesPerCycle, setupMet ? "" : " (settings not applied)");
    if (screen == TScreen::Display)
        std::printf("%-16s CPU %.2f %% + X server %.2f %% = %.2f %% (target %.1f) %s\n", "", r.CpuPercent,
            r.ServerCpuPercent, cpuPercent, targets.MaxCpuPct, cpuMet ? "met" : "NOT met");
    else
        std::printf(
            "%-16s CPU %.2f %% (target %.1f) %s\n", "", r.CpuPercent, targets.MaxCpuPct, cpuMet ? "met" : "NOT met");
    std::printf("%-16s RSS start %ld kB, end %ld kB, max %ld kB %s\n", "", r.RssStartKb, r.RssEndKb, r.RssMaxKb,
        rssMet ? "met" : "NOT met");
    std::fflush(stdout);
    return r.Connected && setupMet && rateMet && cpuMet && rssMet;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString here = QCoreApplication::applicationDirPath();
    const QString k740 = ArgumentAfter(arguments, "--k740", here + "/k740");
    const QString simPath = ArgumentAfter(arguments, "--sim", here + "/k740-sim");
    const int minutes = ArgumentAfter(arguments, "--minutes", "0").toInt();
    const int seconds = std::max(1, minutes > 0 ? minutes * 60 : ArgumentAfter(arguments, "--seconds", "20").toInt());
    const QString only = ArgumentAfter(arguments, "--scenario", QString());
    const TScreen screen = arguments.contains("--display") ? TScreen::Display : TScreen::Offscreen;

    bool allMet = true;
    int run = 0;
    for (const TScenario& scenario : kScenarios) {
        if (!only.isEmpty() && only != QLatin1String(scenario.Name))
            continue;
        ++run;
        allMet = Report(scenario, screen, RunScenario(scenario, screen, k740, simPath, seconds)) && allMet;
    }
    if (run == 0) {
        std::fprintf(stderr, "polling_bench: no scenario named %s\n", qPrintable(only));
        return 2;
    }
    std::printf("targets: %s\n", allMet ? "met" : "NOT met");
    return allMet ? 0 : 1;
}
