#pragma once
#include "settings/encoder_settings.h"

#include <cstdint>

namespace k740 {

// Stage of homing on distance-coded marks.
enum class TDcrState { FirstMarkAwaited, SecondMarkAwaited, Done };

// Offsets subtracted from the count before display, and the state of a
// search for the reference point (plain or distance-coded marks).
struct THomingState {
    int64_t ZeroOffset = 0;
    int64_t RefOffset = 0;
    bool Homing = false;
    TDcrState DcrState = TDcrState::FirstMarkAwaited;
    int64_t FirstMark = 0;
    int64_t SecondMark = 0;
    int32_t BlinkPhase = 0; // 1 while the blinking read-out is shown
    uint32_t HomingStartTick = 0;
    int64_t SavedZeroOffset = 0;
    int64_t SavedRefLatch = 0;
    int64_t SavedRefOffset = 0;
};

// Position relative to the offsets; wraps instead of overflowing.
int64_t RelativePosition(const THomingState& state, int64_t position);

// HOME: with distance-coded marks the read-out restarts at 0 where HOME was
// pressed; on a plain scale the last latched mark serves as zero at once.
void StartHoming(THomingState& state, bool dcr, int64_t position, int64_t refLatch, uint32_t now);

// What a reference mark did, for the read-outs and buttons.
enum class TMarkOutcome {
    Ignored,            // distance-coded, not homing, done, or the same mark again
    PlainMark,          // plain scale: zero set if homing; show the mark relative to zero
    FirstMark,          // distance-coded: first mark taken
    SecondMark,         // distance-coded: absolute position found
    SecondMarkRejected, // distance-coded: implausible distance, homing starts again
};

// A reference mark latched at refLatch (the cycle reported a new mark).
TMarkOutcome OnReferenceMark(THomingState& state, bool dcr, int64_t refLatch, int32_t cpp, int32_t nominalIncr);

// Esc or the time limit: the offsets and latch from before HOME come back.
void CancelHoming(THomingState& state, int64_t& refLatch);

// The interface was lost: no homing, no offsets, no latched mark.
void ClearOnLinkLoss(THomingState& state, int64_t& refLatch);

// Homing under layout edit mode gives up after 20 s.
bool HomingTimedOut(const THomingState& state, uint32_t now, bool layoutEditMode);

// Whether the reference found from distance-coded marks still holds after
// the settings changed from `before` to `after`: not after a change of the
// encoder type, direction, distance coding, counts per period, nominal
// increment or resolution.
bool ReferenceSurvives(const TEncoderSettings& before, const TEncoderSettings& after);

} // namespace k740
