#include "ui/widgets/press_watcher.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace k740 {

TPressWatcher::TPressWatcher(THandler handler)
    : Handler(std::move(handler))
{
    QCoreApplication::instance()->installEventFilter(this);
}

TPressWatcher::~TPressWatcher()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

// Qt marks only the first delivery of a pressed button as spontaneous.
bool TPressWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && event->spontaneous() && watched->isWidgetType()) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton)
            Handler(static_cast<QWidget*>(watched), press);
    }
    return false;
}

} // namespace k740
