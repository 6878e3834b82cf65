#include "ui/widgets/control_align.h"

#include <QVariant>
#include <QWidget>

namespace k740 {

namespace {
const char* const kAlignProperty = "Align";
}

void SetControlAlign(QWidget* control, TAlign align)
{
    control->setProperty(kAlignProperty, static_cast<int>(align));
}

TAlign ControlAlign(const QWidget* control)
{
    return static_cast<TAlign>(control->property(kAlignProperty).toInt());
}

} // namespace k740
