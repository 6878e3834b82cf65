// How long a connection's settings read and a save (the exit save, or OK in
// the settings dialog) hold the window up with a large K740.INI:
// LoadSettings and SaveSettings on a file of --mb megabytes (default 50) of
// other sections, with the port's section at its end. Targets: each below
// 1 s. Exits non-zero when one is missed.
#include "bench_support.h"
#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace k740;

namespace {

constexpr double kTargetSeconds = 1.0;

QByteArray LargeIni(int megabytes)
{
    QByteArray text;
    text.reserve(qsizetype(megabytes) * 1024 * 1024 + 4096);
    for (int section = 0; text.size() < qsizetype(megabytes) * 1024 * 1024; ++section) {
        text += "[K740.OTHER" + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 20; ++key)
            text += "Key" + QByteArray::number(key) + "=" + QByteArray::number(section * 20 + key) + "\r\n";
    }
    return text + "[K740.COM3]\r\nRotary=1\r\nCPR=4096\r\n";
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int megabytes = ArgumentAfter(QCoreApplication::arguments(), "--mb", "50").toInt();
    QTemporaryDir dir;
    QFile file(dir.filePath("K740.INI"));
    if (!file.open(QIODevice::WriteOnly) || file.write(LargeIni(megabytes)) < 0)
        return 2;
    file.close();

    const TSettingsLocation where{dir.path() + '/', "COM3", {}, false};
    std::vector<double> loads, saves;
    TEncoderSettings stored;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer clock;
        clock.start();
        stored = LoadSettings(where, {}, nullptr);
        loads.push_back(clock.nsecsElapsed() / 1e9);
        stored.CPR = 4096 + round; // so that every save writes
        clock.restart();
        if (!SaveSettings(where, stored, {}).isEmpty())
            return 2;
        saves.push_back(clock.nsecsElapsed() / 1e9);
    }
    const double load = Median(loads), save = Median(saves);
    std::printf("settings file of %d MB: load %.3f s, save %.3f s (medians of 3; target: each < %.1f s)\n", megabytes,
        load, save, kTargetSeconds);
    return stored.Rotary && load < kTargetSeconds && save < kTargetSeconds ? 0 : 1;
}
