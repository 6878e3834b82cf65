// Dragging targets with the pointer, and the arrow-key steps.
#include "ui/widgets/move_sizer.h"

#include "ui/widgets/grab_handle.h"
#include "ui/widgets/sizer_target.h"

#include <QWidget>
#include <algorithm>
#include <exception>

namespace k740 {

// A failing event handler must not leave a half-started drag behind.
void TMoveSizer::deferredStart(QPoint globalPos, bool shift)
{
    if (!ActiveValue)
        return;
    try {
        startDrag(nullptr, globalPos, shift);
    } catch (const std::exception& error) {
        qCritical("TMoveSizer: drag not started: %s", error.what());
        abandonDrag();
    }
}

void TMoveSizer::handlePressed(TGrabHandle* handle, QPoint globalPos)
{
    if (ActiveValue && State == ssReady)
        startDrag(handle, globalPos, false);
}

// With a handle: resize the targets if the handle is allowed. Without one: a
// press on an unselected control selects it, Shift+press toggles the
// selection, a press on a target moves all targets unless one is aligned.
void TMoveSizer::startDrag(TGrabHandle* handle, QPoint globalPos, bool shift)
{
    StartPt = globalPos;
    if (handle) {
        if (!handle->allowed())
            return;
        Captured = handle->target()->control();
        DragEdges = HandleEdges(handle->index());
        DragCursor = HandleCursor(handle->index());
        State = ssSizing;
    } else {
        QWidget* control = controlAt(globalPos);
        const int target = targetIndex(control);
        if (!shift && target < 0)
            DeselectAll();
        if (!control)
            return;
        if (target < 0) {
            SelectTarget(control);
            return;
        }
        if (shift) {
            DeselectTarget(control);
            return;
        }
        focusForm();
        if (anyTargetAligned())
            return;
        Captured = control;
        DragEdges = kAllEdges;
        DragCursor = Qt::SizeAllCursor;
        State = ssMoving;
    }
    beginDrag();
}

void TMoveSizer::beginDrag()
{
    for (const auto& target : Targets)
        target->Current = target->Start = ScreenRect(target->control());
    const QRect parentArea = ScreenRect(Captured->parentWidget());
    ClipArea = State == ssSizing ? SizingClip(ScreenRect(Captured), DragEdges, parentArea) : parentArea;
    if (OnStartSizeMove)
        OnStartSizeMove(this, State);
    for (const auto& target : Targets) {
        target->setHandlesVisible(false);
        target->showFrame(form());
    }
    Grabber = form();
    Grabber->grabMouse(DragCursor);
}

void TMoveSizer::trackDrag(QPoint globalPos)
{
    if (!Captured)
        return;
    const QPoint delta = ClippedPoint(globalPos, ClipArea) - StartPt;
    for (const auto& target : Targets)
        target->Current = MovedEdges(target->Start, DragEdges, delta);
    if (OnDuringSizeMove)
        OnDuringSizeMove(this, delta.x(), delta.y(), State);
    for (const auto& target : Targets)
        target->showFrame(form());
}

// Applies the targets' new bounds unless the drag was dropped.
void TMoveSizer::finishDrag(TDragEnd end)
{
    if (State == ssReady)
        return;
    endTracking();
    if (end == TDragEnd::Apply)
        for (const auto& target : Targets)
            applyBounds(*target);
    if (OnEndSizeMove)
        OnEndSizeMove(this, State);
    for (const auto& target : Targets)
        target->setHandlesVisible(true);
    State = ssReady;
}

void TMoveSizer::cancelDrag()
{
    finishDrag(TDragEnd::Drop);
}

// Hides the frames and lets the pointer go.
void TMoveSizer::endTracking()
{
    for (const auto& target : Targets)
        target->hideFrame();
    if (Grabber)
        Grabber->releaseMouse();
    Grabber = nullptr;
    Captured = nullptr;
}

// Ends the drag without applying anything or raising an event.
void TMoveSizer::abandonDrag()
{
    endTracking();
    for (const auto& target : Targets)
        target->setHandlesVisible(true);
    State = ssReady;
}

void TMoveSizer::applyBounds(TSizerTarget& target) const
{
    QWidget* control = target.control();
    const QRect& bounds = target.Current;
    const QRect local(control->parentWidget()->mapFromGlobal(bounds.topLeft()),
        QSize(std::max(1, bounds.width()), std::max(1, bounds.height())));
    control->setGeometry(SnappedToGrid(local, GridSizeValue));
    target.placeHandles(form());
    control->update();
}

void TMoveSizer::arrowStep(QPoint step, bool shift)
{
    if (shift)
        resizeStep(step);
    else
        moveStep(step);
    if (OnEndSizeMove)
        OnEndSizeMove(this, shift ? ssSizing : ssMoving);
}

void TMoveSizer::moveStep(QPoint step)
{
    if (anyTargetAligned())
        return;
    for (const auto& target : Targets) {
        target->control()->move(target->control()->pos() + step);
        target->placeHandles(form());
    }
}

// A step on an axis needs an allowed handle on that axis; MoveOnly allows none.
void TMoveSizer::resizeStep(QPoint step)
{
    if (step.x() != 0 && !handleEnabled(kHandleLeft) && !handleEnabled(kHandleRight))
        return;
    if (step.y() != 0 && !handleEnabled(kHandleBottom) && !handleEnabled(kHandleTop))
        return;
    for (const auto& target : Targets) {
        QWidget* control = target->control();
        control->resize(std::max(1, control->width() + step.x()), std::max(1, control->height() + step.y()));
        target->placeHandles(form());
    }
}

} // namespace k740
