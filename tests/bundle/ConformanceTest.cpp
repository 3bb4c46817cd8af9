// What independent VST3 validators check, through the built bundle.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <thread>

#include "BundlePlugin.h"
#include "HostPlugin.h"
#include "HostProcessing.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstunits.h"

using namespace krb::host;
using namespace Steinberg;
using krbtest::OpenBundle;

namespace
{
constexpr Vst::ParamID kBypassId = 0x62706173;

TEST(ConformanceTest, ParameterScan)
{
  auto plugin = OpenBundle(KRB_PLUGIN_BUNDLE);
  ASSERT_TRUE(plugin);
  const auto params = plugin->Parameters();
  std::set<Vst::ParamID> ids;
  int bypass = 0, own = 0, hidden = 0;
  for (const auto& p : params)
  {
    EXPECT_TRUE(ids.insert(p.mId).second) << p.mId;
    EXPECT_GE(p.mDefaultNormalized, 0.0);
    EXPECT_LE(p.mDefaultNormalized, 1.0);
    EXPECT_GE(p.mStepCount, 0);
    EXPECT_EQ(p.mUnitId, Vst::kRootUnitId);
    if (p.mFlags & Vst::ParameterInfo::kIsBypass)
    {
      ++bypass;
      EXPECT_EQ(p.mId, kBypassId);
      EXPECT_EQ(p.mStepCount, 1);
    }
    else if (p.mFlags & Vst::ParameterInfo::kIsHidden)
      ++hidden;
    else
    {
      ASSERT_LT(p.mId, 196u);
      ++own;
    }
  }
  EXPECT_EQ(own, 196);
  EXPECT_EQ(bypass, 1);
  EXPECT_EQ(hidden, Vst::kCountCtrlNumber);
  EXPECT_EQ(plugin->FindParameter(194)->mTitle, "Master Volume");
  EXPECT_EQ(plugin->FindParameter(67)->mTitle, "Previous Sample Button 11");
  EXPECT_EQ(plugin->FindParameter(80)->mTitle, "Mode button 0");
  EXPECT_EQ(plugin->FindParameter(158)->mStepCount, 24);
  EXPECT_EQ(plugin->FindParameter(158)->mUnits, "hz");
  EXPECT_EQ(plugin->FindParameter(170)->mUnits, "");
  EXPECT_EQ(plugin->FindParameter(134)->mStepCount, 0);
  EXPECT_DOUBLE_EQ(plugin->FindParameter(146)->mDefaultNormalized, 0.5);
  EXPECT_FALSE(plugin->FindParameter(0)->mFlags & Vst::ParameterInfo::kCanAutomate);
  EXPECT_TRUE(plugin->FindParameter(98)->mFlags & Vst::ParameterInfo::kCanAutomate);
}

// Validators reject a parameter without a title, and hosts list it as a blank row. The mode, solo
// and mute buttons are named in the scheme of the other groups and otherwise stay as they were: one
// step from 0 to 1, default 0, no units, automatable.
TEST(ConformanceTest, EveryParameterHasATitle)
{
  auto plugin = OpenBundle(KRB_PLUGIN_BUNDLE);
  ASSERT_TRUE(plugin);
  int titled = 0;
  for (const auto& p : plugin->Parameters())
  {
    if (p.mFlags & Vst::ParameterInfo::kIsHidden)
      continue; // the MIDI controller mapping
    EXPECT_FALSE(p.mTitle.empty()) << "parameter " << p.mId;
    ++titled;
  }
  EXPECT_EQ(titled, 196 + 1);

  struct Group
  {
    Vst::ParamID first;
    int count;
    const char* prefix;
  };
  for (const Group& g : {Group{80, 4, "Mode button "}, Group{98, 12, "Solo button "}, Group{110, 12, "Mute button "}})
    for (int i = 0; i < g.count; ++i)
    {
      const auto p = plugin->FindParameter(g.first + static_cast<Vst::ParamID>(i));
      ASSERT_TRUE(p.has_value());
      EXPECT_EQ(p->mTitle, g.prefix + std::to_string(i));
      EXPECT_EQ(p->mShortTitle, p->mTitle);
      EXPECT_EQ(p->mUnits, "");
      EXPECT_EQ(p->mStepCount, 1);
      EXPECT_EQ(p->mDefaultNormalized, 0.0);
      EXPECT_EQ(p->mFlags, Vst::ParameterInfo::kCanAutomate) << p->mTitle;
    }
}

TEST(ConformanceTest, MidiMappingPointsAtPublishedParameters)
{
  auto plugin = OpenBundle(KRB_PLUGIN_BUNDLE);
  ASSERT_TRUE(plugin);
  auto mapping = plugin->QueryController<Vst::IMidiMapping>();
  ASSERT_TRUE(mapping);
  Vst::ParamID id = 0;
  ASSERT_EQ(mapping->getMidiControllerAssignment(0, 0, Vst::kCtrlVolume, id), kResultTrue);
  EXPECT_TRUE(plugin->FindParameter(id).has_value());
  EXPECT_NE(mapping->getMidiControllerAssignment(0, 5, Vst::kCtrlVolume, id), kResultTrue);
}

TEST(ConformanceTest, BusesAndArrangements)
{
  auto plugin = OpenBundle(KRB_PLUGIN_BUNDLE);
  ASSERT_TRUE(plugin);
  const auto outputs = plugin->Buses(Vst::kAudio, Vst::kOutput);
  ASSERT_EQ(outputs.size(), 12u);
  for (const auto& bus : outputs)
  {
    EXPECT_EQ(bus.mChannelCount, 2);
    EXPECT_EQ(bus.mArrangement, Vst::SpeakerArr::kStereo);
    EXPECT_EQ(bus.mBusType, bus.mIndex == 0 ? Vst::kMain : Vst::kAux);
    EXPECT_FALSE(bus.mName.empty());
  }
  EXPECT_TRUE(plugin->Buses(Vst::kAudio, Vst::kInput).empty());
  const auto events = plugin->Buses(Vst::kEvent, Vst::kInput);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_TRUE(plugin->Buses(Vst::kEvent, Vst::kOutput).empty());

  EXPECT_EQ(plugin->ActivateBus(Vst::kAudio, Vst::kOutput, 5, true), kResultOk);
  EXPECT_EQ(plugin->ActivateBus(Vst::kAudio, Vst::kOutput, 12, true), kInvalidArgument);
  EXPECT_EQ(plugin->ActivateBus(Vst::kAudio, Vst::kInput, 0, true), kInvalidArgument);

  std::vector<Vst::SpeakerArrangement> stereo(12, Vst::SpeakerArr::kStereo);
  EXPECT_EQ(plugin->SetBusArrangements({}, stereo), kResultTrue);
  std::vector<Vst::SpeakerArrangement> mono(12, Vst::SpeakerArr::kMono);
  EXPECT_NE(plugin->SetBusArrangements({}, mono), kResultTrue);
  EXPECT_NE(plugin->SetBusArrangements({Vst::SpeakerArr::kStereo}, stereo), kResultTrue);
  Vst::SpeakerArrangement arrangement = 0;
  EXPECT_EQ(plugin->Processor()->getBusArrangement(Vst::kOutput, 12, arrangement), kInvalidArgument);
}

TEST(ConformanceTest, ContextRequirementsAndSampleSizes)
{
  auto plugin = OpenBundle(KRB_PLUGIN_BUNDLE);
  ASSERT_TRUE(plugin);
  auto requirements = plugin->QueryComponent<Vst::IProcessContextRequirements>();
  ASSERT_TRUE(requirements);
  const uint32 flags = requirements->getProcessContextRequirements();
  EXPECT_TRUE(flags & Vst::IProcessContextRequirements::kNeedTempo);
  EXPECT_TRUE(flags & Vst::IProcessContextRequirements::kNeedTransportState);
  EXPECT_EQ(plugin->Processor()->canProcessSampleSize(Vst::kSample32), kResultTrue);
  EXPECT_EQ(plugin->Processor()->canProcessSampleSize(Vst::kSample64), kResultTrue);
  EXPECT_EQ(plugin->Processor()->getLatencySamples(), 0u);
}

class ProcessSizes : public ::testing::TestWithParam<int32>
{};

TEST_P(ProcessSizes, FlushVariableBlocksAnotherThreadAndSilenceFlags)
{
  auto plugin = OpenBundle(KRB_PLUGIN_BUNDLE);
  ASSERT_TRUE(plugin);
  ASSERT_EQ(plugin->ActivateBuses(EBusSelection::kAll), kResultOk);
  HostProcessing processing(*plugin);
  ASSERT_EQ(processing.Setup(48000.0, 512, GetParam()), kResultOk);
  ASSERT_EQ(plugin->SetActive(true), kResultOk);
  ASSERT_EQ(plugin->SetProcessing(true), kResultOk);

  EXPECT_EQ(processing.Flush(EFlushMode::kNoBuses), kResultOk);
  EXPECT_EQ(processing.Flush(EFlushMode::kZeroChannels), kResultOk);

  processing.SetOutputFill(0.5); // anything the plug-in leaves unwritten shows
  std::thread audio([&] {
    for (int32 frames : {1, 17, 512, 0, 64, 333})
      EXPECT_EQ(processing.Process(frames), kResultOk) << frames;
  });
  audio.join();
  // A new instance starts in Stop mode: every output is written and silent, and flagged so.
  ASSERT_EQ(processing.Process(256), kResultOk);
  for (int32 bus = 0; bus < processing.NumOutputBuses(); ++bus)
  {
    for (int32 ch = 0; ch < 2; ++ch)
      for (int32 s = 0; s < 256; ++s)
        ASSERT_EQ(processing.OutputSample(bus, ch, s), 0.0) << bus << " " << ch << " " << s;
    EXPECT_EQ(processing.OutputSilenceFlags(bus), 3u) << bus;
  }
  EXPECT_EQ(plugin->SetProcessing(false), kResultOk);
  EXPECT_EQ(plugin->SetActive(false), kResultOk);
}

INSTANTIATE_TEST_SUITE_P(SampleSizes, ProcessSizes, ::testing::Values(Vst::kSample32, Vst::kSample64));

TEST(ConformanceTest, ActivationAndInitializationCycles)
{
  auto plugin = OpenBundle(KRB_PLUGIN_BUNDLE);
  ASSERT_TRUE(plugin);
  for (int i = 0; i < 3; ++i)
  {
    HostProcessing processing(*plugin);
    ASSERT_EQ(processing.Setup(44100.0, 256), kResultOk);
    ASSERT_EQ(plugin->SetActive(true), kResultOk);
    ASSERT_EQ(plugin->SetProcessing(true), kResultOk);
    ASSERT_EQ(processing.Process(256), kResultOk);
    ASSERT_EQ(plugin->SetProcessing(false), kResultOk);
    ASSERT_EQ(plugin->SetActive(false), kResultOk);
    plugin->Terminate();
    std::string error;
    ASSERT_TRUE(plugin->Initialize(error)) << error;
  }
}

TEST(ConformanceTest, StateRoundTripRepeatAndBypassPersistence)
{
  auto plugin = OpenBundle(KRB_PLUGIN_BUNDLE);
  ASSERT_TRUE(plugin);
  ASSERT_EQ(plugin->Controller()->setParamNormalized(kBypassId, 1.0), kResultOk);
  std::vector<uint8_t> first;
  ASSERT_EQ(plugin->GetState(first), kResultOk);
  ASSERT_GE(first.size(), 4u);
  EXPECT_EQ(first[first.size() - 4], 1); // the bypass flag follows the chunk

  auto other = OpenBundle(KRB_PLUGIN_BUNDLE);
  ASSERT_TRUE(other);
  ASSERT_EQ(other->SetState(first), kResultOk);
  EXPECT_DOUBLE_EQ(other->Controller()->getParamNormalized(kBypassId), 1.0);
  std::vector<uint8_t> second;
  ASSERT_EQ(other->GetState(second), kResultOk);
  EXPECT_EQ(first, second);
  // The same state twice changes nothing.
  ASSERT_EQ(other->SetState(first), kResultOk);
  ASSERT_EQ(other->GetState(second), kResultOk);
  EXPECT_EQ(first, second);
  EXPECT_EQ(other->SetComponentStateOnController(first), kResultOk);
}

TEST(ConformanceTest, InvalidStatesFail)
{
  auto plugin = OpenBundle(KRB_PLUGIN_BUNDLE);
  ASSERT_TRUE(plugin);
  std::vector<uint8_t> good;
  ASSERT_EQ(plugin->GetState(good), kResultOk);
  EXPECT_NE(plugin->SetState({}), kResultOk);
  EXPECT_NE(plugin->SetState({1, 2, 3}), kResultOk);
  std::vector<uint8_t> truncated(good.begin(), good.end() - 4);
  EXPECT_NE(plugin->SetState(truncated), kResultOk);
  // The plug-in still works after the failures.
  std::vector<uint8_t> again;
  ASSERT_EQ(plugin->SetState(good), kResultOk);
  ASSERT_EQ(plugin->GetState(again), kResultOk);
  EXPECT_EQ(good, again);
}
} // namespace
