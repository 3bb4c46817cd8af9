#include "Krellbinder.h"

namespace
{
// The pan law: a flat centre from 0.45 to 0.55; outside it the far side fades to 0 at the end.
void ApplyPanLaw(SampleSlot& slot, double pan, double volume)
{
  double left = volume;
  double right = volume;
  if (pan < 0.45)
    right = 2.0 * pan * volume;
  else if (pan > 0.55)
    left = 2.0 * (1.0 - pan) * volume;
  slot.mGainLeft.store(left, std::memory_order_relaxed);
  slot.mGainRight.store(right, std::memory_order_relaxed);
}
} // namespace

// Any thread (host automation runs it on the audio thread): constant work, no allocation, no lock.
void Krellbinder::OnParamChange(int paramIdx)
{
  const IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  const double v = param->Value();

  if (paramIdx == kMasterVolume)
  {
    mMasterVolume.store(v, std::memory_order_relaxed);
    return;
  }
  if (paramIdx == kMasterSwing)
  {
    mMasterSwing.store(v, std::memory_order_relaxed);
    return;
  }
  if (InGroup(paramIdx, kPanKnob, kNumDrums))
  {
    SampleSlot& slot = mSlots[static_cast<size_t>(paramIdx - kPanKnob)];
    slot.mPan.store(v, std::memory_order_relaxed);
    ApplyPanLaw(slot, v, slot.mVolume.load(std::memory_order_relaxed));
  }
  else if (InGroup(paramIdx, kVolumeKnob, kNumDrums))
  {
    SampleSlot& slot = mSlots[static_cast<size_t>(paramIdx - kVolumeKnob)];
    slot.mVolume.store(v, std::memory_order_relaxed);
    ApplyPanLaw(slot, slot.mPan.load(std::memory_order_relaxed), v);
  }
  else if (InGroup(paramIdx, kPitchKnob, kNumDrums))
  {
    // The parameter keeps to -12..12; anything else (a NaN from a host) plays as pitch 0.
    const int32_t pitch = v >= -12.0 && v <= 12.0 ? static_cast<int32_t>(v) : 0;
    mSlots[static_cast<size_t>(paramIdx - kPitchKnob)].mPitch.store(pitch, std::memory_order_relaxed);
  }
  else if (InGroup(paramIdx, kSwingButton, kNumDrums))
  {
    mSlots[static_cast<size_t>(paramIdx - kSwingButton)].mSwing.store(v == 1.0, std::memory_order_relaxed);
  }
  else if (InGroup(paramIdx, kLengthKnob, kNumDrums))
  {
    mSlots[static_cast<size_t>(paramIdx - kLengthKnob)].SetLengthFraction(v);
  }
}
