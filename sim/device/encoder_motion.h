#pragma once
#include <cstdint>
#include <functional>

namespace k740sim {

// Monotonic time in microseconds; tests pass a hand-driven clock.
using TMicrosecondClock = std::function<int64_t()>;
int64_t SteadyMicroseconds();

// The encoder's true position on its scale, in counts: fixed, or moving at a
// constant speed (counts per second) from the moment it was last set.
class TEncoderMotion {
public:
    TEncoderMotion(TMicrosecondClock clock, int64_t position, double countsPerSecond);

    int64_t position() const;
    void setPosition(int64_t position);
    void setSpeed(double countsPerSecond);
    double speed() const { return Speed; }

private:
    TMicrosecondClock Clock;
    int64_t BasePosition;
    int64_t BaseTime;
    double Speed;
};

} // namespace k740sim
