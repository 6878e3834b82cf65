#pragma once
#include <QByteArray>
#include <optional>
#include <sys/types.h>

namespace k740 {

// Writes all of `bytes` to the open file `fd`, at `offset` or, without one,
// where the file's own position (or O_APPEND) puts them; goes on after
// interruptions and short writes. False, with errno set, when the system
// takes no more.
bool WriteAll(int fd, const QByteArray& bytes, std::optional<off_t> offset = std::nullopt);

} // namespace k740
