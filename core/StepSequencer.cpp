#include "StepSequencer.h"

#include <cmath>

bool StepSequencer::AdvanceStepClock(EClockGate gate)
{
  if (!Counts(gate))
    return false;
  if (mSamplesToNextStep > 0)
  {
    --mSamplesToNextStep;
    return false;
  }

  // No finite step of at least one sample (tempo 0 or below, rate 0, NaN): the step stays due and
  // starts as soon as the tempo gives it a length again. The error is left alone so it stays usable.
  if (!HasStepLength())
    return false;
  const double exact = ExactStepLength();

  const double whole = std::floor(exact);
  int32_t length = static_cast<int32_t>(whole) + (exact - whole >= 0.5 ? 1 : 0);
  // Keeps the mean step length exact: the error is fed back into the next step, one sample at most.
  mRoundingError += length - exact;
  if (mRoundingError < -0.5)
  {
    mRoundingError += 1.0;
    length += 1;
  }
  else if (mRoundingError >= 0.5)
  {
    mRoundingError -= 1.0;
    length -= 1;
  }
  mSamplesToNextStep = length - 1;
  mPlayingStep = mNextStep;
  mNextStep = (mNextStep + 1) % 16;
  return true;
}
