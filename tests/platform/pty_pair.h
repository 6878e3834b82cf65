#pragma once
#include <QString>
#include <pty.h>
#include <unistd.h>

// A pseudo-terminal standing in for a serial device: the test plays the
// device on the master side. The slave descriptor from openpty stays open as
// "another program" that already had the device open.
struct PtyPair {
    int master = -1;
    int outsider = -1;
    QString slavePath;

    PtyPair()
    {
        char name[128] = {};
        if (::openpty(&master, &outsider, name, nullptr, nullptr) == 0)
            slavePath = QString::fromLocal8Bit(name);
    }
    ~PtyPair()
    {
        closeMaster();
        if (outsider >= 0)
            ::close(outsider);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // Unplugs the device: the slave side hangs up.
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
};
