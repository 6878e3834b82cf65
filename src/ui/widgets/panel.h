#pragma once
#include <QLabel>

namespace k740 {

// A text panel that reports clicks and double clicks, like the status and
// read-out panels of the main window. A lowered panel draws a sunken bevel.
// A panel given the keyboard focus (a focus policy) shows it with a dotted
// frame and reports Enter and Space as a double click: the keyboard's way to
// its command.
class TPanel : public QLabel {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent, bool lowered = false);

    void setFontColour(const QColor& colour);
    void setBackground(const QColor& colour);

signals:
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace k740
