#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>

#include "EditorControls.h"
#include "EditorSize.h"
#include "EditorTags.h"
#include "Krellbinder.h"
#include "RecordingEditorDelegate.h"
#include "graphics/IGraphics.h"
#include "plugin/ISender.h"

namespace
{
using Sent = krbtest::RecordingEditorDelegate::Sent;

// A delegate with the plug-in's parameters, each from 0 to 1, that records what the controls send.
class PluginParamsDelegate : public krbtest::RecordingEditorDelegate
{
public:
  PluginParamsDelegate()
    : RecordingEditorDelegate(kNumParams)
  {
    for (int i = 0; i < kNumParams; ++i)
    {
      std::string name = std::to_string(i); // (not "p" + ...: GCC 12 warns falsely about that form)
      GetParam(i)->InitDouble(name.c_str(), 0.0, 0.0, 1.0, 0.0001);
    }
  }
};

// A two-frame 10 x 20 bitmap (frames 10 x 10) of no pixels: enough for bounds and values.
IBitmap TwoFrames()
{
  auto data = std::make_shared<BitmapData>();
  data->mName = "test.png";
  data->mWidth = 10;
  data->mHeight = 20;
  return IBitmap(data, 2, false);
}

// A window-less view of the editor's size, with a delegate that records the parameters sent.
class ControlsTest : public ::testing::Test
{
protected:
  ControlsTest()
    : mGraphics(mDelegate, kEditorWidth, kEditorHeight, 60, 1.f)
  {
  }

  // A group of `count` buttons with parameters firstParam + i under tags firstTag + i, at x = 20 i.
  void AttachGroup(int firstParam, int firstTag, int count)
  {
    for (int i = 0; i < count; ++i)
      mGraphics.AttachControl(
        new GroupBtnControl(static_cast<float>(20 * i), 0, mBitmap, firstParam + i, &mField, i, firstTag, count),
        firstTag + i, "Group");
  }
  IControl* Tag(int tag) const { return mGraphics.GetControlWithTag(tag); }
  double Value(int tag) const { return Tag(tag)->GetValue(0); }

  static ISenderData<1, int32_t> IntRecord(int tag, int32_t value) { return ISenderData<1, int32_t>(tag, {value}); }

  PluginParamsDelegate mDelegate;
  IGraphics mGraphics;
  IBitmap mBitmap = TwoFrames();
  std::atomic<int32_t> mField{0};
};

// --- GroupBtnControl

TEST_F(ControlsTest, GroupRecordStoresTheIndexAndLightsItsButton)
{
  AttachGroup(kModeButton, kCtrlTagMode, 4);
  const auto record = IntRecord(kCtrlTagMode, 2);
  Tag(kCtrlTagMode)->OnMsgFromDelegate(kUpdateMessage, sizeof(record), &record);
  EXPECT_EQ(mField.load(), 2);
  EXPECT_EQ(Value(80), 0.0);
  EXPECT_EQ(Value(81), 0.0);
  EXPECT_EQ(Value(82), 1.0);
  EXPECT_EQ(Value(83), 0.0);
  EXPECT_EQ(mDelegate.TakeSent(), (Sent{{80, 0.0}, {81, 0.0}, {82, 1.0}, {83, 0.0}}));
}

TEST_F(ControlsTest, GroupRecordOutsideTheGroupClearsEveryButton)
{
  AttachGroup(kModeButton, kCtrlTagMode, 4);
  Tag(kCtrlTagMode + 1)->SetValue(1.0, 0);
  const auto record = IntRecord(kCtrlTagMode, -1);
  Tag(kCtrlTagMode)->OnMsgFromDelegate(kUpdateMessage, sizeof(record), &record);
  EXPECT_EQ(mField.load(), -1);
  for (int tag = 80; tag < 84; ++tag)
    EXPECT_EQ(Value(tag), 0.0) << tag;
  EXPECT_EQ(mDelegate.TakeSent(), (Sent{{80, 0.0}, {81, 0.0}, {82, 0.0}, {83, 0.0}}));
}

TEST_F(ControlsTest, EveryLedRecordSendsAllSixteenParameters)
{
  AttachGroup(kLedButton, kCtrlTagLed, 16);
  const auto record = IntRecord(kCtrlTagLed, 5);
  for (int pass = 0; pass < 2; ++pass)
  {
    Tag(kCtrlTagLed)->OnMsgFromDelegate(kUpdateMessage, sizeof(record), &record);
    const Sent sent = mDelegate.TakeSent();
    ASSERT_EQ(sent.size(), 16u) << pass;
    for (int i = 0; i < 16; ++i)
      EXPECT_EQ(sent[static_cast<size_t>(i)], (std::pair<int, double>(i, i == 5 ? 1.0 : 0.0)));
  }
}

TEST_F(ControlsTest, ShortGroupRecordSelectsTheFirstButton)
{
  AttachGroup(kPatternButton, kCtrlTagPattern, 12);
  mField = 7;
  const auto record = IntRecord(kCtrlTagPattern, 9);
  Tag(kCtrlTagPattern)->OnMsgFromDelegate(kUpdateMessage, 15, &record);
  EXPECT_EQ(mField.load(), 0);
  EXPECT_EQ(Value(kCtrlTagPattern), 1.0);
  EXPECT_EQ(mDelegate.TakeSent().size(), 12u);
}

// A click lights the clicked button at once and sends its parameter alone: the core moves the others.
// A click on a button whose parameter is on already sends nothing. The field is the core's to change.
TEST_F(ControlsTest, ClickLightsTheButtonAndSendsItsParameterAlone)
{
  AttachGroup(kOctaveButton, kCtrlTagOctave, 2);
  const Sent kSent[] = {{{85, 1.0}}, {}}; // the second click hits the button that is on
  for (const Sent& sent : kSent)
  {
    Tag(kCtrlTagOctave + 1)->OnMouseDown(0, 0, IMouseMod());
    EXPECT_EQ(Value(84), 0.0);
    EXPECT_EQ(Value(85), 1.0);
    EXPECT_EQ(mDelegate.TakeSent(), sent);
  }
  EXPECT_EQ(mField.load(), 0);
}

// A message with another tag, or to a disabled receiver, changes nothing at all; so does any message
// or click to a button that is in no view.
TEST_F(ControlsTest, IgnoredGroupMessages)
{
  AttachGroup(kModeButton, kCtrlTagMode, 4);
  const auto record = IntRecord(kCtrlTagMode, 3);
  Tag(kCtrlTagMode)->OnMsgFromDelegate(1, sizeof(record), &record);
  Tag(kCtrlTagMode)->SetDisabled(true);
  Tag(kCtrlTagMode)->OnMsgFromDelegate(kUpdateMessage, sizeof(record), &record);
  EXPECT_EQ(mField.load(), 0);
  for (int tag = 80; tag < 84; ++tag)
    EXPECT_EQ(Value(tag), 0.0);
  EXPECT_TRUE(mDelegate.TakeSent().empty());

  GroupBtnControl loose(0, 0, mBitmap, kModeButton, &mField, 0, kCtrlTagMode, 4);
  loose.OnMsgFromDelegate(kUpdateMessage, sizeof(record), &record);
  loose.OnMouseDown(0, 0, IMouseMod());
  EXPECT_EQ(mField.load(), 0);
  EXPECT_EQ(loose.GetValue(0), 0.0);
  EXPECT_TRUE(mDelegate.TakeSent().empty());
}

// --- SeqNoteBtnControl

class StepRowTest : public ControlsTest
{
protected:
  StepRowTest()
  {
    for (int i = 0; i < kNumSteps; ++i)
      mGraphics.AttachControl(
        new SeqNoteBtnControl(static_cast<float>(20 * i), 100, mBitmap, kSequencerButton + i, kCtrlTagStep + i),
        kCtrlTagStep + i, "Sequencer button");
    for (int tag = 0; tag < 200; ++tag)
      if (IControl* control = Tag(tag))
        control->ClearDirty();
  }
  void Deliver(const ISenderData<16, uint8_t>& row, int size = 28)
  {
    Tag(kCtrlTagStep)->OnMsgFromDelegate(kUpdateMessage, size, &row);
  }
  static ISenderData<16, uint8_t> Row(std::initializer_list<int> onSteps)
  {
    ISenderData<16, uint8_t> row;
    row.ctrlTag = kCtrlTagStep;
    for (int step : onSteps)
      row.vals[static_cast<size_t>(step)] = 1;
    return row;
  }
};

TEST_F(StepRowTest, OnlyChangedStepsAreSent)
{
  Tag(kCtrlTagStep + 3)->SetValue(1.0, 0);
  Tag(kCtrlTagStep + 9)->SetValue(1.0, 0);
  auto row = Row({0, 3, 15});
  row.vals[15] = 7; // any nonzero flag is a set step
  Deliver(row);
  EXPECT_EQ(mDelegate.TakeSent(), (Sent{{28, 1.0}, {37, 0.0}, {43, 1.0}}));
  for (int step = 0; step < 16; ++step)
    EXPECT_EQ(Value(kCtrlTagStep + step), (step == 0 || step == 3 || step == 15) ? 1.0 : 0.0) << step;
}

TEST_F(StepRowTest, UnchangedRowSendsNothingButRedrawsTheReceiver)
{
  Tag(kCtrlTagStep + 4)->SetValue(1.0, 0);
  Deliver(Row({4}));
  EXPECT_TRUE(mDelegate.TakeSent().empty());
  EXPECT_TRUE(Tag(kCtrlTagStep)->IsDirty());
  EXPECT_FALSE(Tag(kCtrlTagStep + 1)->IsDirty());
}

TEST_F(StepRowTest, ShortRowClearsEveryStep)
{
  Tag(kCtrlTagStep + 2)->SetValue(1.0, 0);
  Tag(kCtrlTagStep + 12)->SetValue(1.0, 0);
  Deliver(Row({1, 2, 3}), 27);
  EXPECT_EQ(mDelegate.TakeSent(), (Sent{{30, 0.0}, {40, 0.0}}));
}

TEST_F(StepRowTest, IgnoredRowMessages)
{
  Tag(kCtrlTagStep)->OnMsgFromDelegate(2, 28, nullptr);
  Tag(kCtrlTagStep)->SetDisabled(true);
  Deliver(Row({5}));
  EXPECT_EQ(Value(kCtrlTagStep + 5), 0.0);
  EXPECT_TRUE(mDelegate.TakeSent().empty());
}

// --- SoloMuteBtnControl

class SoloMuteTest : public ControlsTest
{
protected:
  SoloMuteTest()
  {
    for (int ch = 0; ch < kNumDrums; ++ch)
    {
      mGraphics.AttachControl(new SoloMuteBtnControl(static_cast<float>(30 * ch), 200, mBitmap, kSoloButton + ch),
                              kCtrlTagSolo + ch, "Channel solo button");
      mGraphics.AttachControl(new SoloMuteBtnControl(static_cast<float>(30 * ch), 220, mBitmap, kMuteButton + ch),
                              kCtrlTagMute + ch, "Channel mute button");
    }
  }
  void Deliver(const ISenderData<12, int32_t>& states, int size = 60)
  {
    Tag(kCtrlTagMute)->OnMsgFromDelegate(kUpdateMessage, size, &states);
  }
  double Solo(int ch) const { return Value(kCtrlTagSolo + ch); }
  double Mute(int ch) const { return Value(kCtrlTagMute + ch); }
};

TEST_F(SoloMuteTest, StatesLightTheLamps)
{
  // Channel 4 starts with both lamps lit, so that state 7 shows it left them alone.
  Tag(kCtrlTagSolo + 4)->SetValue(1.0, 0);
  Tag(kCtrlTagMute + 4)->SetValue(1.0, 0);
  Tag(kCtrlTagSolo + 5)->SetValue(1.0, 0);
  ISenderData<12, int32_t> states(kCtrlTagMute, {kChannelNormal, kChannelMuted, kChannelSilencedBySolo, kChannelSoloed,
                                                 7, kChannelNormal, 0, 0, 0, 0, 0, kChannelSoloed});
  Deliver(states);
  const double kSolo[12] = {0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 1};
  const double kMute[12] = {0, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  for (int ch = 0; ch < 12; ++ch)
  {
    EXPECT_EQ(Solo(ch), kSolo[ch]) << ch;
    EXPECT_EQ(Mute(ch), kMute[ch]) << ch;
  }
  EXPECT_TRUE(mDelegate.TakeSent().empty());
}

TEST_F(SoloMuteTest, ShortRecordTurnsEveryLampOff)
{
  Tag(kCtrlTagSolo + 2)->SetValue(1.0, 0);
  Tag(kCtrlTagMute + 9)->SetValue(1.0, 0);
  ISenderData<12, int32_t> states(kCtrlTagMute, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3});
  Deliver(states, 59);
  for (int ch = 0; ch < 12; ++ch)
  {
    EXPECT_EQ(Solo(ch), 0.0);
    EXPECT_EQ(Mute(ch), 0.0);
  }
  EXPECT_TRUE(mDelegate.TakeSent().empty());
}

TEST_F(SoloMuteTest, LampHeldByTheMouseKeepsItsValue)
{
  // The press toggles the solo button on (the base's click) and sends it.
  const IRECT solo3 = Tag(kCtrlTagSolo + 3)->GetRECT();
  IMouseMod left;
  left.L = true;
  mGraphics.OnMouseDown(solo3.MW(), solo3.MH(), left);
  ASSERT_EQ(Solo(3), 1.0);
  EXPECT_EQ(mDelegate.TakeSent(), (Sent{{kSoloButton + 3, 1.0}}));

  ISenderData<12, int32_t> states(kCtrlTagMute, {});
  states.vals[3] = kChannelMuted;
  Deliver(states);
  EXPECT_EQ(Solo(3), 1.0);
  EXPECT_EQ(Mute(3), 1.0);
  mGraphics.OnMouseUp(solo3.MW(), solo3.MH(), left);
}

TEST_F(SoloMuteTest, IgnoredStateMessages)
{
  ISenderData<12, int32_t> states(kCtrlTagMute, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3});
  Tag(kCtrlTagMute)->OnMsgFromDelegate(1, 60, &states);
  Tag(kCtrlTagMute)->SetDisabled(true);
  Deliver(states);
  for (int ch = 0; ch < 12; ++ch)
    EXPECT_EQ(Solo(ch), 0.0);
}

// --- BounceBtnControl

TEST_F(ControlsTest, BounceButtonSendsOneOnPressAndZeroOnRelease)
{
  auto* play = static_cast<BounceBtnControl*>(
    mGraphics.AttachControl(new BounceBtnControl(0, 0, mBitmap, kPlayButton), kCtrlTagPlay, "Channel play button"));
  for (int pass = 0; pass < 2; ++pass)
  {
    play->OnMouseDown(0, 0, IMouseMod());
    EXPECT_EQ(play->GetValue(0), 1.0);
    play->OnMouseDown(0, 0, IMouseMod()); // pressed twice in a row: 1 again, never the toggle's 0
    EXPECT_EQ(play->GetValue(0), 1.0);
    play->OnMouseUp(0, 0, IMouseMod());
    EXPECT_EQ(play->GetValue(0), 0.0);
  }
  EXPECT_EQ(mDelegate.TakeSent(), (Sent{{86, 1.0}, {86, 1.0}, {86, 0.0}, {86, 1.0}, {86, 1.0}, {86, 0.0}}));
}

// --- KrbKnobControl

TEST_F(ControlsTest, KnobRecordSetsAndSendsItsValue)
{
  auto* knob = mGraphics.AttachControl(new KrbKnobControl(0, 0, mBitmap, kVolumeKnob + 2, kCtrlTagVolumeKnob + 2),
                                       kCtrlTagVolumeKnob + 2, "Channel volume knob");
  ISenderData<1, double> record(kCtrlTagVolumeKnob + 2, {0.25});
  knob->OnMsgFromDelegate(kUpdateMessage, 24, &record);
  EXPECT_EQ(knob->GetValue(0), 0.25);
  EXPECT_EQ(mDelegate.TakeSent(), (Sent{{kVolumeKnob + 2, 0.25}}));

  knob->OnMsgFromDelegate(kUpdateMessage, 16, &record); // too short: 0
  EXPECT_EQ(knob->GetValue(0), 0.0);
  EXPECT_EQ(mDelegate.TakeSent(), (Sent{{kVolumeKnob + 2, 0.0}}));

  knob->OnMsgFromDelegate(3, 24, &record);
  knob->SetDisabled(true);
  knob->OnMsgFromDelegate(kUpdateMessage, 24, &record);
  EXPECT_EQ(knob->GetValue(0), 0.0);
  EXPECT_TRUE(mDelegate.TakeSent().empty());
}

// A solo or mute click switches the parameter: on when it is off, off when it is on.
TEST_F(ControlsTest, SoloMuteClickToggles)
{
  auto* mute = mGraphics.AttachControl(new SoloMuteBtnControl(0, 0, mBitmap, kMuteButton), kCtrlTagMute, "m");
  mute->OnMouseDown(0, 0, IMouseMod());
  mute->OnMouseDown(0, 0, IMouseMod());
  EXPECT_EQ(mDelegate.TakeSent(), (Sent{{kMuteButton, 1.0}, {kMuteButton, 0.0}}));
}

// The mute lamp of a channel that a solo silences is lit while its mute is off: the click mutes.
TEST_F(ControlsTest, ClickOnAMuteLampLitBySilenceMutes)
{
  auto* mute = mGraphics.AttachControl(new SoloMuteBtnControl(0, 0, mBitmap, kMuteButton + 3), kCtrlTagMute + 3, "m");
  mute->SetValueFromDelegate(1.0, 0);
  ASSERT_EQ(mDelegate.GetParam(kMuteButton + 3)->Value(), 0.0);
  mute->OnMouseDown(0, 0, IMouseMod());
  EXPECT_EQ(mute->GetValue(0), 1.0);
  EXPECT_EQ(mDelegate.TakeSent(), (Sent{{kMuteButton + 3, 1.0}}));
}
} // namespace
