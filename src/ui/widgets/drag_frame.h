#pragma once
#include <QWidget>

namespace k740 {

// The frame that shows where a dragged control will go: a one-pixel dotted
// border laid over the form that inverts the colours beneath it, every
// other pixel, like a focus rectangle. Inside the border the form shows
// through; the pointer passes through it.
class TDragFrame : public QWidget {
    Q_OBJECT
public:
    explicit TDragFrame(QWidget* form);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace k740
