#include "ui/widgets/panel.h"
#include "ui/widgets/palette_colour.h"

#include <QMouseEvent>

namespace k740 {

TPanel::TPanel(QWidget* parent, bool lowered)
    : QLabel(parent)
{
    if (lowered)
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
}

void TPanel::setFontColour(const QColor& colour)
{
    SetPaletteColour(*this, QPalette::WindowText, colour);
}

void TPanel::setBackground(const QColor& colour)
{
    SetPaletteColour(*this, QPalette::Window, colour);
}

void TPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void TPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

} // namespace k740
