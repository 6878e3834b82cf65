// Measures Transact against k740-sim over a pseudo-terminal: the round trip
// of a one-byte command with a short reply (median and 99th percentile), and
// the CPU time this process spends per exchange and while it waits in vain.
//
// Usage: transact_bench [--sim PATH] [--count N]
// PATH defaults to k740-sim next to this program. Exit code 0 when the
// targets are met: median round trip < 0.5 ms, CPU time < 1/4 of the wall
// time spent waiting.
#include "bench_support.h"
#include "link/transaction.h"
#include "platform/qt_serial_port.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace k740;

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Starts the simulator and returns the path of its port, or an empty text.
QString StartSimulator(QProcess& sim, const QString& program, const QString& dir)
{
    sim.start(program, {"--dir", dir, "--name", "bench0", "--encoder", "counter"});
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && sim.state() != QProcess::NotRunning) {
        if (!sim.canReadLine() && !sim.waitForReadyRead(500))
            continue;
        const QString line = QString::fromUtf8(sim.readLine()).trimmed();
        if (line.startsWith("ready "))
            return line.mid(6);
    }
    return {};
}

void StopSimulator(QProcess& sim)
{
    sim.write("quit\n");
    if (!sim.waitForFinished(3000)) {
        sim.terminate();
        sim.waitForFinished(3000);
    }
}

struct TMeasurement {
    double WallSeconds = 0;
    double CpuSeconds = 0;
    std::vector<double> RoundTripsMs;
    int Failures = 0;
};

TMeasurement Exchange(ISerialPort& port, const QByteArray& command, int count)
{
    TMeasurement m;
    QByteArray reply;
    QElapsedTimer wall;
    QElapsedTimer one;
    const double cpuStart = CpuSeconds();
    wall.start();
    for (int i = 0; i < count; ++i) {
        one.start();
        if (!Transact(&port, command, 0, false, reply).ok())
            ++m.Failures;
        m.RoundTripsMs.push_back(double(one.nsecsElapsed()) / 1e6);
    }
    m.WallSeconds = double(wall.nsecsElapsed()) / 1e9;
    m.CpuSeconds = CpuSeconds() - cpuStart;
    std::sort(m.RoundTripsMs.begin(), m.RoundTripsMs.end());
    return m;
}

double Percentile(const std::vector<double>& sorted, double fraction)
{
    return sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, size_t(fraction * double(sorted.size())))];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString simPath = ArgumentAfter(arguments, "--sim", QCoreApplication::applicationDirPath() + "/k740-sim");
    const int count = std::max(1, ArgumentAfter(arguments, "--count", "5000").toInt());

    QTemporaryDir dir;
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QString portPath = StartSimulator(sim, simPath, dir.path());
    if (portPath.isEmpty()) {
        std::fprintf(stderr, "transact_bench: %s did not report ready\n", qPrintable(simPath));
        return 2;
    }
    const TOpenedPort opened = TQtSerialPort::open(portPath);
    ISerialPort* port = opened.Port.get();
    if (!port || !port->configureLine().ok()) {
        std::fprintf(stderr, "transact_bench: cannot open %s (%s)\n", qPrintable(portPath),
            qPrintable(LinkResultText(opened.Result)));
        StopSimulator(sim);
        return 2;
    }

    Exchange(*port, "?", 100); // warm-up
    const TMeasurement answered = Exchange(*port, "?", count);
    sim.write("fault silence\n");
    sim.waitForBytesWritten(1000);
    Exchange(*port, "?", 2); // let the fault take effect
    const TMeasurement silent = Exchange(*port, "?", 10);
    StopSimulator(sim);

    const double median = Percentile(answered.RoundTripsMs, 0.5);
    const double p99 = Percentile(answered.RoundTripsMs, 0.99);
    const double answeredShare = answered.CpuSeconds / answered.WallSeconds;
    const double silentShare = silent.CpuSeconds / silent.WallSeconds;
    std::printf("answered \"?\": %d exchanges, %d failed\n", count, answered.Failures);
    std::printf("  round trip median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n", median, p99,
        answered.RoundTripsMs.back());
    std::printf(
        "  CPU %.1f us per exchange, %.1f %% of wall time\n", 1e6 * answered.CpuSeconds / count, 100 * answeredShare);
    std::printf("silent device: %d time-outs of 10, %.1f ms each, CPU %.2f %% of wall time\n", silent.Failures,
        1e3 * silent.WallSeconds / 10, 100 * silentShare);

    const bool met = answered.Failures == 0 && median < 0.5 && answeredShare < 0.25 && silentShare < 0.25;
    std::printf("targets (median < 0.5 ms, CPU < 1/4 of wall): %s\n", met ? "met" : "NOT met");
    return met ? 0 : 1;
}
