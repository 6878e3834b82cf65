#include "support/syscall_faults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <optional>
#include <sys/types.h>
#include <unistd.h>

namespace {

struct Armed {
    std::optional<WatchedCall> failing;
    int failAt = 0;
    int error = 0;
    int endAt = 0; // 0: not armed
};
Armed gArmed;

// Whether the call goes through; false with errno set when it fails here.
bool Pass(WatchedCall call)
{
    if (gArmed.endAt > 0 && --gArmed.endAt == 0)
        ::_exit(kEndedAtCall);
    if (gArmed.failing == call && --gArmed.failAt == 0) {
        gArmed.failing.reset();
        errno = gArmed.error;
        return false;
    }
    return true;
}

template <class Function> Function Real(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

void FailCall(WatchedCall call, int n, int error)
{
    gArmed.failing = call;
    gArmed.failAt = n;
    gArmed.error = error;
}

void EndBeforeCall(int n)
{
    gArmed.endAt = n;
}

extern "C" {

int fallocate(int fd, int mode, off_t offset, off_t length)
{
    static const auto real = Real<int (*)(int, int, off_t, off_t)>("fallocate");
    return Pass(WatchedCall::Fallocate) ? real(fd, mode, offset, length) : -1;
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    return Pass(WatchedCall::Pwrite) ? real(fd, buffer, count, offset) : -1;
}

int ftruncate(int fd, off_t length)
{
    static const auto real = Real<int (*)(int, off_t)>("ftruncate");
    return Pass(WatchedCall::Ftruncate) ? real(fd, length) : -1;
}

int rename(const char* from, const char* to) noexcept
{
    static const auto real = Real<int (*)(const char*, const char*)>("rename");
    return Pass(WatchedCall::Rename) ? real(from, to) : -1;
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags)
{
    static const auto real = Real<int (*)(int, const char*, int, const char*, int)>("linkat");
    return Pass(WatchedCall::Linkat) ? real(fromFolder, from, toFolder, to, flags) : -1;
}

} // extern "C"
