#include "platform/tick_counter.h"

#include <ctime>

namespace k740 {

namespace {
std::function<uint32_t()>& TickSource()
{
    static std::function<uint32_t()> gSource;
    return gSource;
}
} // namespace

uint32_t GetTickCount()
{
    if (const auto& source = TickSource())
        return source();
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
    return uint32_t(ms);
}

void SetTickSource(std::function<uint32_t()> source)
{
    TickSource() = std::move(source);
}

} // namespace k740
