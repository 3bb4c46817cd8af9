#include <gtest/gtest.h>

#include <string>

#include "EngineHarness.h"
#include "Interposers.h"
#include "TempFolder.h"
#include "WavFiles.h"

using krbtest::EngineHarness;
using krbtest::Ramp;
using krbtest::TempFolder;
using krbtest::WriteFloatWav;

namespace
{
struct RealtimeCase
{
  Steinberg::int32 sampleSize;
  int connectedBuses;
  const char* name;
};

class RealtimeSafety : public testing::TestWithParam<RealtimeCase>
{};

// Every behaviour of the block at once: all twelve drums on every step, swing, pitch, lengths,
// automation of every mixer parameter, MIDI drum and pattern notes, note-offs, all four modes, and
// loads between blocks (the loading thread may allocate; the block may not).
TEST_P(RealtimeSafety, ProcessNeitherAllocatesNorLocks)
{
  TempFolder folder;
  EngineHarness harness(44100.0, 512, GetParam().sampleSize);
  harness.SetConnectedBuses(GetParam().connectedBuses);
  Krellbinder& plug = harness.Plug();
  for (int k = 0; k < kNumDrums; ++k)
  {
    const auto path = folder / ("drum" + std::to_string(k) + ".wav");
    WriteFloatWav(path, Ramp(k % 3 == 0 ? 1 : 2, 3000 + 500 * static_cast<uint32_t>(k)));
    plug.mSlots[static_cast<size_t>(k)].LoadFile(path.u16string());
    for (int slot = 0; slot < kNumPatternSlots; ++slot)
      for (int step = 0; step < kNumSteps; ++step)
        plug.mSequencer.SetStep(k, slot, step, (step + k) % 3 != 0);
  }

  const int modes[] = {kModeRun, kModeHostSync, kModeMidi, kModeStop};
  int worstAllocations = 0;
  int worstLocks = 0;
  int worstSystemCalls = 0;
  for (int block = 0; block < 800; ++block)
  {
    plug.mMode = modes[(block / 100) % 4];
    harness.SetPlaying(block % 7 != 3);
    harness.SetTempo(block % 50 == 49 ? 0.0 : 90.0 + block % 60);
    for (int k = 0; k < kNumDrums; ++k)
    {
      harness.Param(kPanKnob + k, (block * 7 + k) % 100 / 100.0);
      harness.Param(kVolumeKnob + k, (block + k) % 10 / 10.0);
      harness.Param(kPitchKnob + k, (block + 3 * k) % 25 / 24.0);
      harness.Param(kSwingButton + k, (block + k) % 2);
      harness.Param(kLengthKnob + k, (block + 5 * k) % 11 / 10.0);
    }
    harness.Param(kMasterVolume, 0.5);
    harness.Param(kMasterSwing, (block % 5) / 4.0);
    for (int n = 0; n < 20; ++n)
      harness.NoteOn((block * 31 + n * 29) % 600, 36 + (block + n) % 40, (n * 13) % 128);
    if (block % 9 == 0)
      harness.NoteOff(block % 500, 36);
    if (block % 97 == 0)
    {
      const auto path = folder / ("drum" + std::to_string(block % 12) + ".wav");
      plug.mSlots[static_cast<size_t>(block % 12)].LoadFile(path.u16string());
    }

    auto& data = harness.PrepareBlock(block % 10 == 0 ? 1 : 512);
    realtime_watch::Begin();
    plug.process(data);
    const auto counts = realtime_watch::End();
    harness.FinishBlock();
    worstAllocations = std::max(worstAllocations, counts.allocations);
    worstLocks = std::max(worstLocks, counts.locks);
    worstSystemCalls = std::max(worstSystemCalls, counts.systemCalls);
  }
  EXPECT_EQ(worstAllocations, 0);
  EXPECT_EQ(worstLocks, 0);
  EXPECT_EQ(worstSystemCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(SampleSizes, RealtimeSafety,
                         testing::Values(RealtimeCase{Steinberg::Vst::kSample32, 12, "Float32"},
                                         RealtimeCase{Steinberg::Vst::kSample64, 12, "Float64"},
                                         RealtimeCase{Steinberg::Vst::kSample32, 1, "Float32MainBusOnly"},
                                         RealtimeCase{Steinberg::Vst::kSample64, 1, "Float64MainBusOnly"}),
                         [](const testing::TestParamInfo<RealtimeCase>& info) { return std::string(info.param.name); });

// The watch itself: it must see what it is meant to catch.
TEST(RealtimeWatch, SeesAllocationsAndLocks)
{
  realtime_watch::Begin();
  std::string* text = new std::string(100, 'x');
  delete text;
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
  pthread_mutex_lock(&mutex);
  pthread_mutex_unlock(&mutex);
  const auto counts = realtime_watch::End();
  EXPECT_GE(counts.allocations, 2);
  EXPECT_EQ(counts.locks, 1);
}
} // namespace
