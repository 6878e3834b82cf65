// Keyboard preview: the window's key handlers see every key typed into one
// of its controls before the control does.
#include "ui/main_form.h"

#include "ui/key_chord.h"
#include "ui/trend_form.h"
#include "ui/widgets/move_sizer.h"

#include <QKeyEvent>

namespace k740 {

// Qt hands a key that a control ignored on to its parents; only the first
// delivery, to the control with the focus (or to the window when none has
// it), is previewed. While the move/resize component holds the keyboard on
// the window itself, it offers key presses to previewKeyDown and swallows
// the rest.
bool TMainForm::keyPreviewed(QObject* receiver, QEvent* event) const
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    if (!receiver->isWidgetType() || static_cast<QWidget*>(receiver)->window() != this)
        return false;
    QWidget* focus = focusWidget();
    if (receiver != (focus ? focus : this))
        return false;
    return !(ScPos->Active() && receiver == this);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (keyPreviewed(watched, event)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::KeyPress) {
            FormKeyDown(key->key(), key->modifiers());
            if (!key->text().isEmpty())
                FormKeyPress(key->text().at(0));
        } else if (!key->isAutoRepeat()) {
            FormKeyUp(key->key(), key->modifiers());
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TMainForm::previewKeyDown(QKeyEvent* event)
{
    FormKeyDown(event->key(), event->modifiers());
    return false;
}

void TMainForm::FormKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_F2)
        Session.captureReadOut();
}

void TMainForm::FormKeyUp(int key, Qt::KeyboardModifiers shift)
{
    if (!IsCtrlShiftChord(shift))
        return;
    if (key == Qt::Key_D)
        showCaptureList(!Session.options().AutoCapture); // Ctrl+Shift+D toggles the list
    else if (key == Qt::Key_A)
        RecordingOptionsVisible = !RecordingOptionsVisible;
    else if (key == Qt::Key_T)
        showTrend(!TrendForm || !TrendForm->isVisible());
}

} // namespace k740
