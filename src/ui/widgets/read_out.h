#pragma once
#include "ui/widgets/glyph_line.h"
#include "ui/widgets/glyph_pictures.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QFrame>
#include <map>

namespace k740 {

// A one-line text read-out in a lowered panel, centred, for a value that may
// change more often than a screen refreshes. text() is always the last text
// set; the panel shows it within one refresh period of the screen: changes
// that come faster are painted together, and a paint covers only the
// glyphs that changed. The text is set once per shown change (see
// TextAdvance) and drawn from glyph pictures made once; a new text never
// asks for a new layout or size hint. Assistive technology is told of new
// texts at most kAnnounceMs apart, and of the last one always; asked, it
// reads the newest text.
class TReadOut : public QFrame {
    Q_OBJECT
public:
    static constexpr int kAnnounceMs = 250;

    explicit TReadOut(QWidget* parent);

    const QString& text() const { return Text; }
    void setText(const QString& text);
    void clear() { setText(QString()); }
    void setFontColour(const QColor& colour);
    void setBackground(const QColor& colour);
    // Width in pixels of `text` as the read-out draws it in its font at
    // `points` points.
    int textWidth(const QString& text, int points) const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int frameIntervalMs() const;
    // Sets the text in glyphs and marks the pixels it changes for the next
    // paint.
    void showText();
    // Sets the text again for a new font or box; everything is painted again.
    void layOutAgain();
    void announce();

    QString Text;
    QRawFont Raw; // of font()
    mutable std::map<int, QRawFont> RawByPoints;
    TGlyphLine Shown; // what the next paint draws
    TGlyphPictures Pictures;
    QBasicTimer FrameTimer;
    QElapsedTimer SinceShown;
    QBasicTimer AnnounceTimer;
    QElapsedTimer SinceAnnounced;
};

} // namespace k740
