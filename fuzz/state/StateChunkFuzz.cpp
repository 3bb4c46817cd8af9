// libFuzzer target over the state restore: any chunk is read or rejected in bounded time, without a
// crash, and leaves every field in the range that the audio block and the editor rely on. A chunk
// that is read saves again as a chunk that reads back whole. Whatever was restored then renders to
// finite output in 32-bit and in 64-bit processing, as restored and at the loudest settings, on every
// bus and summed on the main bus.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "EngineHarness.h"
#include "Krellbinder.h"

using krbtest::EngineHarness;

namespace
{
constexpr int kBlock = 256;

// One instance per sample size for the whole run, so each input is restored over whatever the last
// one left.
EngineHarness& Harness(Steinberg::int32 sampleSize)
{
  static EngineHarness* wide = new EngineHarness(44100.0, kBlock, Steinberg::Vst::kSample64);
  static EngineHarness* narrow = new EngineHarness(44100.0, kBlock, Steinberg::Vst::kSample32);
  return sampleSize == Steinberg::Vst::kSample64 ? *wide : *narrow;
}

void Check(bool condition)
{
  if (!condition)
    __builtin_trap();
}

void CheckFields(const Krellbinder& plug)
{
  Check(plug.mSelectedDrum >= 0 && plug.mSelectedDrum < kNumDrums);
  Check(plug.mOctave >= 0 && plug.mOctave < kNumOctaves);
  Check(plug.mPattern >= 0 && plug.mPattern < kNumPatternsPerOctave);
  Check(plug.mDisplayedStep >= 0 && plug.mDisplayedStep < kNumSteps);
  Check(std::isfinite(plug.mMasterVolume.load()) && std::isfinite(plug.mMasterSwing.load()));
  for (const SampleSlot& slot : plug.mSlots)
  {
    const uint32_t size = slot.Size();
    Check((size == 0) == (slot.Buffer() == nullptr) || size == 0);
    Check(slot.NumChannels() != 2 || size % 2 == 0);
    Check(slot.mPlayLength.load() <= slot.Frames());
    Check(std::isfinite(slot.mPan.load()) && std::isfinite(slot.mVolume.load()));
    Check(std::isfinite(slot.mGainLeft.load()) && std::isfinite(slot.mGainRight.load()));
    Check(std::isfinite(slot.mLengthFraction.load()));
    for (uint32_t i = 0; i < size; ++i)
      Check(std::isfinite(slot.Buffer()[i]) && std::fabs(slot.Buffer()[i]) <= kMaxSampleMagnitude);
  }
}

// Strikes every drum at full velocity and renders two blocks; every output value must be finite.
void RenderFinite(EngineHarness& harness)
{
  for (int block = 0; block < 2; ++block)
  {
    for (int k = 0; k < kNumDrums; ++k)
      harness.NoteOn(block * 17, 36 + k, 127);
    harness.Process(kBlock);
  }
  for (int c = 0; c < EngineHarness::kNumOutputChannels; ++c)
    for (double value : harness.Rendered(c))
      Check(std::isfinite(value));
  harness.ClearRendered();
}

void RenderRestored(EngineHarness& harness)
{
  Krellbinder& plug = harness.Plug();
  harness.SetConnectedBuses(kNumDrums);
  RenderFinite(harness); // its own mode and mixer values

  // The loudest the plug-in can play: every volume and the master volume at 2, centre pan, every
  // channel audible, in Midi mode; on every bus, then all twelve summed on the main bus.
  plug.mMode = kModeMidi;
  for (int k = 0; k < kNumDrums; ++k)
  {
    harness.PlainParam(kVolumeKnob + k, 2.0);
    harness.PlainParam(kPanKnob + k, 0.5);
    plug.mSlots[static_cast<size_t>(k)].mChannelState = kChannelNormal;
  }
  harness.PlainParam(kMasterVolume, 2.0);
  RenderFinite(harness);
  harness.SetConnectedBuses(1);
  RenderFinite(harness);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > static_cast<size_t>(INT32_MAX / 2))
    return 0;
  IByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));
  for (Steinberg::int32 sampleSize : {Steinberg::Vst::kSample64, Steinberg::Vst::kSample32})
  {
    EngineHarness& harness = Harness(sampleSize);
    Krellbinder& plug = harness.Plug();
    const int end = plug.UnserializeState(chunk, 0);
    Check(end >= -1 && end <= chunk.Size());
    CheckFields(plug);
    RenderRestored(harness);

    IByteChunk saved;
    Check(plug.SerializeState(saved));
    Check(plug.UnserializeState(saved, 0) == saved.Size());
    CheckFields(plug);
  }
  return 0;
}
