#include "ui/widgets/read_out.h"
#include "ui/widgets/palette_colour.h"
#include "ui/widgets/read_out_accessible.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>

namespace k740 {

namespace {
constexpr double kFallbackRefreshHz = 60;
} // namespace

TReadOut::TReadOut(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The paint fills its own background: one painter per paint, not two.
    setAttribute(Qt::WA_OpaquePaintEvent);
    Raw = QRawFont::fromFont(font());
    InstallReadOutAccessibility();
}

void TReadOut::setText(const QString& text)
{
    if (text == Text)
        return;
    Text = text;
    if (FrameTimer.isActive())
        return; // the pending frame shows it
    const qint64 wait = SinceShown.isValid() ? frameIntervalMs() - SinceShown.elapsed() : 0;
    if (wait > 0)
        FrameTimer.start(int(wait), this);
    else
        showText();
}

void TReadOut::setFontColour(const QColor& colour)
{
    SetPaletteColour(*this, QPalette::WindowText, colour);
}

void TReadOut::setBackground(const QColor& colour)
{
    SetPaletteColour(*this, QPalette::Window, colour);
}

int TReadOut::textWidth(const QString& text, int points) const
{
    auto raw = RawByPoints.find(points);
    if (raw == RawByPoints.end()) {
        QFont sized = font();
        sized.setPointSize(points);
        raw = RawByPoints.emplace(points, QRawFont::fromFont(sized)).first;
    }
    return qRound(TextAdvance(raw->second, text));
}

int TReadOut::frameIntervalMs() const
{
    const qreal hz = screen() ? screen()->refreshRate() : 0;
    return int(std::ceil(1000 / (hz >= 1 ? hz : kFallbackRefreshHz)));
}

void TReadOut::showText()
{
    SinceShown.start();
    TGlyphLine next(Text, Raw, contentsRect());
    update(next.changedArea(Shown));
    Shown = std::move(next);
    announce();
}

// A screen reader follows a moving encoder at a pace a listener can: a new
// text at once when the last announcement is old enough, else when it is.
void TReadOut::announce()
{
    if (!QAccessible::isActive() || AnnounceTimer.isActive())
        return;
    const qint64 wait = SinceAnnounced.isValid() ? kAnnounceMs - SinceAnnounced.elapsed() : 0;
    if (wait > 0) {
        AnnounceTimer.start(int(wait), this);
        return;
    }
    SinceAnnounced.start();
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void TReadOut::layOutAgain()
{
    Shown = TGlyphLine(Text, Raw, contentsRect());
    update();
}

void TReadOut::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == FrameTimer.timerId()) {
        FrameTimer.stop();
        showText();
    } else if (event->timerId() == AnnounceTimer.timerId()) {
        AnnounceTimer.stop();
        announce();
    } else {
        QFrame::timerEvent(event);
    }
}

void TReadOut::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    for (const QRect& area : event->region())
        painter.fillRect(area, palette().window());
    const QRect inside = contentsRect();
    if (!inside.contains(event->rect()))
        drawFrame(&painter);
    if (!inside.contains(Shown.inkBounds()))
        painter.setClipRect(inside, Qt::IntersectClip);
    const QColor colour = palette().color(QPalette::WindowText);
    const qreal pixelRatio = devicePixelRatioF();
    for (const TPlacedGlyph& glyph : Shown.glyphs()) {
        if (glyph.Ink.intersects(event->rect()))
            painter.drawImage(glyph.Ink.topLeft(), Pictures.picture(glyph, colour, pixelRatio));
    }
}

void TReadOut::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        Raw = QRawFont::fromFont(font());
        RawByPoints.clear();
        Pictures.clear();
        layOutAgain();
    }
}

void TReadOut::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    layOutAgain();
}

void TReadOut::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

} // namespace k740
