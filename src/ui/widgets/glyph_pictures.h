#pragma once
#include "ui/widgets/glyph_line.h"

#include <QColor>
#include <QImage>
#include <vector>

namespace k740 {

// Pictures of glyphs in one colour, each drawn once. The paint engine
// draws glyphs of large fonts from their outlines every time (hinting and
// filling the path), which costs far more than copying a picture.
class TGlyphPictures {
public:
    // `glyph` drawn in `colour` on a transparent ground, for a device of
    // `pixelRatio`; it covers glyph.Ink.
    const QImage& picture(const TPlacedGlyph& glyph, const QColor& colour, qreal pixelRatio);
    void clear() { Pictures.clear(); }

private:
    struct TEntry {
        QRawFont Font;
        quint32 Index;
        QImage Picture;
    };
    QColor Colour;
    qreal PixelRatio = 1;
    std::vector<TEntry> Pictures; // a few dozen glyphs at most
};

} // namespace k740
