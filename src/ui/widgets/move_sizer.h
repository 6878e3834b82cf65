#pragma once
#include "ui/widgets/control_align.h"
#include "ui/widgets/sizer_geometry.h"
#include "ui/widgets/sizer_types.h"

#include <QColor>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <memory>
#include <vector>

class QKeyEvent;
class QWidget;

namespace k740 {

class TGrabHandle;
class TPressWatcher;
class TSizerEntry;
class TSizerTarget;

// Lets the user move and resize controls of a form at run time.
//
// Controls are registered with AttachControl. While Active, a press on a
// registered control selects it (eight grab handles appear around it), the
// next press drags it, a drag on an allowed handle resizes it, the arrow keys
// move it by one pixel and Shift with an arrow key resizes it by one pixel;
// Shift+click adds or removes a selected control, Tab and Shift+Tab step
// through the registered controls, Esc drops a drag or selects the parent.
//
// How it sits on Qt:
// - The owner must be a widget; every widget counts as a windowed control.
//   The form is the owner's window.
// - While Active, the component is an event filter of the form and of every
//   registered control. It swallows their pointer and key input, so a
//   registered control does not react to clicks (a button emits no
//   clicked() for the mouse or the keyboard; a call of click() still does)
//   until the component is switched off again. A key that reaches a filtered
//   widget only because an unregistered child with the focus ignored it
//   passes on.
// - Presses in unregistered controls of the form reach their control as
//   usual and are also seen by the component (a click elsewhere deselects).
// - Mouse-down handling runs on the press as Qt first delivers it (a
//   spontaneous event); the copies Qt hands on to parents are only swallowed.
// - Cursors are set on the filtered widget under the pointer (pointer moves
//   are tracked while hooked) and given back when the component is switched
//   off.
// - The form's keyboard preview: a form deriving from ITKeyPreview is offered
//   every key first.
// - A drag grabs the mouse on the form with the drag's cursor; each target's
//   new bounds show as an inverting dotted frame over the form (TDragFrame).
//   Qt cannot confine the pointer, so the drag follows the pointer's
//   position held inside the clip rectangle: for a move the client area of
//   the dragged control's parent, for a resize the control's rectangle with
//   the grabbed edges widened to that area (SizingClip). The bounds
//   themselves are not confined: a moved control may end partly outside
//   its parent.
// - The alignment of a control is read with ControlAlign (control_align.h).
// - Before the pop-up menu opens, the target under the pointer is stored on
//   the menu as the dynamic property "PopupComponent" (a QObject*).
class TMoveSizer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool MoveOnly READ MoveOnly WRITE setMoveOnly)
    Q_PROPERTY(QColor BtnColor READ BtnColor WRITE setBtnColor)
    Q_PROPERTY(QColor BtnColorDisabled READ BtnColorDisabled WRITE setBtnColorDisabled)
    Q_PROPERTY(int GridSize READ GridSize WRITE setGridSize)
    Q_PROPERTY(bool MultiTargetResize READ MultiTargetResize WRITE setMultiTargetResize)
    Q_PROPERTY(QMenu* PopupMenu READ PopupMenu WRITE setPopupMenu)
public:
    // Throws std::invalid_argument unless `owner` is a widget.
    explicit TMoveSizer(QObject* owner);
    ~TMoveSizer() override;

    // Handles are never allowed: targets can only be moved.
    bool MoveOnly() const { return MoveOnlyValue; }
    void setMoveOnly(bool moveOnly);
    QColor BtnColor() const { return BtnColorValue; }
    void setBtnColor(const QColor& colour);
    QColor BtnColorDisabled() const { return BtnColorDisabledValue; }
    void setBtnColorDisabled(const QColor& colour);
    // Dropped bounds are rounded to multiples of this (not below 2: no grid).
    int GridSize() const { return GridSizeValue; }
    void setGridSize(int gridSize);
    // Several targets may be resized together; otherwise they can only be moved.
    bool MultiTargetResize() const { return MultiTargetResizeValue; }
    void setMultiTargetResize(bool multiTargetResize);
    // Opened by the right button over a target; forgotten when it is deleted.
    QMenu* PopupMenu() const { return PopupMenuValue; }
    void setPopupMenu(QMenu* menu);

    bool Active() const { return ActiveValue; }
    // Switching deselects everything (a drag in progress is dropped) and
    // hooks or unhooks the form and every registered control.
    void setActive(bool active);
    TSizerState state() const { return State; }

    // Registers a control (it and its parents up to the form must not be
    // hidden); returns its index among the registered controls, or -1.
    int AttachControl(QWidget* control);
    // Selects a control; returns its index among the targets, or -1 during a
    // drag, for no control, a hidden control or a window.
    int SelectTarget(QWidget* control);
    void DeselectTarget(QWidget* control);
    void DeselectAll();
    // Moves every target's handles to its edges, e.g. after a layout change.
    void PlaceHandles();

    int controlCount() const { return int(Entries.size()); }
    QWidget* control(int index) const;
    int targetCount() const { return int(Targets.size()); }
    TSizerTarget* target(int index) const { return Targets[index].get(); }

    // Events, raised when set.
    TSizeMoveEvent OnStartSizeMove;
    TSizeMoveDragEvent OnDuringSizeMove;
    // Also after a drag was dropped and after each arrow-key step.
    TSizeMoveEvent OnEndSizeMove;
    TNotifyEvent OnTargetChange;
    TKeyEvent OnKeyDown;
    TMouseDownEvent OnMouseDown;
    TSetCursorEvent OnSetCursor;
    TContextPopupEvent OnContextPopup;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* form() const;
    int entryIndex(const QWidget* control) const;
    int targetIndex(const QWidget* control) const;
    void watchDeletion(QWidget* control);
    void forgetControl(QObject* control);
    void restyleHandles();
    bool anyTargetAligned() const;
    bool handleEnabled(int index) const;
    void focusForm();
    void targetsChanged();

    // Input (move_sizer_input.cpp).
    bool filterInput(QWidget* watched, QEvent* event);
    void showCursor(QWidget* watched, QPoint globalPos);
    void restoreCursor(QWidget* watched) const;
    void keyDown(QKeyEvent* event);
    void tabStep(bool back);
    void escapeKey();
    void mouseDown(QPoint globalPos, bool shift);
    void childPressed(QWidget* receiver, QPoint globalPos, bool shift);
    void contextPopup(QPoint globalPos);
    QWidget* controlAt(QPoint globalPos) const;
    TSizerTarget* targetAt(QPoint globalPos) const;

    // Dragging and arrow-key steps (move_sizer_drag.cpp).
    void deferredStart(QPoint globalPos, bool shift);
    void handlePressed(TGrabHandle* handle, QPoint globalPos);
    void startDrag(TGrabHandle* handle, QPoint globalPos, bool shift);
    void beginDrag();
    void trackDrag(QPoint globalPos);
    enum class TDragEnd { Apply, Drop };
    void finishDrag(TDragEnd end = TDragEnd::Apply);
    void cancelDrag();
    void endTracking();
    void abandonDrag();
    void applyBounds(TSizerTarget& target) const;
    void arrowStep(QPoint step, bool shift);
    void moveStep(QPoint step);
    void resizeStep(QPoint step);

    QWidget* const Owner;
    bool MoveOnlyValue = false;
    QColor BtnColorValue{0, 0, 128};
    QColor BtnColorDisabledValue{128, 128, 128};
    int GridSizeValue = 0;
    bool MultiTargetResizeValue = true;
    QPointer<QMenu> PopupMenuValue;

    bool ActiveValue = false;
    TSizerState State = ssReady;
    std::vector<std::unique_ptr<TSizerEntry>> Entries;
    std::vector<std::unique_ptr<TSizerTarget>> Targets;
    std::unique_ptr<TSizerEntry> FormHook;
    std::unique_ptr<TPressWatcher> PressWatcher;

    // The drag in progress.
    QPointer<QWidget> Captured;
    QPointer<QWidget> Grabber;
    unsigned DragEdges = kAllEdges;
    Qt::CursorShape DragCursor = Qt::SizeAllCursor;
    QPoint StartPt;
    QRect ClipArea; // where the pointer counts, in screen coordinates
    bool StartPending = false;
};

} // namespace k740
