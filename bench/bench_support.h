#pragma once
// Small pieces the benchmarks share: options, medians, memory and CPU
// readings and the lines a log file grows by.
#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <ctime>
#include <vector>

// The value after `option` on the command line, or `fallback`.
inline QString ArgumentAfter(const QStringList& arguments, const QString& option, const QString& fallback)
{
    const int at = arguments.indexOf(option);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : fallback;
}

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Resident memory of a process in kB (VmRSS), 0 when it cannot be read.
inline long RssKb(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// CPU time of this process, all its threads, in seconds.
inline double ProcessCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Lines appended to a file since the last call.
class TNewLines {
public:
    explicit TNewLines(const QString& path)
        : File(path)
    {
    }
    QStringList take()
    {
        if (!File.isOpen() && !File.open(QIODevice::ReadOnly))
            return {};
        Partial += QString::fromLatin1(File.readAll());
        QStringList lines = Partial.split('\n');
        Partial = lines.takeLast();
        return lines;
    }

private:
    QFile File;
    QString Partial;
};
