#include <algorithm>
#include <string>
#include <vector>

#include "EditorTags.h"
#include "FolderListing.h"
#include "Krellbinder.h"
#include "SampleDialog.h"
#include "SamplePath.h"
#include "graphics/IControl.h"

namespace
{
// A browse, stepping or step value counts when it is anything but 0; a selection only at exactly 1.
bool IsOn(double v) { return v != 0.0; }
bool IsOne(double v) { return v == 1.0; }

enum class EStepDirection
{
  kFollowing,
  kPreceding
};

// The file that a sample-stepping button loads: the entry beside the channel's file in the folder
// listing. The following entry stops at the last one; the preceding entry of the first one is the
// file itself; there is no wrap-around. A file that is not listed stays the target.
std::u16string NeighbouringEntry(const std::vector<std::u16string>& entries, const std::u16string& current,
                                 EStepDirection direction)
{
  const auto it = std::find(entries.begin(), entries.end(), current);
  if (it == entries.end())
    return current;
  if (direction == EStepDirection::kFollowing)
    return it + 1 != entries.end() ? *(it + 1) : current;
  return it != entries.begin() ? *(it - 1) : current;
}

void SetSolo(Krellbinder& plug, int channel, bool on)
{
  auto state = [&plug](int ch) -> std::atomic<int32_t>& { return plug.mSlots[static_cast<size_t>(ch)].mChannelState; };
  if (on)
  {
    state(channel).store(kChannelSoloed, std::memory_order_relaxed);
    for (int ch = 0; ch < kNumDrums; ++ch)
      if (state(ch).load(std::memory_order_relaxed) == kChannelNormal)
        state(ch).store(kChannelSilencedBySolo, std::memory_order_relaxed);
    return;
  }
  state(channel).store(kChannelSilencedBySolo, std::memory_order_relaxed);
  bool anySoloed = false;
  for (int ch = 0; ch < kNumDrums; ++ch)
    anySoloed = anySoloed || state(ch).load(std::memory_order_relaxed) == kChannelSoloed;
  if (!anySoloed)
    for (int ch = 0; ch < kNumDrums; ++ch)
      if (state(ch).load(std::memory_order_relaxed) == kChannelSilencedBySolo)
        state(ch).store(kChannelNormal, std::memory_order_relaxed);
}

void SetMute(Krellbinder& plug, int channel, bool on)
{
  std::atomic<int32_t>& state = plug.mSlots[static_cast<size_t>(channel)].mChannelState;
  if (on)
  {
    state.store(kChannelMuted, std::memory_order_relaxed);
    return;
  }
  // Unmuting while a solo is on leaves the channel silent: it keeps its mute lamp and stays silent
  // after the solo ends.
  bool anySoloed = false;
  for (const SampleSlot& slot : plug.mSlots)
    anySoloed = anySoloed || slot.mChannelState.load(std::memory_order_relaxed) == kChannelSoloed;
  state.store(anySoloed ? kChannelMuted : kChannelNormal, std::memory_order_relaxed);
}

void QueueStepRow(Krellbinder& plug) { plug.mStepRowSender.PushFromMainThread(plug.CurrentStepRow()); }

void QueueChannelStates(Krellbinder& plug) { plug.mChannelStateSender.PushData(plug.CurrentChannelStates()); }

void ShowSampleName(Krellbinder& plug, int channel)
{
  IGraphics* ui = plug.GetUI();
  if (!ui)
    return;
  if (auto* label = dynamic_cast<ITextControl*>(ui->GetControlWithTag(kCtrlTagSampleName + channel)))
  {
    label->SetStr(GetSampleDisplayName(plug.mSlots[static_cast<size_t>(channel)].Path()).c_str());
    label->SetDirty(true, -1);
  }
}

void BrowseForSample(Krellbinder& plug, int channel)
{
  SampleSlot& slot = plug.mSlots[static_cast<size_t>(channel)];
  gSampleDialogPath = slot.Path();
  // Modal: idle ticks and other reactions (loads of this channel too) may run inside it, so nothing
  // of the slot is held meanwhile.
  ShowSampleOpenDialog();

  if (IGraphics* ui = plug.GetUI())
  {
    if (IControl* button = ui->GetControlWithTag(kCtrlTagBrowse + channel))
    {
      button->SetValue(0.0, 0);
      button->SetDirty(true, -1);
    }
  }

  slot.LoadFile(gSampleDialogPath);
  // Plays the new sample once (or, after a failed load, the one that the slot kept).
  slot.Hit();
  ShowSampleName(plug, channel);
}

void StepToNeighbouringSample(Krellbinder& plug, int channel, EStepDirection direction)
{
  SampleSlot& slot = plug.mSlots[static_cast<size_t>(channel)];
  const std::u16string current = slot.Path();
  const size_t separator = FindLastSeparator(current);
  const std::u16string folder = separator == std::u16string::npos ? current : current.substr(0, separator);

  std::u16string target;
  if (!folder.empty())
  {
    std::vector<std::u16string> entries;
    // A folder that cannot be listed (gone, no access, a listing that breaks off): the press does
    // nothing and the channel keeps its file.
    if (!ListFolderEntries(folder, PathSeparator(), entries))
      return;
    target = NeighbouringEntry(entries, current, direction);
  }

  slot.LoadFile(target);
  ShowSampleName(plug, channel);
}
} // namespace

// Main thread (the editor's thread): the reactions to the editor's buttons and to the host's
// parameter changes.
void Krellbinder::OnParamChangeUI(int paramIdx, EParamSource source)
{
  // The reset at initialize gives every parameter its default; the buttons show the state again.
  if (source == kReset)
  {
    ShowStateInButtons();
    return;
  }
  if (source != kHost && source != kUI)
    return;
  const IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  // Read once: a nested reaction to the same parameter does not change what this one does.
  const double v = param->Value();
  // A button given the value it shows already acts on nothing: a host that writes back what it read,
  // or a control that answers a record of the core, changes nothing.
  double shown = 0.0;
  if (GetParamValueFromState(paramIdx, shown) && v == shown)
    return;
  // A momentary button pressed in the editor reads 1 until the editor releases it, so that a host
  // records the press for as long as it lasts; it acts once, at the press. A host's own press acts and
  // reads 0 at once.
  if (source == kUI && IsMomentaryButton(paramIdx))
    mHeldInEditor[static_cast<size_t>(paramIdx)].store(IsOn(v), std::memory_order_relaxed);

  // Nothing may leave this hook towards the host: a reaction that runs out of memory part-way ends
  // there, like a press that did nothing.
  try
  {
    if (InGroup(paramIdx, kFolderButton, kNumDrums))
    {
      if (IsOn(v))
        BrowseForSample(*this, paramIdx - kFolderButton);
    }
    else if (InGroup(paramIdx, kSequencerButton, kNumSteps))
    {
      const int slot =
        mOctave.load(std::memory_order_relaxed) * kNumPatternsPerOctave + mPattern.load(std::memory_order_relaxed);
      mSequencer.SetStep(mSelectedDrum.load(std::memory_order_relaxed), slot, paramIdx - kSequencerButton, IsOn(v));
    }
    else if (InGroup(paramIdx, kSelectedDrumButton, kNumDrums))
    {
      if (IsOne(v))
      {
        mSelectedDrum.store(paramIdx - kSelectedDrumButton, std::memory_order_relaxed);
        QueueStepRow(*this);
      }
    }
    else if (InGroup(paramIdx, kPreviousSampleButton, kNumDrums))
    {
      // This button takes the entry after the channel's file in the listing.
      if (IsOn(v))
        StepToNeighbouringSample(*this, paramIdx - kPreviousSampleButton, EStepDirection::kFollowing);
    }
    else if (InGroup(paramIdx, kNextSampleButton, kNumDrums))
    {
      // And this one the entry before it.
      if (IsOn(v))
        StepToNeighbouringSample(*this, paramIdx - kNextSampleButton, EStepDirection::kPreceding);
    }
    else if (InGroup(paramIdx, kModeButton, kNumModes))
    {
      if (IsOne(v))
        mMode.store(paramIdx - kModeButton, std::memory_order_relaxed);
    }
    else if (InGroup(paramIdx, kOctaveButton, kNumOctaves))
    {
      if (IsOne(v))
        mOctave.store(paramIdx - kOctaveButton, std::memory_order_relaxed);
    }
    else if (InGroup(paramIdx, kPlayButton, kNumDrums))
    {
      if (IsOne(v))
        mSlots[static_cast<size_t>(paramIdx - kPlayButton)].Hit();
    }
    else if (InGroup(paramIdx, kSoloButton, kNumDrums))
    {
      SetSolo(*this, paramIdx - kSoloButton, IsOne(v));
      QueueChannelStates(*this);
    }
    else if (InGroup(paramIdx, kMuteButton, kNumDrums))
    {
      SetMute(*this, paramIdx - kMuteButton, IsOne(v));
      QueueChannelStates(*this);
    }
    else if (InGroup(paramIdx, kPatternButton, kNumPatternsPerOctave))
    {
      if (IsOne(v))
      {
        mPattern.store(paramIdx - kPatternButton, std::memory_order_relaxed);
        QueueStepRow(*this);
      }
    }
    else if (paramIdx >= kPanKnob)
    {
      // A host's change through the edit controller reaches only this hook, so the mixer rules run here
      // too; after an editor change they run a second time with the same result.
      OnParamChange(paramIdx);
    }
  }
  catch (const std::exception&)
  {
  }
  // A browse press lasts as long as its dialog: the button is released as the dialog ends, whether or
  // not an editor switched it back meanwhile.
  if (InGroup(paramIdx, kFolderButton, kNumDrums))
    mHeldInEditor[static_cast<size_t>(paramIdx)].store(false, std::memory_order_relaxed);
  ButtonsFollowTheState(paramIdx, source);
}
