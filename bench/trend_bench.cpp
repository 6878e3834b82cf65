// Measures what the trend window costs: k740 against a moving k740-sim on an
// Xvfb server of its own (1600 x 900, Qt's xcb platform, no window manager),
// in alternating rounds without the trend window and with it open ("/T",
// the 60 s span). Each round starts the program afresh, lets it settle and
// counts the position requests per second the simulator receives and the
// CPU of the program and of the X server; it also shows what the rest of
// the machine used meanwhile (the CPU of all other processes, and the time
// a hypervisor stole), in % of one core.
//
// Usage: trend_bench [--k740 PATH] [--sim PATH] [--seconds N | --minutes N] [--rounds N]
// PATH defaults to k740 and k740-sim next to this program; N to 20 seconds
// per round and 2 rounds of each. Exit code 0 when the open window's best
// round costs at most 3 % of a core more (program plus X server) than the
// closed one's best, and the best median polling rate with it open is
// within 1 % of the best without: other work on the machine only ever
// raises the CPU and lowers the rate, so the best rounds are the nearest to
// what the program itself costs. The medians of the rounds are shown beside.
#include "program_stage.h"

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSpeed = 5000; // counts per second: the read-out and the trend move every cycle
constexpr int kSettleMs = 3000;
constexpr double kMaxExtraCpuPct = 3;
constexpr double kMaxRateLossPct = 1;
constexpr int kDefaultRounds = 2;

struct TRound {
    bool Ok = false;
    TWindowFigures Window;
    double cpu() const { return Window.ProgramCpu + Window.ServerCpu; }
};

TRound MeasureRound(TProgramStage& stage, bool trend, int seconds)
{
    QProcess program;
    TCommandCount commands(stage.log());
    TRound r;
    if (stage.startProgram(
            program, commands, stage.environment(), trend ? QStringList{"/T"} : QStringList{}, kSettleMs)) {
        r.Window = MeasureWindow(commands, stage.pids(program), seconds, [] {});
        r.Ok = program.state() == QProcess::Running;
    }
    Stop(program, SIGTERM);
    return r;
}

// The rates and CPU shares of the rounds with the window closed or open.
struct TFigures {
    std::vector<double> Rates;
    std::vector<double> Cpus;
    double bestRate() const { return *std::max_element(Rates.begin(), Rates.end()); }
    double bestCpu() const { return *std::min_element(Cpus.begin(), Cpus.end()); }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const TBenchOptions options = BenchOptions(kDefaultRounds);
    TProgramStage stage("trend_bench");
    if (!stage.start(options, kSpeed, TScreen::Display))
        return 2;
    TFigures figures[2];
    bool ok = true;
    for (int round = 0; round < options.Rounds; ++round) {
        for (bool trend : {false, true}) {
            const TRound r = MeasureRound(stage, trend, options.Seconds);
            ok = ok && r.Ok;
            figures[trend].Rates.push_back(r.Window.MedianRate);
            figures[trend].Cpus.push_back(r.cpu());
            std::printf("round %d, trend %-6s median %5.1f requests/s, CPU %.2f %% (program + X server); the rest of "
                        "the machine %.1f %% of a core, steal %.1f %%\n",
                round + 1, trend ? "open" : "closed", r.Window.MedianRate, r.cpu(), r.Window.OtherLoad, r.Window.Steal);
            std::fflush(stdout);
        }
    }
    const TFigures& closed = figures[0];
    const TFigures& open = figures[1];
    const double extraCpu = open.bestCpu() - closed.bestCpu();
    const double rateLoss = 100 * (closed.bestRate() - open.bestRate()) / std::max(1.0, closed.bestRate());
    const bool cpuMet = extraCpu <= kMaxExtraCpuPct;
    const bool rateMet = rateLoss <= kMaxRateLossPct;
    std::printf("trend open costs %+.2f %% of a core, best against best (medians of the rounds %+.2f) (target at "
                "most %.0f) %s\n",
        extraCpu, Median(open.Cpus) - Median(closed.Cpus), kMaxExtraCpuPct, cpuMet ? "met" : "NOT met");
    std::printf("polling rate %+.2f %% with it open, best against best (medians %.1f and %.1f requests/s) (target at "
                "most %.0f %% lower) %s\n",
        -rateLoss, Median(closed.Rates), Median(open.Rates), kMaxRateLossPct, rateMet ? "met" : "NOT met");
    const bool allMet = ok && cpuMet && rateMet;
    std::printf("targets: %s\n", allMet ? "met" : "NOT met");
    return allMet ? 0 : 1;
}
