#include "Krellbinder.h"

#include "EditorSettings.h"
#include "EditorTags.h"
#include "SamplePath.h"
#include "graphics/IControl.h"
#include "graphics/IGraphics.h"

// Main thread, every 20 ms tick, with or without an editor: records drained without an editor (or
// for a tag that no control has) are dropped.
void Krellbinder::OnIdle()
{
  // A pattern note on the audio thread moves the octave, the pattern and the shown row: their
  // buttons follow here, and the host hears of it. The records drained next move the editor's
  // controls; whatever they leave out is shown after them.
  const ParamSet moved = ShowStateInButtons();

  auto selection = [](int ctrlTag, const std::atomic<int32_t>& field) {
    return [ctrlTag, &field] { return IntSender::Data(ctrlTag, {field.load(std::memory_order_relaxed)}); };
  };
  mStepLedSender.TransmitData(*this);
  DeliverCurrent(mDrumSelectSender, selection(kCtrlTagDrumSelect, mSelectedDrum));
  DeliverCurrent(mStepRowSender, [this] { return CurrentStepRow(); });
  DeliverCurrent(mModeSender, selection(kCtrlTagMode, mMode));
  DeliverCurrent(mOctaveSender, selection(kCtrlTagOctave, mOctave));
  DeliverCurrent(mPatternSender, selection(kCtrlTagPattern, mPattern));
  DeliverCurrent(mChannelStateSender, [this] { return CurrentChannelStates(); });

  if (moved.any())
  {
    ShowMovedButtonsInEditor(moved, kNoParameter);
    InformHostOfParamValuesChanged();
  }

  // So that the scale the user dragged to is the one saved when the instance goes.
  if (IGraphics* ui = GetUI())
    mGuiSize = static_cast<double>(ui->GetDrawScale());
}

// Main thread, as the editor closes and while its view still exists: the scale it had goes to the
// settings file at once, since every opening reads the file again. So the next opening, in this
// instance or in another, comes back at the size the user chose, even one dragged within the last tick.
void Krellbinder::OnUIClose()
{
  if (IGraphics* ui = GetUI())
    mGuiSize = static_cast<double>(ui->GetDrawScale());
  SaveEditorSettings(mGuiSize);
  // A button the editor held when it closed is released without a word: the next tick shows it at 0
  // and tells the host.
  for (std::atomic<bool>& held : mHeldInEditor)
    held.store(false, std::memory_order_relaxed);
}

namespace
{
// Takes records off a queue and only counts them.
struct RecordCounter
{
  int mCount = 0;
  void SendControlMsgFromDelegate(int /*ctrlTag*/, int /*msgTag*/, int /*dataSize*/, const void* /*data*/) { ++mCount; }
};
} // namespace

// A queued record of the shown row, the channel states or a selection says that it changed; what
// the editor receives is read as the record is delivered. A value read when the record was queued
// could be out of date: a later change whose own record the full queue dropped (a second drum or
// pattern choice, a second pattern note within one tick), a host's change or a restore since. The step
// buttons would send its flags back as step edits of the row shown now, the selection groups would
// write its index back into the plug-in's field, and the lamps would show it until the next change.
template <class Sender, class MakeRecord>
void Krellbinder::DeliverCurrent(Sender& sender, MakeRecord makeRecord)
{
  RecordCounter pending;
  sender.TransmitData(pending);
  if (pending.mCount == 0)
    return;
  const auto record = makeRecord();
  SendControlMsgFromDelegate(record.ctrlTag, kUpdateMessage, static_cast<int>(sizeof(record)), &record);
}

StepRowSender::Data Krellbinder::CurrentStepRow() const
{
  const int32_t drum = InRange(mSelectedDrum.load(std::memory_order_relaxed), kNumDrums);
  const int32_t slot = InRange(mOctave.load(std::memory_order_relaxed), kNumOctaves) * kNumPatternsPerOctave +
                       InRange(mPattern.load(std::memory_order_relaxed), kNumPatternsPerOctave);
  std::array<uint8_t, kNumSteps> steps{};
  for (int step = 0; step < kNumSteps; ++step)
    steps[static_cast<size_t>(step)] = mSequencer.GetStep(drum, slot, step) ? 1 : 0;
  return StepRowSender::Data(kCtrlTagStep, steps);
}

ChannelStateSender::Data Krellbinder::CurrentChannelStates() const
{
  std::array<int32_t, kNumDrums> states{};
  for (int ch = 0; ch < kNumDrums; ++ch)
    states[static_cast<size_t>(ch)] = mSlots[static_cast<size_t>(ch)].mChannelState.load(std::memory_order_relaxed);
  return ChannelStateSender::Data(kCtrlTagMute, states);
}

// A new editor shows the whole state after its first tick; the step LEDs wait for the audio thread.
IGraphics* Krellbinder::CreateGraphics()
{
  IGraphics* graphics = mMakeGraphicsFunc ? mMakeGraphicsFunc() : nullptr;
  mStepRowSender.PushFromMainThread(CurrentStepRow());
  mChannelStateSender.PushData(CurrentChannelStates());
  mDrumSelectSender.PushData(IntSender::Data(kCtrlTagDrumSelect, {mSelectedDrum.load(std::memory_order_relaxed)}));
  mModeSender.PushData(IntSender::Data(kCtrlTagMode, {mMode.load(std::memory_order_relaxed)}));
  mOctaveSender.PushFromMainThread(IntSender::Data(kCtrlTagOctave, {mOctave.load(std::memory_order_relaxed)}));
  mPatternSender.PushFromMainThread(IntSender::Data(kCtrlTagPattern, {mPattern.load(std::memory_order_relaxed)}));
  return graphics;
}

void Krellbinder::OnUIOpen()
{
  if (IGraphics* ui = GetUI())
    for (int ch = 0; ch < kNumDrums; ++ch)
      if (auto* label = dynamic_cast<ITextControl*>(ui->GetControlWithTag(kCtrlTagSampleName + ch)))
      {
        label->SetStr(GetSampleDisplayName(mSlots[static_cast<size_t>(ch)].Path()).c_str());
        label->SetDirty(true, kNoValIdx);
      }
  SendCurrentParamValuesFromDelegate();
}
