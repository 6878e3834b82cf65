#pragma once
#include <QCursor>

class QObject;
class QWidget;

namespace k740 {

class TMoveSizer;

// A control that the component may select. While hooked, the component's
// event filter sees the control's input first and sets its cursor; the
// control's own cursor and mouse tracking are kept and given back on unhook.
// The form is hooked the same way while the component is active.
class TSizerEntry {
public:
    TSizerEntry(TMoveSizer* sizer, QWidget* control);
    ~TSizerEntry();
    TSizerEntry(const TSizerEntry&) = delete;
    TSizerEntry& operator=(const TSizerEntry&) = delete;

    TMoveSizer* sizer() const { return Sizer; }
    QWidget* control() const { return Control; }

    void hook(QObject* filter);
    void unhook();
    // The control is being deleted: there is nothing left to give back.
    void abandon() { Hooked = false; }
    // Shows the control's own cursor again.
    void restoreCursor() const;

private:
    TMoveSizer* const Sizer;
    QWidget* const Control; // forgotten by the component before it is deleted
    QObject* Filter = nullptr;
    bool Hooked = false;
    bool HadCursor = false;
    QCursor Cursor;
    bool Tracking = false;
};

} // namespace k740
