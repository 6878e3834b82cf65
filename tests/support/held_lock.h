#pragma once
// A second process that holds the exclusive lock (flock) of a file, as
// "flock -x FILE sleep 30" would, until the object goes.
#include <QFile>
#include <QString>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

class HeldLock {
public:
    explicit HeldLock(const QString& path)
    {
        const QByteArray native = QFile::encodeName(path);
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        child_ = ::fork();
        if (child_ == 0) {
            const int fd = ::open(native.constData(), O_RDWR | O_CREAT, 0666);
            const char held = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
            [[maybe_unused]] const ssize_t told = ::write(ready[1], &held, 1);
            for (;;)
                ::pause();
        }
        char held = 'n';
        if (child_ > 0 && ::read(ready[0], &held, 1) != 1)
            held = 'n';
        held_ = held == 'y';
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~HeldLock() { release(); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

    bool held() const { return held_; }
    void release()
    {
        if (child_ <= 0)
            return;
        ::kill(child_, SIGKILL);
        ::waitpid(child_, nullptr, 0);
        child_ = -1;
        held_ = false;
    }

private:
    pid_t child_ = -1;
    bool held_ = false;
};
