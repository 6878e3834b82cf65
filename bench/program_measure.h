#pragma once
// What the benchmarks that run k740 against k740-sim share: the simulator's
// start, the count of the requests it received, a process's CPU time, a
// window's figures and the end of a process.
#include "bench_support.h"
#include "machine_load.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <array>
#include <csignal>
#include <unistd.h>
#include <vector>

// The fields of /proc/<pid>/stat after the command name, which may hold blanks.
inline QList<QByteArray> StatFields(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ');
}

// utime + stime of the process in seconds.
inline double CpuSeconds(qint64 pid)
{
    const QList<QByteArray> fields = StatFields(pid); // fields[0] is the state, field 3 of the file
    if (fields.size() < 13)
        return 0;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

// Counts the complete lines of the simulator's command log as it grows.
class TCommandCount {
public:
    explicit TCommandCount(const QString& path)
        : Log(path)
    {
    }

    void update()
    {
        for (const QString& line : Log.take()) {
            if (!line.isEmpty())
                ++All;
            if (line == QLatin1String("?"))
                ++Positions;
        }
    }
    long positions() const { return Positions; }
    long all() const { return All; }

private:
    TNewLines Log;
    long Positions = 0;
    long All = 0;
};

// Position requests counted in each second of a window of `seconds`; the
// wake-ups keep to the window's start, so each count covers one second.
// `eachSecond` runs after each count.
template <typename EachSecond>
std::vector<double> RequestsPerSecond(TCommandCount& commands, int seconds, EachSecond eachSecond)
{
    std::vector<double> perSecond;
    commands.update();
    long before = commands.positions();
    QElapsedTimer clock;
    clock.start();
    for (int second = 1; second <= seconds; ++second) {
        QThread::msleep(ulong(std::max<qint64>(0, second * 1000 - clock.elapsed())));
        commands.update();
        perSecond.push_back(double(commands.positions() - before));
        before = commands.positions();
        eachSecond();
    }
    return perSecond;
}

// The processes a window watches: the program, the X server (0 when the
// program runs offscreen) and the simulator.
struct TMeasuredPids {
    qint64 Program = 0;
    qint64 Server = 0;
    qint64 Simulator = 0;
};

// What a window measured; CPU shares in % of one core.
struct TWindowFigures {
    double MedianRate = 0; // of the position requests counted in each second
    double Rate = 0;       // position requests per second over the window
    double ExchangesPerCycle = 0;
    double ProgramCpu = 0;
    double ServerCpu = 0;
    double OtherLoad = 0; // the rest of the machine: all but the watched processes and this one
    double Steal = 0;     // what the hypervisor took from the machine's CPUs
};

// Measures a window of `seconds`; `eachSecond` runs after each second's count.
template <typename EachSecond>
TWindowFigures MeasureWindow(TCommandCount& commands, const TMeasuredPids& pids, int seconds, EachSecond eachSecond)
{
    const auto cpuNow = [&] {
        return std::array<double, 4>{
            CpuSeconds(pids.Program), CpuSeconds(pids.Server), CpuSeconds(pids.Simulator), ProcessCpuSeconds()};
    };
    commands.update();
    const long positionsStart = commands.positions();
    const long allStart = commands.all();
    const std::array<double, 4> cpuStart = cpuNow();
    const TMachineTime machineStart = MachineTime();
    QElapsedTimer clock;
    clock.start();
    const std::vector<double> perSecond = RequestsPerSecond(commands, seconds, eachSecond);
    const std::array<double, 4> cpuEnd = cpuNow();
    const TMachineTime machineEnd = MachineTime();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    double watched = 0;
    for (size_t i = 0; i < cpuEnd.size(); ++i)
        watched += cpuEnd[i] - cpuStart[i];
    const long positions = commands.positions() - positionsStart;
    TWindowFigures f;
    f.MedianRate = Median(perSecond);
    f.Rate = double(positions) / wall;
    f.ExchangesPerCycle = positions > 0 ? double(commands.all() - allStart) / double(positions) : 0;
    f.ProgramCpu = 100 * (cpuEnd[0] - cpuStart[0]) / wall;
    f.ServerCpu = 100 * (cpuEnd[1] - cpuStart[1]) / wall;
    f.OtherLoad = std::max(0.0, 100 * (machineEnd.Busy - machineStart.Busy - watched) / wall);
    f.Steal = 100 * (machineEnd.Steal - machineStart.Steal) / wall;
    return f;
}

// A counting interface named `name` in `portDir` whose encoder moves at
// `speed` counts per second, logging its commands to `log`; true once it
// reported ready.
inline bool StartSimulator(
    QProcess& sim, const QString& program, const QString& portDir, const QString& name, const QString& log, int speed)
{
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(program,
        {"--dir", portDir, "--name", name, "--encoder", "counter", "--speed", QString::number(speed), "--log-commands",
            log});
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && sim.state() != QProcess::NotRunning) {
        if (!sim.canReadLine() && !sim.waitForReadyRead(500))
            continue;
        if (sim.readLine().startsWith("ready "))
            return true;
    }
    return false;
}

// Starts the copy of k740 in `programDir` with `env` and `arguments`; its
// standard output is discarded, its standard error goes to `errorFile`.
inline void StartProgram(QProcess& program, const QProcessEnvironment& env, const QString& programDir,
    const QString& errorFile, const QStringList& arguments = {})
{
    program.setProcessEnvironment(env);
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(errorFile);
    program.start(programDir + "/k740", arguments);
    program.waitForStarted(5000);
}

inline void Stop(QProcess& process, int signal)
{
    if (process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(process.processId()), signal);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

// Waits up to timeoutMs for the first position request.
inline bool AwaitPolling(TCommandCount& commands, const QProcess& program, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && program.state() == QProcess::Running) {
        commands.update();
        if (commands.positions() > 0)
            return true;
        QThread::msleep(50);
    }
    return false;
}
