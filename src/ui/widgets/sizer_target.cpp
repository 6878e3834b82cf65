#include "ui/widgets/sizer_target.h"

#include "ui/widgets/drag_frame.h"
#include "ui/widgets/grab_handle.h"

namespace k740 {

QRect ScreenRect(const QWidget* widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

TSizerTarget::TSizerTarget(TMoveSizer* sizer, QWidget* control, QWidget* form)
    : sizer_(sizer)
    , control_(control)
{
    for (int i = 0; i < HandleCount; ++i)
        handles_[i] = new TGrabHandle(form, this, i);
}

TSizerTarget::~TSizerTarget()
{
    for (const QPointer<TGrabHandle>& handle : handles_)
        delete handle.data();
    delete frame_.data();
}

void TSizerTarget::styleHandles(unsigned allowedMask, const QColor& allowedColour, const QColor& disallowedColour)
{
    for (int i = 0; i < HandleCount; ++i) {
        const bool allowed = allowedMask & HandleBit(i);
        if (handles_[i])
            handles_[i]->setStyle(allowed, allowed ? allowedColour : disallowedColour);
    }
}

bool TSizerTarget::handleAllowed(int index) const
{
    return handles_[index] && handles_[index]->allowed();
}

void TSizerTarget::placeHandles(QWidget* form)
{
    const QRect bounds(form->mapFromGlobal(ScreenRect(control_).topLeft()), control_->size());
    for (int i = 0; i < HandleCount; ++i)
        if (handles_[i])
            handles_[i]->placeAt(form, HandlePos(i, bounds));
}

void TSizerTarget::setHandlesVisible(bool visible)
{
    for (const QPointer<TGrabHandle>& handle : handles_)
        if (handle)
            handle->setVisible(visible);
}

void TSizerTarget::showFrame(QWidget* form)
{
    if (!frame_)
        frame_ = new TDragFrame(form);
    frame_->setGeometry(QRect(form->mapFromGlobal(current.topLeft()), current.size()));
    frame_->raise();
    frame_->show();
}

void TSizerTarget::hideFrame()
{
    if (frame_)
        frame_->hide();
}

} // namespace k740
