#include "soak/fault_schedule.h"

#include <algorithm>
#include <array>

namespace soak {

namespace {

struct FaultLines {
    const char* on;
    const char* off;
};

const std::array<FaultLines, kSoakFaultCount> kLines = {{
    {"fault silence", "fault none"},
    {"fault delay", "fault none"},
    {"fault garbage", "fault none"},
    {"fault split", "fault none"},
    {"fault stream", "fault none"},
    {"fault ffff", "fault none"},
    {"fault crc", "fault none"},
    {"fault nonhex", "fault none"},
    {"unplug", "replug"},
}};

} // namespace

std::vector<FaultStep> FaultRound(std::mt19937& random)
{
    std::vector<FaultStep> round;
    std::uniform_int_distribution<int> hold(500, 2000);
    for (int i = 0; i < kSoakFaultCount; ++i)
        round.push_back({SoakFault(i), hold(random)});
    std::shuffle(round.begin(), round.end(), random);
    return round;
}

QString FaultOnLine(SoakFault fault)
{
    return kLines[size_t(fault)].on;
}

QString FaultOffLine(SoakFault fault)
{
    return kLines[size_t(fault)].off;
}

QString FaultName(SoakFault fault)
{
    return FaultOnLine(fault).section(' ', -1);
}

} // namespace soak
