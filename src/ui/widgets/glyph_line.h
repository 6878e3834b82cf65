#pragma once
#include <QRawFont>
#include <QRect>
#include <QString>
#include <vector>

namespace k740 {

// A glyph of a font at a whole-pixel origin, and the pixels its ink may
// touch.
struct TPlacedGlyph {
    QRawFont Font;
    quint32 Index = 0;
    QPoint Origin; // on the baseline
    QRect Ink;
    bool operator==(const TPlacedGlyph& other) const;
};

// Width of `text` set in `font`: its glyphs' advances with the font's
// kerning. Characters the font lacks take its missing-glyph sign; there is
// no fallback to other fonts and no complex-script shaping, which a
// read-out of numbers and short Latin messages does not need, and which
// would cost a full text layout on every change.
qreal TextAdvance(const QRawFont& font, const QString& text);

// One line of text set in a font and centred in a box, each glyph on a
// whole pixel, so that a glyph's picture can be drawn anywhere and two lines
// can tell where their pixels differ.
class TGlyphLine {
public:
    TGlyphLine() = default;
    TGlyphLine(const QString& text, const QRawFont& font, const QRect& box);

    const std::vector<TPlacedGlyph>& glyphs() const { return Glyphs; }
    // Where the glyphs may leave ink (empty for an empty text).
    QRect inkBounds() const { return InkBounds; }
    // The area whose pixels this line and `other` may draw differently: the
    // ink of every glyph that is not in both lines at the same place.
    QRect changedArea(const TGlyphLine& other) const;

private:
    // The ink of the glyphs of this line that `other` does not have.
    QRect inkMissingFrom(const TGlyphLine& other) const;

    std::vector<TPlacedGlyph> Glyphs;
    QRect InkBounds;
};

// Where a glyph of `font` may leave ink, relative to its origin.
QRect GlyphInk(const QRawFont& font, quint32 index);

} // namespace k740
