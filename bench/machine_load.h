#pragma once
// The whole machine's CPU time from /proc/stat, so that a benchmark can say
// how busy the rest of the machine was while it measured.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <unistd.h>

// Seconds of all CPUs together since boot: busy (user, nice, system, irq and
// softirq; a guest's time counts in user) and stolen by the hypervisor.
struct TMachineTime {
    double Busy = 0;
    double Steal = 0;
};

inline TMachineTime MachineTime()
{
    QFile file("/proc/stat");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // "cpu user nice system idle iowait irq softirq steal guest guest_nice"
    const QList<QByteArray> fields = file.readLine().simplified().split(' ');
    if (fields.size() < 9)
        return {};
    const double tick = 1.0 / double(sysconf(_SC_CLK_TCK));
    const auto seconds = [&](int i) { return double(fields[i].toLongLong()) * tick; };
    return {seconds(1) + seconds(2) + seconds(3) + seconds(6) + seconds(7), seconds(8)};
}
