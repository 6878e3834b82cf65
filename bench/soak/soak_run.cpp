#include "soak/soak_run.h"

#include "bench_support.h"
#include "e2e/e2e_harness.h"
#include "soak/fault_schedule.h"

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

// Lines appended to a file since the last call.
class NewLines {
public:
    explicit NewLines(const QString& path)
        : file_(path)
    {
    }
    QStringList take()
    {
        if (!file_.isOpen() && !file_.open(QIODevice::ReadOnly))
            return {};
        partial_ += QString::fromLatin1(file_.readAll());
        QStringList lines = partial_.split('\n');
        partial_ = lines.takeLast();
        return lines;
    }

private:
    QFile file_;
    QString partial_;
};

void Print(const QString& line)
{
    std::printf("soak: %s\n", qPrintable(line));
    std::fflush(stdout);
}

class Soak {
public:
    Soak(const QString& vports, const QStringList& simulator)
        : sim_(vports, "vcom0", simulator)
        , program_(QString::fromLatin1(kIni))
        , commands_(vports + "/vcom0.commands")
        , vports_(vports)
    {
    }

    bool start(QStringList& problems)
    {
        if (!sim_.ready()) {
            problems << "k740-sim did not start";
            return false;
        }
        program_.start(vports_, {"/A"});
        if (!program_.waitForLines(kLogName, 1, 15000)) {
            problems << "the program did not connect and log within 15 s";
            return false;
        }
        rssStart_ = RssKb(program_.processId()) / 1024.0;
        return true;
    }

    // Applies one fault, clears it and waits for polling to resume.
    bool apply(const FaultStep& step, QStringList& problems)
    {
        sim_.send(FaultOnLine(step.fault));
        QThread::msleep(step.holdMs);
        commands_.take();
        const int logLines = program_.fileLines(kLogName).size();
        sim_.send(FaultOffLine(step.fault));
        if (step.fault == SoakFault::Unplug && sim_.waitForLine("ready").isEmpty()) {
            problems << "k740-sim did not replug";
            return false;
        }
        ++applied_[FaultName(step.fault)];
        QElapsedTimer clock;
        clock.start();
        int polls = 0;
        while (clock.elapsed() < kResumeLimitMs) {
            polls += commands_.take().count(kPollCommand);
            if (polls >= kPollsToResume && program_.fileLines(kLogName).size() > logLines) {
                if (clock.elapsed() > slowestResumeMs_) {
                    slowestResumeMs_ = int(clock.elapsed());
                    slowestFault_ = FaultName(step.fault);
                }
                return true;
            }
            if (!program_.running()) {
                problems << "the program exited during " + FaultName(step.fault);
                return false;
            }
            QThread::msleep(50);
        }
        problems << QStringLiteral("polling did not resume within %1 ms after %2")
                        .arg(kResumeLimitMs)
                        .arg(FaultName(step.fault));
        return false;
    }

    void endOfRound()
    {
        const double rss = RssKb(program_.processId()) / 1024.0;
        if (rounds_++ == 0)
            rssAfterFirstRound_ = rss;
        if (rounds_ % kRssReportRounds == 0)
            Print(QStringLiteral("round %1: RSS %2 MiB").arg(rounds_).arg(rss, 0, 'f', 1));
        rssEnd_ = rss;
        rssPeak_ = std::max(rssPeak_, rss);
    }

    void finish(qint64 elapsedMs, QStringList& problems)
    {
        int total = 0;
        QStringList counts;
        for (const auto& [name, count] : applied_) {
            total += count;
            counts << QStringLiteral("%1 %2").arg(name).arg(count);
        }
        Print(QStringLiteral("%1 s, %2 rounds, %3 faults applied (%4)")
                  .arg(elapsedMs / 1000)
                  .arg(rounds_)
                  .arg(total)
                  .arg(counts.join(", ")));
        if (problems.isEmpty())
            Print(QStringLiteral("polling resumed after every fault; slowest %1 ms (%2)")
                      .arg(slowestResumeMs_)
                      .arg(slowestFault_));
        Print(QStringLiteral("RSS start %1 MiB, after round 1 %2 MiB, end %3 MiB, peak %4 MiB")
                  .arg(rssStart_, 0, 'f', 1)
                  .arg(rssAfterFirstRound_, 0, 'f', 1)
                  .arg(rssEnd_, 0, 'f', 1)
                  .arg(rssPeak_, 0, 'f', 1));
        if (rssEnd_ - rssAfterFirstRound_ > kRssGrowthLimitMiB)
            problems << QStringLiteral("RSS grew by %1 MiB after the first round").arg(rssEnd_ - rssAfterFirstRound_);
        if (!program_.running())
            problems << "the program is not running at the end";
        else if (!program_.terminate())
            problems << "the program did not exit cleanly on SIGTERM";
        checkLog(problems);
        checkIni(problems);
    }

private:
    void checkLog(QStringList& problems)
    {
        const QString text = program_.file(kLogName);
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
        const QStringList lines = program_.fileLines("K740.INI");
        QStringList lost;
        for (const QString& kept : kIniKept)
            if (!lines.contains(kept))
                lost << kept;
        Print(lost.isEmpty() ? QStringLiteral("INI kept its foreign sections, keys and comments")
                             : "INI lost: " + lost.join(" | "));
        if (!lost.isEmpty())
            problems << "the INI file lost content it does not own";
    }

    SimulatorProcess sim_;
    ProgramProcess program_;
    NewLines commands_;
    QString vports_;
    std::map<QString, int> applied_;
    int rounds_ = 0;
    int slowestResumeMs_ = 0;
    QString slowestFault_;
    double rssStart_ = 0, rssAfterFirstRound_ = 0, rssEnd_ = 0, rssPeak_ = 0;
};

} // namespace

QStringList RunSoak(const SoakOptions& options)
{
    QStringList problems;
    QTemporaryDir vports;
    Soak soak(vports.path(), kSimulator);
    Print(QStringLiteral("%1 min, seed %2").arg(options.minutes).arg(options.seed));
    if (!soak.start(problems))
        return problems;
    std::mt19937 random(options.seed);
    QElapsedTimer clock;
    clock.start();
    const qint64 lengthMs = qint64(options.minutes * 60000);
    // Whole rounds, at least one, so that every fault is applied.
    bool ok = true;
    do {
        for (const FaultStep& step : FaultRound(random))
            if (!(ok = soak.apply(step, problems)))
                break;
        soak.endOfRound();
    } while (ok && clock.elapsed() < lengthMs);
    soak.finish(clock.elapsed(), problems);
    return problems;
}

} // namespace soak
