// The button parameters show the state they act on: a selection button is 1 exactly for the current
// drum, mode, octave or pattern, a step button shows its step of the shown row, an LED the displayed
// step, a solo or mute button whether its channel is soloed or muted, and a momentary button (browse,
// previous, next, play) 1 while the editor holds it pressed, else 0. Hosts read these values, save
// them and write them back; what they read must therefore be the state itself, and writing it back
// must change nothing.

#include "Krellbinder.h"

namespace
{
double OneWhen(bool on) { return on ? 1.0 : 0.0; }
} // namespace

// Any thread: the audio thread asks too, so only relaxed loads and a little arithmetic.
bool Krellbinder::GetParamValueFromState(int paramIdx, double& value) const
{
  auto load = [](const std::atomic<int32_t>& field) { return field.load(std::memory_order_relaxed); };
  if (InGroup(paramIdx, kLedButton, kNumSteps))
    value = OneWhen(paramIdx - kLedButton == load(mDisplayedStep));
  else if (InGroup(paramIdx, kSequencerButton, kNumSteps))
  {
    const int32_t drum = InRange(load(mSelectedDrum), kNumDrums);
    const int32_t slot =
      InRange(load(mOctave), kNumOctaves) * kNumPatternsPerOctave + InRange(load(mPattern), kNumPatternsPerOctave);
    value = OneWhen(mSequencer.GetStep(drum, slot, paramIdx - kSequencerButton));
  }
  else if (InGroup(paramIdx, kSelectedDrumButton, kNumDrums))
    value = OneWhen(paramIdx - kSelectedDrumButton == load(mSelectedDrum));
  else if (InGroup(paramIdx, kModeButton, kNumModes))
    value = OneWhen(paramIdx - kModeButton == load(mMode));
  else if (InGroup(paramIdx, kOctaveButton, kNumOctaves))
    value = OneWhen(paramIdx - kOctaveButton == load(mOctave));
  else if (InGroup(paramIdx, kPatternButton, kNumPatternsPerOctave))
    value = OneWhen(paramIdx - kPatternButton == load(mPattern));
  else if (InGroup(paramIdx, kSoloButton, kNumDrums))
    value = OneWhen(load(mSlots[static_cast<size_t>(paramIdx - kSoloButton)].mChannelState) == kChannelSoloed);
  else if (InGroup(paramIdx, kMuteButton, kNumDrums))
    value = OneWhen(load(mSlots[static_cast<size_t>(paramIdx - kMuteButton)].mChannelState) == kChannelMuted);
  else if (IsMomentaryButton(paramIdx))
    value = OneWhen(mHeldInEditor[static_cast<size_t>(paramIdx)].load(std::memory_order_relaxed));
  else
    return false; // the knobs and switches hold values of their own
  return true;
}

// Main thread. Sets every button parameter that does not show the state to the value it shows,
// without running a reaction.
Krellbinder::ParamSet Krellbinder::ShowStateInButtons()
{
  ParamSet moved;
  for (int i = 0; i < kPanKnob; ++i)
  {
    double shown = 0.0;
    IParam* param = GetParam(i);
    if (GetParamValueFromState(i, shown) && param->Value() != shown)
    {
      param->Set(shown);
      moved.set(static_cast<size_t>(i));
    }
  }
  return moved;
}

// Main thread: the editor's controls of the moved parameters show their new values (nothing is
// sent back), except those of `except`.
void Krellbinder::ShowMovedButtonsInEditor(const ParamSet& moved, int except)
{
  for (int i = 0; i < kPanKnob; ++i)
    if (i != except && moved.test(static_cast<size_t>(i)))
      SendParameterValueFromDelegate(i, GetParam(i)->GetNormalized(), true);
}

// Main thread, after a reaction to a change from the host or the editor.
void Krellbinder::ButtonsFollowTheState(int paramIdx, EParamSource source)
{
  const ParamSet moved = ShowStateInButtons();
  if (moved.none())
    return;
  // The changed parameter's own controls are left alone: the framework shows a host's change
  // itself, and a control that sent a value keeps showing it (a pressed play button, a clicked LED)
  // until it is released or the next record arrives.
  ShowMovedButtonsInEditor(moved, paramIdx);
  if (source == kUI)
  {
    // After an editor change the host hears each value as an edit, as it heard the change itself.
    for (int i = 0; i < kPanKnob; ++i)
      if (moved.test(static_cast<size_t>(i)))
        InformHostOfParamEdit(i);
  }
  else
  {
    // Inside the host's own call the host is not called back: it hears of it at the next idle tick.
    InformHostOfParamValuesChanged();
  }
}
