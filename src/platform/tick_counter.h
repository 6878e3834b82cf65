#pragma once
#include <cstdint>
#include <functional>

namespace k740 {

// 32-bit millisecond counter from a monotonic clock. It wraps after about
// 49.7 days; callers compare ticks with unsigned differences.
uint32_t GetTickCount();

// Replaces the clock (tests use this to reach the wrap-around); an empty
// function restores the monotonic clock.
void SetTickSource(std::function<uint32_t()> source);

} // namespace k740
