#include "ui/widgets/grab_handle.h"

#include "ui/widgets/sizer_geometry.h"

#include <QMouseEvent>
#include <QPainter>

namespace k740 {

TGrabHandle::TGrabHandle(QWidget* form, TSizerTarget* target, int index)
    : QWidget(form)
    , Target(target)
    , Index(index)
{
    setFixedSize(kHandleSize, kHandleSize);
    hide();
}

void TGrabHandle::setStyle(bool allowed, const QColor& colour)
{
    Allowed = allowed;
    Colour = colour;
    setCursor(allowed ? HandleCursor(Index) : Qt::ArrowCursor);
    update();
}

void TGrabHandle::placeAt(QWidget* form, QPoint topLeft)
{
    if (parentWidget() != form)
        setParent(form);
    move(topLeft);
    raise();
}

void TGrabHandle::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), Colour);
}

// Presses never reach the form: a handle is not one of its controls.
void TGrabHandle::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        emit pressed(this, event->globalPosition().toPoint());
}

} // namespace k740
