#pragma once
#include <cstddef>

namespace k740 {

// Asks the system to back the fresh (not yet written) memory at `data` with
// huge pages where it can: a buffer of many megabytes then costs a page
// fault per 2 MB instead of one per 4 KB, which on some machines costs more
// than copying the bytes. Nothing happens for small buffers, or where the
// system declines.
void AskForHugePages(void* data, std::size_t size);

} // namespace k740
