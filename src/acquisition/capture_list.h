#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>

namespace k740 {

// The capture list's interval at start, in milliseconds.
constexpr uint16_t kDefaultCaptureIntervalMs = 1000;

// What one automatic capture step did.
enum class TAutoCapture {
    NotDue,   // the interval has not passed yet
    Captured, // the text became a new line
    Skipped,  // the read-out was empty; the interval starts again
    ListFull, // the list holds kMaxCaptureLines lines: automatic capture stops
};

// The capture list: the read-out's texts, one per line, captured on request
// and at intervals, and whatever the user typed in between. A text that
// ends with a line break has an empty last line, which is not a line of the
// list; the next capture is written into it. Empty lines before it stay.
class TCaptureList {
public:
    // No capture adds a line to a list this long (the user's typing can
    // make it longer).
    static constexpr int kMaxCaptureLines = 10000;

    // The interval counts from `startTick`.
    explicit TCaptureList(uint32_t startTick);

    // The user edited the list; `lines` are all of its lines, the last one
    // empty when the text ends with a line break.
    void setLines(QStringList lines);
    const QStringList& lines() const { return Lines; }
    bool full() const { return Lines.size() >= kMaxCaptureLines; }

    // Adds `text` as a line unless it is empty or the list is full; true
    // when it did.
    bool capture(const QString& text);

    // The automatic capture at tick `now`: due when more than the interval
    // has passed since the last one (a tick difference, so the counter's
    // wrap-around does not matter); a due step restarts the interval.
    TAutoCapture captureIfDue(const QString& text, uint32_t now);
    void setInterval(uint16_t ms) { IntervalMs = ms; }

private:
    QStringList Lines;
    uint16_t IntervalMs = kDefaultCaptureIntervalMs;
    uint32_t LastCaptureTick;
};

} // namespace k740
