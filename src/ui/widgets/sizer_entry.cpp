#include "ui/widgets/sizer_entry.h"

#include <QWidget>

namespace k740 {

TSizerEntry::TSizerEntry(TMoveSizer* sizer, QWidget* control)
    : sizer_(sizer)
    , control_(control)
{
}

TSizerEntry::~TSizerEntry()
{
    unhook();
}

void TSizerEntry::hook(QObject* filter)
{
    if (hooked_)
        return;
    hadCursor_ = control_->testAttribute(Qt::WA_SetCursor);
    cursor_ = control_->cursor();
    tracking_ = control_->hasMouseTracking();
    filter_ = filter;
    control_->installEventFilter(filter);
    // Pointer moves without a button reach the filter only with tracking on.
    control_->setMouseTracking(true);
    hooked_ = true;
}

void TSizerEntry::unhook()
{
    if (!hooked_)
        return;
    control_->removeEventFilter(filter_);
    control_->setMouseTracking(tracking_);
    restoreCursor();
    hooked_ = false;
}

void TSizerEntry::restoreCursor() const
{
    if (hadCursor_)
        control_->setCursor(cursor_);
    else
        control_->unsetCursor();
}

} // namespace k740
