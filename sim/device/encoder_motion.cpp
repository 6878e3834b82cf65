#include "device/encoder_motion.h"

#include <chrono>
#include <cmath>

namespace k740sim {

int64_t SteadyMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

EncoderMotion::EncoderMotion(MicrosecondClock clock, int64_t position, double countsPerSecond)
    : clock_(std::move(clock))
    , basePosition_(position)
    , baseTime_(clock_())
    , speed_(countsPerSecond)
{
}

int64_t EncoderMotion::position() const
{
    const double elapsedSeconds = double(clock_() - baseTime_) / 1e6;
    return basePosition_ + std::llround(speed_ * elapsedSeconds);
}

void EncoderMotion::setPosition(int64_t position)
{
    basePosition_ = position;
    baseTime_ = clock_();
}

void EncoderMotion::setSpeed(double countsPerSecond)
{
    setPosition(position());
    speed_ = countsPerSecond;
}

} // namespace k740sim
