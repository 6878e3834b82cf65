#include "platform/huge_pages.h"

#include <cstdint>
#include <sys/mman.h>

namespace k740 {

namespace {
constexpr std::uintptr_t kHugePage = 2 * 1024 * 1024;
}

void AskForHugePages(void* data, std::size_t size)
{
    // Only the huge pages that lie wholly inside the buffer.
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (start + size) & ~(kHugePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

} // namespace k740
