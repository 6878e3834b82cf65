// Measures what a long capture list costs the polling cycle: the main window
// runs in this process (offscreen) against k740-sim on a pseudo-terminal,
// capturing automatically every 100 ms, once into an empty list and once into
// a list that the captures of the measured window fill to its 10 000 lines.
// The position requests per second that the simulator receives are compared.
//
// Usage: capture_bench [--sim PATH] [--seconds N] [--rounds N]
// PATH defaults to k740-sim next to this program; each list is measured for
// 20 s, in 2 alternating rounds by default. Exit code 0 when the median rate
// with the long list is within 2 % of the one with the empty list.
#include "bench_support.h"
#include "platform/system_port_provider.h"
#include "ui/main_form.h"
#include "ui/widgets/up_down.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace k740;

namespace {

const char kPortName[] = "bench0";
constexpr int kIntervalMs = 100;
constexpr double kMaxSlowdown = 0.02;

// Position requests in the simulator's command log so far.
long PositionRequests(const QString& log)
{
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return long(file.readAll().count("?\n"));
}

void RunEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct TMeasurement {
    double Rate = 0;        // position requests per second
    double CpuPerCycle = 0; // ms of this process's CPU per request
    int LinesAtEnd = 0;
};

// Starts with `lines` lines in the list and captures for `seconds`.
TMeasurement Measure(TMainForm& form, const QString& log, int lines, int seconds)
{
    const TMainFormControls& c = form.controls();
    c.cbAutoCapture->setChecked(false);
    c.DataMemo->setPlainText(lines > 0 ? QString("12345.678\n").repeated(lines - 1) + "12345.678" : QString());
    c.cbAutoCapture->setChecked(true);
    RunEvents(1000);
    const long requestsStart = PositionRequests(log);
    const double cpuStart = ProcessCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    RunEvents(seconds * 1000);
    TMeasurement m;
    const long requests = PositionRequests(log) - requestsStart;
    m.Rate = double(requests) / (double(clock.nsecsElapsed()) / 1e9);
    m.CpuPerCycle = requests > 0 ? 1000 * (ProcessCpuSeconds() - cpuStart) / double(requests) : 0;
    m.LinesAtEnd = int(form.session().captureList().lines().size());
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString simPath = ArgumentAfter(arguments, "--sim", QCoreApplication::applicationDirPath() + "/k740-sim");
    const int seconds = std::max(1, ArgumentAfter(arguments, "--seconds", "20").toInt());
    const int rounds = std::max(1, ArgumentAfter(arguments, "--rounds", "2").toInt());

    QTemporaryDir dir;
    const QString portDir = dir.filePath("ports");
    const QString log = dir.filePath("commands.log");
    // k740-sim creates the folder private to the user, as the program wants it.
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(simPath,
        {"--dir", portDir, "--name", kPortName, "--encoder", "counter", "--speed", "5000", "--log-commands", log});
    if (!sim.waitForReadyRead(10000) || !sim.readLine().startsWith("ready ")) {
        std::fprintf(stderr, "capture_bench: %s did not report ready\n", qPrintable(simPath));
        return 2;
    }
    qputenv("K740_VPORT_DIR", portDir.toLocal8Bit());

    TSystemPortProvider ports;
    TInterfaceSession session(ports, TDataFolders::beside(dir.path() + "/"), ParseCommandLine({"/D"}));
    TPollLoop loop(session);
    TMainForm form(session, loop);
    form.show();
    loop.start();
    QElapsedTimer waiting;
    waiting.start();
    while (session.notConnected() && waiting.elapsed() < 20000)
        RunEvents(100);
    if (session.notConnected()) {
        std::fprintf(stderr, "capture_bench: the window did not connect\n");
        return 2;
    }
    form.controls().udCaptureInterval->setPosition(kIntervalMs);

    // The long list gains about 1000 / kIntervalMs lines per second and is full at the end.
    const int longList = TCaptureList::kMaxCaptureLines - seconds * 1000 / kIntervalMs;
    std::vector<double> emptyRates, longRates;
    for (int round = 0; round < rounds; ++round) {
        for (const bool full : {false, true}) {
            const TMeasurement m = Measure(form, log, full ? longList : 0, seconds);
            (full ? longRates : emptyRates).push_back(m.Rate);
            std::printf("%-10s %6.2f requests/s, %.3f ms CPU per cycle, %d lines at the end\n",
                full ? "long list" : "empty list", m.Rate, m.CpuPerCycle, m.LinesAtEnd);
            std::fflush(stdout);
        }
    }
    form.close();
    sim.terminate();
    sim.waitForFinished(3000);

    const double empty = Median(emptyRates);
    const double full = Median(longRates);
    const bool met = full >= (1 - kMaxSlowdown) * empty;
    std::printf("median: empty %.2f, long %.2f requests/s (%+.2f %%); target within %.0f %%: %s\n", empty, full,
        empty > 0 ? 100 * (full - empty) / empty : 0, 100 * kMaxSlowdown, met ? "met" : "NOT met");
    return met ? 0 : 1;
}
