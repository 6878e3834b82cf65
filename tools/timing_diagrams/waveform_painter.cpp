#include "waveform_painter.h"

#include <QPolygon>

namespace k740 {

namespace {
constexpr int kLineWidth = 2;
constexpr int kBusSlope = 6;      // horizontal run of a bus crossing
constexpr int kBreakOverhang = 9; // how far break strokes reach beyond the lane
constexpr int kBreakLean = 8;     // horizontal run of one break stroke
constexpr int kBreakGap = 8;      // distance between the two strokes
constexpr int kTickHalf = 5;      // half height of a span's end tick
constexpr int kArrowLength = 7;
const QColor kInk{Qt::black};
const QColor kBusFill{232, 232, 232};
const QColor kGuide{150, 150, 150};
constexpr int kTextPixels = 15;
constexpr int kLabelRoom = 400; // box a label is aligned in; larger than any text

int heightOf(const Lane& lane, Level level)
{
    return level == Level::High ? lane.high : lane.low;
}

// Corners of one bus cell: a crossing where it meets another cell, a slope
// where it leaves or enters a fixed level.
QPolygon cellOutline(const Lane& lane, const BusCell& cell, const Level* before, const Level* after)
{
    const int l = cell.left, r = cell.right, top = lane.high, bottom = lane.low, mid = lane.middle();
    QPolygon outline;
    outline << (before && *before == Level::High ? QPoint(l, top) : QPoint(l + kBusSlope, top));
    if (after && *after == Level::High)
        outline << QPoint(r, top) << QPoint(r - kBusSlope, bottom);
    else if (after && *after == Level::Low)
        outline << QPoint(r - kBusSlope, top) << QPoint(r, bottom);
    else
        outline << QPoint(r - kBusSlope, top) << QPoint(r, mid) << QPoint(r - kBusSlope, bottom);
    if (before && *before == Level::Low)
        outline << QPoint(l, bottom);
    else if (before)
        outline << QPoint(l + kBusSlope, bottom);
    else
        outline << QPoint(l + kBusSlope, bottom) << QPoint(l, mid);
    return outline;
}
} // namespace

std::vector<Step> ClockTrain(int start, int firstFall, int period, int cycles)
{
    std::vector<Step> steps{{start, Level::High}};
    for (int k = 0; k < cycles; ++k) {
        steps.push_back({firstFall + k * period, Level::Low});
        steps.push_back({firstFall + k * period + period / 2, Level::High});
    }
    return steps;
}

QFont DiagramFont(int pixels, bool bold)
{
    QFont font("Liberation Sans");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

WaveformPainter::WaveformPainter(QSize size)
    : canvas_(size, QImage::Format_RGB32)
{
    canvas_.fill(Qt::white);
    painter_.begin(&canvas_);
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
}

void WaveformPainter::levels(const Lane& lane, const std::vector<Step>& steps, int end)
{
    QPolygon trace;
    for (const Step& step : steps) {
        if (!trace.isEmpty())
            trace << QPoint(step.x, trace.last().y());
        trace << QPoint(step.x, heightOf(lane, step.level));
    }
    trace << QPoint(end, trace.last().y());
    painter_.setPen(QPen(kInk, kLineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPolyline(trace);
}

void WaveformPainter::bus(const Lane& lane, const std::vector<BusCell>& cells, Level before, Level after)
{
    painter_.setPen(QPen(kInk, kLineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter_.setBrush(kBusFill);
    for (size_t i = 0; i < cells.size(); ++i)
        painter_.drawPolygon(
            cellOutline(lane, cells[i], i == 0 ? &before : nullptr, i + 1 == cells.size() ? &after : nullptr));
    for (const BusCell& cell : cells)
        label((cell.left + cell.right) / 2, lane.middle(), cell.text, DiagramFont(kTextPixels));
}

void WaveformPainter::breakMark(const Lane& lane, int x)
{
    const int top = lane.high - kBreakOverhang, bottom = lane.low + kBreakOverhang;
    const QPoint lean(kBreakLean, top - bottom);
    const QPoint first(x - kBreakGap / 2 - kBreakLean / 2, bottom);
    const QPoint second(first.x() + kBreakGap, bottom);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(Qt::white);
    painter_.drawPolygon(QPolygon({first, first + lean, second + lean, second}));
    painter_.setPen(QPen(kInk, kLineWidth, Qt::SolidLine, Qt::FlatCap));
    painter_.drawLine(first, first + lean);
    painter_.drawLine(second, second + lean);
}

void WaveformPainter::guide(int x, int top, int bottom)
{
    painter_.setPen(QPen(kGuide, 1, Qt::DashLine, Qt::FlatCap));
    painter_.drawLine(QPointF(x + 0.5, top), QPointF(x + 0.5, bottom));
}

void WaveformPainter::label(int x, int y, const QString& text, const QFont& font)
{
    painter_.setPen(kInk);
    painter_.setFont(font);
    painter_.drawText(QRect(x - kLabelRoom / 2, y - kLabelRoom / 2, kLabelRoom, kLabelRoom), Qt::AlignCenter, text);
}

void WaveformPainter::leftLabel(int x, int y, const QString& text, const QFont& font)
{
    painter_.setPen(kInk);
    painter_.setFont(font);
    painter_.drawText(QRect(x, y - kLabelRoom / 2, kLabelRoom, kLabelRoom), Qt::AlignLeft | Qt::AlignVCenter, text);
}

void WaveformPainter::span(int left, int right, int y, const QString& text)
{
    painter_.setPen(QPen(kInk, 1, Qt::SolidLine, Qt::FlatCap));
    const qreal row = y + 0.5;
    painter_.drawLine(QPointF(left + 0.5, y - kTickHalf), QPointF(left + 0.5, y + kTickHalf + 1));
    painter_.drawLine(QPointF(right + 0.5, y - kTickHalf), QPointF(right + 0.5, y + kTickHalf + 1));
    painter_.drawLine(QPointF(left + 1, row), QPointF(right, row));
    painter_.setBrush(kInk);
    const qreal head = kArrowLength, wing = 3;
    painter_.drawPolygon(QPolygonF(
        {QPointF(left + 1, row), QPointF(left + 1 + head, row - wing), QPointF(left + 1 + head, row + wing)}));
    painter_.drawPolygon(
        QPolygonF({QPointF(right, row), QPointF(right - head, row - wing), QPointF(right - head, row + wing)}));
    label((left + right) / 2, y - 12, text, DiagramFont(kTextPixels));
}

QImage WaveformPainter::picture()
{
    painter_.end();
    return canvas_.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace k740
