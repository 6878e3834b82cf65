#include "soak/soak_run.h"

#include "bench_support.h"
#include "soak/fault_schedule.h"
#include "support/e2e_harness.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <map>

namespace soak {

namespace {

// A BiSS-C encoder, so that the CRC and FFFF faults reach the decoder; the
// INI file carries comments, a foreign section and a foreign key, which the
// program must keep.
const char kIni[] = "; Test bench settings, kept by hand\r\n"
                    "[Other.Program]\r\n"
                    "; belongs to another program\r\n"
                    "Colour=blue\r\n"
                    "\r\n"
                    "[K740.vcom0]\r\n"
                    "; the encoder on the soak bench\r\n"
                    "Rotary=1\r\nCPR=67108864\r\nDegrees=1\r\nBiSS=1\r\nSSIStatusBits=2\r\nCRCBits=6\r\n"
                    "BenchNote=kept\r\n";
const QStringList kIniKept = {"; Test bench settings, kept by hand", "[Other.Program]", "; belongs to another program",
    "Colour=blue", "; the encoder on the soak bench", "BenchNote=kept", "BiSS=1", "Degrees=1"};
const QStringList kSimulator = {"--encoder", "biss", "--kind", "S", "--bits", "26", "--status-bits", "2", "--speed",
    "20000", "--position", "1193046"};
const char kLogName[] = "K740_vcom0.LOG";
const char kPollCommand[] = "4";
constexpr int kPollsToResume = 20;
constexpr int kResumeLimitMs = 20000;
constexpr double kRssGrowthLimitMiB = 4;
constexpr int kRssReportRounds = 10;

void Print(const QString& line)
{
    std::printf("soak: %s\n", qPrintable(line));
    std::fflush(stdout);
}

class TSoak {
public:
    TSoak(const QString& vports, const QStringList& simulator)
        : Sim(vports, "vcom0", simulator)
        , Program(QString::fromLatin1(kIni))
        , Commands(vports + "/vcom0.commands")
        , Vports(vports)
    {
    }

    bool start(QStringList& problems)
    {
        if (!Sim.ready()) {
            problems << "k740-sim did not start";
            return false;
        }
        Program.start(Vports, {"/A"});
        if (!Program.waitForLines(kLogName, 1, 15000)) {
            problems << "the program did not connect and log within 15 s";
            return false;
        }
        RssStart = RssKb(Program.processId()) / 1024.0;
        return true;
    }

    // Applies one fault, clears it and waits for polling to resume.
    bool apply(const TFaultStep& step, QStringList& problems)
    {
        Sim.send(FaultOnLine(step.Fault));
        QThread::msleep(step.HoldMs);
        Commands.take();
        const int logLines = Program.fileLines(kLogName).size();
        Sim.send(FaultOffLine(step.Fault));
        if (step.Fault == TSoakFault::Unplug && Sim.waitForLine("ready").isEmpty()) {
            problems << "k740-sim did not replug";
            return false;
        }
        ++Applied[FaultName(step.Fault)];
        QElapsedTimer clock;
        clock.start();
        int polls = 0;
        while (clock.elapsed() < kResumeLimitMs) {
            polls += Commands.take().count(kPollCommand);
            if (polls >= kPollsToResume && Program.fileLines(kLogName).size() > logLines) {
                if (clock.elapsed() > SlowestResumeMs) {
                    SlowestResumeMs = int(clock.elapsed());
                    SlowestFault = FaultName(step.Fault);
                }
                return true;
            }
            if (!Program.running()) {
                problems << "the program exited during " + FaultName(step.Fault);
                return false;
            }
            QThread::msleep(50);
        }
        problems << QStringLiteral("polling did not resume within %1 ms after %2")
                        .arg(kResumeLimitMs)
                        .arg(FaultName(step.Fault));
        return false;
    }

    void endOfRound()
    {
        const double rss = RssKb(Program.processId()) / 1024.0;
        if (Rounds++ == 0)
            RssAfterFirstRound = rss;
        if (Rounds % kRssReportRounds == 0)
            Print(QStringLiteral("round %1: RSS %2 MiB").arg(Rounds).arg(rss, 0, 'f', 1));
        RssEnd = rss;
        RssPeak = std::max(RssPeak, rss);
    }

    void finish(qint64 elapsedMs, QStringList& problems)
    {
        int total = 0;
        QStringList counts;
        for (const auto& [name, count] : Applied) {
            total += count;
            counts << QStringLiteral("%1 %2").arg(name).arg(count);
        }
        Print(QStringLiteral("%1 s, %2 rounds, %3 faults applied (%4)")
                  .arg(elapsedMs / 1000)
                  .arg(Rounds)
                  .arg(total)
                  .arg(counts.join(", ")));
        if (problems.isEmpty())
            Print(QStringLiteral("polling resumed after every fault; slowest %1 ms (%2)")
                      .arg(SlowestResumeMs)
                      .arg(SlowestFault));
        Print(QStringLiteral("RSS start %1 MiB, after round 1 %2 MiB, end %3 MiB, peak %4 MiB")
                  .arg(RssStart, 0, 'f', 1)
                  .arg(RssAfterFirstRound, 0, 'f', 1)
                  .arg(RssEnd, 0, 'f', 1)
                  .arg(RssPeak, 0, 'f', 1));
        if (RssEnd - RssAfterFirstRound > kRssGrowthLimitMiB)
            problems << QStringLiteral("RSS grew by %1 MiB after the first round").arg(RssEnd - RssAfterFirstRound);
        if (!Program.running())
            problems << "the program is not running at the end";
        else if (!Program.terminate())
            problems << "the program did not exit cleanly on SIGTERM";
        checkLog(problems);
        checkIni(problems);
    }

private:
    void checkLog(QStringList& problems)
    {
        const QString text = Program.file(kLogName);
        const QRegularExpression line("^vcom0;\\d\\d\\.\\d\\d\\.\\d{4};\\d\\d:\\d\\d:\\d\\d;-?\\d+([.,]\\d+)?$");
        QStringList lines = text.split("\r\n");
        const bool endsWhole = lines.takeLast().isEmpty();
        int bad = 0;
        for (const QString& l : lines)
            bad += line.match(l).hasMatch() ? 0 : 1;
        Print(QStringLiteral("log: %1 lines, %2 not whole").arg(lines.size()).arg(bad + (endsWhole ? 0 : 1)));
        if (bad > 0 || !endsWhole)
            problems << "the log holds lines that are not whole";
    }

    void checkIni(QStringList& problems)
    {
        const QStringList lines = Program.fileLines("K740.INI");
        QStringList lost;
        for (const QString& kept : kIniKept)
            if (!lines.contains(kept))
                lost << kept;
        Print(lost.isEmpty() ? QStringLiteral("INI kept its foreign sections, keys and comments")
                             : "INI lost: " + lost.join(" | "));
        if (!lost.isEmpty())
            problems << "the INI file lost content it does not own";
    }

    SimulatorProcess Sim;
    ProgramProcess Program;
    TNewLines Commands;
    QString Vports;
    std::map<QString, int> Applied;
    int Rounds = 0;
    int SlowestResumeMs = 0;
    QString SlowestFault;
    double RssStart = 0, RssAfterFirstRound = 0, RssEnd = 0, RssPeak = 0;
};

} // namespace

QStringList RunSoak(const TSoakOptions& options)
{
    QStringList problems;
    QTemporaryDir vports;
    TSoak soak(vports.path(), kSimulator);
    Print(QStringLiteral("%1 min, seed %2").arg(options.Minutes).arg(options.Seed));
    if (!soak.start(problems))
        return problems;
    std::mt19937 random(options.Seed);
    QElapsedTimer clock;
    clock.start();
    const qint64 lengthMs = qint64(options.Minutes * 60000);
    // Whole rounds, at least one, so that every fault is applied.
    bool ok = true;
    do {
        for (const TFaultStep& step : FaultRound(random))
            if (!(ok = soak.apply(step, problems)))
                break;
        soak.endOfRound();
    } while (ok && clock.elapsed() < lengthMs);
    soak.finish(clock.elapsed(), problems);
    return problems;
}

} // namespace soak
