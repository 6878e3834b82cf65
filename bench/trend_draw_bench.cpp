// Measures what drawing the trend costs per frame, on the same cycles, in
// two ways: the program's own plot (TTrendPlot: min/max per pixel column,
// painted with QPainter), paused so that its span stays fixed, and Qt Charts
// (two stacked QChartViews with a QLineSeries each, position and speed),
// fed one new cycle per frame as a live trend would be, either appending the
// new point and dropping the oldest ("charts-append") or replacing the whole
// series ("charts-replace"); their lines are a pixel wide, as the plot's,
// without animation or OpenGL. Each frame is rendered into an 800 x 480 image;
// spans of 6 000 cycles (60 s at 100 Hz) and 60 000 (10 min) are measured.
// Per frame: this process's CPU time and the wall time (median and 95th
// percentile), the share of one core that drawing at 60 frames/s would take,
// and the resident memory the drawing added (the cycles themselves, held
// with the trend window closed too, are not counted).
//
// It needs no display: QT_QPA_PLATFORM=offscreen is set unless the
// environment chooses a platform. Each variant runs in a process of its own
// (this program with --variant and --points), so that what one variant
// leaves on the heap does not hide what the next one takes.
//
// Usage: trend_draw_bench [--frames F] [--variant painter|charts-append|charts-replace --points P]
// F defaults to 300 frames per variant, at most 30 s of them; --variant
// measures one variant over P cycles. A measurement, not a gate: exit code
// 0 when every variant ran, 2 when one could not.
#include "bench_support.h"

#include "acquisition/interface_session.h"
#include "ui/trend_plot.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QElapsedTimer>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QProcess>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

using namespace k740;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 480;
constexpr int64_t kCycleUs = 10'000;
constexpr int kWarmUpFrames = 10;
constexpr qint64 kMaxFramesMs = 30'000;
constexpr double kFramesPerSecond = 60;
const int kSpans[] = {6'000, 60'000};

enum class TVariant { Painter, ChartsAppend, ChartsReplace };
struct TVariantName {
    TVariant Variant;
    const char* Name;
};
constexpr TVariantName kVariants[] = {
    {TVariant::Painter, "painter"},
    {TVariant::ChartsAppend, "charts-append"},
    {TVariant::ChartsReplace, "charts-replace"},
};

// A rotary table swinging back and forth (±20 000 counts, 8 s a swing),
// in millimetres, one cycle each 10 ms, the last one now.
void FillMovingEncoder(TTrendBuffer& buffer, int count)
{
    TPositionFormat millimetres;
    millimetres.DisplayScale = 0.001;
    const int64_t startUs = TrendNowUs() - int64_t(count - 1) * kCycleUs;
    for (int i = 0; i < count; ++i) {
        TCycleResult cycle;
        cycle.Sample.Number = uint64_t(i + 1);
        cycle.Sample.ReplyTimeUs = startUs + i * kCycleUs;
        cycle.Sample.RawCount = std::llround(20'000 * std::sin(2 * M_PI * i * 0.01 / 8));
        cycle.Sample.Value = double(cycle.Sample.RawCount) * millimetres.DisplayScale;
        cycle.Sample.Text = QString::number(cycle.Sample.Value, 'f', 3);
        cycle.Sample.Valid = true;
        buffer.append(cycle, millimetres);
    }
}

double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(share * double(values.size())))];
}

struct TFrameTimes {
    std::vector<double> CpuMs;
    std::vector<double> WallMs;
};

// Runs `frame(k)` for the warm-up and then `frames` timed frames (fewer
// when they take longer than kMaxFramesMs).
template <typename Frame> TFrameTimes TimeFrames(int frames, Frame frame)
{
    int k = 0;
    for (; k < kWarmUpFrames; ++k)
        frame(k);
    TFrameTimes times;
    QElapsedTimer all;
    all.start();
    for (; k < kWarmUpFrames + frames && all.elapsed() < kMaxFramesMs; ++k) {
        const double cpuStart = ProcessCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        frame(k);
        times.WallMs.push_back(double(wall.nsecsElapsed()) / 1e6);
        times.CpuMs.push_back(1000 * (ProcessCpuSeconds() - cpuStart));
    }
    return times;
}

// A chart of one series over a time axis in seconds, without legend or animation.
struct TChartPlot {
    QLineSeries* Series = new QLineSeries;
    QValueAxis* Time = new QValueAxis;
    QValueAxis* Values = new QValueAxis;

    TChartPlot(QVBoxLayout& layout, const QString& unit)
    {
        auto* chart = new QChart;
        chart->legend()->hide();
        chart->addSeries(Series);
        Series->setPen(QPen(Series->pen().color(), 1));
        Values->setTitleText(unit);
        chart->addAxis(Time, Qt::AlignBottom);
        chart->addAxis(Values, Qt::AlignLeft);
        Series->attachAxis(Time);
        Series->attachAxis(Values);
        layout.addWidget(new QChartView(chart));
    }

    // The points from `first` on, `count` of them, as the axes' ranges.
    void showRange(const QList<QPointF>& points, int first, int count)
    {
        const auto begin = points.begin() + first;
        const auto [low, high]
            = std::minmax_element(begin, begin + count, [](QPointF a, QPointF b) { return a.y() < b.y(); });
        Values->setRange(low->y(), high->y());
        Time->setRange(begin->x(), (begin + count - 1)->x());
    }
};

// Position and speed of every cycle of the buffer, in seconds from the first.
void ChartPoints(const TTrendBuffer& buffer, QList<QPointF>& positions, QList<QPointF>& speeds)
{
    const TTrendScale scale = TrendScaleOf(buffer.format());
    double speed = 0;
    for (size_t i = 0; i < buffer.size(); ++i) {
        const double seconds = double(buffer.at(i).TimeUs - buffer.at(0).TimeUs) / 1e6;
        speed = SpeedAt(buffer, i, scale).value_or(speed);
        positions.append(QPointF(seconds, buffer.at(i).Value));
        speeds.append(QPointF(seconds, speed));
    }
}

// The buffer holds the span and a cycle more for each frame; the charts'
// window of `span` cycles moves a cycle on each frame, the plot stays on
// the newest `span`.
TFrameTimes DrawFrames(TVariant variant, const TTrendBuffer& buffer, int span, int frames, long& rssGrowthKb)
{
    QList<QPointF> positions;
    QList<QPointF> speeds;
    if (variant != TVariant::Painter)
        ChartPoints(buffer, positions, speeds);
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    QWidget window;
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.resize(kWidth, kHeight);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    window.show();
    auto render = [&] {
        QCoreApplication::processEvents();
        window.render(&image);
    };
    // The image, the window's style and the fonts, which any drawing needs,
    // are there before the memory is read.
    render();
    QPainter(&image).drawText(image.rect(), "0 s");
    const long rssStart = RssKb(getpid());
    TFrameTimes times;
    if (variant == TVariant::Painter) {
        auto* plot = new TTrendPlot(buffer, &window);
        layout->addWidget(plot);
        plot->setUnits("mm", "mm/s");
        plot->setSpan(span * kCycleUs);
        plot->setPaused(true);
        times = TimeFrames(frames, [&](int) {
            plot->update();
            render();
        });
    } else {
        TChartPlot position(*layout, "mm");
        TChartPlot speed(*layout, "mm/s");
        position.Series->replace(positions.mid(0, span));
        speed.Series->replace(speeds.mid(0, span));
        times = TimeFrames(frames, [&](int k) {
            const int first = k + 1;
            for (auto [plot, points] : {std::pair{&position, &positions}, std::pair{&speed, &speeds}}) {
                if (variant == TVariant::ChartsAppend) {
                    plot->Series->append(points->at(first + span - 1));
                    plot->Series->remove(0);
                } else {
                    plot->Series->replace(points->mid(first, span));
                }
                plot->showRange(*points, first, span);
            }
            render();
        });
    }
    rssGrowthKb = RssKb(getpid()) - rssStart;
    return times;
}

int MeasureVariant(const QString& name, int span, int frames)
{
    const auto* variant = std::find_if(
        std::begin(kVariants), std::end(kVariants), [&](const TVariantName& v) { return name == v.Name; });
    if (variant == std::end(kVariants) || span < 2 || span + kWarmUpFrames + frames > int(TTrendBuffer::kCapacity)) {
        std::fprintf(
            stderr, "trend_draw_bench: no variant %s of %d points and %d frames\n", qPrintable(name), span, frames);
        return 2;
    }
    TTrendBuffer buffer;
    FillMovingEncoder(buffer, span + kWarmUpFrames + frames);
    long rssGrowthKb = 0;
    const TFrameTimes times = DrawFrames(variant->Variant, buffer, span, frames, rssGrowthKb);
    const double cpuMedian = Median(times.CpuMs);
    std::printf("%-14s %6d points: CPU per frame median %6.2f ms, 95th percentile %6.2f ms (wall %6.2f / %6.2f ms, "
                "%zu frames); at 60 frames/s %5.1f %% of a core; RSS %+7.1f MB\n",
        variant->Name, span, cpuMedian, Percentile(times.CpuMs, 0.95), Median(times.WallMs),
        Percentile(times.WallMs, 0.95), times.CpuMs.size(), cpuMedian * kFramesPerSecond / 10,
        double(rssGrowthKb) / 1024);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString frames = QString::number(std::max(1, ArgumentAfter(arguments, "--frames", "300").toInt()));
    const QString variant = ArgumentAfter(arguments, "--variant", QString());
    if (!variant.isEmpty())
        return MeasureVariant(variant, ArgumentAfter(arguments, "--points", "0").toInt(), frames.toInt());

    int exitCode = 0;
    for (const int span : kSpans) {
        for (const TVariantName& v : kVariants) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(),
                {"--variant", v.Name, "--points", QString::number(span), "--frames", frames});
            const bool ran = child.waitForFinished(10 * kMaxFramesMs) && child.exitStatus() == QProcess::NormalExit
                && child.exitCode() == 0;
            if (!ran)
                std::fprintf(stderr, "trend_draw_bench: %s at %d points did not run\n", v.Name, span);
            exitCode = ran ? exitCode : 2;
        }
    }
    return exitCode;
}
