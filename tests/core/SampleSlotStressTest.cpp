#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "EngineHarness.h"
#include "TempFolder.h"
#include "WavFiles.h"

using krbtest::EngineHarness;
using krbtest::TempFolder;
using krbtest::WriteFloatWav;

namespace
{
std::vector<std::vector<float>> Constant(std::vector<float> values, uint32_t frames)
{
  std::vector<std::vector<float>> channels;
  for (float v : values)
    channels.emplace_back(frames, v);
  return channels;
}

// Each sample set is recognisable by its (left, right) pair, so a frame that mixed two buffers, or
// read past one, shows up as a pair that belongs to no set.
bool IsKnownPair(double left, double right)
{
  const double pairs[][2] = {{0.0, 0.0}, {0.25, 0.25}, {0.5, -0.5}, {0.75, 0.75}, {0.125, 0.125}, {-0.375, 0.625}};
  for (const auto& pair : pairs)
    if (left == pair[0] && right == pair[1])
      return true;
  return false;
}
} // namespace

// One thread loads, replaces and shortens the samples of two channels while another renders them
// without pause. Run it under ThreadSanitizer (preset tsan) to check the hand-over itself.
TEST(SampleSlotStress, LoadsWhileRendering)
{
  TempFolder folder;
  WriteFloatWav(folder / "a.wav", Constant({0.25f}, 500));
  WriteFloatWav(folder / "b.wav", Constant({0.5f, -0.5f}, 3000));
  WriteFloatWav(folder / "c.wav", Constant({0.75f}, 10));
  WriteFloatWav(folder / "e.wav", Constant({0.125f, 9.0f, 9.0f, 9.0f}, 2000));
  const std::u16string paths[] = {(folder / "a.wav").u16string(), (folder / "b.wav").u16string(),
                                  (folder / "c.wav").u16string(), (folder / "missing.wav").u16string(),
                                  (folder / "e.wav").u16string()};

  EngineHarness harness(44100.0, 256);
  Krellbinder& plug = harness.Plug();
  plug.mMode = kModeMidi;
  for (int k : {0, 1})
    plug.mSlots[static_cast<size_t>(k)].LoadFile(paths[1]);

  std::atomic<bool> loading{true};
  std::atomic<int> badFrames{0};
  std::atomic<long> soundingFrames{0};
  std::thread renderer([&] {
    int block = 0;
    while (loading.load())
    {
      harness.NoteOn(block % 200, 36, 127);
      harness.NoteOn((block * 7) % 256, 37, 127);
      harness.Param(kLengthKnob + 1, (block % 10) / 9.0); // automation beside the loads
      harness.Process(256);
      for (int bus : {0, 1})
        for (size_t f = 0; f < 256; ++f)
        {
          const double left = harness.Rendered(2 * bus)[f];
          const double right = harness.Rendered(2 * bus + 1)[f];
          if (!IsKnownPair(left, right))
            badFrames.fetch_add(1);
          if (left != 0.0)
            soundingFrames.fetch_add(1);
        }
      harness.ClearRendered();
      ++block;
    }
  });

  for (int loads = 0; loads < 5000; ++loads)
  {
    SampleSlot& slot = plug.mSlots[static_cast<size_t>(loads % 2)];
    if (loads % 5 == 4)
    {
      // A state restore's replacement: a stereo buffer of a new length.
      const uint32_t frames = 1 + static_cast<uint32_t>(loads * 37 % 4000);
      std::unique_ptr<double[]> buffer(new double[2 * frames]);
      for (uint32_t f = 0; f < frames; ++f)
      {
        buffer[2 * f] = -0.375;
        buffer[2 * f + 1] = 0.625;
      }
      slot.ReplaceBuffer(std::move(buffer), 2 * frames, 2);
    }
    else
      slot.LoadFile(paths[loads % 5]);
    plug.GetParam(kLengthKnob)->Set((loads % 7) / 6.0);
    plug.OnParamChange(kLengthKnob);
  }
  loading = false;
  renderer.join();

  EXPECT_EQ(badFrames.load(), 0);
  EXPECT_GT(soundingFrames.load(), 0);
  for (const auto& slot : plug.mSlots)
  {
    EXPECT_FALSE(slot.IsLoading());
    // The length of the last fraction over the last sample, whichever thread wrote last.
    const uint32_t frames = slot.Frames();
    EXPECT_EQ(slot.mPlayLength.load(),
              ComputePlayLength(static_cast<int32_t>(frames), slot.mLengthFraction.load(), frames));
  }
}

// Swung steps start the voices of two channels on the audio thread, each with its start delay,
// while another thread loads samples longer and shorter than the delay into the same channels: the
// loads clear the delay that the hits write. Run it under ThreadSanitizer (preset tsan).
TEST(SampleSlotStress, LoadsWhileSwungStepsStart)
{
  TempFolder folder;
  WriteFloatWav(folder / "a.wav", Constant({0.25f}, 500));
  WriteFloatWav(folder / "c.wav", Constant({0.75f}, 10));
  const std::u16string paths[] = {(folder / "a.wav").u16string(), (folder / "c.wav").u16string()};

  // 600 BPM: a step of 1102 or 1103 frames, and a delay of 275 frames on the odd steps.
  EngineHarness harness(44100.0, 256);
  harness.SetTempo(600.0);
  Krellbinder& plug = harness.Plug();
  for (int k : {0, 1})
  {
    plug.mSlots[static_cast<size_t>(k)].LoadFile(paths[0]);
    for (int step = 0; step < 16; ++step)
      plug.mSequencer.SetStep(k, 0, step, true);
    harness.PlainParam(kSwingButton + k, 1.0);
  }
  harness.PlainParam(kMasterSwing, 1.0);
  plug.mMode = kModeRun;

  // Every frame is silence or one of the two samples at the sequencer's velocity.
  std::atomic<bool> loading{true};
  std::atomic<int> badFrames{0};
  std::atomic<long> soundingFrames{0};
  std::thread renderer([&] {
    while (loading.load())
    {
      harness.Process(256);
      for (int bus : {0, 1})
        for (size_t f = 0; f < 256; ++f)
        {
          const double left = harness.Rendered(2 * bus)[f];
          const double right = harness.Rendered(2 * bus + 1)[f];
          if (left != right || !(left == 0.0 || left == 0.25 * 100.0 / 127.0 || left == 0.75 * 100.0 / 127.0))
            badFrames.fetch_add(1);
          if (left != 0.0)
            soundingFrames.fetch_add(1);
        }
      harness.ClearRendered();
    }
  });

  for (int loads = 0; loads < 3000; ++loads)
    plug.mSlots[static_cast<size_t>(loads % 2)].LoadFile(paths[loads / 2 % 2]);
  loading = false;
  renderer.join();

  EXPECT_EQ(badFrames.load(), 0);
  EXPECT_GT(soundingFrames.load(), 0);
}

// The length knob moved on one thread (host automation on the audio thread) while another replaces
// the sample with one of another length and channel count: once both have stopped, the play length
// is the knob's fraction of the sample that the slot holds, never one computed from the sample it
// held before, nor from a size of one sample and a channel count of the other.
TEST(SampleSlotStress, PlayLengthFollowsTheLastSampleAndFraction)
{
  auto slot = std::make_unique<SampleSlot>();
  slot->SetLengthFraction(0.5);
  constexpr int kRounds = 40000;
  std::atomic<int> round{-1};
  std::atomic<int> lengthDone{-1};
  std::thread knob([&] {
    for (int r = 0; r < kRounds; ++r)
    {
      while (round.load() < r)
        std::this_thread::yield();
      for (int i = 0; i < 200; ++i)
        slot->SetLengthFraction(0.5);
      lengthDone = r;
    }
  });

  int stale = 0;
  for (int r = 0; r < kRounds; ++r)
  {
    // The same 3000 values as 3000 mono frames or 1500 stereo frames.
    const bool stereo = r % 2 == 1;
    const uint32_t size = 3000;
    round = r;
    slot->ReplaceBuffer(std::unique_ptr<double[]>(new double[size]{}), size, stereo ? 2 : 1);
    while (lengthDone.load() < r)
      std::this_thread::yield();
    stale += slot->mPlayLength.load() != slot->Frames() / 2 ? 1 : 0;
  }
  knob.join();
  EXPECT_EQ(stale, 0);
}
