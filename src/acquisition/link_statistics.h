#pragma once
#include "acquisition/frame_decoder.h"
#include "acquisition/round_trip_histogram.h"
#include "link/transaction.h"

#include <QString>
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

namespace k740 {

// How the link to the interface went since the figures were reset (across
// connections), as read at one moment.
struct TLinkFigures {
    double Seconds = 0;             // since the figures were reset
    double ConnectedSeconds = 0;    // since the current connection was made; 0 while not connected
    uint64_t Cycles = 0;            // acquisition cycles run
    uint64_t Exchanges = 0;         // commands sent with a reply awaited
    uint64_t Frames = 0;            // position replies decoded
    uint64_t InvalidFrames = 0;     // of those, unusable ("- - - - - -")
    uint64_t CrcFailures = 0;       // of those, with a CRC mismatch
    uint64_t Timeouts = 0;          // exchanges that got no byte in time
    uint64_t IncompleteReplies = 0; // exchanges whose reply lacked its carriage return in time
    uint64_t LateReplies = 0;       // exchanges before which bytes that came too late were dropped
    uint64_t LinkLosses = 0;
    uint64_t DroppedRows = 0;       // rows of cycles a stream's reader had no room for
    double PollingRate = 0;         // cycles per second in the last second
    uint32_t RoundTripMedianUs = 0; // of the complete exchanges; 0 before the first
    uint32_t RoundTripP99Us = 0;
};

// Counts what happens on the link, in fixed storage: counting never
// allocates, so the acquisition cycle can do it every time. A reset starts
// the counts afresh but leaves the current connection's start.
class TLinkStatistics {
public:
    using TClock = std::chrono::steady_clock;

    void reset(TClock::time_point now);
    // A cycle whose position exchange ended at `replyTime`.
    void countCycle(TClock::time_point replyTime);
    // An exchange and its result; `replyEmpty` tells a time-out from an
    // incomplete reply.
    void countExchange(const TLinkResult& result, bool replyEmpty, TClock::duration roundTrip);
    void countFrame(const TFrameChecks& checks);
    void countLateReply() { ++Counts.LateReplies; }
    void countLinkLoss();
    void countDroppedRows(uint64_t rows) { Counts.DroppedRows += rows; }
    void connected(TClock::time_point now) { ConnectedSince = now; }
    TLinkFigures figures(TClock::time_point now) const;
    uint64_t timeouts() const { return Counts.Timeouts; }

private:
    double pollingRate(TClock::time_point now) const;

    TLinkFigures Counts;
    TClock::time_point Since;
    std::optional<TClock::time_point> ConnectedSince;
    // The latest cycles' times, enough for more than a second at full rate.
    std::array<TClock::time_point, 128> CycleTimes{};
    TRoundTripHistogram RoundTrips;
};

// The connection field's hint: "97.1 polls/s · 120 345 frames · 3 CRC
// failed · 0 time-outs" (time-outs and incomplete replies together).
QString LinkFiguresHint(const TLinkFigures& figures);

} // namespace k740
