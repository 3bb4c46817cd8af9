#include <gtest/gtest.h>

#include <array>

#include "EditorTags.h"
#include "PluginPtr.h"
#include "QueueRecorder.h"
#include "TempConfigHome.h"

namespace
{
using IntRecord = IntSender::Data;
using RowRecord = StepRowSender::Data;
using StatesRecord = ChannelStateSender::Data;

class EditorLinkQueuesTest : public ::testing::Test
{
protected:
  // Drum 3, octave 1, pattern 5 (slot 17) with steps 0, 4 and 15 set; mode HostSync; channel 2
  // muted, channel 7 soloed, so the others are silenced by the solo.
  void SetState()
  {
    mPlugin->mSelectedDrum = 3;
    mPlugin->mMode = kModeHostSync;
    mPlugin->mOctave = 1;
    mPlugin->mPattern = 5;
    for (int step : {0, 4, 15})
      mPlugin->mSequencer.SetStep(3, 17, step, true);
    mPlugin->mSequencer.SetStep(3, 5, 1, true); // the same pattern in the other octave is not shown
    for (int ch = 0; ch < kNumDrums; ++ch)
      mPlugin->mSlots[static_cast<size_t>(ch)].mChannelState = kChannelSilencedBySolo;
    mPlugin->mSlots[2].mChannelState = kChannelMuted;
    mPlugin->mSlots[7].mChannelState = kChannelSoloed;
  }

  krbtest::TempConfigHome mHome;
  PluginPtr mPlugin = MakePlugin();
};

TEST_F(EditorLinkQueuesTest, CreateGraphicsQueuesTheWholeStateButNoStep)
{
  SetState();
  delete mPlugin->CreateGraphics();

  krbtest::QueueRecorder rec;
  mPlugin->mStepLedSender.TransmitData(rec);
  EXPECT_TRUE(rec.mDeliveries.empty()) << "the LEDs wait for the audio thread";

  mPlugin->mStepRowSender.TransmitData(rec);
  mPlugin->mChannelStateSender.TransmitData(rec);
  mPlugin->mDrumSelectSender.TransmitData(rec);
  mPlugin->mModeSender.TransmitData(rec);
  mPlugin->mOctaveSender.TransmitData(rec);
  mPlugin->mPatternSender.TransmitData(rec);
  ASSERT_EQ(rec.mDeliveries.size(), 6u);

  const auto& row = rec.mDeliveries[0];
  EXPECT_EQ(row.ctrlTag, kCtrlTagStep);
  EXPECT_EQ(row.msgTag, kUpdateMessage);
  ASSERT_EQ(row.bytes.size(), 28u);
  const RowRecord rowRecord = row.As<RowRecord>();
  EXPECT_EQ(rowRecord.ctrlTag, kCtrlTagStep);
  EXPECT_EQ(rowRecord.nChans, 1);
  EXPECT_EQ(rowRecord.chanOffset, 0);
  const std::array<uint8_t, 16> kSteps = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(rowRecord.vals, kSteps);

  const auto& states = rec.mDeliveries[1];
  EXPECT_EQ(states.ctrlTag, kCtrlTagMute);
  ASSERT_EQ(states.bytes.size(), 60u);
  const std::array<int32_t, 12> kStates = {2, 2, 1, 2, 2, 2, 2, 3, 2, 2, 2, 2};
  EXPECT_EQ(states.As<StatesRecord>().vals, kStates);

  struct IntCase
  {
    int tag;
    int32_t value;
  };
  const IntCase kInts[] = {
    {kCtrlTagDrumSelect, 3}, {kCtrlTagMode, kModeHostSync}, {kCtrlTagOctave, 1}, {kCtrlTagPattern, 5}};
  for (size_t i = 0; i < 4; ++i)
  {
    const auto& d = rec.mDeliveries[2 + i];
    EXPECT_EQ(d.ctrlTag, kInts[i].tag);
    ASSERT_EQ(d.bytes.size(), 16u);
    const IntRecord record = d.As<IntRecord>();
    EXPECT_EQ(record.ctrlTag, kInts[i].tag);
    EXPECT_EQ(record.nChans, 1);
    EXPECT_EQ(record.chanOffset, 0);
    EXPECT_EQ(record.vals[0], kInts[i].value);
  }
}

TEST_F(EditorLinkQueuesTest, WithoutAnEditorEachTickEmptiesTheQueues)
{
  SetState();
  delete mPlugin->CreateGraphics();
  mPlugin->mStepLedSender.PushData(IntRecord(kCtrlTagLed, {9}));
  mPlugin->mGuiSize = 1.5;
  mPlugin->OnIdle();
  EXPECT_EQ(mPlugin->mStepLedSender.ElementsAvailable(), 0u);
  EXPECT_EQ(mPlugin->mDrumSelectSender.ElementsAvailable(), 0u);
  EXPECT_EQ(mPlugin->mStepRowSender.ElementsAvailable(), 0u);
  EXPECT_EQ(mPlugin->mModeSender.ElementsAvailable(), 0u);
  EXPECT_EQ(mPlugin->mOctaveSender.ElementsAvailable(), 0u);
  EXPECT_EQ(mPlugin->mPatternSender.ElementsAvailable(), 0u);
  EXPECT_EQ(mPlugin->mChannelStateSender.ElementsAvailable(), 0u);
  EXPECT_DOUBLE_EQ(mPlugin->mGuiSize, 1.5);
}

// The step-row, octave and pattern queues have a ring for each producing thread, and still hold
// one record between them.
TEST_F(EditorLinkQueuesTest, RowPendingFromTheAudioThreadWinsOverTheEditorsRow)
{
  RowRecord fromAudio;
  fromAudio.ctrlTag = kCtrlTagStep;
  fromAudio.vals[3] = 1;
  ASSERT_TRUE(mPlugin->mStepRowSender.PushFromAudioThread(fromAudio));
  delete mPlugin->CreateGraphics();

  krbtest::QueueRecorder rec;
  mPlugin->mStepRowSender.TransmitData(rec);
  ASSERT_EQ(rec.mDeliveries.size(), 1u);
  EXPECT_EQ(rec.mDeliveries[0].As<RowRecord>().vals, fromAudio.vals);
}

TEST_F(EditorLinkQueuesTest, OneRecordPerQueueBetweenTicks)
{
  struct PushCase
  {
    bool firstFromAudio;
    bool secondFromAudio;
  };
  const PushCase kCases[] = {{false, false}, {true, true}, {false, true}, {true, false}};
  for (const PushCase& c : kCases)
  {
    auto push = [&](bool fromAudio, int32_t value) {
      const IntRecord record(kCtrlTagPattern, {value});
      return fromAudio ? mPlugin->mPatternSender.PushFromAudioThread(record)
                       : mPlugin->mPatternSender.PushFromMainThread(record);
    };
    EXPECT_TRUE(push(c.firstFromAudio, 4));
    EXPECT_FALSE(push(c.secondFromAudio, 8));
    krbtest::QueueRecorder rec;
    mPlugin->mPatternSender.TransmitData(rec);
    ASSERT_EQ(rec.mDeliveries.size(), 1u);
    EXPECT_EQ(rec.mDeliveries[0].As<IntRecord>().vals[0], 4);
    // Once delivered, either thread may push again.
    EXPECT_TRUE(push(c.secondFromAudio, 8));
    mPlugin->mPatternSender.TransmitData(rec);
    EXPECT_EQ(rec.mDeliveries.back().As<IntRecord>().vals[0], 8);
  }
}

TEST(EditorLinkSettingsTest, InstanceThatNeverOpenedItsEditorSavesScaleOne)
{
  krbtest::TempConfigHome home;
  MakePlugin().reset();
  std::ifstream file(home.SettingsFile(), std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(content.find("\"guiSize\": \"1.000000\""), std::string::npos) << content;
}
} // namespace
