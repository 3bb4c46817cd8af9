#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "Krellbinder.h"
#include "PluginPtr.h"
#include "vst3/StringConvert.h"

namespace
{
struct GroupCase
{
  int first, count;
  const char* prefix; // the name, or its prefix before the index within the group
  IParam::EParamType type;
  double defaultValue, min, max, step;
  const char* label;
  int flags;
};

constexpr int kCannot = IParam::kFlagCannotAutomate;
constexpr int kStepped = IParam::kFlagStepped;

const GroupCase kGroups[] = {
  {kLedButton, 16, "Led button ", IParam::kTypeBool, 0, 0, 1, 1, "On/Off", kCannot | kStepped},
  {kFolderButton, 12, "Folder button ", IParam::kTypeBool, 0, 0, 1, 1, "On/Off", kCannot | kStepped},
  {kSequencerButton, 16, "Sequencer button ", IParam::kTypeBool, 0, 0, 1, 1, "On/Off", kCannot | kStepped},
  {kSelectedDrumButton, 12, "Selected drum button ", IParam::kTypeBool, 0, 0, 1, 1, "On/Off", kCannot | kStepped},
  {kPreviousSampleButton, 12, "Previous Sample Button ", IParam::kTypeBool, 0, 0, 1, 1, "Previous sample", kStepped},
  {kNextSampleButton, 12, "Next Sample Button ", IParam::kTypeBool, 0, 0, 1, 1, "Next sample", kStepped},
  {kModeButton, 4, "Mode button ", IParam::kTypeNone, 0, 0, 1, 1, "", 0},
  {kOctaveButton, 2, "Octav button ", IParam::kTypeBool, 0, 0, 1, 1, "On/Off", kCannot | kStepped},
  {kPlayButton, 12, "Play Button ", IParam::kTypeBool, 0, 0, 1, 1, "Play", kStepped},
  {kSoloButton, 12, "Solo button ", IParam::kTypeNone, 0, 0, 1, 1, "", 0},
  {kMuteButton, 12, "Mute button ", IParam::kTypeNone, 0, 0, 1, 1, "", 0},
  {kPatternButton, 12, "Pattern button ", IParam::kTypeBool, 0, 0, 1, 1, "On/Off", kCannot | kStepped},
  {kPanKnob, 12, "Pan knob ", IParam::kTypeDouble, 0.5, 0, 1, 0.01, "%", 0},
  {kVolumeKnob, 12, "Volume knob ", IParam::kTypeDouble, 1.0, 0, 2, 0.01, "%", 0},
  {kPitchKnob, 12, "Pitch knob ", IParam::kTypeInt, 0, -12, 12, 1, "hz", kStepped},
  {kSwingButton, 12, "Swing button ", IParam::kTypeBool, 0, 0, 1, 1, "On/Off", kStepped},
  {kLengthKnob, 12, "Length knob ", IParam::kTypeDouble, 1.0, 0, 1, 0.01, "%", 0},
  {kMasterVolume, 1, "Master Volume", IParam::kTypeDouble, 1.0, 0, 2, 0.01, "%", 0},
  {kMasterSwing, 1, "Master Swing", IParam::kTypeDouble, 0.0, 0, 1, 0.01, "%", 0},
};

TEST(ParametersTest, EveryGroupHasItsNamesRangesDefaultsAndFlags)
{
  auto plugin = MakePlugin();
  ASSERT_EQ(plugin->NParams(), kNumParams);
  int covered = 0;
  for (const auto& group : kGroups)
  {
    for (int i = 0; i < group.count; ++i)
    {
      const IParam* param = plugin->GetParam(group.first + i);
      std::string name = group.prefix;
      if (group.count > 1)
        name += std::to_string(i);
      SCOPED_TRACE(group.first + i);
      EXPECT_EQ(param->GetName(), name);
      EXPECT_EQ(param->Type(), group.type);
      EXPECT_DOUBLE_EQ(param->GetDefault(), group.defaultValue);
      EXPECT_DOUBLE_EQ(param->Value(), group.defaultValue);
      EXPECT_DOUBLE_EQ(param->GetMin(), group.min);
      EXPECT_DOUBLE_EQ(param->GetMax(), group.max);
      EXPECT_DOUBLE_EQ(param->GetStep(), group.step);
      EXPECT_STREQ(param->GetLabel(), group.label);
      EXPECT_EQ(param->GetFlags(), group.flags);
      EXPECT_STREQ(param->GetGroup(), "");
      ++covered;
    }
  }
  EXPECT_EQ(covered, kNumParams);
  EXPECT_EQ(std::string(plugin->GetParam(67)->GetName()).size(), 25u);
}

TEST(ParametersTest, HostSeesTitlesUnitsStepCountsAndAutomation)
{
  auto plugin = MakePlugin();
  ASSERT_EQ(plugin->getParameterCount(), kNumParams + 1 + IPlugVST3::kNumMidiCCParams);
  std::set<Steinberg::Vst::ParamID> ids;
  int bypassCount = 0;
  for (int i = 0; i < plugin->getParameterCount(); ++i)
  {
    Steinberg::Vst::ParameterInfo info{};
    ASSERT_EQ(plugin->getParameterInfo(i, info), Steinberg::kResultOk);
    EXPECT_TRUE(ids.insert(info.id).second) << "duplicate id " << info.id;
    EXPECT_EQ(info.unitId, Steinberg::Vst::kRootUnitId);
    if (info.flags & Steinberg::Vst::ParameterInfo::kIsBypass)
      ++bypassCount;
    if (i >= kNumParams)
      continue;
    const IParam* param = plugin->GetParam(i);
    EXPECT_EQ(info.id, static_cast<Steinberg::Vst::ParamID>(i));
    EXPECT_EQ(Utf16ToUtf8(info.title), param->GetName());
    const bool isBool = param->Type() == IParam::kTypeBool;
    EXPECT_EQ(Utf16ToUtf8(info.units), isBool ? "" : param->GetLabel());
    const int expectedSteps = param->Type() == IParam::kTypeDouble ? 0 : param->Type() == IParam::kTypeInt ? 24 : 1;
    EXPECT_EQ(info.stepCount, expectedSteps) << i;
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, param->GetDefault(true));
    EXPECT_EQ((info.flags & Steinberg::Vst::ParameterInfo::kCanAutomate) != 0, param->GetCanAutomate()) << i;
  }
  EXPECT_EQ(bypassCount, 1);
  Steinberg::Vst::ParameterInfo info{};
  EXPECT_EQ(plugin->getParameterInfo(-1, info), Steinberg::kInvalidArgument);
  EXPECT_EQ(plugin->getParameterInfo(plugin->getParameterCount(), info), Steinberg::kInvalidArgument);
}

TEST(ParametersTest, BooleansDisplayOffAndOn)
{
  auto plugin = MakePlugin();
  Steinberg::Vst::String128 text{};
  ASSERT_EQ(plugin->getParamStringByValue(kSwingButton, 0.0, text), Steinberg::kResultOk);
  EXPECT_EQ(Utf16ToUtf8(text), "off");
  ASSERT_EQ(plugin->getParamStringByValue(kSwingButton, 1.0, text), Steinberg::kResultOk);
  EXPECT_EQ(Utf16ToUtf8(text), "on");
}

TEST(ParametersTest, MidiControllersOfChannelOneMapToPublishedHiddenParameters)
{
  auto plugin = MakePlugin();
  std::set<Steinberg::Vst::ParamID> published;
  for (int i = 0; i < plugin->getParameterCount(); ++i)
  {
    Steinberg::Vst::ParameterInfo info{};
    plugin->getParameterInfo(i, info);
    published.insert(info.id);
  }
  for (int cc = 0; cc < Steinberg::Vst::kCountCtrlNumber; ++cc)
  {
    Steinberg::Vst::ParamID id = 0;
    ASSERT_EQ(plugin->getMidiControllerAssignment(0, 0, static_cast<Steinberg::Vst::CtrlNumber>(cc), id),
              Steinberg::kResultTrue);
    EXPECT_TRUE(published.count(id)) << cc;
  }
  Steinberg::Vst::ParamID id = 0;
  EXPECT_EQ(plugin->getMidiControllerAssignment(0, 1, 7, id), Steinberg::kResultFalse);
  EXPECT_EQ(plugin->getMidiControllerAssignment(1, 0, 7, id), Steinberg::kResultFalse);
}
} // namespace
