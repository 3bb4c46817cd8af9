#include <gtest/gtest.h>

#include "DrumNames.h"
#include "EngineHarness.h"
#include "TempFolder.h"
#include "WavFiles.h"

using krbtest::EngineHarness;
using krbtest::Ramp;
using krbtest::TempFolder;
using krbtest::WriteFloatWav;

namespace
{
void SetParam(Krellbinder& plug, int index, double plainValue)
{
  plug.GetParam(index)->Set(plainValue);
  plug.OnParamChange(index);
}
} // namespace

TEST(ParamReactions, ParameterResetSetsTheDefaults)
{
  auto* plug = new Krellbinder(InstanceInfo());
  EXPECT_EQ(plug->mMasterVolume.load(), 0.8);
  EXPECT_EQ(plug->mMasterSwing.load(), 0.5);
  plug->initialize(nullptr);
  EXPECT_EQ(plug->mMasterVolume.load(), 1.0);
  EXPECT_EQ(plug->mMasterSwing.load(), 0.0);
  for (const auto& slot : plug->mSlots)
  {
    EXPECT_EQ(slot.mPan.load(), 0.5);
    EXPECT_EQ(slot.mVolume.load(), 1.0);
    EXPECT_EQ(slot.mGainLeft.load(), 1.0);
    EXPECT_EQ(slot.mGainRight.load(), 1.0);
    EXPECT_EQ(slot.mPitch.load(), 0);
    EXPECT_FALSE(slot.mSwing.load());
    EXPECT_EQ(slot.mLengthFraction.load(), 1.0);
    EXPECT_EQ(slot.mPlayLength.load(), 0u);
  }
  plug->terminate();
  plug->release();
}

struct PanCase
{
  double pan, volume, left, right;
};

TEST(ParamReactions, PanLaw)
{
  EngineHarness harness;
  Krellbinder& plug = harness.Plug();
  const PanCase cases[] = {
    {0.44, 1.0, 1.0, 0.88}, {0.45, 1.0, 1.0, 1.0},  {0.5, 1.0, 1.0, 1.0},  {0.55, 1.0, 1.0, 1.0},
    {0.56, 1.0, 0.88, 1.0}, {0.0, 1.0, 1.0, 0.0},   {1.0, 1.0, 0.0, 1.0},  {0.5, 2.0, 2.0, 2.0},
    {0.25, 2.0, 2.0, 1.0},  {0.75, 0.5, 0.25, 0.5}, {0.44, 0.0, 0.0, 0.0},
  };
  for (const auto& c : cases)
  {
    // Pan first, then volume: the volume rule keeps the stored pan.
    SetParam(plug, kPanKnob + 3, c.pan);
    SetParam(plug, kVolumeKnob + 3, c.volume);
    EXPECT_DOUBLE_EQ(plug.mSlots[3].mGainLeft.load(), c.left) << c.pan << " " << c.volume;
    EXPECT_DOUBLE_EQ(plug.mSlots[3].mGainRight.load(), c.right) << c.pan << " " << c.volume;
    // Volume first, then pan: the pan rule keeps the stored volume.
    SetParam(plug, kVolumeKnob + 4, c.volume);
    SetParam(plug, kPanKnob + 4, c.pan);
    EXPECT_DOUBLE_EQ(plug.mSlots[4].mGainLeft.load(), c.left);
    EXPECT_DOUBLE_EQ(plug.mSlots[4].mGainRight.load(), c.right);
    EXPECT_EQ(plug.mSlots[4].mPan.load(), c.pan);
    EXPECT_EQ(plug.mSlots[4].mVolume.load(), c.volume);
  }
}

TEST(ParamReactions, MasterPitchAndSwing)
{
  EngineHarness harness;
  Krellbinder& plug = harness.Plug();
  SetParam(plug, kMasterVolume, 1.5);
  SetParam(plug, kMasterSwing, 0.25);
  EXPECT_EQ(plug.mMasterVolume.load(), 1.5);
  EXPECT_EQ(plug.mMasterSwing.load(), 0.25);
  for (int pitch : {-12, -1, 0, 7, 12})
  {
    SetParam(plug, kPitchKnob + 11, pitch);
    EXPECT_EQ(plug.mSlots[11].mPitch.load(), pitch);
  }
  SetParam(plug, kSwingButton + 2, 1.0);
  EXPECT_TRUE(plug.mSlots[2].mSwing.load());
  SetParam(plug, kSwingButton + 2, 0.0);
  EXPECT_FALSE(plug.mSlots[2].mSwing.load());
}

TEST(ParamReactions, LengthRule)
{
  TempFolder folder;
  WriteFloatWav(folder / "a.wav", Ramp(1, 44101));
  EngineHarness harness;
  Krellbinder& plug = harness.Plug();
  SetParam(plug, kLengthKnob + 0, 0.5);
  EXPECT_EQ(plug.mSlots[0].mPlayLength.load(), 0u); // no sample

  plug.mSlots[0].LoadFile((folder / "a.wav").u16string());
  SetParam(plug, kLengthKnob + 0, 0.5);
  EXPECT_EQ(plug.mSlots[0].mLengthFraction.load(), 0.5);
  EXPECT_EQ(plug.mSlots[0].mPlayLength.load(), 22050u);
  SetParam(plug, kLengthKnob + 0, 0.0);
  EXPECT_EQ(plug.mSlots[0].mPlayLength.load(), 0u);
  SetParam(plug, kLengthKnob + 0, 1.0);
  EXPECT_EQ(plug.mSlots[0].mPlayLength.load(), 44101u);
}

// Host automation reaches the same rules on the audio thread, before the block renders.
TEST(ParamReactions, AutomationInsideProcess)
{
  TempFolder folder;
  WriteFloatWav(folder / "a.wav", Ramp(1, 1000));
  EngineHarness harness;
  Krellbinder& plug = harness.Plug();
  plug.mSlots[5].LoadFile((folder / "a.wav").u16string());
  harness.Param(kLengthKnob + 5, 0.3);
  harness.Param(kPanKnob + 5, 0.0);
  harness.Param(kMasterVolume, 0.25); // plain 0.5
  harness.Process(16);
  EXPECT_EQ(plug.mSlots[5].mPlayLength.load(), 300u);
  EXPECT_EQ(plug.mSlots[5].mGainRight.load(), 0.0);
  EXPECT_EQ(plug.mMasterVolume.load(), 0.5);
}

TEST(ParamReactions, ButtonIndicesChangeNothing)
{
  TempFolder folder;
  WriteFloatWav(folder / "a.wav", Ramp(2, 100));
  EngineHarness harness;
  Krellbinder& plug = harness.Plug();
  for (auto& slot : plug.mSlots)
    slot.LoadFile((folder / "a.wav").u16string());
  auto snapshot = [&] {
    std::vector<double> values{plug.mMasterVolume.load(), plug.mMasterSwing.load(),
                               static_cast<double>(plug.mMode.load())};
    for (const auto& slot : plug.mSlots)
      for (double v :
           {double(slot.mPan.load()), slot.mVolume.load(), slot.mGainLeft.load(), slot.mGainRight.load(),
            double(slot.mPitch.load()), double(slot.mSwing.load()), slot.mLengthFraction.load(),
            double(slot.mPlayLength.load()), double(slot.mPosition.load()), double(slot.mChannelState.load())})
        values.push_back(v);
    return values;
  };
  const auto before = snapshot();
  for (int i = 0; i < kPanKnob; ++i)
    SetParam(plug, i, 1.0);
  EXPECT_EQ(snapshot(), before);
}

TEST(BusNames, DrumNamesOnTheTwelveOutputs)
{
  EngineHarness harness;
  Krellbinder& plug = harness.Plug();
  for (int b = 0; b < kNumDrums; ++b)
  {
    WDL_String name;
    plug.GetBusName(kOutput, b, kNumDrums, name);
    EXPECT_STREQ(name.Get(), kDrumNames[b]);
    Steinberg::Vst::BusInfo info{};
    ASSERT_EQ(plug.getBusInfo(Steinberg::Vst::kAudio, Steinberg::Vst::kOutput, b, info), Steinberg::kResultOk);
    char text[64] = {};
    for (int i = 0; i < 63 && info.name[i]; ++i)
      text[i] = static_cast<char>(info.name[i]);
    EXPECT_STREQ(text, kDrumNames[b]);
  }
  WDL_String name;
  plug.GetBusName(kOutput, 12, kNumDrums + 1, name);
  EXPECT_STREQ(name.Get(), "");
  plug.GetBusName(kOutput, 0, 1, name);
  EXPECT_STREQ(name.Get(), "Output");
  plug.GetBusName(kInput, 1, 2, name);
  EXPECT_STREQ(name.Get(), "Input 2");
}
