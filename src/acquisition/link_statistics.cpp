#include "acquisition/link_statistics.h"

#include "settings/decimal_text.h"

#include <algorithm>

namespace k740 {

void TLinkStatistics::reset(TClock::time_point now)
{
    Counts = TLinkFigures();
    Since = now;
    RoundTrips.clear();
}

void TLinkStatistics::countCycle(TClock::time_point replyTime)
{
    CycleTimes[Counts.Cycles % CycleTimes.size()] = replyTime;
    ++Counts.Cycles;
}

void TLinkStatistics::countLinkLoss()
{
    ++Counts.LinkLosses;
    ConnectedSince.reset();
}

void TLinkStatistics::countExchange(const TLinkResult& result, bool replyEmpty, TClock::duration roundTrip)
{
    ++Counts.Exchanges;
    if (result.ok())
        RoundTrips.add(uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(roundTrip).count()));
    else if (result.Outcome == TLinkOutcome::Timeout)
        ++(replyEmpty ? Counts.Timeouts : Counts.IncompleteReplies);
}

void TLinkStatistics::countFrame(const TFrameChecks& checks)
{
    ++Counts.Frames;
    Counts.InvalidFrames += checks.Valid ? 0 : 1;
    Counts.CrcFailures += checks.CrcOk ? 0 : 1;
}

// From the cycles of the last second: one less than their number over the
// time between the first and the last of them.
double TLinkStatistics::pollingRate(TClock::time_point now) const
{
    if (Counts.Cycles == 0)
        return 0;
    const uint64_t kept = std::min<uint64_t>(Counts.Cycles, CycleTimes.size());
    const TClock::time_point newest = CycleTimes[(Counts.Cycles - 1) % CycleTimes.size()];
    uint64_t inWindow = 0;
    TClock::time_point oldest = newest;
    for (uint64_t back = 1; back <= kept; ++back) {
        const TClock::time_point time = CycleTimes[(Counts.Cycles - back) % CycleTimes.size()];
        if (now - time >= std::chrono::seconds(1))
            break;
        oldest = time;
        ++inWindow;
    }
    if (inWindow < 2 || newest == oldest)
        return 0;
    return double(inWindow - 1) / std::chrono::duration<double>(newest - oldest).count();
}

TLinkFigures TLinkStatistics::figures(TClock::time_point now) const
{
    TLinkFigures figures = Counts;
    figures.Seconds = std::chrono::duration<double>(now - Since).count();
    if (ConnectedSince)
        figures.ConnectedSeconds = std::chrono::duration<double>(now - *ConnectedSince).count();
    figures.PollingRate = pollingRate(now);
    figures.RoundTripMedianUs = RoundTrips.quantile(0.5);
    figures.RoundTripP99Us = RoundTrips.quantile(0.99);
    return figures;
}

namespace {

// "120 345": groups of three digits, a blank between them.
QString Grouped(uint64_t value)
{
    QString digits = QString::number(value);
    for (int at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(' '));
    return digits;
}

// "1 frame", "2 frames".
QString Counted(uint64_t value, const char* one, const char* many)
{
    return Grouped(value) + ' ' + QLatin1String(value == 1 ? one : many);
}

} // namespace

QString LinkFiguresHint(const TLinkFigures& figures)
{
    const QString separator = QStringLiteral(" \u00B7 ");
    return FormatFixed(figures.PollingRate, 15, 1) + " polls/s" + separator + Counted(figures.Frames, "frame", "frames")
        + separator + Grouped(figures.CrcFailures) + " CRC failed" + separator
        + Counted(figures.Timeouts + figures.IncompleteReplies, "time-out", "time-outs");
}

} // namespace k740
