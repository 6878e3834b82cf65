#pragma once
#include <cstdint>

namespace k740sim {

// Integer division rounding toward minus infinity (b > 0).
inline int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

} // namespace k740sim
