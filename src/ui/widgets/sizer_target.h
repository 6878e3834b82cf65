#pragma once
#include "ui/widgets/sizer_geometry.h"

#include <QPointer>
#include <QRect>
#include <array>

class QColor;
class QWidget;

namespace k740 {

class TDragFrame;
class TGrabHandle;
class TMoveSizer;

// Bounds of a widget in screen coordinates.
QRect ScreenRect(const QWidget* widget);

// A selected control with its eight grab handles and, during a drag, the
// frame that shows where it will go. `current` and `start` are its bounds in
// screen coordinates now and at the start of the drag.
class TSizerTarget {
public:
    TSizerTarget(TMoveSizer* sizer, QWidget* control, QWidget* form);
    ~TSizerTarget();
    TSizerTarget(const TSizerTarget&) = delete;
    TSizerTarget& operator=(const TSizerTarget&) = delete;

    TMoveSizer* sizer() const { return Sizer; }
    QWidget* control() const { return Control; }
    TGrabHandle* handle(int index) const { return Handles[index]; }

    // Handle i is allowed when bit i of `allowedMask` is set.
    void styleHandles(unsigned allowedMask, const QColor& allowedColour, const QColor& disallowedColour);
    bool handleAllowed(int index) const;
    // Moves the handles to the control's edges on `form`.
    void placeHandles(QWidget* form);
    void setHandlesVisible(bool visible);
    // Shows `current` as a frame on `form`.
    void showFrame(QWidget* form);
    void hideFrame();

    QRect Current;
    QRect Start;

private:
    TMoveSizer* const Sizer;
    QWidget* const Control; // forgotten by the component before it is deleted
    // The form owns the handles and the frame and may delete them first.
    std::array<QPointer<TGrabHandle>, kHandleCount> Handles;
    QPointer<TDragFrame> Frame;
};

} // namespace k740
