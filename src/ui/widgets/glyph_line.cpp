#include "ui/widgets/glyph_line.h"

#include <algorithm>
#include <cmath>

namespace k740 {

namespace {

// Antialiasing and hinting may shade pixels just outside a glyph's outline.
constexpr int kInkMargin = 2;

QList<QPointF> Advances(const QRawFont& font, const QList<quint32>& indexes)
{
    return font.advancesForGlyphIndexes(indexes, QRawFont::KernedAdvances);
}

qreal Sum(const QList<QPointF>& advances)
{
    qreal width = 0;
    for (const QPointF& advance : advances)
        width += advance.x();
    return width;
}

} // namespace

bool TPlacedGlyph::operator==(const TPlacedGlyph& other) const
{
    return Index == other.Index && Origin == other.Origin && Font == other.Font;
}

QRect GlyphInk(const QRawFont& font, quint32 index)
{
    return font.boundingRect(index).toAlignedRect().adjusted(-kInkMargin, -kInkMargin, kInkMargin, kInkMargin);
}

qreal TextAdvance(const QRawFont& font, const QString& text)
{
    return Sum(Advances(font, font.glyphIndexesForString(text)));
}

TGlyphLine::TGlyphLine(const QString& text, const QRawFont& font, const QRect& box)
{
    const QList<quint32> indexes = font.glyphIndexesForString(text);
    const QList<QPointF> advances = Advances(font, indexes);
    // A text wider than the box overflows it on both sides.
    qreal x = box.x() + (box.width() - Sum(advances)) / 2;
    const qreal lineHeight = font.ascent() + font.descent();
    const int baseline = qRound(box.y() + std::floor((box.height() - lineHeight) / 2) + font.ascent());
    for (qsizetype i = 0; i < indexes.size(); ++i) {
        const QPoint origin(qRound(x), baseline);
        const QRect ink = GlyphInk(font, indexes.at(i)).translated(origin);
        Glyphs.push_back({font, indexes.at(i), origin, ink});
        InkBounds |= ink;
        x += advances.at(i).x();
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
