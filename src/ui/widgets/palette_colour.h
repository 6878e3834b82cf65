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

// `from` with every role of every colour group set explicitly: a widget
// given it, and the widgets inside it, take nothing from the application's
// palette (a dark desktop scheme, say), now or when that changes.
inline QPalette CompletePalette(QPalette from)
{
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = QPalette::ColorGroup(group);
            const auto r = QPalette::ColorRole(role);
            if (r != QPalette::NoRole)
                from.setBrush(g, r, from.brush(g, r));
        }
    }
    return from;
}

} // namespace k740
