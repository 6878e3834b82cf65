#include "acquisition/homing.h"

#include "acquisition/distance_coded.h"

namespace k740 {

int64_t RelativePosition(const THomingState& state, int64_t position)
{
    return int64_t(uint64_t(position) - uint64_t(state.ZeroOffset) - uint64_t(state.RefOffset));
}

void StartHoming(THomingState& state, bool dcr, int64_t position, int64_t refLatch, uint32_t now)
{
    state.SavedZeroOffset = state.ZeroOffset;
    state.SavedRefLatch = refLatch;
    if (dcr) {
        state.RefOffset = position;
        state.SavedRefOffset = state.RefOffset;
        state.ZeroOffset = 0;
        state.DcrState = TDcrState::FirstMarkAwaited;
    } else {
        state.SavedRefOffset = state.RefOffset;
        state.ZeroOffset = refLatch;
    }
    state.Homing = true;
    state.HomingStartTick = now;
}

TMarkOutcome OnReferenceMark(THomingState& state, bool dcr, int64_t refLatch, int32_t cpp, int32_t nominalIncr)
{
    if (!dcr) {
        if (state.Homing) {
            state.ZeroOffset = refLatch;
            state.Homing = false;
        }
        return TMarkOutcome::PlainMark;
    }
    if (!state.Homing)
        return TMarkOutcome::Ignored;
    if (state.DcrState == TDcrState::FirstMarkAwaited) {
        state.FirstMark = refLatch;
        state.DcrState = TDcrState::SecondMarkAwaited;
        return TMarkOutcome::FirstMark;
    }
    if (state.DcrState != TDcrState::SecondMarkAwaited || !IsAnotherMark(state.FirstMark, refLatch, cpp))
        return TMarkOutcome::Ignored;
    state.SecondMark = refLatch;
    state.DcrState = TDcrState::Done;
    state.Homing = false;
    const TDistanceCoded result = DistanceCodedOffset(state.FirstMark, state.SecondMark, cpp, nominalIncr);
    state.RefOffset = result.RefOffset;
    return result.MRR >= nominalIncr ? TMarkOutcome::SecondMarkRejected : TMarkOutcome::SecondMark;
}

void CancelHoming(THomingState& state, int64_t& refLatch)
{
    state.Homing = false;
    state.ZeroOffset = state.SavedZeroOffset;
    refLatch = state.SavedRefLatch;
    state.RefOffset = state.SavedRefOffset;
}

void ClearOnLinkLoss(THomingState& state, int64_t& refLatch)
{
    state.Homing = false;
    state.ZeroOffset = 0;
    state.RefOffset = 0;
    refLatch = 0;
}

bool HomingTimedOut(const THomingState& state, uint32_t now, bool layoutEditMode)
{
    return layoutEditMode && state.Homing && uint32_t(now - state.HomingStartTick) > 20000u;
}

bool ReferenceSurvives(const TEncoderSettings& before, const TEncoderSettings& after)
{
    return before.Rotary == after.Rotary && before.InvertDir == after.InvertDir && before.DCR == after.DCR
        && before.CPP == after.CPP && before.NominalIncr == after.NominalIncr && before.CPR == after.CPR
        && before.CPM == after.CPM;
}

} // namespace k740
