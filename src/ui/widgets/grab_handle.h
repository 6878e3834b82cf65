#pragma once
#include <QColor>
#include <QWidget>

namespace k740 {

class TSizerTarget;

// One of the eight small squares around a selected control. It lives on the
// form, above every other control, so that it stays visible over the
// control's neighbours. It is created hidden; the component places, shows
// and styles it. An allowed handle shows its size cursor, a disallowed one
// the arrow.
class TGrabHandle : public QWidget {
    Q_OBJECT
public:
    TGrabHandle(QWidget* form, TSizerTarget* target, int index);

    TSizerTarget* target() const { return Target; }
    int index() const { return Index; }
    bool allowed() const { return Allowed; }
    QColor colour() const { return Colour; }

    void setStyle(bool allowed, const QColor& colour);
    // Puts the handle on `form` at `topLeft` and raises it above its siblings.
    void placeAt(QWidget* form, QPoint topLeft);

signals:
    // The left button went down on the handle.
    void pressed(k740::TGrabHandle* handle, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TSizerTarget* const Target;
    const int Index;
    bool Allowed = false;
    QColor Colour;
};

} // namespace k740
