#pragma once
// What the benchmarks that run k740 against k740-sim set up: their common
// options, a temporary folder with a copy of k740 (whose K740.INI is then
// the benchmark's own), the simulator and, on a display, an Xvfb server of
// their own (1600 x 900, Qt's xcb platform, no window manager).
#include "display_server.h"
#include "program_measure.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>

// The simulator's port, and the section of K740.INI that configures it.
inline constexpr char kBenchPort[] = "bench0";

enum class TScreen { Offscreen, Display };

// --k740 PATH and --sim PATH (k740 and k740-sim next to this program by
// default), --seconds N or --minutes N (20 s by default), --rounds N.
struct TBenchOptions {
    QString K740;
    QString Sim;
    int Seconds = 20;
    int Rounds = 1;
};

inline TBenchOptions BenchOptions(int defaultRounds)
{
    const QStringList arguments = QCoreApplication::arguments();
    const QString here = QCoreApplication::applicationDirPath();
    TBenchOptions options;
    options.K740 = ArgumentAfter(arguments, "--k740", here + "/k740");
    options.Sim = ArgumentAfter(arguments, "--sim", here + "/k740-sim");
    const int minutes = ArgumentAfter(arguments, "--minutes", "0").toInt();
    options.Seconds = std::max(1, minutes > 0 ? minutes * 60 : ArgumentAfter(arguments, "--seconds", "20").toInt());
    options.Rounds = std::max(1, ArgumentAfter(arguments, "--rounds", QString::number(defaultRounds)).toInt());
    return options;
}

class TProgramStage {
public:
    // `bench` names the benchmark in its messages.
    explicit TProgramStage(const char* bench)
        : Bench(bench)
    {
    }
    TProgramStage(const TProgramStage&) = delete;
    TProgramStage& operator=(const TProgramStage&) = delete;
    ~TProgramStage() { Stop(Simulator, SIGTERM); }

    // Copies k740, starts the simulator with its encoder moving at `speed`
    // counts per second and, on a display, the X server; false, with what
    // failed on standard error, when one of them did not.
    bool start(const TBenchOptions& options, int speed, TScreen screen)
    {
        Screen = screen;
        if (!Dir.isValid() || !QDir().mkpath(programDir()) || !QFile::copy(options.K740, programDir() + "/k740")) {
            std::fprintf(stderr, "%s: cannot copy %s\n", Bench, qPrintable(options.K740));
            return false;
        }
        if (!StartSimulator(Simulator, options.Sim, Dir.filePath("ports"), kBenchPort, log(), speed)) {
            std::fprintf(stderr, "%s: %s did not report ready\n", Bench, qPrintable(options.Sim));
            return false;
        }
        if (screen == TScreen::Display && !Server.start("1600x900x24")) {
            std::fprintf(stderr, "%s: Xvfb did not start\n", Bench);
            return false;
        }
        return true;
    }

    QString programDir() const { return Dir.filePath("program"); }
    // The simulator's command log.
    QString log() const { return Dir.filePath("commands.log"); }

    // The environment k740 runs in: its platform, and the simulator's ports
    // as the only ones it finds.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (Screen == TScreen::Display) {
            env.insert("QT_QPA_PLATFORM", "xcb");
            env.insert("DISPLAY", Server.display());
            env.remove("WAYLAND_DISPLAY");
        } else {
            env.insert("QT_QPA_PLATFORM", "offscreen");
        }
        env.insert("K740_VPORT_DIR", Dir.filePath("ports"));
        return env;
    }

    // Starts the copy of k740 with `arguments` in `env`, waits for its first
    // position request and lets it settle for `settleMs`; false, with why on
    // standard error, when it did not start polling.
    bool startProgram(QProcess& program, TCommandCount& commands, const QProcessEnvironment& env,
        const QStringList& arguments, int settleMs)
    {
        StartProgram(program, env, programDir(), Dir.filePath("k740.err"), arguments);
        if (!AwaitPolling(commands, program, 20000)) {
            std::fprintf(stderr, "%s: k740 did not start polling: %s\n", Bench, qPrintable(program.errorString()));
            return false;
        }
        QThread::msleep(ulong(settleMs));
        return true;
    }

    TMeasuredPids pids(const QProcess& program) const
    {
        return {program.processId(), Screen == TScreen::Display ? Server.pid() : 0, Simulator.processId()};
    }

private:
    const char* Bench;
    QTemporaryDir Dir;
    QProcess Simulator;
    TDisplayServer Server;
    TScreen Screen = TScreen::Offscreen;
};
