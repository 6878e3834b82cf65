// The trend window on an X desktop with a window manager, against a moving
// simulator: the chord opens and closes it again and again; what it draws
// is read back from a screenshot and from its own export.
#include "support/desktop_session.h"
#include "support/e2e_harness.h"
#include "support/missing_tools.h"

#include <QImage>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <optional>

namespace {

const QSize kScreen(1600, 900);
const QString kMain = "K740 USB Encoder Interface";
const QString kTrend = "K740 Position Trend";
const QString kCountingIni = "[K740.vcom0]\nCPM=1000\n"; // millimetres, 1 µm a count

// The plots' pens and the fault marks, as drawn without antialiasing.
const QRgb kPositionPen = qRgb(0x10, 0x40, 0xa0);
const QRgb kSpeedPen = qRgb(0x10, 0x80, 0x30);
const QRgb kFaultRed = qRgb(0xd0, 0x10, 0x10);
// The "10 s" button in the trend's client area.
const QPoint kTenSeconds(22, 18);

double SecondsSince(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// Per pixel column of `area`: the rows of the pixels of `colour`, if any.
struct ColumnRows {
    int top = 0, bottom = 0;
    double middle() const { return (top + bottom) / 2.0; }
};
std::vector<std::optional<ColumnRows>> Columns(const QImage& image, const QRect& area, QRgb colour)
{
    std::vector<std::optional<ColumnRows>> columns(size_t(area.width()));
    for (int x = area.left(); x <= area.right(); ++x) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            if (image.pixel(x, y) != colour)
                continue;
            auto& column = columns[size_t(x - area.left())];
            if (!column)
                column = ColumnRows{y, y};
            column->bottom = y;
        }
    }
    return columns;
}

class TrendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!desktop.problem().isEmpty())
            K740_SKIP_WITHOUT_TOOLS(("no desktop: " + desktop.problem()).toStdString());
        ASSERT_TRUE(sim.ready());
    }

    DesktopSession desktop{kScreen, WindowManager::Openbox};
    QTemporaryDir ports;
    SimulatorProcess sim{ports.path(), "vcom0", {"--encoder", "counter", "--speed", "2000"}};
};

} // namespace

TEST_F(TrendTest, CtrlShiftTOpensAndClosesItBesideTheWindowThreeTimesInARow)
{
    ProgramProcess program(kCountingIni);
    const qulonglong window = desktop.openProgram(program, ports.path(), {});
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(sim.waitForPolls());
    const QRect main = desktop.settledOuterBounds(window);
    for (int round = 1; round <= 3; ++round) {
        desktop.chord(window, "ctrl+shift", "t");
        const qulonglong trend = desktop.findWindow(kTrend, 5000);
        ASSERT_NE(trend, 0u) << "round " << round;
        const QRect placed = desktop.settledOuterBounds(trend);
        EXPECT_TRUE(QRect(QPoint(0, 0), kScreen).contains(placed))
            << "round " << round << " at " << placed.x() << "," << placed.y() << " " << placed.width() << "x"
            << placed.height();
        EXPECT_FALSE(placed.intersects(main)) << "round " << round;
        desktop.chord(round == 3 ? trend : window, "ctrl+shift", "t"); // either window's chord closes it
        ASSERT_TRUE(desktop.windowGone(kTrend)) << "round " << round;
    }
    EXPECT_TRUE(sim.waitForPolls()) << "the cycle goes on";
    EXPECT_TRUE(program.terminate());
}

// A 10 s span over more than 10 s of motion with a second of garbage in it,
// paused: the position rises, the speed is flat, the faults are marked
// where the export has its invalid frames and where the garbage was sent,
// and the export holds the cycles of the span shown, no more.
TEST_F(TrendTest, DrawsTheMotionAndMarksAGarbledSecondWhereItCame)
{
    using Clock = std::chrono::steady_clock;
    ProgramProcess program(kCountingIni);
    const qulonglong window = desktop.openProgram(program, ports.path(), {"/T"});
    ASSERT_NE(window, 0u);
    const qulonglong trend = desktop.findWindow(kTrend, 5000);
    ASSERT_NE(trend, 0u);
    ASSERT_TRUE(sim.waitForPolls());
    const QRect client = desktop.clientBounds(trend);
    EXPECT_FALSE(desktop.settledOuterBounds(trend).intersects(desktop.outerBounds(window)));
    desktop.click(client.topLeft() + kTenSeconds);

    QThread::msleep(7000);
    sim.send("fault garbage");
    const Clock::time_point garbled = Clock::now();
    QThread::msleep(1000);
    sim.send("fault none");
    const Clock::time_point mended = Clock::now();
    QThread::msleep(3000);
    const Clock::time_point pausing = Clock::now();
    desktop.key(trend, "space");
    const Clock::time_point paused = Clock::now();
    QThread::msleep(300);

    const QString shot = program.folder() + "/trend.png";
    desktop.screenshot(shot);
    const QImage image = QImage(shot).copy(client);
    ASSERT_FALSE(image.isNull());

    // The plots: the position above the speed, both as wide as the fault rows.
    const QRect all = image.rect();
    const auto position = Columns(image, all, kPositionPen);
    const auto speed = Columns(image, all, kSpeedPen);
    const auto faults = Columns(image, all, kFaultRed);
    const auto firstDrawn = std::find_if(position.begin(), position.end(), [](auto& c) { return c.has_value(); });
    ASSERT_NE(firstDrawn, position.end());
    const int right = int(std::find_if(position.rbegin(), position.rend(), [](auto& c) { return c.has_value(); }).base()
                          - position.begin())
        - 1;
    const int left = int(firstDrawn - position.begin());
    const double pixelsPerSecond = double(right - left + 1) / 10.0;
    ASSERT_GT(pixelsPerSecond, 30);

    // Where the garbage came, on the test's clock (the program's is the
    // same one): the picture ends at its last frame before the key, some
    // time between the key's start (less a frame or so) and its end; the
    // simulator and the cycle take up to a few cycles more.
    const double lag = 0.1 * pixelsPerSecond;
    auto xRange = [&](Clock::time_point at) {
        return std::pair{right - SecondsSince(at, paused) * pixelsPerSecond - lag,
            right - SecondsSince(at, pausing) * pixelsPerSecond + 2 * lag};
    };
    std::vector<int> marked;
    for (int x = left; x <= right; ++x) {
        if (faults[size_t(x)])
            marked.push_back(x);
    }
    ASSERT_FALSE(marked.empty()) << "no fault marks";
    const auto [firstFrom, firstTo] = xRange(garbled);
    const auto [lastFrom, lastTo] = xRange(mended);
    EXPECT_GE(marked.front(), firstFrom);
    EXPECT_LE(marked.front(), firstTo);
    EXPECT_GE(marked.back(), lastFrom);
    EXPECT_LE(marked.back(), lastTo);

    // Away from the garbage: each column's position above (or level with)
    // those to its left, and the speed on one row within a few pixels.
    std::optional<double> last;
    std::vector<ColumnRows> speedRows;
    int plainColumns = 0;
    for (int x = left; x <= right; ++x) {
        if (x > marked.front() - 3 * lag && x < marked.back() + 3 * lag)
            continue;
        ++plainColumns;
        if (position[size_t(x)]) {
            EXPECT_LE(position[size_t(x)]->middle(), last.value_or(1e9) + 1) << "column " << x;
            last = position[size_t(x)]->middle();
        }
        if (speed[size_t(x)])
            speedRows.push_back(*speed[size_t(x)]);
    }
    ASSERT_GT(speedRows.size(), size_t(plainColumns) * 8 / 10);
    std::vector<double> middles;
    for (const ColumnRows& rows : speedRows)
        middles.push_back(rows.middle());
    std::nth_element(middles.begin(), middles.begin() + long(middles.size() / 2), middles.end());
    const double median = middles[middles.size() / 2];
    const auto steady = std::count_if(speedRows.begin(), speedRows.end(),
        [&](const ColumnRows& rows) { return rows.top >= median - 4 && rows.bottom <= median + 4; });
    EXPECT_GE(steady, long(speedRows.size()) * 9 / 10) << "speed rows around " << median;

    // The export of what is shown: the last 10 s, of a run that is longer.
    desktop.key(trend, "ctrl+s");
    const qulonglong dialog = desktop.findWindow("Export Trend", 5000);
    ASSERT_NE(dialog, 0u);
    const QString csv = program.folder() + "/shown.csv";
    desktop.key(dialog, "ctrl+a");
    desktop.run("xdotool", {"type", "--delay", "20", csv});
    desktop.key(dialog, "Return");
    ASSERT_TRUE(program.waitForLines("shown.csv", 2, 5000));
    const QStringList rows = program.fileLines("shown.csv");
    EXPECT_EQ(rows.first(), "seconds,cycle,raw,value,text,valid,crc");
    const double shown = rows.last().section(',', 0, 0).toDouble();
    EXPECT_GT(shown, 9.8);
    EXPECT_LE(shown, 10.0);
    EXPECT_GT(rows[1].section(',', 1, 1).toLongLong(), 100) << "the first cycles are before the span";
    const auto invalid
        = std::count_if(rows.begin() + 1, rows.end(), [](const QString& row) { return row.section(',', 5, 5) == "0"; });
    EXPECT_GT(invalid, 50) << "the garbled second's cycles are invalid";
    EXPECT_TRUE(program.terminate());
}
