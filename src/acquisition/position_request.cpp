#include "acquisition/position_request.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace k740 {

namespace {

int32_t NearestInt32(long double product)
{
    if (std::isnan(product))
        return 0;
    // The default rounding mode rounds to nearest, ties to even.
    const long double nearest = std::nearbyint(product);
    if (nearest <= std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (nearest >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return int32_t(nearest);
}

} // namespace

int32_t PositionInForm(float value, int32_t form)
{
    switch (TPositionForm(form)) {
    case TPositionForm::FloatBits: {
        int32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return bits;
    }
    case TPositionForm::TenThousandths:
        return NearestInt32(static_cast<long double>(value) * static_cast<long double>(10000.0f));
    }
    return NearestInt32(static_cast<long double>(value) * static_cast<long double>(1000.0f));
}

} // namespace k740
