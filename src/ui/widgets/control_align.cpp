#include "ui/widgets/control_align.h"

#include <QVariant>
#include <QWidget>

namespace k740 {

namespace {
const char* const AlignProperty = "Align";
}

void SetControlAlign(QWidget* control, TAlign align)
{
    control->setProperty(AlignProperty, static_cast<int>(align));
}

TAlign ControlAlign(const QWidget* control)
{
    return static_cast<TAlign>(control->property(AlignProperty).toInt());
}

} // namespace k740
