// libFuzzer target over the state restore: any chunk is read or rejected in bounded time, without a
// crash, and leaves every field in the range that the audio block and the editor rely on. A chunk
// that is read saves again as a chunk that reads back whole.

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "Krellbinder.h"

namespace
{
Krellbinder& Plugin()
{
  // One instance for the whole run, so each input is restored over whatever the last one left.
  static Krellbinder* plugin = [] {
    auto* p = new Krellbinder(InstanceInfo());
    p->initialize(nullptr);
    return p;
  }();
  return *plugin;
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
      Check(std::isfinite(slot.Buffer()[i]));
  }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > static_cast<size_t>(INT32_MAX / 2))
    return 0;
  Krellbinder& plug = Plugin();
  IByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));
  const int end = plug.UnserializeState(chunk, 0);
  Check(end >= -1 && end <= chunk.Size());
  CheckFields(plug);

  IByteChunk saved;
  Check(plug.SerializeState(saved));
  Check(plug.UnserializeState(saved, 0) == saved.Size());
  CheckFields(plug);
  return 0;
}
