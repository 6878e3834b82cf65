#include "device/encoder_motion.h"

#include <chrono>
#include <cmath>

namespace k740sim {

int64_t SteadyMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

TEncoderMotion::TEncoderMotion(TMicrosecondClock clock, int64_t position, double countsPerSecond)
    : Clock(std::move(clock))
    , BasePosition(position)
    , BaseTime(Clock())
    , Speed(countsPerSecond)
{
}

int64_t TEncoderMotion::position() const
{
    const double elapsedSeconds = double(Clock() - BaseTime) / 1e6;
    return BasePosition + std::llround(Speed * elapsedSeconds);
}

void TEncoderMotion::setPosition(int64_t position)
{
    BasePosition = position;
    BaseTime = Clock();
}

void TEncoderMotion::setSpeed(double countsPerSecond)
{
    setPosition(position());
    Speed = countsPerSecond;
}

} // namespace k740sim
