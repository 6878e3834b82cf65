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
    static constexpr int kDefaultWidth = 20;

    explicit TUpDown(QWidget* parent);

    // Binds the spinner to `edit` (or to nothing): makes it read-only and
    // shows the position in it.
    void setAssociate(QLineEdit* edit);
    QLineEdit* associate() const { return Associate; }
    // Puts the spinner right beside its edit, as high as the edit.
    void placeBesideAssociate();

    void setRange(int minimum, int maximum);
    void setMinimum(int minimum) { setRange(minimum, Maximum); }
    void setMaximum(int maximum) { setRange(Minimum, maximum); }
    int minimum() const { return Minimum; }
    int maximum() const { return Maximum; }
    void setIncrement(int increment);
    int increment() const { return Increment; }
    // Whether the edit groups thousands with the user's separator (on by default).
    void setThousands(bool on);
    bool thousands() const { return Thousands; }

    int position() const { return Position; }
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

    QPointer<QLineEdit> Associate;
    QToolButton* Up;
    QToolButton* Down;
    int Minimum = 0;
    int Maximum = 100;
    int Increment = 1;
    int Position = 0;
    bool Thousands = true;
};

} // namespace k740
