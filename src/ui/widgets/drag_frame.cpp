#include "ui/widgets/drag_frame.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>

namespace k740 {

namespace {
// The pixels of a one-pixel row or column inside `clip` that lie on the
// frame's checkerboard.
void AddDots(QPolygon& dots, QRect line, const QRect& clip)
{
    line &= clip;
    for (int y = line.top(); y <= line.bottom(); ++y)
        for (int x = line.left(); x <= line.right(); ++x)
            if ((x + y) % 2 == 0)
                dots << QPoint(x, y);
}
} // namespace

TDragFrame::TDragFrame(QWidget* form)
    : QWidget(form)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

// White XOR-ed onto what the form painted beneath inverts it; each pixel is
// drawn once, so that the corners are inverted too.
void TDragFrame::paintEvent(QPaintEvent* event)
{
    const QRect r = rect();
    QPolygon dots;
    AddDots(dots, QRect(r.left(), r.top(), r.width(), 1), event->rect());
    if (r.height() > 1)
        AddDots(dots, QRect(r.left(), r.bottom(), r.width(), 1), event->rect());
    const QRect sides(r.left(), r.top() + 1, 1, r.height() - 2);
    AddDots(dots, sides, event->rect());
    if (r.width() > 1)
        AddDots(dots, sides.translated(r.width() - 1, 0), event->rect());
    QPainter painter(this);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(Qt::white);
    painter.drawPoints(dots);
}

} // namespace k740
