#include "soak/fault_schedule.h"

#include <algorithm>
#include <array>

namespace soak {

namespace {

struct TFaultLines {
    const char* On;
    const char* Off;
};

const std::array<TFaultLines, kSoakFaultCount> kLines = {{
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

std::vector<TFaultStep> FaultRound(std::mt19937& random)
{
    std::vector<TFaultStep> round;
    std::uniform_int_distribution<int> hold(500, 2000);
    for (int i = 0; i < kSoakFaultCount; ++i)
        round.push_back({TSoakFault(i), hold(random)});
    std::shuffle(round.begin(), round.end(), random);
    return round;
}

QString FaultOnLine(TSoakFault fault)
{
    return kLines[size_t(fault)].On;
}

QString FaultOffLine(TSoakFault fault)
{
    return kLines[size_t(fault)].Off;
}

QString FaultName(TSoakFault fault)
{
    return FaultOnLine(fault).section(' ', -1);
}

} // namespace soak
