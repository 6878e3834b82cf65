#include "ui/colours.h"

#include "ui/widgets/palette_colour.h"

#include <QStyle>
#include <QStyleFactory>
#include <memory>

namespace k740 {

// Fusion's own light palette (the one it shows where the desktop sets no
// scheme), with the white window and the button face of the design.
QPalette DesignPalette()
{
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette design = fusion->standardPalette();
    design.setColor(QPalette::Window, Qt::white);
    design.setColor(QPalette::Button, colours::kButtonFace);
    design.setColor(QPalette::ToolTipBase, colours::kOrange);
    design.setColor(QPalette::ToolTipText, Qt::black);
    return CompletePalette(design);
}

QColor StatusLevelColour(TStatusLevel level)
{
    switch (level) {
    case TStatusLevel::Good:
        return colours::kGreen;
    case TStatusLevel::Warning:
        return colours::kStatusWarning;
    case TStatusLevel::Error:
        break;
    }
    return colours::kStatusError;
}

} // namespace k740
