#include "ui/widgets/refused_states.h"

#include <QEvent>
#include <QTimer>

namespace k740 {

namespace {
class TStateRefuser : public QObject {
public:
    TStateRefuser(QWidget* window, Qt::WindowStates refused)
        : QObject(window)
        , Window(window)
        , Refused(refused)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == Window && event->type() == QEvent::WindowStateChange && (Window->windowState() & Refused))
            QTimer::singleShot(0, Window, [this] { undo(); });
        return false;
    }

private:
    // A window that comes back from minimised comes back on top, as it was.
    void undo()
    {
        const Qt::WindowStates state = Window->windowState();
        Window->setWindowState(state & ~Refused);
        if (state & Refused & Qt::WindowMinimized) {
            Window->raise();
            Window->activateWindow();
        }
    }

    QWidget* Window;
    Qt::WindowStates Refused;
};
} // namespace

void RefuseWindowStates(QWidget* window, Qt::WindowStates refused)
{
    new TStateRefuser(window, refused);
}

} // namespace k740
