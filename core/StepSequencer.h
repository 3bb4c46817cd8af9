#pragma once

#include <atomic>
#include <cstdint>

static constexpr int kNumPatternSlots = 24; // two octaves of 12 patterns: slot = octave x 12 + pattern
static constexpr int kStepsPerSlot = 128;   // steps 0-15 are played and edited; all 128 are saved

// Whether the running flag holds the clock: in HostSync mode it does (a held note runs the clock, a
// note-off freezes it); in Run mode the clock steps at the host's tempo whatever the flag holds.
enum class EClockGate
{
  kRunningFlag,
  kFreeRunning
};

// The pattern memory of the twelve drums and the sixteenth-note step clock.
//
// The clock fields belong to the audio thread (mSampleRate is written by OnReset, never during a
// block). The step bytes are written by the main thread and read by the audio thread, each one whole
// as a relaxed atomic byte; no order between bytes is needed, a changed step plays at the next tick
// that reads it.
class StepSequencer
{
public:
  StepSequencer() = default;
  StepSequencer(const StepSequencer&) = delete;
  StepSequencer& operator=(const StepSequencer&) = delete;

  // Audio thread, once per frame while the mode runs the clock: true when a new step starts at this
  // frame. A tempo or sample rate that gives no step length from 1 sample to below 2^31 (tempo 0 or
  // below, rate 0, non-finite values) starts no step: the clock stays due and ticks as soon as the
  // tempo is valid again, with its rounding error untouched.
  bool AdvanceStepClock(EClockGate gate = EClockGate::kRunningFlag);

  // Audio thread: the clock calls of the next `frames` frames, none of which starts a step. Only for
  // frames no more than FramesBeforeNextTick() with the same gate.
  void SkipFrames(int32_t frames, EClockGate gate = EClockGate::kRunningFlag)
  {
    if (Counts(gate) && mSamplesToNextStep > 0)
      mSamplesToNextStep -= frames < mSamplesToNextStep ? frames : mSamplesToNextStep;
  }
  // Frames after the present one that pass without a tick at the present tempo (INT32_MAX while
  // the clock is frozen or has no step length).
  int32_t FramesBeforeNextTick(EClockGate gate = EClockGate::kRunningFlag) const
  {
    if (!Counts(gate))
      return INT32_MAX;
    if (mSamplesToNextStep > 0)
      return mSamplesToNextStep;
    return HasStepLength() ? 0 : INT32_MAX;
  }
  // Whether the present tempo and sample rate give a step length that the clock can count.
  bool HasStepLength() const
  {
    const double exact = ExactStepLength();
    return exact >= 1.0 && exact < 2147483646.0;
  }
  // Whether the clock counts: always when free-running, else while the running flag is set.
  bool Counts(EClockGate gate) const { return gate == EClockGate::kFreeRunning || mRunning; }
  // A quarter of a beat, in samples.
  double ExactStepLength() const { return 60.0 / mTempo * 0.25 * mSampleRate; }

  bool GetStep(int drum, int slot, int step) const
  {
    return mPatterns[drum][slot][step].load(std::memory_order_relaxed) != 0;
  }
  void SetStep(int drum, int slot, int step, bool on)
  {
    mPatterns[drum][slot][step].store(on ? 1 : 0, std::memory_order_relaxed);
  }

  bool mRunning = true;     // MIDI note-on sets it, note-off clears it; it holds the HostSync clock
  double mTempo = 0.0;      // beats per minute, copied from the host at the start of every block
  double mSampleRate = 0.0; // set by OnReset before processing starts
  std::atomic<uint8_t> mPatterns[12][kNumPatternSlots][kStepsPerSlot]{}; // [drum][slot][step]: 1 on, 0 off
  int32_t mPlayingStep = 0;
  int32_t mNextStep = 0;
  int32_t mSamplesToNextStep = -1; // 0 or below: a tick is due
  double mRoundingError = 0.0;     // sum of (whole-sample step length - exact length), within half a sample
};
