#pragma once
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QToolButton;

namespace k740 {

// Up-down spinner bound to a read-only edit, like a Windows up-down control:
// the edit shows the position and changes only through the spinner. The
// position stays within [minimum, maximum] on the grid of `increment` steps
// from the minimum; setting it from code rewrites the edit's text, which
// emits the edit's textChanged when the text differs. The arrows and the
// Up/Down keys on the edit step it.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 20;

    explicit TUpDown(QWidget* parent);

    // Binds the spinner to `edit` (or to nothing): makes it read-only and
    // shows the position in it.
    void setAssociate(QLineEdit* edit);
    QLineEdit* associate() const { return associate_; }
    // Puts the spinner right beside its edit, as high as the edit.
    void placeBesideAssociate();

    void setRange(int minimum, int maximum);
    void setMinimum(int minimum) { setRange(minimum, maximum_); }
    void setMaximum(int maximum) { setRange(minimum_, maximum); }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    void setIncrement(int increment);
    int increment() const { return increment_; }
    // Whether the edit groups thousands with the user's separator (on by default).
    void setThousands(bool on);
    bool thousands() const { return thousands_; }

    int position() const { return position_; }
    void setPosition(int position);
    // Moves by `steps` increments (negative steps go down).
    void stepBy(int steps);

signals:
    void positionChanged(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int onGrid(int position) const;
    void showPosition();

    QPointer<QLineEdit> associate_;
    QToolButton* up_;
    QToolButton* down_;
    int minimum_ = 0;
    int maximum_ = 100;
    int increment_ = 1;
    int position_ = 0;
    bool thousands_ = true;
};

} // namespace k740
