#include <string>

#include "Krellbinder.h"

namespace
{
std::string Numbered(const char* prefix, int index) { return prefix + std::to_string(index); }
} // namespace

// The mode, solo and mute groups keep the framework's default parameter (untyped, 0 to 1 in steps of
// 1, default 0, no label, automatable) and get only a name, as hosts and validators want one.
void Krellbinder::InitParams()
{
  GetParam(kMasterVolume)->InitDouble("Master Volume", 1.0, 0.0, 2.0, 0.01, "%");
  GetParam(kMasterSwing)->InitDouble("Master Swing", 0.0, 0.0, 1.0, 0.01, "%");

  for (int i = 0; i < kNumSteps; ++i)
  {
    GetParam(kLedButton + i)
      ->InitBool(Numbered("Led button ", i).c_str(), false, "On/Off", IParam::kFlagCannotAutomate);
    GetParam(kSequencerButton + i)
      ->InitBool(Numbered("Sequencer button ", i).c_str(), false, "On/Off", IParam::kFlagCannotAutomate);
  }

  for (int i = 0; i < kNumOctaves; ++i)
    GetParam(kOctaveButton + i)
      ->InitBool(Numbered("Octav button ", i).c_str(), false, "On/Off", IParam::kFlagCannotAutomate);

  for (int i = 0; i < kNumPatternsPerOctave; ++i)
    GetParam(kPatternButton + i)
      ->InitBool(Numbered("Pattern button ", i).c_str(), false, "On/Off", IParam::kFlagCannotAutomate);

  for (int ch = 0; ch < kNumDrums; ++ch)
  {
    GetParam(kPlayButton + ch)->InitBool(Numbered("Play Button ", ch).c_str(), false, "Play");
    GetParam(kFolderButton + ch)
      ->InitBool(Numbered("Folder button ", ch).c_str(), false, "On/Off", IParam::kFlagCannotAutomate);
    GetParam(kPreviousSampleButton + ch)
      ->InitBool(Numbered("Previous Sample Button ", ch).c_str(), false, "Previous sample");
    GetParam(kNextSampleButton + ch)->InitBool(Numbered("Next Sample Button ", ch).c_str(), false, "Next sample");
    GetParam(kPanKnob + ch)->InitDouble(Numbered("Pan knob ", ch).c_str(), 0.5, 0.0, 1.0, 0.01, "%");
    GetParam(kVolumeKnob + ch)->InitDouble(Numbered("Volume knob ", ch).c_str(), 1.0, 0.0, 2.0, 0.01, "%");
    GetParam(kPitchKnob + ch)->InitInt(Numbered("Pitch knob ", ch).c_str(), 0, -12, 12, "hz", IParam::kFlagStepped);
    GetParam(kSwingButton + ch)->InitBool(Numbered("Swing button ", ch).c_str(), false, "On/Off");
    GetParam(kLengthKnob + ch)->InitDouble(Numbered("Length knob ", ch).c_str(), 1.0, 0.0, 1.0, 0.01, "%");
    GetParam(kSelectedDrumButton + ch)
      ->InitBool(Numbered("Selected drum button ", ch).c_str(), false, "On/Off", IParam::kFlagCannotAutomate);
  }

  for (int i = 0; i < kNumModes; ++i)
    GetParam(kModeButton + i)->SetName(Numbered("Mode button ", i).c_str());
  for (int ch = 0; ch < kNumDrums; ++ch)
  {
    GetParam(kSoloButton + ch)->SetName(Numbered("Solo button ", ch).c_str());
    GetParam(kMuteButton + ch)->SetName(Numbered("Mute button ", ch).c_str());
  }
}
