#pragma once
#include "acquisition/trend_columns.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace k740 {

// Two plots on one time axis, the position above the speed, with the
// link's faults as red marks in rows beneath them and link losses as bands.
// Live, the axis ends now; paused, it stays where it was, and the wheel
// zooms and a drag pans it. The values under the pointer are shown beside it.
class TTrendPlot : public QWidget {
    Q_OBJECT
public:
    static constexpr int64_t kMinSpanUs = 100'000;
    static constexpr int64_t kMaxSpanUs = 600'000'000;

    TTrendPlot(const TTrendBuffer& buffer, QWidget* parent);

    void setUnits(const QString& position, const QString& speed);
    void setSpan(int64_t spanUs);
    int64_t spanUs() const { return SpanUs; }
    void setPaused(bool paused);
    bool paused() const { return Paused; }
    // The time axis shown: from its start to its end (live, as last drawn).
    int64_t fromUs() const { return endUs() - SpanUs; }
    int64_t endUs() const;
    // The width of the plots in pixels: one column each.
    int plotWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct TPlotArea {
        QRect Position;
        QRect Speed;
        QRect Faults;
    };
    TPlotArea areas() const;
    void keepEndInBuffer();
    int64_t timeAtX(int x) const;
    QRect bandRect(const TTrendBand& band, int top, int bottom) const;
    void paintPlot(QPainter& painter, const QRect& area, bool speed, const QString& unit);
    void paintFaults(QPainter& painter, const QRect& area);
    void paintTimeAxis(QPainter& painter, const TPlotArea& area);
    void paintPointerValues(QPainter& painter, const TPlotArea& area);

    const TTrendBuffer& Buffer;
    TTrendPicture Picture;
    QString PositionUnit;
    QString SpeedUnit;
    int64_t SpanUs = 60'000'000;
    int64_t ShownEndUs = 0; // the end of the axis last drawn live
    int64_t PausedEndUs = 0;
    int64_t PausedAtUs = 0;
    bool Paused = false;
    std::optional<QPoint> Pointer;
    std::optional<int> DragX;
};

// The steady clock's now in microseconds, as the cycles' reply times count.
int64_t TrendNowUs();

} // namespace k740
