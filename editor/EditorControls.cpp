#include "EditorControls.h"

#include <array>
#include <cstring>

#include "EditorTags.h"
#include "Krellbinder.h"
#include "graphics/IGEditorDelegate.h"
#include "graphics/IGraphics.h"
#include "plugin/ISender.h"

namespace
{
// The records that the core queues (and the knob's), as the framework lays them out.
using GroupRecord = ISenderData<1, int32_t>;
using StepRowRecord = ISenderData<16, uint8_t>;
using ChannelStateRecord = ISenderData<12, int32_t>;
using KnobRecord = ISenderData<1, double>;
static_assert(sizeof(GroupRecord) == 16);
static_assert(sizeof(StepRowRecord) == 28);
static_assert(sizeof(ChannelStateRecord) == 60);
static_assert(sizeof(KnobRecord) == 24);

// The record's values, or all zeros when the message is shorter than the whole record.
template <class Record>
Record ReadRecord(int dataSize, const void* pData)
{
  Record record;
  record.vals = {};
  if (pData && dataSize >= static_cast<int>(sizeof(Record)))
    std::memcpy(&record, pData, sizeof(Record));
  return record;
}

bool Accepts(const IControl& control, int msgTag) { return !control.IsDisabled() && msgTag == kUpdateMessage; }

// The control under a tag in the same view. A missing one is passed over: the layout attaches every
// tag these controls look up before any click or record can arrive.
IControl* Find(const IControl& control, int ctrlTag)
{
  IGraphics* ui = control.GetUI();
  return ui ? ui->GetControlWithTag(ctrlTag) : nullptr;
}
} // namespace

GroupBtnControl::GroupBtnControl(float x, float y, const IBitmap& bitmap, int paramIdx,
                                 std::atomic<int32_t>* selectedIdx, int buttonIdx, int firstTag, int numButtons)
  : IBSwitchControl(x, y, bitmap, paramIdx)
  , mSelectedIdx(selectedIdx)
  , mButtonIdx(buttonIdx)
  , mFirstTag(firstTag)
  , mNumButtons(numButtons)
{
}

void GroupBtnControl::SelectInGroup(int32_t lit, bool send)
{
  for (int32_t i = 0; i < mNumButtons; ++i)
    if (IControl* button = Find(*this, mFirstTag + i))
    {
      button->SetValue(i == lit ? 1.0 : 0.0, 0);
      button->SetDirty(send, kNoValIdx);
    }
}

void GroupBtnControl::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  if (!GetUI())
    return;
  // The clicked button lights at once. Only its own parameter goes to the core, and only when it is
  // not on already: the core moves the group's other buttons and tells the host of each one that
  // changes, once. The plug-in field changes only when the core takes the parameter.
  SelectInGroup(mButtonIdx, false);
  const IGEditorDelegate* delegate = GetDelegate();
  if (delegate && delegate->ReadParamNormalized(GetParamIdx(0)) != 1.0)
    SetDirty(true, kNoValIdx);
}

void GroupBtnControl::OnMsgFromDelegate(int msgTag, int dataSize, const void* pData)
{
  if (!Accepts(*this, msgTag) || !GetUI())
    return;
  const GroupRecord record = ReadRecord<GroupRecord>(dataSize, pData);
  // Stored as received: an index outside the group lights no button.
  if (mSelectedIdx)
    mSelectedIdx->store(record.vals[0], std::memory_order_relaxed);
  SelectInGroup(mSelectedIdx ? mSelectedIdx->load(std::memory_order_relaxed) : record.vals[0], true);
}

SeqNoteBtnControl::SeqNoteBtnControl(float x, float y, const IBitmap& bitmap, int paramIdx, int ctrlTag)
  : IBSwitchControl(x, y, bitmap, paramIdx)
  , mCtrlTag(ctrlTag)
{
}

void SeqNoteBtnControl::OnMsgFromDelegate(int msgTag, int dataSize, const void* pData)
{
  if (!Accepts(*this, msgTag))
    return;
  const StepRowRecord record = ReadRecord<StepRowRecord>(dataSize, pData);
  for (int step = 0; step < kNumSteps; ++step)
    if (IControl* button = Find(*this, kCtrlTagStep + step))
    {
      const double before = button->GetValue(0);
      button->SetValue(record.vals[static_cast<size_t>(step)] != 0 ? 1.0 : 0.0, 0);
      if (button->GetValue(0) != before)
        button->SetDirty(true, kNoValIdx);
    }
  SetDirty(false, kNoValIdx);
}

SoloMuteBtnControl::SoloMuteBtnControl(float x, float y, const IBitmap& bitmap, int paramIdx)
  : IBSwitchControl(x, y, bitmap, paramIdx)
{
}

// The mute lamp of a channel that another channel's solo silences is lit while the channel's mute
// is off, and the parameter shows the mute: the click acts on the mute itself (muting the channel
// for good), so it starts from the parameter, not from the lamp.
void SoloMuteBtnControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  const IParam* param = GetParam(0);
  if (!param)
  {
    IBSwitchControl::OnMouseDown(x, y, mod);
    return;
  }
  SetValue(param->GetNormalized() >= 0.5 ? 0.0 : 1.0, 0);
  SetDirty(true, kNoValIdx);
}

void SoloMuteBtnControl::OnMsgFromDelegate(int msgTag, int dataSize, const void* pData)
{
  if (!Accepts(*this, msgTag))
    return;
  const ChannelStateRecord record = ReadRecord<ChannelStateRecord>(dataSize, pData);
  for (int ch = 0; ch < kNumDrums; ++ch)
  {
    IControl* mute = Find(*this, kCtrlTagMute + ch);
    IControl* solo = Find(*this, kCtrlTagSolo + ch);
    double muteLamp = 0.0;
    double soloLamp = 0.0;
    switch (record.vals[static_cast<size_t>(ch)])
    {
      case kChannelNormal:
        break;
      case kChannelMuted:
      case kChannelSilencedBySolo:
        muteLamp = 1.0;
        break;
      case kChannelSoloed:
        soloLamp = 1.0;
        break;
      default:
        continue; // not a state: both lamps stay as they are
    }
    if (mute)
      mute->SetValueFromDelegate(muteLamp, 0);
    if (solo)
      solo->SetValueFromDelegate(soloLamp, 0);
  }
}

BounceBtnControl::BounceBtnControl(float x, float y, const IBitmap& bitmap, int paramIdx)
  : IBSwitchControl(x, y, bitmap, paramIdx)
{
}

void BounceBtnControl::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  SetValue(1.0, 0);
  SetDirty(true, kNoValIdx);
}

void BounceBtnControl::OnMouseUp(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  SetValue(0.0, 0);
  SetDirty(true, kNoValIdx);
}

KrbKnobControl::KrbKnobControl(float x, float y, const IBitmap& bitmap, int paramIdx, int ctrlTag)
  : IBKnobControl(x, y, bitmap, paramIdx)
  , mCtrlTag(ctrlTag)
{
}

void KrbKnobControl::OnMsgFromDelegate(int msgTag, int dataSize, const void* pData)
{
  if (!Accepts(*this, msgTag))
    return;
  const KnobRecord record = ReadRecord<KnobRecord>(dataSize, pData);
  if (IControl* knob = Find(*this, mCtrlTag))
    knob->SetValue(record.vals[0], 0);
  if (IControl* knob = Find(*this, mCtrlTag))
    knob->SetDirty(true, kNoValIdx);
}
