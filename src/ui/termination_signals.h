#pragma once
class QWidget;

namespace k740 {

// Turns SIGINT and SIGTERM into a close of `window` on the event loop.
void CloseOnTerminationSignals(QWidget* window);

} // namespace k740
