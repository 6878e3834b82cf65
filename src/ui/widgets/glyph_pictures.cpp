#include "ui/widgets/glyph_pictures.h"

#include <QGlyphRun>
#include <QPainter>
#include <algorithm>

namespace k740 {

namespace {

QImage DrawGlyph(const TPlacedGlyph& glyph, const QColor& colour, qreal pixelRatio)
{
    const QRect ink = GlyphInk(glyph.Font, glyph.Index);
    QImage picture(ink.size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(pixelRatio);
    picture.fill(Qt::transparent);
    QGlyphRun run;
    run.setRawFont(glyph.Font);
    run.setGlyphIndexes({glyph.Index});
    run.setPositions({QPointF(-ink.x(), -ink.y())});
    QPainter painter(&picture);
    painter.setPen(colour);
    painter.drawGlyphRun(QPointF(0, 0), run);
    return picture;
}

} // namespace

const QImage& TGlyphPictures::picture(const TPlacedGlyph& glyph, const QColor& colour, qreal pixelRatio)
{
    if (colour != Colour || pixelRatio != PixelRatio) {
        Pictures.clear();
        Colour = colour;
        PixelRatio = pixelRatio;
    }
    const auto found = std::find_if(Pictures.begin(), Pictures.end(),
        [&](const TEntry& entry) { return entry.Index == glyph.Index && entry.Font == glyph.Font; });
    if (found != Pictures.end())
        return found->Picture;
    Pictures.push_back({glyph.Font, glyph.Index, DrawGlyph(glyph, colour, pixelRatio)});
    return Pictures.back().Picture;
}

} // namespace k740
