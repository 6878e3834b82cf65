#pragma once
#include <cstdint>

// Integer division rounding toward minus infinity (b > 0).
inline int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
