#pragma once

class QWidget;

namespace k740 {

// How a control is docked in its parent. Qt widgets have no such property of
// their own, so the alignment is kept on the widget as the dynamic property
// "Align" (an int holding a TAlign); a widget without it is not aligned.
// Code that lays a control out by alignment sets it with SetControlAlign so
// that the move/resize component knows which edges it may drag.
enum class TAlign { None, Top, Bottom, Left, Right, Client, Custom };

void SetControlAlign(QWidget* control, TAlign align);
TAlign ControlAlign(const QWidget* control);

} // namespace k740
