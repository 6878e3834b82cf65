#pragma once
#include <cstdint>
#include <functional>

namespace k740sim {

// Monotonic time in microseconds; tests pass a hand-driven clock.
using MicrosecondClock = std::function<int64_t()>;
int64_t SteadyMicroseconds();

// The encoder's true position on its scale, in counts: fixed, or moving at a
// constant speed (counts per second) from the moment it was last set.
class EncoderMotion {
public:
    EncoderMotion(MicrosecondClock clock, int64_t position, double countsPerSecond);

    int64_t position() const;
    void setPosition(int64_t position);
    void setSpeed(double countsPerSecond);
    double speed() const { return speed_; }

private:
    MicrosecondClock clock_;
    int64_t basePosition_;
    int64_t baseTime_;
    double speed_;
};

} // namespace k740sim
