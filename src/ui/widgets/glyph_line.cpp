#include "ui/widgets/glyph_line.h"

#include <QGlyphRun>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace k740 {

namespace {
// Antialiasing and hinting may shade pixels just outside a glyph's outline.
constexpr int kInkMargin = 2;
} // namespace

bool TPlacedGlyph::operator==(const TPlacedGlyph& other) const
{
    return Index == other.Index && Origin == other.Origin && Font == other.Font;
}

QRect GlyphInk(const QRawFont& font, quint32 index)
{
    return font.boundingRect(index).toAlignedRect().adjusted(-kInkMargin, -kInkMargin, kInkMargin, kInkMargin);
}

TGlyphLine::TGlyphLine(const QString& text, const QFont& font, const QRect& box)
{
    if (text.isEmpty())
        return;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(box.width());
    layout.endLayout();
    // A text wider than the box overflows it on both sides.
    const QPointF topLeft(box.x() + (box.width() - line.naturalTextWidth()) / 2,
        box.y() + std::floor((box.height() - line.height()) / 2));
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QRawFont rawFont = run.rawFont();
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            const QPoint origin = (topLeft + positions.at(i)).toPoint();
            const QRect ink = GlyphInk(rawFont, indexes.at(i)).translated(origin);
            Glyphs.push_back({rawFont, indexes.at(i), origin, ink});
            InkBounds |= ink;
        }
    }
}

QRect TGlyphLine::changedArea(const TGlyphLine& other) const
{
    return inkMissingFrom(other) | other.inkMissingFrom(*this);
}

QRect TGlyphLine::inkMissingFrom(const TGlyphLine& other) const
{
    QRect area;
    for (const TPlacedGlyph& glyph : Glyphs) {
        if (std::find(other.Glyphs.begin(), other.Glyphs.end(), glyph) == other.Glyphs.end())
            area |= glyph.Ink;
    }
    return area;
}

} // namespace k740
