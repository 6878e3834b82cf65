#pragma once
#include <QGuiApplication>

namespace k740 {

// A window's Ctrl+Shift commands run on the key's release with exactly Ctrl
// and Shift held and no mouse button: Alt or a held button makes it another
// command.
inline bool IsCtrlShiftChord(Qt::KeyboardModifiers shift)
{
    constexpr Qt::KeyboardModifiers kModifierKeys
        = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return (shift & kModifierKeys) == (Qt::ShiftModifier | Qt::ControlModifier)
        && QGuiApplication::mouseButtons() == Qt::NoButton;
}

} // namespace k740
