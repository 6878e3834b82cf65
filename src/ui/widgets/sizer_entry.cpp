#include "ui/widgets/sizer_entry.h"

#include <QWidget>

namespace k740 {

TSizerEntry::TSizerEntry(TMoveSizer* sizer, QWidget* control)
    : Sizer(sizer)
    , Control(control)
{
}

TSizerEntry::~TSizerEntry()
{
    unhook();
}

void TSizerEntry::hook(QObject* filter)
{
    if (Hooked)
        return;
    HadCursor = Control->testAttribute(Qt::WA_SetCursor);
    Cursor = Control->cursor();
    Tracking = Control->hasMouseTracking();
    Filter = filter;
    Control->installEventFilter(filter);
    // Pointer moves without a button reach the filter only with tracking on.
    Control->setMouseTracking(true);
    Hooked = true;
}

void TSizerEntry::unhook()
{
    if (!Hooked)
        return;
    Control->removeEventFilter(Filter);
    Control->setMouseTracking(Tracking);
    restoreCursor();
    Hooked = false;
}

void TSizerEntry::restoreCursor() const
{
    if (HadCursor)
        Control->setCursor(Cursor);
    else
        Control->unsetCursor();
}

} // namespace k740
