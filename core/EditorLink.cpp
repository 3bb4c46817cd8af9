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

  mStepLedSender.TransmitData(*this);
  DeliverSelection(mDrumSelectSender, kCtrlTagDrumSelect, mSelectedDrum);
  DeliverStepRow();
  DeliverSelection(mModeSender, kCtrlTagMode, mMode);
  DeliverSelection(mOctaveSender, kCtrlTagOctave, mOctave);
  DeliverSelection(mPatternSender, kCtrlTagPattern, mPattern);
  DeliverChannelStates();

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

// A queued row says that the shown row changed; the flags handed to the step buttons are read as the
// row is delivered. The buttons send every flag they change back as a step edit of the row shown
// now, so a row read earlier must never reach them: it may belong to another drum or pattern (after
// a second choice within one tick, whose row the full queue dropped) or miss a step clicked since.
void Krellbinder::DeliverStepRow()
{
  RecordCounter pending;
  mStepRowSender.TransmitData(pending);
  if (pending.mCount == 0)
    return;
  StepRowSender::Data row = CurrentStepRow();
  SendControlMsgFromDelegate(row.ctrlTag, kUpdateMessage, static_cast<int>(sizeof(row)), &row);
}

// The same for the channel states: a record queued earlier may miss a later change whose own record
// the full queue dropped, or a restore, and the lamps would show it until the next change.
void Krellbinder::DeliverChannelStates()
{
  RecordCounter pending;
  mChannelStateSender.TransmitData(pending);
  if (pending.mCount == 0)
    return;
  ChannelStateSender::Data states = CurrentChannelStates();
  SendControlMsgFromDelegate(states.ctrlTag, kUpdateMessage, static_cast<int>(sizeof(states)), &states);
}

// The same for a selection: its group writes the index it receives into the plug-in's field, so a
// value read when the record was queued would undo a later choice (a host's change before the tick,
// or a second pattern note whose record the full queue dropped).
template <class Sender>
void Krellbinder::DeliverSelection(Sender& sender, int ctrlTag, const std::atomic<int32_t>& field)
{
  RecordCounter pending;
  sender.TransmitData(pending);
  if (pending.mCount == 0)
    return;
  IntSender::Data record(ctrlTag, {field.load(std::memory_order_relaxed)});
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
