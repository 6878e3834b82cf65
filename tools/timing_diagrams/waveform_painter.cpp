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

int HeightOf(const TLane& lane, TLevel level)
{
    return level == TLevel::High ? lane.High : lane.Low;
}

// Corners of one bus cell: a crossing where it meets another cell, a slope
// where it leaves or enters a fixed level.
QPolygon CellOutline(const TLane& lane, const TBusCell& cell, const TLevel* before, const TLevel* after)
{
    const int l = cell.Left, r = cell.Right, top = lane.High, bottom = lane.Low, mid = lane.middle();
    QPolygon outline;
    outline << (before && *before == TLevel::High ? QPoint(l, top) : QPoint(l + kBusSlope, top));
    if (after && *after == TLevel::High)
        outline << QPoint(r, top) << QPoint(r - kBusSlope, bottom);
    else if (after && *after == TLevel::Low)
        outline << QPoint(r - kBusSlope, top) << QPoint(r, bottom);
    else
        outline << QPoint(r - kBusSlope, top) << QPoint(r, mid) << QPoint(r - kBusSlope, bottom);
    if (before && *before == TLevel::Low)
        outline << QPoint(l, bottom);
    else if (before)
        outline << QPoint(l + kBusSlope, bottom);
    else
        outline << QPoint(l + kBusSlope, bottom) << QPoint(l, mid);
    return outline;
}
} // namespace

std::vector<TStep> ClockTrain(int start, int firstFall, int period, int cycles)
{
    std::vector<TStep> steps{{start, TLevel::High}};
    for (int k = 0; k < cycles; ++k) {
        steps.push_back({firstFall + k * period, TLevel::Low});
        steps.push_back({firstFall + k * period + period / 2, TLevel::High});
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

TWaveformPainter::TWaveformPainter(QSize size)
    : Canvas(size, QImage::Format_RGB32)
{
    Canvas.fill(Qt::white);
    Painter.begin(&Canvas);
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.setRenderHint(QPainter::TextAntialiasing);
}

void TWaveformPainter::levels(const TLane& lane, const std::vector<TStep>& steps, int end)
{
    QPolygon trace;
    for (const TStep& step : steps) {
        if (!trace.isEmpty())
            trace << QPoint(step.X, trace.last().y());
        trace << QPoint(step.X, HeightOf(lane, step.Level));
    }
    trace << QPoint(end, trace.last().y());
    Painter.setPen(QPen(kInk, kLineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    Painter.setBrush(Qt::NoBrush);
    Painter.drawPolyline(trace);
}

void TWaveformPainter::bus(const TLane& lane, const std::vector<TBusCell>& cells, TLevel before, TLevel after)
{
    Painter.setPen(QPen(kInk, kLineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    Painter.setBrush(kBusFill);
    for (size_t i = 0; i < cells.size(); ++i)
        Painter.drawPolygon(
            CellOutline(lane, cells[i], i == 0 ? &before : nullptr, i + 1 == cells.size() ? &after : nullptr));
    for (const TBusCell& cell : cells)
        label((cell.Left + cell.Right) / 2, lane.middle(), cell.Text, DiagramFont(kTextPixels));
}

void TWaveformPainter::breakMark(const TLane& lane, int x)
{
    const int top = lane.High - kBreakOverhang, bottom = lane.Low + kBreakOverhang;
    const QPoint lean(kBreakLean, top - bottom);
    const QPoint first(x - kBreakGap / 2 - kBreakLean / 2, bottom);
    const QPoint second(first.x() + kBreakGap, bottom);
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(Qt::white);
    Painter.drawPolygon(QPolygon({first, first + lean, second + lean, second}));
    Painter.setPen(QPen(kInk, kLineWidth, Qt::SolidLine, Qt::FlatCap));
    Painter.drawLine(first, first + lean);
    Painter.drawLine(second, second + lean);
}

void TWaveformPainter::guide(int x, int top, int bottom)
{
    Painter.setPen(QPen(kGuide, 1, Qt::DashLine, Qt::FlatCap));
    Painter.drawLine(QPointF(x + 0.5, top), QPointF(x + 0.5, bottom));
}

void TWaveformPainter::label(int x, int y, const QString& text, const QFont& font)
{
    Painter.setPen(kInk);
    Painter.setFont(font);
    Painter.drawText(QRect(x - kLabelRoom / 2, y - kLabelRoom / 2, kLabelRoom, kLabelRoom), Qt::AlignCenter, text);
}

void TWaveformPainter::leftLabel(int x, int y, const QString& text, const QFont& font)
{
    Painter.setPen(kInk);
    Painter.setFont(font);
    Painter.drawText(QRect(x, y - kLabelRoom / 2, kLabelRoom, kLabelRoom), Qt::AlignLeft | Qt::AlignVCenter, text);
}

void TWaveformPainter::span(int left, int right, int y, const QString& text)
{
    Painter.setPen(QPen(kInk, 1, Qt::SolidLine, Qt::FlatCap));
    const qreal row = y + 0.5;
    Painter.drawLine(QPointF(left + 0.5, y - kTickHalf), QPointF(left + 0.5, y + kTickHalf + 1));
    Painter.drawLine(QPointF(right + 0.5, y - kTickHalf), QPointF(right + 0.5, y + kTickHalf + 1));
    Painter.drawLine(QPointF(left + 1, row), QPointF(right, row));
    Painter.setBrush(kInk);
    const qreal head = kArrowLength, wing = 3;
    Painter.drawPolygon(QPolygonF(
        {QPointF(left + 1, row), QPointF(left + 1 + head, row - wing), QPointF(left + 1 + head, row + wing)}));
    Painter.drawPolygon(
        QPolygonF({QPointF(right, row), QPointF(right - head, row - wing), QPointF(right - head, row + wing)}));
    label((left + right) / 2, y - 12, text, DiagramFont(kTextPixels));
}

QImage TWaveformPainter::picture()
{
    Painter.end();
    return Canvas.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace k740
