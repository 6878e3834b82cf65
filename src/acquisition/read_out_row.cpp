#include "acquisition/read_out_row.h"

#include "settings/encoder_settings.h"

namespace k740 {

TRowVisibility RowVisibility(TInterfaceKind kind, const TEncoderSettings& active, bool layoutEditMode)
{
    const bool counting = kind == TInterfaceKind::Counting;
    TRowVisibility row;
    row.Zero = counting && !active.DCR;
    row.Home = counting;
    row.RefReadOut = counting && (!active.DCR || active.ShowRefMarks || !layoutEditMode);
    return row;
}

} // namespace k740
