#pragma once
class QWidget;

// Turns SIGINT and SIGTERM into a close of `window` on the event loop.
void CloseOnTerminationSignals(QWidget* window);
