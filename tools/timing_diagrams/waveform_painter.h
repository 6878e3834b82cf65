#pragma once
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <vector>

namespace k740 {

// The two heights a digital signal moves between.
struct TLane {
    int High;
    int Low;
    int middle() const { return (High + Low) / 2; }
};

enum class TLevel { Low, High };

// The level a signal takes from `x` on.
struct TStep {
    int X;
    TLevel Level;
};

// One field of a bus line, from `left` to `right`.
struct TBusCell {
    int Left;
    int Right;
    QString Text;
};

// A clock that idles high from `start`, then runs `cycles` periods whose
// falling edges begin at `firstFall`, and idles high again afterwards.
std::vector<TStep> ClockTrain(int start, int firstFall, int period, int cycles);

// "Liberation Sans" at `pixels`.
QFont DiagramFont(int pixels, bool bold = false);

// Draws timing-diagram elements in black and greys on a white picture.
class TWaveformPainter {
public:
    explicit TWaveformPainter(QSize size);

    // A square wave through `steps`, held until `end`.
    void levels(const TLane& lane, const std::vector<TStep>& steps, int end);
    // Adjacent cells of a bus, entered from level `before` and left to `after`.
    void bus(const TLane& lane, const std::vector<TBusCell>& cells, TLevel before, TLevel after);
    // Two slanted strokes interrupting the lane at `x`: cycles left out.
    void breakMark(const TLane& lane, int x);
    // A dashed grey line at `x` from `top` to `bottom`.
    void guide(int x, int top, int bottom);
    // `text` centred on (`x`, `y`).
    void label(int x, int y, const QString& text, const QFont& font);
    // `text` left-aligned from `x`, vertically centred on `y`.
    void leftLabel(int x, int y, const QString& text, const QFont& font);
    // A measure from `left` to `right` at height `y` with end ticks and arrows,
    // `text` centred above it.
    void span(int left, int right, int y, const QString& text);

    // The finished picture, one grey channel.
    QImage picture();

private:
    QImage Canvas;
    QPainter Painter;
};

} // namespace k740
