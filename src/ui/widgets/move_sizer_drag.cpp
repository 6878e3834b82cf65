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
    if (!active_)
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
    if (active_ && state_ == ssReady)
        startDrag(handle, globalPos, false);
}

// With a handle: resize the targets if the handle is allowed. Without one: a
// press on an unselected control selects it, Shift+press toggles the
// selection, a press on a target moves all targets unless one is aligned.
void TMoveSizer::startDrag(TGrabHandle* handle, QPoint globalPos, bool shift)
{
    startPt_ = globalPos;
    if (handle) {
        if (!handle->allowed())
            return;
        captured_ = handle->target()->control();
        dragEdges_ = HandleEdges(handle->index());
        dragCursor_ = HandleCursor(handle->index());
        state_ = ssSizing;
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
        captured_ = control;
        dragEdges_ = edAll;
        dragCursor_ = Qt::SizeAllCursor;
        state_ = ssMoving;
    }
    beginDrag();
}

void TMoveSizer::beginDrag()
{
    for (const auto& target : targets_)
        target->current = target->start = ScreenRect(target->control());
    const QRect parentArea = ScreenRect(captured_->parentWidget());
    clipArea_ = state_ == ssSizing ? SizingClip(ScreenRect(captured_), dragEdges_, parentArea) : parentArea;
    if (OnStartSizeMove)
        OnStartSizeMove(this, state_);
    for (const auto& target : targets_) {
        target->setHandlesVisible(false);
        target->showFrame(form());
    }
    grabber_ = form();
    grabber_->grabMouse(dragCursor_);
}

void TMoveSizer::trackDrag(QPoint globalPos)
{
    if (!captured_)
        return;
    const QPoint delta = ClippedPoint(globalPos, clipArea_) - startPt_;
    for (const auto& target : targets_)
        target->current = MovedEdges(target->start, dragEdges_, delta);
    if (OnDuringSizeMove)
        OnDuringSizeMove(this, delta.x(), delta.y(), state_);
    for (const auto& target : targets_)
        target->showFrame(form());
}

// Applies the targets' new bounds unless the drag was dropped.
void TMoveSizer::finishDrag(TDragEnd end)
{
    if (state_ == ssReady)
        return;
    endTracking();
    if (end == TDragEnd::Apply)
        for (const auto& target : targets_)
            applyBounds(*target);
    if (OnEndSizeMove)
        OnEndSizeMove(this, state_);
    for (const auto& target : targets_)
        target->setHandlesVisible(true);
    state_ = ssReady;
}

void TMoveSizer::cancelDrag()
{
    finishDrag(TDragEnd::Drop);
}

// Hides the frames and lets the pointer go.
void TMoveSizer::endTracking()
{
    for (const auto& target : targets_)
        target->hideFrame();
    if (grabber_)
        grabber_->releaseMouse();
    grabber_ = nullptr;
    captured_ = nullptr;
}

// Ends the drag without applying anything or raising an event.
void TMoveSizer::abandonDrag()
{
    endTracking();
    for (const auto& target : targets_)
        target->setHandlesVisible(true);
    state_ = ssReady;
}

void TMoveSizer::applyBounds(TSizerTarget& target) const
{
    QWidget* control = target.control();
    const QRect& bounds = target.current;
    const QRect local(control->parentWidget()->mapFromGlobal(bounds.topLeft()),
        QSize(std::max(1, bounds.width()), std::max(1, bounds.height())));
    control->setGeometry(SnappedToGrid(local, gridSize_));
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
    for (const auto& target : targets_) {
        target->control()->move(target->control()->pos() + step);
        target->placeHandles(form());
    }
}

// A step on an axis needs an allowed handle on that axis; MoveOnly allows none.
void TMoveSizer::resizeStep(QPoint step)
{
    if (step.x() != 0 && !handleEnabled(hiLeft) && !handleEnabled(hiRight))
        return;
    if (step.y() != 0 && !handleEnabled(hiBottom) && !handleEnabled(hiTop))
        return;
    for (const auto& target : targets_) {
        QWidget* control = target->control();
        control->resize(std::max(1, control->width() + step.x()), std::max(1, control->height() + step.y()));
        target->placeHandles(form());
    }
}

} // namespace k740
