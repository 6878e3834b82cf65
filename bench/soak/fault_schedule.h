#pragma once
// The soak's seeded schedule: every fault the simulator has, in rounds.
#include <QString>
#include <random>
#include <vector>

namespace soak {

enum class TSoakFault { Silence, Delay, Garbage, Split, Stream, AllOnes, CrcError, NonHex, Unplug };
constexpr int kSoakFaultCount = 9;

struct TFaultStep {
    TSoakFault Fault;
    int HoldMs; // how long the fault stays on
};

// One round: each fault once, in an order and with hold times (500 to
// 2000 ms) drawn from `random`, so a seed repeats a run exactly.
std::vector<TFaultStep> FaultRound(std::mt19937& random);

// The simulator's control lines that switch the fault on and off again.
QString FaultOnLine(TSoakFault fault);
QString FaultOffLine(TSoakFault fault);
QString FaultName(TSoakFault fault);

} // namespace soak
