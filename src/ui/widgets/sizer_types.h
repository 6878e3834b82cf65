#pragma once
#include <QPoint>
#include <functional>

class QKeyEvent;
class QObject;
class QWidget;

namespace k740 {

// What the move/resize component is doing with the pointer.
enum TSizerState { ssReady, ssMoving, ssSizing };

// Handlers of the component's events. A handler that is not set is "not
// assigned"; arguments passed by reference may be changed by the handler.
using TNotifyEvent = std::function<void(QObject* sender)>;
using TSizeMoveEvent = std::function<void(QObject* sender, TSizerState state)>;
using TSizeMoveDragEvent = std::function<void(QObject* sender, int dx, int dy, TSizerState state)>;
// `key` is a Qt::Key; setting it to 0 consumes the key.
using TKeyEvent = std::function<void(QObject* sender, int& key, Qt::KeyboardModifiers shift)>;
// `targetPt` is in the client coordinates of `target`; handled = true stops the component.
using TMouseDownEvent = std::function<void(QObject* sender, QWidget* target, QPoint targetPt, bool& handled)>;
using TSetCursorEvent = std::function<void(QObject* sender, QWidget* target, QPoint targetPt, bool& handled)>;
// `mousePos` is in screen coordinates.
using TContextPopupEvent = std::function<void(QObject* sender, QPoint mousePos, bool& handled)>;

// Keyboard preview of a form: a form that derives from this class sees each
// key press first while the component holds the keyboard, and returns true
// when it consumed the key.
class ITKeyPreview {
public:
    virtual ~ITKeyPreview() = default;
    virtual bool previewKeyDown(QKeyEvent* event) = 0;
};

} // namespace k740
