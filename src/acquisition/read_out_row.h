#pragma once
#include "link/interface_identity.h"

namespace k740 {

struct TEncoderSettings;

// The controls of the position row beside the read-out: which of ZERO, HOME
// and the reference read-out (with its caption) show, and which buttons take
// clicks. Starts as the window first shows it: ZERO shown but disabled, HOME
// hidden, the reference read-out shown (nothing is known of the interface
// yet).
struct TRowState {
    bool ZeroVisible = true;
    bool ZeroEnabled = false;
    bool HomeVisible = false;
    bool HomeEnabled = false;
    bool RefLabelEnabled = true;
    bool RefReadOutVisible = true; // the reference read-out and its caption
};

// The one rule for which controls of the row show. Only the counting
// interface zeroes and homes; ZERO hides while distance-coded marks give the
// position. The reference read-out shows unless distance-coded marks are
// configured not to show it, which layout edit mode alone honours.
struct TRowVisibility {
    bool Zero = false;
    bool Home = false;
    bool RefReadOut = false;
};
TRowVisibility RowVisibility(TInterfaceKind kind, const TEncoderSettings& active, bool layoutEditMode);

} // namespace k740
