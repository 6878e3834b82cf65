#pragma once
#include <QPalette>
#include <QWidget>

namespace k740 {

// Sets one colour of a widget's own palette, leaving the others as they are.
inline void SetPaletteColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette p = widget.palette();
    p.setColor(role, colour);
    widget.setPalette(p);
}

} // namespace k740
