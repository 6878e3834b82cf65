#include "ui/widgets/grab_handle.h"

#include "ui/widgets/sizer_geometry.h"

#include <QMouseEvent>
#include <QPainter>

namespace k740 {

TGrabHandle::TGrabHandle(QWidget* form, TSizerTarget* target, int index)
    : QWidget(form)
    , target_(target)
    , index_(index)
{
    setFixedSize(HandleSize, HandleSize);
    hide();
}

void TGrabHandle::setStyle(bool allowed, const QColor& colour)
{
    allowed_ = allowed;
    colour_ = colour;
    setCursor(allowed ? HandleCursor(index_) : Qt::ArrowCursor);
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
    QPainter(this).fillRect(rect(), colour_);
}

// Presses never reach the form: a handle is not one of its controls.
void TGrabHandle::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        emit pressed(this, event->globalPosition().toPoint());
}

} // namespace k740
