#include "acquisition/capture_list.h"

#include <utility>

namespace k740 {

TCaptureList::TCaptureList(uint32_t startTick)
    : LastCaptureTick(startTick)
{
}

void TCaptureList::setLines(QStringList lines)
{
    Lines = std::move(lines);
    if (!Lines.isEmpty() && Lines.last().isEmpty())
        Lines.removeLast();
}

bool TCaptureList::capture(const QString& text)
{
    if (text.isEmpty() || full())
        return false;
    Lines.append(text);
    return true;
}

TAutoCapture TCaptureList::captureIfDue(const QString& text, uint32_t now)
{
    if (uint32_t(now - LastCaptureTick) <= IntervalMs)
        return TAutoCapture::NotDue;
    LastCaptureTick = now;
    if (full())
        return TAutoCapture::ListFull;
    return capture(text) ? TAutoCapture::Captured : TAutoCapture::Skipped;
}

} // namespace k740
