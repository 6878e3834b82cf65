#include "ui/widgets/up_down.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>
#include <algorithm>

namespace k740 {

namespace {
QToolButton* ArrowButton(QWidget* parent, Qt::ArrowType arrow, const QString& name)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAccessibleName(name);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent)
    , Up(ArrowButton(this, Qt::UpArrow, QStringLiteral("Up")))
    , Down(ArrowButton(this, Qt::DownArrow, QStringLiteral("Down")))
{
    resize(kDefaultWidth, 2 * kDefaultWidth);
    connect(Up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(Down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void TUpDown::setAssociate(QLineEdit* edit)
{
    if (Associate)
        Associate->removeEventFilter(this);
    Associate = edit;
    if (!Associate)
        return;
    Associate->setReadOnly(true);
    Associate->installEventFilter(this);
    showPosition();
}

void TUpDown::placeBesideAssociate()
{
    if (Associate)
        setGeometry(Associate->x() + Associate->width(), Associate->y(), width(), Associate->height());
}

void TUpDown::setRange(int minimum, int maximum)
{
    Minimum = minimum;
    Maximum = std::max(minimum, maximum);
    setPosition(Position);
}

void TUpDown::setIncrement(int increment)
{
    Increment = std::max(1, increment);
    setPosition(Position);
}

void TUpDown::setThousands(bool on)
{
    Thousands = on;
    showPosition();
}

void TUpDown::setPosition(int position)
{
    const int next = onGrid(position);
    const bool moved = next != Position;
    Position = next;
    showPosition();
    if (moved)
        emit positionChanged(Position);
}

void TUpDown::stepBy(int steps)
{
    // In 64 bits: a step past either end must clamp, not wrap.
    const int64_t target = int64_t(Position) + int64_t(steps) * Increment;
    setPosition(int(std::clamp<int64_t>(target, Minimum, Maximum)));
}

int TUpDown::onGrid(int position) const
{
    const int64_t clamped = std::clamp(position, Minimum, Maximum);
    return int(Minimum + (clamped - Minimum) / Increment * Increment);
}

void TUpDown::showPosition()
{
    if (!Associate)
        return;
    QLocale locale;
    if (!Thousands)
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString text = locale.toString(Position);
    if (Associate->text() != text)
        Associate->setText(text);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event)
{
    // The event type first: the edit also passes through here while it is being destroyed.
    if (event->type() == QEvent::KeyPress && watched == Associate && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent* event)
{
    const int upper = height() / 2;
    Up->setGeometry(0, 0, width(), upper);
    Down->setGeometry(0, upper, width(), height() - upper);
    QWidget::resizeEvent(event);
}

} // namespace k740
