#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "StepSequencer.h"

namespace
{
std::unique_ptr<StepSequencer> MakeClock(double tempo, double sampleRate)
{
  auto clock = std::make_unique<StepSequencer>();
  clock->mTempo = tempo;
  clock->mSampleRate = sampleRate;
  return clock;
}

// Lengths of the first `count` steps, in calls from one tick to the next.
std::vector<int> StepLengths(StepSequencer& clock, int count)
{
  std::vector<int> lengths;
  int sinceTick = -1;
  while (static_cast<int>(lengths.size()) < count)
  {
    const bool tick = clock.AdvanceStepClock();
    if (tick && sinceTick >= 0)
      lengths.push_back(sinceTick);
    if (tick)
      sinceTick = 0;
    if (sinceTick >= 0)
      ++sinceTick;
  }
  return lengths;
}
} // namespace

TEST(StepSequencer, FirstCallStartsStepZero)
{
  auto clock = MakeClock(120.0, 44100.0);
  EXPECT_TRUE(clock->mRunning);
  EXPECT_EQ(clock->mSamplesToNextStep, -1);
  EXPECT_TRUE(clock->AdvanceStepClock());
  EXPECT_EQ(clock->mPlayingStep, 0);
  EXPECT_EQ(clock->mNextStep, 1);
  // x = 5512.5 rounds up to 5513 with error 0.5, which is corrected at once to 5512 and -0.5.
  EXPECT_EQ(clock->mSamplesToNextStep, 5511);
  EXPECT_DOUBLE_EQ(clock->mRoundingError, -0.5);
}

TEST(StepSequencer, HalfSampleStepsAlternateAt44100)
{
  auto clock = MakeClock(120.0, 44100.0);
  const std::vector<int> lengths = StepLengths(*clock, 64);
  for (size_t i = 0; i < lengths.size(); ++i)
    EXPECT_EQ(lengths[i], i % 2 == 0 ? 5512 : 5513) << "step " << i;
  EXPECT_GE(clock->mRoundingError, -0.5);
  EXPECT_LT(clock->mRoundingError, 0.5);
}

TEST(StepSequencer, WholeSampleStepsAt48000)
{
  auto clock = MakeClock(120.0, 48000.0);
  for (int length : StepLengths(*clock, 40))
    EXPECT_EQ(length, 6000);
  EXPECT_EQ(clock->mRoundingError, 0.0);
}

TEST(StepSequencer, SumOfStepsStaysWithinHalfASampleOfExact)
{
  // 133 BPM at 44100 Hz: x = 4973.68... samples, an inexact step.
  auto clock = MakeClock(133.0, 44100.0);
  const double exact = 60.0 / 133.0 * 0.25 * 44100.0;
  long long sum = 0;
  int n = 0;
  for (int length : StepLengths(*clock, 1000))
  {
    sum += length;
    ++n;
    EXPECT_LE(std::fabs(static_cast<double>(sum) - exact * n), 1.0) << "after " << n << " steps";
  }
}

TEST(StepSequencer, StepsCountThroughSixteenAndWrap)
{
  auto clock = MakeClock(120.0, 48000.0);
  std::vector<int> steps;
  for (int f = 0; f < 6000 * 20; ++f)
    if (clock->AdvanceStepClock())
      steps.push_back(clock->mPlayingStep);
  ASSERT_EQ(steps.size(), 20u);
  for (size_t i = 0; i < steps.size(); ++i)
    EXPECT_EQ(steps[i], static_cast<int>(i % 16));
}

TEST(StepSequencer, FrozenWhileNotRunning)
{
  auto clock = MakeClock(120.0, 48000.0);
  ASSERT_TRUE(clock->AdvanceStepClock());
  for (int f = 0; f < 100; ++f)
    clock->AdvanceStepClock();
  const int32_t remaining = clock->mSamplesToNextStep;
  clock->mRunning = false;
  for (int f = 0; f < 10000; ++f)
    EXPECT_FALSE(clock->AdvanceStepClock());
  EXPECT_EQ(clock->mSamplesToNextStep, remaining);
  EXPECT_EQ(clock->mPlayingStep, 0);
  // Resumes with the count where it stopped.
  clock->mRunning = true;
  int calls = 0;
  while (!clock->AdvanceStepClock())
    ++calls;
  EXPECT_EQ(calls, remaining);
  EXPECT_EQ(clock->mPlayingStep, 1);
}

// Run mode's clock: the running flag does not hold it, and the same count goes on under both gates.
TEST(StepSequencer, FreeRunningClockIgnoresTheRunningFlag)
{
  auto clock = MakeClock(120.0, 48000.0);
  clock->mRunning = false;
  EXPECT_EQ(clock->FramesBeforeNextTick(), INT32_MAX);
  EXPECT_EQ(clock->FramesBeforeNextTick(EClockGate::kFreeRunning), 0);
  EXPECT_FALSE(clock->AdvanceStepClock());
  EXPECT_TRUE(clock->AdvanceStepClock(EClockGate::kFreeRunning));
  EXPECT_EQ(clock->FramesBeforeNextTick(EClockGate::kFreeRunning), 5999);
  clock->SkipFrames(1000);
  EXPECT_EQ(clock->mSamplesToNextStep, 5999);
  clock->SkipFrames(1000, EClockGate::kFreeRunning);
  EXPECT_EQ(clock->mSamplesToNextStep, 4999);
  int calls = 0;
  while (!clock->AdvanceStepClock(EClockGate::kFreeRunning))
    ++calls;
  EXPECT_EQ(calls, 4999);
  EXPECT_EQ(clock->mPlayingStep, 1);
  EXPECT_FALSE(clock->mRunning);
}

TEST(StepSequencer, SkipFramesMatchesCallsWithoutTick)
{
  auto stepped = MakeClock(133.0, 44100.0);
  auto skipped = MakeClock(133.0, 44100.0);
  ASSERT_TRUE(stepped->AdvanceStepClock());
  ASSERT_TRUE(skipped->AdvanceStepClock());
  const int32_t quiet = skipped->FramesBeforeNextTick();
  for (int32_t f = 0; f < quiet; ++f)
    ASSERT_FALSE(stepped->AdvanceStepClock());
  skipped->SkipFrames(quiet);
  EXPECT_EQ(skipped->mSamplesToNextStep, stepped->mSamplesToNextStep);
  EXPECT_TRUE(stepped->AdvanceStepClock());
  EXPECT_TRUE(skipped->AdvanceStepClock());
}

struct BadRateCase
{
  double tempo;
  double sampleRate;
};

class StepSequencerWithoutStepLength : public testing::TestWithParam<BadRateCase>
{};

// No step length: the clock holds (stays due, no step) and the error keeps a usable value; a valid
// tempo then starts the next step at once, with the same sequence of lengths as a fresh clock.
TEST_P(StepSequencerWithoutStepLength, HoldsAndRecovers)
{
  auto clock = MakeClock(120.0, 44100.0);
  ASSERT_TRUE(clock->AdvanceStepClock());
  while (!clock->AdvanceStepClock())
  {
  }
  ASSERT_EQ(clock->mPlayingStep, 1);
  const double error = clock->mRoundingError;

  clock->mTempo = GetParam().tempo;
  clock->mSampleRate = GetParam().sampleRate;
  int ticks = 0;
  for (int f = 0; f < 20000; ++f)
    ticks += clock->AdvanceStepClock() ? 1 : 0;
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(clock->mRoundingError, error);
  EXPECT_LE(clock->mSamplesToNextStep, 0);
  EXPECT_EQ(clock->FramesBeforeNextTick(), std::numeric_limits<int32_t>::max());

  clock->mTempo = 120.0;
  clock->mSampleRate = 44100.0;
  EXPECT_TRUE(clock->AdvanceStepClock());
  EXPECT_EQ(clock->mPlayingStep, 2);
  EXPECT_GE(clock->mRoundingError, -0.5);
  EXPECT_LT(clock->mRoundingError, 0.5);
}

INSTANTIATE_TEST_SUITE_P(Tempos, StepSequencerWithoutStepLength,
                         testing::Values(BadRateCase{0.0, 44100.0}, BadRateCase{-120.0, 44100.0},
                                         BadRateCase{120.0, 0.0}, BadRateCase{std::nan(""), 44100.0},
                                         BadRateCase{std::numeric_limits<double>::infinity(), 44100.0},
                                         BadRateCase{1e-300, 44100.0}, BadRateCase{1e9, 44100.0}));

TEST(StepSequencer, PatternMemoryStartsEmpty)
{
  auto clock = std::make_unique<StepSequencer>();
  for (int d = 0; d < 12; ++d)
    for (int s = 0; s < kNumPatternSlots; ++s)
      for (int i = 0; i < kStepsPerSlot; ++i)
        ASSERT_FALSE(clock->GetStep(d, s, i));
  clock->SetStep(3, 13, 5, true);
  EXPECT_EQ(clock->mPatterns[3][13][5].load(), 1);
}
