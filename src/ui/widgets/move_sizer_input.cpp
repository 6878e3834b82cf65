// Pointer and keyboard input of the move/resize component while it is active.
#include "ui/widgets/move_sizer.h"

#include "ui/widgets/grab_handle.h"
#include "ui/widgets/sizer_entry.h"
#include "ui/widgets/sizer_target.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace k740 {

namespace {

// The innermost of `controls` whose bounds contain the point; among
// overlapping controls that are not nested the later one wins.
QWidget* InnermostAt(const std::vector<QWidget*>& controls, QPoint globalPos)
{
    QWidget* found = nullptr;
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        QWidget* control = *it;
        if (!control->isVisible() || !ScreenRect(control).contains(globalPos))
            continue;
        if (!found || found->isAncestorOf(control))
            found = control;
    }
    return found;
}

template <typename Records> std::vector<QWidget*> ControlsOf(const Records& records)
{
    std::vector<QWidget*> controls;
    for (const auto& record : records)
        controls.push_back(record->control());
    return controls;
}

// A key reaches a filtered widget from a child with the focus that ignored it.
bool HandedOnByChild(const QWidget* watched)
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && focus != watched && watched->isAncestorOf(focus);
}

} // namespace

bool TMoveSizer::eventFilter(QObject* watched, QEvent* event)
{
    return filterInput(static_cast<QWidget*>(watched), event);
}

// Returns true for input the component swallows.
bool TMoveSizer::filterInput(QWidget* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        const QPoint globalPos = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        if (State == ssReady)
            showCursor(watched, globalPos);
        else
            trackDrag(globalPos);
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* press = static_cast<QMouseEvent*>(event);
        if (!press->spontaneous())
            return true; // a copy handed on by a child that ignored the press
        const QPoint globalPos = press->globalPosition().toPoint();
        if (press->button() == Qt::LeftButton)
            mouseDown(globalPos, press->modifiers().testFlag(Qt::ShiftModifier));
        else if (press->button() == Qt::RightButton)
            contextPopup(globalPos);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            finishDrag();
        return true;
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    case QEvent::KeyPress:
        if (HandedOnByChild(watched))
            return false;
        keyDown(static_cast<QKeyEvent*>(event));
        return true;
    case QEvent::KeyRelease:
        return !HandedOnByChild(watched);
    default:
        return false;
    }
}

// Size-all over a target while no target is aligned, a hand over a control
// that may be selected, the widget's own cursor elsewhere.
void TMoveSizer::showCursor(QWidget* watched, QPoint globalPos)
{
    QWidget* control = controlAt(globalPos);
    if (!control) {
        restoreCursor(watched);
        return;
    }
    if (OnSetCursor) {
        bool handled = false;
        OnSetCursor(this, control, control->mapFromGlobal(globalPos), handled);
        if (handled)
            return;
    }
    if (targetIndex(control) < 0)
        watched->setCursor(Qt::PointingHandCursor);
    else if (!anyTargetAligned())
        watched->setCursor(Qt::SizeAllCursor);
    else
        restoreCursor(watched);
}

void TMoveSizer::restoreCursor(QWidget* watched) const
{
    if (FormHook && watched == FormHook->control()) {
        FormHook->restoreCursor();
        return;
    }
    const int index = entryIndex(watched);
    if (index >= 0)
        Entries[index]->restoreCursor();
}

void TMoveSizer::keyDown(QKeyEvent* event)
{
    if (auto* preview = dynamic_cast<ITKeyPreview*>(form()); preview && preview->previewKeyDown(event))
        return;
    int key = event->key();
    if (OnKeyDown) {
        OnKeyDown(this, key, event->modifiers());
        if (key == 0)
            return;
    }
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    switch (key) {
    case Qt::Key_Tab:
        tabStep(shift);
        break;
    case Qt::Key_Backtab:
        tabStep(true);
        break;
    case Qt::Key_Escape:
        escapeKey();
        break;
    case Qt::Key_Left:
        arrowStep({-1, 0}, shift);
        break;
    case Qt::Key_Up:
        arrowStep({0, -1}, shift);
        break;
    case Qt::Key_Right:
        arrowStep({1, 0}, shift);
        break;
    case Qt::Key_Down:
        arrowStep({0, 1}, shift);
        break;
    default:
        break;
    }
}

// Selects the next (or previous) registered control after the first target.
void TMoveSizer::tabStep(bool back)
{
    if (Entries.empty())
        return;
    if (Targets.empty()) {
        SelectTarget(Entries.front()->control());
        return;
    }
    int index = entryIndex(Targets.front()->control()) + (back ? -1 : 1);
    if (index < 0)
        index = controlCount() - 1;
    else if (index >= controlCount())
        index = 0;
    DeselectAll();
    SelectTarget(Entries[index]->control());
}

// Drops a drag, or else moves the selection to the first target's parent.
void TMoveSizer::escapeKey()
{
    if (State != ssReady) {
        cancelDrag();
        return;
    }
    if (Targets.empty())
        return;
    const int parent = entryIndex(Targets.front()->control()->parentWidget());
    DeselectAll();
    if (parent >= 0)
        SelectTarget(Entries[parent]->control());
}

// The drag starts once the press has been handled by everyone else.
void TMoveSizer::mouseDown(QPoint globalPos, bool shift)
{
    if (StartPending)
        return;
    if (OnMouseDown) {
        if (QWidget* control = controlAt(globalPos)) {
            bool handled = false;
            OnMouseDown(this, control, control->mapFromGlobal(globalPos), handled);
            if (handled)
                return;
        }
    }
    StartPending = true;
    QMetaObject::invokeMethod(
        this,
        [this, globalPos, shift] {
            StartPending = false;
            deferredStart(globalPos, shift);
        },
        Qt::QueuedConnection);
}

// A press in an unregistered control of the form (the form and the
// registered controls are filtered and see their own presses); the grab
// handles are not controls of the form.
void TMoveSizer::childPressed(QWidget* receiver, QPoint globalPos, bool shift)
{
    if (receiver != form() && form()->isAncestorOf(receiver) && !qobject_cast<TGrabHandle*>(receiver)
        && entryIndex(receiver) < 0)
        mouseDown(globalPos, shift);
}

void TMoveSizer::contextPopup(QPoint globalPos)
{
    if (!PopupMenuValue)
        return;
    TSizerTarget* target = targetAt(globalPos);
    if (!target)
        return;
    if (OnContextPopup) {
        bool handled = false;
        OnContextPopup(this, globalPos, handled);
        if (handled)
            return;
    }
    cancelDrag();
    PopupMenuValue->setProperty("PopupComponent", QVariant::fromValue<QObject*>(target->control()));
    PopupMenuValue->popup(globalPos);
}

QWidget* TMoveSizer::controlAt(QPoint globalPos) const
{
    return InnermostAt(ControlsOf(Entries), globalPos);
}

TSizerTarget* TMoveSizer::targetAt(QPoint globalPos) const
{
    const int index = targetIndex(InnermostAt(ControlsOf(Targets), globalPos));
    return index < 0 ? nullptr : Targets[index].get();
}

} // namespace k740
