#pragma once
#include <QLabel>

namespace k740 {

// A text panel that reports clicks and double clicks, like the status and
// read-out panels of the main window. A lowered panel draws a sunken bevel.
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
};

} // namespace k740
