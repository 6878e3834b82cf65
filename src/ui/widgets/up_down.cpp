#include "ui/widgets/up_down.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>
#include <algorithm>

namespace k740 {

namespace {
QToolButton* arrowButton(QWidget* parent, Qt::ArrowType arrow)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent)
    , up_(arrowButton(this, Qt::UpArrow))
    , down_(arrowButton(this, Qt::DownArrow))
{
    resize(DefaultWidth, 2 * DefaultWidth);
    connect(up_, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void TUpDown::setAssociate(QLineEdit* edit)
{
    if (associate_)
        associate_->removeEventFilter(this);
    associate_ = edit;
    if (!associate_)
        return;
    associate_->setReadOnly(true);
    associate_->installEventFilter(this);
    showPosition();
}

void TUpDown::placeBesideAssociate()
{
    if (associate_)
        setGeometry(associate_->x() + associate_->width(), associate_->y(), width(), associate_->height());
}

void TUpDown::setRange(int minimum, int maximum)
{
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    setPosition(position_);
}

void TUpDown::setIncrement(int increment)
{
    increment_ = std::max(1, increment);
    setPosition(position_);
}

void TUpDown::setThousands(bool on)
{
    thousands_ = on;
    showPosition();
}

void TUpDown::setPosition(int position)
{
    const int next = onGrid(position);
    const bool moved = next != position_;
    position_ = next;
    showPosition();
    if (moved)
        emit positionChanged(position_);
}

void TUpDown::stepBy(int steps)
{
    // In 64 bits: a step past either end must clamp, not wrap.
    const int64_t target = int64_t(position_) + int64_t(steps) * increment_;
    setPosition(int(std::clamp<int64_t>(target, minimum_, maximum_)));
}

int TUpDown::onGrid(int position) const
{
    const int64_t clamped = std::clamp(position, minimum_, maximum_);
    return int(minimum_ + (clamped - minimum_) / increment_ * increment_);
}

void TUpDown::showPosition()
{
    if (!associate_)
        return;
    QLocale locale;
    if (!thousands_)
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString text = locale.toString(position_);
    if (associate_->text() != text)
        associate_->setText(text);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event)
{
    // The event type first: the edit also passes through here while it is being destroyed.
    if (event->type() == QEvent::KeyPress && watched == associate_ && isEnabled()) {
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
    up_->setGeometry(0, 0, width(), upper);
    down_->setGeometry(0, upper, width(), height() - upper);
    QWidget::resizeEvent(event);
}

} // namespace k740
