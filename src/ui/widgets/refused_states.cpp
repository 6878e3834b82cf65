#include "ui/widgets/refused_states.h"

#include <QEvent>
#include <QTimer>

namespace k740 {

namespace {
class TStateRefuser : public QObject {
public:
    TStateRefuser(QWidget* window, Qt::WindowStates refused)
        : QObject(window)
        , window_(window)
        , refused_(refused)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::WindowStateChange && (window_->windowState() & refused_))
            QTimer::singleShot(0, window_, [this] { undo(); });
        return false;
    }

private:
    // A window that comes back from minimised comes back on top, as it was.
    void undo()
    {
        const Qt::WindowStates state = window_->windowState();
        window_->setWindowState(state & ~refused_);
        if (state & refused_ & Qt::WindowMinimized) {
            window_->raise();
            window_->activateWindow();
        }
    }

    QWidget* window_;
    Qt::WindowStates refused_;
};
} // namespace

void RefuseWindowStates(QWidget* window, Qt::WindowStates refused)
{
    new TStateRefuser(window, refused);
}

} // namespace k740
