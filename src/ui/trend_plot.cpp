#include "ui/trend_plot.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

namespace k740 {

namespace {

constexpr int kLeftMargin = 84; // the values of the vertical axes
constexpr int kRightMargin = 10;
constexpr int kGap = 8;
constexpr int kFaultRowHeight = 11;
constexpr int kAxisHeight = 18; // the time axis' labels
constexpr double kZoomPerNotch = 1.25;

const QColor kFaultRed(0xd0, 0x10, 0x10);
const QColor kLossBand(0xd0, 0x10, 0x10, 0x38);
const QColor kGrid(0xdd, 0xdd, 0xdd);
const QColor kPositionPen(0x10, 0x40, 0xa0);
const QColor kSpeedPen(0x10, 0x80, 0x30);

struct TFaultRow {
    uint8_t Fault;
    const char* Caption;
};
constexpr std::array<TFaultRow, 4> kFaultRows{{
    {kTrendInvalidFrame, "invalid"},
    {kTrendCrcFailure, "CRC"},
    {kTrendTimeout, "time-out"},
    {kTrendLinkLoss, "link lost"},
}};

// About six steps of 1, 2 or 5 times a power of ten across `span`.
double NiceStep(double span)
{
    const double rough = span / 6;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough)
            return factor * power;
    return 10 * power;
}

// As many decimals as a range of `range` needs: three significant digits
// of it, and none for a range of a hundred and more.
QString AxisNumber(double value, double range)
{
    const int decimals = range > 0 ? std::clamp(2 - int(std::floor(std::log10(range))), 0, 9) : 0;
    return QString::number(value, 'f', decimals);
}

} // namespace

int64_t TrendNowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

TTrendPlot::TTrendPlot(const TTrendBuffer& buffer, QWidget* parent)
    : QWidget(parent)
    , Buffer(buffer)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 200);
}

void TTrendPlot::setUnits(const QString& position, const QString& speed)
{
    PositionUnit = position;
    SpeedUnit = speed;
}

void TTrendPlot::setSpan(int64_t spanUs)
{
    SpanUs = std::clamp(spanUs, kMinSpanUs, kMaxSpanUs);
    update();
}

void TTrendPlot::setPaused(bool paused)
{
    if (paused && !Paused) // the picture stays as it was last shown
        PausedEndUs = PausedAtUs = endUs();
    Paused = paused;
    DragX.reset();
    update();
}

int64_t TTrendPlot::endUs() const
{
    if (Paused)
        return PausedEndUs;
    return ShownEndUs != 0 ? ShownEndUs : TrendNowUs();
}

TTrendPlot::TPlotArea TTrendPlot::areas() const
{
    const int left = kLeftMargin;
    const int width = std::max(1, this->width() - kLeftMargin - kRightMargin);
    const int faultsHeight = int(kFaultRows.size()) * kFaultRowHeight;
    const int plots = std::max(2, height() - kGap - faultsHeight - kGap - kAxisHeight - 2 * kGap);
    const int positionHeight = plots * 11 / 20;
    TPlotArea area;
    area.Position = QRect(left, kGap, width, positionHeight);
    area.Speed = QRect(left, area.Position.bottom() + 1 + kGap, width, plots - positionHeight);
    area.Faults = QRect(left, area.Speed.bottom() + 1 + kGap, width, faultsHeight);
    return area;
}

int TTrendPlot::plotWidth() const
{
    return areas().Position.width();
}

int64_t TTrendPlot::timeAtX(int x) const
{
    const QRect plot = areas().Position;
    return fromUs() + int64_t(double(x - plot.left()) * double(SpanUs) / double(plot.width()));
}

void TTrendPlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!Paused)
        ShownEndUs = TrendNowUs();
    const TPlotArea area = areas();
    ThinTrend(Buffer, fromUs(), endUs(), Paused ? PausedAtUs : endUs(), area.Position.width(), Picture);
    for (const TTrendBand& band : Picture.LinkLosses)
        painter.fillRect(bandRect(band, area.Position.top(), area.Faults.bottom()), kLossBand);
    paintPlot(painter, area.Position, false, PositionUnit);
    paintPlot(painter, area.Speed, true, SpeedUnit);
    paintFaults(painter, area.Faults);
    paintTimeAxis(painter, area);
    paintPointerValues(painter, area);
}

void TTrendPlot::paintPlot(QPainter& painter, const QRect& area, bool speed, const QString& unit)
{
    auto rangeOf
        = [speed](const TTrendColumn& column) -> const TTrendRange& { return speed ? column.Speed : column.Position; };
    double low = 0;
    double high = 0;
    bool any = false;
    for (const TTrendColumn& column : Picture.Columns) {
        const TTrendRange& range = rangeOf(column);
        if (!range.Has || !std::isfinite(range.Min) || !std::isfinite(range.Max))
            continue;
        low = any ? std::min(low, range.Min) : range.Min;
        high = any ? std::max(high, range.Max) : range.Max;
        any = true;
    }
    if (speed) { // a steady speed shows flat against standstill
        low = std::min(low, 0.0);
        high = std::max(high, 0.0);
    }
    const double pad = high > low ? (high - low) * 0.05 : std::max(std::fabs(high) * 0.05, 1e-3);
    low -= pad;
    high += pad;
    auto yOf = [&](double value) { return area.bottom() - (value - low) / (high - low) * area.height(); };

    painter.setPen(kGrid);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    const QRect labels(0, area.top(), kLeftMargin - 6, area.height());
    painter.drawText(labels, Qt::AlignRight | Qt::AlignTop, AxisNumber(high, high - low));
    painter.drawText(labels, Qt::AlignRight | Qt::AlignVCenter, unit);
    painter.drawText(labels, Qt::AlignRight | Qt::AlignBottom, AxisNumber(low, high - low));
    if (!any)
        return;

    painter.setPen(speed ? kSpeedPen : kPositionPen);
    QVector<QLineF> lines;
    lines.reserve(int(Picture.Columns.size()) * 2);
    std::optional<QPointF> last;
    for (size_t c = 0; c < Picture.Columns.size(); ++c) {
        const TTrendRange& range = rangeOf(Picture.Columns[c]);
        if (!range.Has)
            continue;
        const double x = area.left() + double(c) + 0.5;
        if (last)
            lines.append(QLineF(*last, QPointF(x, yOf(range.First))));
        lines.append(QLineF(x, yOf(range.Min), x, yOf(range.Max)));
        last = QPointF(x, yOf(range.Last));
    }
    painter.save();
    painter.setClipRect(area);
    painter.drawLines(lines);
    painter.restore();
}

void TTrendPlot::paintFaults(QPainter& painter, const QRect& area)
{
    painter.setPen(Qt::black);
    for (size_t row = 0; row < kFaultRows.size(); ++row) {
        const QRect band(area.left(), area.top() + int(row) * kFaultRowHeight, area.width(), kFaultRowHeight - 2);
        painter.fillRect(band, QColor(0xf2, 0xf2, 0xf2));
        painter.drawText(QRect(0, band.top() - 2, kLeftMargin - 6, kFaultRowHeight + 2),
            Qt::AlignRight | Qt::AlignVCenter, kFaultRows[row].Caption);
        for (size_t c = 0; c < Picture.Columns.size(); ++c)
            if (Picture.Columns[c].Faults & kFaultRows[row].Fault)
                painter.fillRect(QRect(band.left() + int(c), band.top(), 1, band.height()), kFaultRed);
    }
    const int lossRow = area.top() + int(kFaultRows.size() - 1) * kFaultRowHeight;
    for (const TTrendBand& band : Picture.LinkLosses)
        painter.fillRect(bandRect(band, lossRow, lossRow + kFaultRowHeight - 3), kFaultRed);
}

// At least a pixel wide, from the column of its start to that of its end.
QRect TTrendPlot::bandRect(const TTrendBand& band, int top, int bottom) const
{
    const QRect plot = areas().Position;
    const double scale = double(plot.width()) / double(SpanUs);
    const int x0 = plot.left() + int(double(band.FromUs - fromUs()) * scale);
    const int x1 = plot.left() + int(std::ceil(double(band.ToUs - fromUs()) * scale));
    return QRect(x0, top, std::max(1, x1 - x0), bottom - top + 1);
}

// Seconds before now, or before the moment of the pause: a line and a
// label at each whole step from one edge of the plots to the other.
void TTrendPlot::paintTimeAxis(QPainter& painter, const TPlotArea& area)
{
    const int64_t end = endUs();
    const int64_t reference = Paused ? PausedAtUs : end;
    const double step = NiceStep(double(SpanUs) / 1e6);
    const double pixelsPerSecond = area.Position.width() / (double(SpanUs) / 1e6);
    const double endBefore = double(reference - end) / 1e6; // seconds of the right edge before the reference
    const int top = area.Faults.bottom() + 2;
    for (auto k = int64_t(std::ceil(endBefore / step)); k * step <= endBefore + double(SpanUs) / 1e6 + step / 1e3;
         ++k) {
        const double s = double(k) * step;
        const int x = std::min(area.Position.right(),
            area.Position.left() + int(std::lround((double(SpanUs) / 1e6 - (s - endBefore)) * pixelsPerSecond)));
        painter.setPen(kGrid);
        painter.drawLine(x, area.Position.top(), x, area.Position.bottom());
        painter.drawLine(x, area.Speed.top(), x, area.Speed.bottom());
        painter.setPen(Qt::black);
        const QString label = k == 0 ? QStringLiteral("0 s")
                                     : QStringLiteral("−%1 s").arg(AxisNumber(s, step * 100)); // the step's digits
        painter.drawText(QRect(x - 40, top, 80, kAxisHeight), Qt::AlignCenter, label);
    }
}

void TTrendPlot::paintPointerValues(QPainter& painter, const TPlotArea& area)
{
    const QRect plots(area.Position.topLeft(), area.Faults.bottomRight());
    if (!Pointer || !plots.contains(*Pointer) || Buffer.empty())
        return;
    const int64_t t = timeAtX(Pointer->x());
    size_t i = Buffer.firstAtOrAfter(t);
    if (i == Buffer.size() || (i > 0 && t - Buffer.at(i - 1).TimeUs < Buffer.at(i).TimeUs - t))
        i = i > 0 ? i - 1 : i;
    const TTrendPoint& point = Buffer.at(i);
    if (point.TimeUs < fromUs() || point.TimeUs > endUs())
        return;
    const QString text = QString::fromUtf8(point.Text.data(), point.TextSize);
    const std::optional<double> speed = SpeedAt(Buffer, i, TrendScaleOf(Buffer.format()));
    QStringList lines{QStringLiteral("%1 s").arg(double(point.TimeUs - endUs()) / 1e6, 0, 'f', 3),
        text.isEmpty() ? QStringLiteral("no position") : text + ' ' + PositionUnit};
    if (speed)
        lines << QString::number(*speed, 'g', 6) + ' ' + SpeedUnit;
    const QString shown = lines.join('\n');
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawLine(Pointer->x(), plots.top(), Pointer->x(), plots.bottom());
    QRect box = painter.fontMetrics().boundingRect(QRect(0, 0, 400, 200), Qt::AlignLeft, shown).adjusted(-4, -3, 4, 3);
    box.moveTopLeft(*Pointer + QPoint(12, 12));
    if (box.right() > rect().right())
        box.moveRight(Pointer->x() - 12);
    if (box.bottom() > rect().bottom())
        box.moveBottom(Pointer->y() - 12);
    painter.fillRect(box, QColor(0xff, 0xff, 0xe0));
    painter.setPen(Qt::black);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.drawText(box.adjusted(4, 3, -4, -3), Qt::AlignLeft, shown);
}

void TTrendPlot::keepEndInBuffer()
{
    const int64_t oldest = Buffer.empty() ? PausedAtUs : Buffer.at(0).TimeUs;
    PausedEndUs = std::clamp(PausedEndUs, std::min(oldest + SpanUs, PausedAtUs), PausedAtUs);
}

void TTrendPlot::wheelEvent(QWheelEvent* event)
{
    if (!Paused || event->angleDelta().y() == 0) {
        event->ignore();
        return;
    }
    // The time under the pointer stays where it is.
    const int x = int(event->position().x());
    const int64_t anchor = timeAtX(x);
    const double notches = event->angleDelta().y() / 120.0;
    const int64_t span = std::clamp(int64_t(double(SpanUs) / std::pow(kZoomPerNotch, notches)), kMinSpanUs, kMaxSpanUs);
    const QRect plot = areas().Position;
    const double share = double(plot.right() + 1 - x) / double(plot.width());
    SpanUs = span;
    PausedEndUs = anchor + int64_t(share * double(span));
    keepEndInBuffer();
    update();
}

void TTrendPlot::mousePressEvent(QMouseEvent* event)
{
    if (Paused && event->button() == Qt::LeftButton)
        DragX = int(event->position().x());
    QWidget::mousePressEvent(event);
}

void TTrendPlot::mouseMoveEvent(QMouseEvent* event)
{
    Pointer = event->position().toPoint();
    if (DragX && Paused) {
        const int dx = Pointer->x() - *DragX;
        PausedEndUs -= int64_t(double(dx) * double(SpanUs) / double(plotWidth()));
        keepEndInBuffer();
        DragX = Pointer->x();
    }
    update();
}

void TTrendPlot::mouseReleaseEvent(QMouseEvent* event)
{
    DragX.reset();
    QWidget::mouseReleaseEvent(event);
}

void TTrendPlot::leaveEvent(QEvent* event)
{
    Pointer.reset();
    update();
    QWidget::leaveEvent(event);
}

} // namespace k740
