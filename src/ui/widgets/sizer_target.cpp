#include "ui/widgets/sizer_target.h"

#include "ui/widgets/drag_frame.h"
#include "ui/widgets/grab_handle.h"

namespace k740 {

QRect ScreenRect(const QWidget* widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

TSizerTarget::TSizerTarget(TMoveSizer* sizer, QWidget* control, QWidget* form)
    : Sizer(sizer)
    , Control(control)
{
    for (int i = 0; i < kHandleCount; ++i)
        Handles[i] = new TGrabHandle(form, this, i);
}

TSizerTarget::~TSizerTarget()
{
    for (const QPointer<TGrabHandle>& handle : Handles)
        delete handle.data();
    delete Frame.data();
}

void TSizerTarget::styleHandles(unsigned allowedMask, const QColor& allowedColour, const QColor& disallowedColour)
{
    for (int i = 0; i < kHandleCount; ++i) {
        const bool allowed = allowedMask & HandleBit(i);
        if (Handles[i])
            Handles[i]->setStyle(allowed, allowed ? allowedColour : disallowedColour);
    }
}

bool TSizerTarget::handleAllowed(int index) const
{
    return Handles[index] && Handles[index]->allowed();
}

void TSizerTarget::placeHandles(QWidget* form)
{
    const QRect bounds(form->mapFromGlobal(ScreenRect(Control).topLeft()), Control->size());
    for (int i = 0; i < kHandleCount; ++i)
        if (Handles[i])
            Handles[i]->placeAt(form, HandlePos(i, bounds));
}

void TSizerTarget::setHandlesVisible(bool visible)
{
    for (const QPointer<TGrabHandle>& handle : Handles)
        if (handle)
            handle->setVisible(visible);
}

void TSizerTarget::showFrame(QWidget* form)
{
    if (!Frame)
        Frame = new TDragFrame(form);
    Frame->setGeometry(QRect(form->mapFromGlobal(Current.topLeft()), Current.size()));
    Frame->raise();
    Frame->show();
}

void TSizerTarget::hideFrame()
{
    if (Frame)
        Frame->hide();
}

} // namespace k740
