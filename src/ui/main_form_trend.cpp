// The trend window, shown and hidden by Ctrl+Shift+T and "/T".
#include "ui/main_form.h"

#include "ui/trend_form.h"

namespace k740 {

void TMainForm::showTrend(bool shown)
{
    if (!shown) {
        if (TrendForm)
            TrendForm->close();
        return;
    }
    if (!TrendForm)
        TrendForm = new TTrendForm(Trend, Session, this);
    TrendForm->open();
}

} // namespace k740
