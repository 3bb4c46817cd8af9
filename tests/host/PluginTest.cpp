// One plug-in instance: controller lookup, buses, arrangements, parameters, MIDI mapping, state
// and life-cycle.

#include "HostProcessing.h"
#include "HostTestSupport.h"

#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <gtest/gtest.h>

#include <set>

using namespace Steinberg;

namespace krb::host
{
namespace
{

using test::OpenFixture;

TEST(PluginTest, SingleComponentServesAsItsOwnController)
{
  auto plugin = OpenFixture(test::kSingleClass);
  ASSERT_TRUE(plugin);
  EXPECT_TRUE(plugin->IsSingleComponent());
  ASSERT_NE(plugin->Controller(), nullptr);
  auto controller = plugin->QueryComponent<Vst::IEditController>();
  EXPECT_EQ(controller.get(), plugin->Controller());
  EXPECT_EQ(plugin->Controller()->getParamNormalized(test::kConnectedId), 1.0);
}

TEST(PluginTest, SplitComponentGetsItsControllerClassConnected)
{
  auto plugin = OpenFixture(test::kSplitClass);
  ASSERT_TRUE(plugin);
  EXPECT_FALSE(plugin->IsSingleComponent());
  ASSERT_NE(plugin->Controller(), nullptr);
  EXPECT_FALSE(plugin->QueryComponent<Vst::IEditController>());
  // The controller's read-only "Connected" parameter turns 1 once the host connected it.
  EXPECT_EQ(plugin->Controller()->getParamNormalized(test::kConnectedId), 1.0);
  EXPECT_EQ(plugin->Parameters().size(), 5u);
}

TEST(PluginTest, DescribesBusesAndRejectsInvalidIndices)
{
  auto plugin = OpenFixture();
  ASSERT_TRUE(plugin);
  EXPECT_EQ(plugin->BusCount(Vst::kAudio, Vst::kInput), 0);
  EXPECT_EQ(plugin->BusCount(Vst::kEvent, Vst::kOutput), 0);

  const std::vector<BusDesc> outputs = plugin->Buses(Vst::kAudio, Vst::kOutput);
  ASSERT_EQ(outputs.size(), 2u);
  const struct
  {
    const char* mName;
    Vst::BusType mType;
    uint32 mFlags;
  } kOutputs[] = {{"Main", Vst::kMain, Vst::BusInfo::kDefaultActive}, {"Aux", Vst::kAux, 0}};
  for (std::size_t i = 0; i < 2; ++i)
  {
    EXPECT_EQ(outputs[i].mName, kOutputs[i].mName);
    EXPECT_EQ(outputs[i].mChannelCount, 2);
    EXPECT_EQ(outputs[i].mBusType, kOutputs[i].mType);
    EXPECT_EQ(outputs[i].mFlags, kOutputs[i].mFlags);
    EXPECT_TRUE(outputs[i].mHasArrangement);
    EXPECT_EQ(outputs[i].mArrangement, Vst::SpeakerArr::kStereo);
    // Bus info and arrangement agree on the channel count.
    EXPECT_EQ(Vst::SpeakerArr::getChannelCount(outputs[i].mArrangement), outputs[i].mChannelCount);
  }
  const std::vector<BusDesc> events = plugin->Buses(Vst::kEvent, Vst::kInput);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].mName, "MIDI In");
  EXPECT_EQ(events[0].mChannelCount, 16);

  Vst::BusInfo info{};
  EXPECT_EQ(plugin->Component()->getBusInfo(Vst::kAudio, Vst::kOutput, 2, info), kInvalidArgument);
  EXPECT_EQ(plugin->Component()->getBusInfo(Vst::kAudio, Vst::kOutput, -1, info), kInvalidArgument);
  EXPECT_EQ(plugin->ActivateBus(Vst::kAudio, Vst::kOutput, 5, true), kInvalidArgument);
  EXPECT_FALSE(plugin->IsBusActive(Vst::kAudio, Vst::kOutput, 5));
}

TEST(PluginTest, ActivatesBusSelections)
{
  auto plugin = OpenFixture();
  ASSERT_TRUE(plugin);
  struct SelectionCase
  {
    EBusSelection mSelection;
    bool mMain;
    bool mAux;
    bool mEvents;
  };
  const SelectionCase kCases[] = {{EBusSelection::kDefault, true, false, true},
                                  {EBusSelection::kAll, true, true, true},
                                  {EBusSelection::kNone, false, false, false}};
  for (const SelectionCase& c : kCases)
  {
    EXPECT_EQ(plugin->ActivateBuses(c.mSelection), kResultOk);
    EXPECT_EQ(plugin->IsBusActive(Vst::kAudio, Vst::kOutput, 0), c.mMain);
    EXPECT_EQ(plugin->IsBusActive(Vst::kAudio, Vst::kOutput, 1), c.mAux);
    EXPECT_EQ(plugin->IsBusActive(Vst::kEvent, Vst::kInput, 0), c.mEvents);
  }
}

TEST(PluginTest, BusArrangementsAreAcceptedOrRefused)
{
  auto plugin = OpenFixture();
  ASSERT_TRUE(plugin);
  EXPECT_EQ(plugin->SetBusArrangements({}, {Vst::SpeakerArr::kStereo, Vst::SpeakerArr::kStereo}), kResultTrue);
  EXPECT_EQ(plugin->SetBusArrangements({}, {Vst::SpeakerArr::kMono, Vst::SpeakerArr::kStereo}), kResultFalse);
  Vst::SpeakerArrangement arrangement = 0;
  EXPECT_EQ(plugin->Processor()->getBusArrangement(Vst::kOutput, 0, arrangement), kResultOk);
  EXPECT_EQ(arrangement, Vst::SpeakerArr::kStereo) << "a refused arrangement leaves the bus as it was";
  EXPECT_EQ(plugin->Processor()->getBusArrangement(Vst::kOutput, 2, arrangement), kInvalidArgument);
  EXPECT_EQ(plugin->Processor()->getBusArrangement(Vst::kInput, 0, arrangement), kInvalidArgument);
}

TEST(PluginTest, ScansParameters)
{
  auto plugin = OpenFixture();
  ASSERT_TRUE(plugin);
  const std::vector<ParamDesc> params = plugin->Parameters();
  ASSERT_EQ(params.size(), 5u);
  std::set<Vst::ParamID> ids;
  int bypassCount = 0;
  for (const ParamDesc& p : params)
  {
    SCOPED_TRACE(p.mTitle);
    EXPECT_TRUE(ids.insert(p.mId).second) << "duplicate id " << p.mId;
    EXPECT_FALSE(p.mTitle.empty());
    EXPECT_GE(p.mDefaultNormalized, 0.0);
    EXPECT_LE(p.mDefaultNormalized, 1.0);
    EXPECT_GE(p.mStepCount, 0);
    if (p.mFlags & Vst::ParameterInfo::kIsBypass)
    {
      ++bypassCount;
      EXPECT_EQ(p.mId, test::kBypassId);
      EXPECT_EQ(p.mStepCount, 1);
    }
    // A read-only parameter cannot be automated.
    if (p.mFlags & Vst::ParameterInfo::kIsReadOnly)
    {
      EXPECT_FALSE(p.mFlags & Vst::ParameterInfo::kCanAutomate);
    }
  }
  EXPECT_EQ(bypassCount, 1);

  const auto mode = plugin->FindParameter("Mode");
  ASSERT_TRUE(mode);
  EXPECT_EQ(mode->mId, test::kModeId);
  EXPECT_EQ(mode->mStepCount, 3);
  EXPECT_EQ(mode->mShortTitle, "Md");
  EXPECT_EQ(plugin->FindParameter(test::kGainId)->mUnits, "x");
  EXPECT_FALSE(plugin->FindParameter(999));
  EXPECT_EQ(ParamFlagsText(Vst::ParameterInfo::kCanAutomate | Vst::ParameterInfo::kIsBypass), "automate, bypass");
}

TEST(PluginTest, MapsMidiControllersToParameters)
{
  auto plugin = OpenFixture();
  ASSERT_TRUE(plugin);
  auto mapping = plugin->QueryController<Vst::IMidiMapping>();
  ASSERT_TRUE(mapping);
  Vst::ParamID id = 0;
  EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, Vst::kCtrlVolume, id), kResultTrue);
  EXPECT_EQ(id, test::kGainId);
  EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, Vst::kCtrlModWheel, id), kResultFalse);
  EXPECT_EQ(mapping->getMidiControllerAssignment(1, 0, Vst::kCtrlVolume, id), kResultFalse);
}

TEST(PluginTest, StateGoesToTheComponentAndToTheController)
{
  for (const char* cls : {test::kSingleClass, test::kSplitClass})
  {
    SCOPED_TRACE(cls);
    auto plugin = OpenFixture(cls);
    ASSERT_TRUE(plugin);
    plugin->Handler().Clear();
    const std::vector<std::uint8_t> state = test::FixtureState(0.25, 2.0 / 3.0, 1.0);
    ASSERT_EQ(plugin->SetState(state), kResultOk);
    EXPECT_DOUBLE_EQ(plugin->Controller()->getParamNormalized(test::kGainId), 0.25);
    EXPECT_DOUBLE_EQ(plugin->Controller()->getParamNormalized(test::kBypassId), 1.0);
    // The test plug-in tells the host after setComponentState.
    EXPECT_EQ(plugin->Handler().Count(EHandlerCall::kRestartComponent), 1u);
    EXPECT_EQ(plugin->Handler().Calls().at(0).mFlags, Vst::kParamValuesChanged);

    std::vector<std::uint8_t> saved;
    ASSERT_EQ(plugin->GetState(saved), kResultOk);
    EXPECT_EQ(saved, state);

    std::vector<std::uint8_t> broken = state;
    broken[0] = 'X';
    EXPECT_NE(plugin->SetState(broken), kResultOk);
    EXPECT_NE(plugin->SetState({}), kResultOk);
    ASSERT_EQ(plugin->GetState(saved), kResultOk);
    EXPECT_EQ(saved, state) << "a rejected state changes nothing";
  }
}

TEST(PluginTest, SurvivesTerminateInitializeCycles)
{
  for (const char* cls : {test::kSingleClass, test::kSplitClass})
  {
    SCOPED_TRACE(cls);
    auto plugin = OpenFixture(cls);
    ASSERT_TRUE(plugin);
    for (int cycle = 0; cycle < 3; ++cycle)
    {
      if (cycle > 0)
      {
        std::string error;
        ASSERT_TRUE(plugin->Initialize(error)) << error;
      }
      ASSERT_NE(plugin->Controller(), nullptr);
      ASSERT_EQ(plugin->ActivateBuses(EBusSelection::kDefault), kResultOk);
      HostProcessing processing(*plugin);
      ASSERT_EQ(processing.Setup(48000, 256), kResultOk);
      ASSERT_EQ(plugin->SetActive(true), kResultOk);
      ASSERT_EQ(plugin->SetProcessing(true), kResultOk);
      processing.InputEvents().AddNoteOn(5, 36, 1.0f);
      ASSERT_EQ(processing.Process(256), kResultOk);
      EXPECT_FLOAT_EQ(processing.Output32(0, 0)[5], 0.5f);
      // Terminate stops processing and deactivates first.
      plugin->Terminate();
      EXPECT_FALSE(plugin->IsInitialized());
      EXPECT_FALSE(plugin->IsActive());
      EXPECT_FALSE(plugin->IsProcessing());
      EXPECT_EQ(plugin->Controller(), nullptr);
    }
  }
}

} // namespace
} // namespace krb::host
