#include "acquisition/capture_list.h"

#include <gtest/gtest.h>

using namespace k740;

namespace {
QString Lines(int count)
{
    return QString("x\n").repeated(count);
}
} // namespace

struct CaptureCase {
    QString text; // the list as the user left it
    QString readOut;
    bool captured;
    QStringList lastLines; // the end of the list afterwards
    int count;
};

// An empty last line is no line and takes the capture; the user's earlier
// empty lines stay; the list takes no capture at kMaxCaptureLines lines.
TEST(TCaptureList, LinesEmptyLastLineAndCap)
{
    constexpr int kMax = TCaptureList::kMaxCaptureLines;
    const CaptureCase cases[] = {
        {"", "1.234", true, {"1.234"}, 1},
        {"abc", "1.234", true, {"abc", "1.234"}, 2},
        {"abc\n", "1.234", true, {"abc", "1.234"}, 2},
        {"\nabc\n\n", "1.234", true, {"", "abc", "", "1.234"}, 4},
        {"abc\n", "", false, {"abc"}, 1},
        {Lines(kMax - 1), "1.234", true, {"x", "1.234"}, kMax},
        {Lines(kMax), "1.234", false, {"x"}, kMax},
        {Lines(kMax) + "typed", "1.234", false, {"x", "typed"}, kMax + 1},
    };
    for (const CaptureCase& c : cases) {
        TCaptureList list(0);
        list.setLines(c.text.split('\n'));
        EXPECT_EQ(list.capture(c.readOut), c.captured) << qPrintable(c.text.left(20));
        EXPECT_EQ(list.lines().size(), c.count) << qPrintable(c.text.left(20));
        EXPECT_EQ(list.lines().mid(list.lines().size() - c.lastLines.size()), c.lastLines)
            << qPrintable(c.text.left(20));
    }
}

struct StepCase {
    uint32_t now;
    QString readOut;
    TAutoCapture expected;
};

// Due only when strictly more than the interval has passed, across the
// counter's wrap-around; an empty read-out and a full list restart the
// interval as a capture does.
TEST(TCaptureList, IntervalAcrossTheWrap)
{
    constexpr uint32_t kStart = 0xFFFFFFC0u; // 64 ms before the counter wraps
    TCaptureList list(kStart);
    list.setInterval(100);
    const StepCase steps[] = {
        {kStart + 16, "1", TAutoCapture::NotDue}, // start + interval has wrapped, the counter not yet
        {kStart + 100, "1", TAutoCapture::NotDue},
        {kStart + 101, "", TAutoCapture::Skipped},
        {kStart + 201, "1", TAutoCapture::NotDue},
        {kStart + 202, "1", TAutoCapture::Captured},
        {kStart + 302, "2", TAutoCapture::NotDue},
        {kStart + 303, "2", TAutoCapture::Captured},
    };
    for (const StepCase& step : steps)
        EXPECT_EQ(list.captureIfDue(step.readOut, step.now), step.expected) << step.now - kStart;
    EXPECT_EQ(list.lines(), QStringList({"1", "2"}));

    list.setLines(Lines(TCaptureList::kMaxCaptureLines).split('\n'));
    EXPECT_EQ(list.captureIfDue("3", kStart + 404), TAutoCapture::ListFull);
    EXPECT_EQ(list.captureIfDue("3", kStart + 504), TAutoCapture::NotDue);
}
