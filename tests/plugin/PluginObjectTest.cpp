#include <gtest/gtest.h>

#include <memory>

#include "Krellbinder.h"
#include "PluginPtr.h"
#include "KrellbinderConfig.h"

namespace
{

TEST(PluginObjectTest, ConfigurationRecord)
{
  const Config config = BuildPluginConfig();
  EXPECT_EQ(config.nParams, 196);
  EXPECT_EQ(config.nPresets, 1);
  EXPECT_STREQ(config.channelIOStr, "0-2.2.2.2.2.2.2.2.2.2.2.2");
  EXPECT_STREQ(config.pluginName, "Krellbinder");
  EXPECT_STREQ(config.productName, "Krellbinder");
  EXPECT_STREQ(config.mfrName, "Ombrix");
  EXPECT_EQ(config.vendorVersion, 0);
  EXPECT_EQ(config.uniqueID, 0x3835504D);
  EXPECT_EQ(config.mfrID, 0x5665786F);
  EXPECT_EQ(config.latency, 0);
  EXPECT_TRUE(config.plugDoesMidiIn);
  EXPECT_FALSE(config.plugDoesMidiOut);
  EXPECT_FALSE(config.plugDoesMPE);
  EXPECT_FALSE(config.plugDoesChunks);
  EXPECT_EQ(config.plugType, 1);
  EXPECT_TRUE(config.plugHasUI);
  // Written out here, where the host learns it; the other tests take the size from EditorSize.h.
  EXPECT_EQ(config.plugWidth, 1206);
  EXPECT_EQ(config.plugHeight, 616);
  EXPECT_EQ(config.plugMinWidth, 256);
  EXPECT_EQ(config.plugMaxWidth, 8192);
  EXPECT_EQ(config.plugMinHeight, 256);
  EXPECT_EQ(config.plugMaxHeight, 8192);
  EXPECT_FALSE(config.plugHostResize);
  EXPECT_STREQ(config.bundleID, "");
  EXPECT_STREQ(config.appGroupID, "");
}

TEST(PluginObjectTest, FieldsAtConstruction)
{
  PluginPtr plugin = MakePlugin();
  EXPECT_DOUBLE_EQ(plugin->mGuiSize, 1.0);
  EXPECT_EQ(plugin->mSelectedDrum.load(), 0);
  EXPECT_EQ(plugin->mDisplayedStep.load(), 0);
  EXPECT_EQ(plugin->mMode.load(), kModeStop);
  EXPECT_EQ(plugin->mOctave.load(), 0);
  EXPECT_EQ(plugin->mPattern.load(), 0);
  EXPECT_DOUBLE_EQ(plugin->mMasterVolume.load(), 0.8);
  EXPECT_DOUBLE_EQ(plugin->mMasterSwing.load(), 0.5);
  EXPECT_EQ(plugin->mMidiQueue.GetSize(), 512);
  EXPECT_TRUE(plugin->mMidiQueue.Empty());
  EXPECT_STREQ(plugin->GetPluginVersionStr().c_str(), "0.0.0");
}

TEST(PluginObjectTest, BusesAndMidiInput)
{
  PluginPtr plugin = MakePlugin();
  ASSERT_EQ(plugin->initialize(nullptr), Steinberg::kResultOk);
  using namespace Steinberg::Vst;
  constexpr auto kInput = Steinberg::Vst::kInput;
  constexpr auto kOutput = Steinberg::Vst::kOutput;
  EXPECT_EQ(plugin->getBusCount(kAudio, kInput), 0);
  EXPECT_EQ(plugin->getBusCount(kAudio, kOutput), 12);
  EXPECT_EQ(plugin->getBusCount(kEvent, kInput), 1);
  EXPECT_EQ(plugin->getBusCount(kEvent, kOutput), 0);
  for (int b = 0; b < 12; ++b)
  {
    BusInfo info{};
    ASSERT_EQ(plugin->getBusInfo(kAudio, kOutput, b, info), Steinberg::kResultOk);
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(info.busType, b == 0 ? kMain : kAux);
    EXPECT_EQ(info.flags, b == 0 ? static_cast<Steinberg::uint32>(BusInfo::kDefaultActive) : 0u);
    SpeakerArrangement arrangement = 0;
    ASSERT_EQ(plugin->getBusArrangement(kOutput, b, arrangement), Steinberg::kResultOk);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo);
  }
  BusInfo info{};
  EXPECT_EQ(plugin->getBusInfo(kAudio, kOutput, 12, info), Steinberg::kInvalidArgument);
  EXPECT_EQ(plugin->getBusInfo(kAudio, kOutput, -1, info), Steinberg::kInvalidArgument);
  EXPECT_EQ(plugin->getBusInfo(kAudio, kInput, 0, info), Steinberg::kInvalidArgument);
  EXPECT_EQ(plugin->activateBus(kAudio, kOutput, 12, true), Steinberg::kInvalidArgument);

  SpeakerArrangement stereo[12];
  for (auto& arrangement : stereo)
    arrangement = SpeakerArr::kStereo;
  EXPECT_EQ(plugin->setBusArrangements(nullptr, 0, stereo, 12), Steinberg::kResultTrue);
  stereo[3] = SpeakerArr::kMono;
  EXPECT_EQ(plugin->setBusArrangements(nullptr, 0, stereo, 12), Steinberg::kResultFalse);
  EXPECT_EQ(plugin->setBusArrangements(nullptr, 0, stereo, 11), Steinberg::kResultFalse);
  EXPECT_EQ(plugin->terminate(), Steinberg::kResultOk);
}

TEST(PluginObjectTest, InitializeTerminateCyclesAndProcessWithoutSetupStaySafe)
{
  PluginPtr plugin = MakePlugin();
  for (int i = 0; i < 3; ++i)
  {
    ASSERT_EQ(plugin->initialize(nullptr), Steinberg::kResultOk);
    ASSERT_EQ(plugin->terminate(), Steinberg::kResultOk);
  }
  Steinberg::Vst::ProcessData data;
  data.numSamples = 0;
  EXPECT_EQ(plugin->process(data), Steinberg::kResultOk);
}
} // namespace
