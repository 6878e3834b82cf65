#pragma once
#include <cstdint>

namespace k740 {

// The forms in which another program may ask for the position value.
enum class TPositionForm : int32_t {
    TenThousandths = 4, // the integer nearest to value x 10 000
    FloatBits = 10,     // the 32 bits of the value itself
    // any other number: the integer nearest to value x 1000
};

// The position value (PositionValue, a 32-bit float) in the asked form. The
// products are taken in extended precision from the float and the
// single-precision factor, rounded to the nearest integer with ties to the
// even one; a product beyond the 32-bit range gives the nearest 32-bit limit.
int32_t PositionInForm(float value, int32_t form);

} // namespace k740
