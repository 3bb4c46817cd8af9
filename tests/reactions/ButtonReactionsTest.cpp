#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "EditorTags.h"
#include "FakeChooser.h"
#include "Krellbinder.h"
#include "PluginPtr.h"
#include "QueueRecorder.h"
#include "SampleDialog.h"
#include "TempFolder.h"
#include "WavFiles.h"
// After the plug-in's headers: the SDK's byte-order macros must not meet the sample reader's names.
#include "ComponentHandler.h"

using namespace krbtest;
namespace fs = std::filesystem;

namespace
{
std::vector<QueueRecorder::Delivery> DrainStepRows(Krellbinder& plug)
{
  QueueRecorder editor;
  plug.mStepRowSender.TransmitData(editor);
  return editor.mDeliveries;
}

std::vector<QueueRecorder::Delivery> DrainChannelStates(Krellbinder& plug)
{
  QueueRecorder editor;
  plug.mChannelStateSender.TransmitData(editor);
  return editor.mDeliveries;
}

std::array<int32_t, kNumDrums> States(const Krellbinder& plug)
{
  std::array<int32_t, kNumDrums> states{};
  for (int ch = 0; ch < kNumDrums; ++ch)
    states[static_cast<size_t>(ch)] = plug.mSlots[static_cast<size_t>(ch)].mChannelState.load();
  return states;
}

// A change as the host makes it through the edit controller (source "Host"), in the parameter's own
// range.
void HostSets(Krellbinder& plug, int paramIdx, double value)
{
  plug.setParamNormalized(static_cast<Steinberg::Vst::ParamID>(paramIdx), plug.GetParam(paramIdx)->ToNormalized(value));
}

// A change made in the editor (source "UI").
void EditorSets(Krellbinder& plug, int paramIdx, double value)
{
  plug.SendParameterValueFromUI(paramIdx, plug.GetParam(paramIdx)->ToNormalized(value));
}

class ButtonReactionsTest : public testing::Test
{
protected:
  PluginPtr mPlug = MakeInitializedPlugin();
  Krellbinder& plug = *mPlug;
};
} // namespace

TEST_F(ButtonReactionsTest, SourcesOtherThanHostAndEditorChangeNothing)
{
  TempFolder folder;
  FakeChooser chooser(folder);
  chooser.Cancel();
  const std::vector<std::pair<int, double>> values = {
    {kFolderButton + 0, 1.0}, {kSequencerButton + 3, 1.0}, {kSelectedDrumButton + 4, 1.0}, {kPreviousSampleButton, 1.0},
    {kNextSampleButton, 1.0}, {kModeButton + 2, 1.0},      {kOctaveButton + 1, 1.0},       {kPlayButton + 0, 1.0},
    {kSoloButton + 1, 1.0},   {kMuteButton + 2, 1.0},      {kPatternButton + 5, 1.0},      {kPanKnob + 0, 0.0},
    {kVolumeKnob + 1, 2.0},   {kMasterVolume, 0.25},
  };
  for (EParamSource source : {kReset, kPresetRecall, kDelegate, kRecompile, kUnknown})
  {
    for (const auto& [index, value] : values)
    {
      plug.GetParam(index)->Set(value);
      plug.OnParamChangeUI(index, source);
    }
    EXPECT_EQ(plug.mSelectedDrum.load(), 0);
    EXPECT_EQ(plug.mMode.load(), kModeStop);
    EXPECT_EQ(plug.mOctave.load(), 0);
    EXPECT_EQ(plug.mPattern.load(), 0);
    EXPECT_FALSE(plug.mSequencer.GetStep(0, 0, 3));
    EXPECT_EQ(plug.mSlots[0].mPosition.load(), 0u);
    EXPECT_EQ(States(plug), (std::array<int32_t, kNumDrums>{}));
    EXPECT_EQ(plug.mSlots[0].mGainRight.load(), 1.0);
    EXPECT_EQ(plug.mSlots[1].mGainLeft.load(), 1.0);
    EXPECT_EQ(plug.mMasterVolume.load(), 1.0);
    EXPECT_FALSE(chooser.Ran());
    EXPECT_TRUE(DrainStepRows(plug).empty());
    EXPECT_TRUE(DrainChannelStates(plug).empty());
  }
}

TEST_F(ButtonReactionsTest, StepButtonsSetTheByteOfTheShownRowAndQueueNothing)
{
  HostSets(plug, kSelectedDrumButton + 2, 1.0);
  HostSets(plug, kOctaveButton + 1, 1.0);
  HostSets(plug, kPatternButton + 1, 1.0); // slot 13
  DrainStepRows(plug);

  EditorSets(plug, kSequencerButton + 5, 1.0);
  HostSets(plug, kSequencerButton + 7, 0.5); // a host's 0.5 counts as on
  EXPECT_TRUE(plug.mSequencer.GetStep(2, 13, 5));
  EXPECT_TRUE(plug.mSequencer.GetStep(2, 13, 7));
  EXPECT_FALSE(plug.mSequencer.GetStep(0, 0, 5));
  EXPECT_TRUE(DrainStepRows(plug).empty());

  // The value sets the byte; it does not toggle it.
  EditorSets(plug, kSequencerButton + 5, 1.0);
  EXPECT_TRUE(plug.mSequencer.GetStep(2, 13, 5));
  EditorSets(plug, kSequencerButton + 5, 0.0);
  EXPECT_FALSE(plug.mSequencer.GetStep(2, 13, 5));
}

TEST_F(ButtonReactionsTest, DrumAndPatternChoicesQueueTheShownRow)
{
  plug.mSequencer.SetStep(3, 0, 0, true);
  plug.mSequencer.SetStep(3, 0, 15, true);
  plug.mSequencer.SetStep(3, 4, 2, true);

  HostSets(plug, kSelectedDrumButton + 3, 1.0);
  EXPECT_EQ(plug.mSelectedDrum.load(), 3);
  auto rows = DrainStepRows(plug);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].ctrlTag, kCtrlTagStep);
  ASSERT_EQ(rows[0].dataSize, 28);
  const std::vector<uint8_t> expectedRow = {28, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0,
                                            0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(rows[0].bytes, expectedRow);

  // Both between two idle ticks: the queue keeps the first row and drops the second.
  HostSets(plug, kSelectedDrumButton + 0, 1.0);
  HostSets(plug, kPatternButton + 4, 1.0);
  EXPECT_EQ(plug.mSelectedDrum.load(), 0);
  EXPECT_EQ(plug.mPattern.load(), 4);
  rows = DrainStepRows(plug);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].bytes[12], 0); // drum 0, pattern 0

  HostSets(plug, kSelectedDrumButton + 3, 1.0);
  rows = DrainStepRows(plug);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].bytes[12 + 2], 1); // drum 3, pattern 4, step 2

  // A value other than 1 chooses nothing.
  HostSets(plug, kSelectedDrumButton + 5, 0.0);
  HostSets(plug, kPatternButton + 7, 0.0);
  EXPECT_EQ(plug.mSelectedDrum.load(), 3);
  EXPECT_EQ(plug.mPattern.load(), 4);
  EXPECT_TRUE(DrainStepRows(plug).empty());
}

TEST_F(ButtonReactionsTest, ModeOctaveAndPlayActOnlyAtExactlyOne)
{
  HostSets(plug, kModeButton + 2, 0.5); // the mode parameters are continuous: 0.5 stays 0.5
  EXPECT_EQ(plug.mMode.load(), kModeStop);
  HostSets(plug, kModeButton + 2, 1.0);
  EXPECT_EQ(plug.mMode.load(), kModeHostSync);
  EditorSets(plug, kModeButton + 3, 1.0);
  EXPECT_EQ(plug.mMode.load(), kModeMidi);
  EditorSets(plug, kModeButton + 1, 0.0);
  EXPECT_EQ(plug.mMode.load(), kModeMidi);

  HostSets(plug, kOctaveButton + 1, 1.0);
  EXPECT_EQ(plug.mOctave.load(), 1);
  HostSets(plug, kOctaveButton + 0, 0.0);
  EXPECT_EQ(plug.mOctave.load(), 1);
  EXPECT_TRUE(DrainStepRows(plug).empty());

  plug.mSlots[4].mPosition.store(777);
  HostSets(plug, kPlayButton + 4, 0.0);
  EXPECT_EQ(plug.mSlots[4].mPosition.load(), 777u);
  HostSets(plug, kPlayButton + 4, 1.0);
  EXPECT_EQ(plug.mSlots[4].mPosition.load(), 0u);
}

TEST_F(ButtonReactionsTest, SoloAndMuteFollowTheirStateMachine)
{
  using S = std::array<int32_t, kNumDrums>;
  constexpr int N = kChannelNormal, M = kChannelMuted, X = kChannelSilencedBySolo, O = kChannelSoloed;
  struct Step
  {
    int param;
    double value;
    S states;
    bool acts = true; // false: the value is the one the button already shows, and nothing happens
  };
  struct Sequence
  {
    const char* name;
    std::vector<Step> steps;
  };
  const Sequence sequences[] = {
    {"two solos, then both off",
     {{kSoloButton + 0, 1, {O, X, X, X, X, X, X, X, X, X, X, X}},
      {kSoloButton + 1, 1, {O, O, X, X, X, X, X, X, X, X, X, X}},
      {kSoloButton + 0, 0, {X, O, X, X, X, X, X, X, X, X, X, X}},
      {kSoloButton + 1, 0, {N, N, N, N, N, N, N, N, N, N, N, N}}}},
    {"mute off on a channel silenced by a solo keeps it muted after the solo",
     {{kSoloButton + 0, 1, {O, X, X, X, X, X, X, X, X, X, X, X}},
      // Its mute button shows 0 (only a muted channel shows 1): writing 0 back does nothing...
      {kMuteButton + 2, 0, {O, X, X, X, X, X, X, X, X, X, X, X}, false},
      // ...any other value that is not 1 is a mute off.
      {kMuteButton + 2, 0.5, {O, X, M, X, X, X, X, X, X, X, X, X}},
      {kSoloButton + 0, 0, {N, N, M, N, N, N, N, N, N, N, N, N}}}},
    {"mute on for the only soloed channel",
     {{kSoloButton + 3, 1, {X, X, X, O, X, X, X, X, X, X, X, X}},
      {kMuteButton + 3, 1, {X, X, X, M, X, X, X, X, X, X, X, X}},
      // No channel is soloed now, so every solo button shows 0 and writing 0 does nothing; the
      // silenced channels return when a solo is switched off while no channel is soloed.
      {kSoloButton + 5, 0, {X, X, X, M, X, X, X, X, X, X, X, X}, false},
      {kSoloButton + 5, 1, {X, X, X, M, X, O, X, X, X, X, X, X}},
      {kSoloButton + 5, 0, {N, N, N, M, N, N, N, N, N, N, N, N}}}},
    {"solo off on a channel that is not soloed: 0 does nothing, another value clears a mute",
     {{kMuteButton + 4, 1, {N, N, N, N, M, N, N, N, N, N, N, N}},
      {kSoloButton + 4, 0, {N, N, N, N, M, N, N, N, N, N, N, N}, false},
      {kSoloButton + 4, 0.5, {N, N, N, N, N, N, N, N, N, N, N, N}}}},
    {"a solo leaves muted channels muted",
     {{kMuteButton + 1, 1, {N, M, N, N, N, N, N, N, N, N, N, N}},
      {kSoloButton + 0, 1, {O, M, X, X, X, X, X, X, X, X, X, X}},
      {kMuteButton + 1, 0, {O, M, X, X, X, X, X, X, X, X, X, X}},
      {kSoloButton + 0, 0, {N, M, N, N, N, N, N, N, N, N, N, N}},
      {kMuteButton + 1, 0, {N, N, N, N, N, N, N, N, N, N, N, N}}}},
    {"a host's 0.5 counts as off",
     {{kSoloButton + 0, 1, {O, X, X, X, X, X, X, X, X, X, X, X}},
      {kSoloButton + 0, 0.5, {N, N, N, N, N, N, N, N, N, N, N, N}},
      {kMuteButton + 6, 1, {N, N, N, N, N, N, M, N, N, N, N, N}},
      {kMuteButton + 6, 0.5, {N, N, N, N, N, N, N, N, N, N, N, N}}}},
  };
  for (const Sequence& sequence : sequences)
  {
    SCOPED_TRACE(sequence.name);
    PluginPtr fresh = MakeInitializedPlugin();
    for (const Step& step : sequence.steps)
    {
      HostSets(*fresh, step.param, step.value);
      EXPECT_EQ(States(*fresh), step.states);
      // Every solo or mute change queues the twelve states, taken after the transition.
      const auto messages = DrainChannelStates(*fresh);
      if (!step.acts)
      {
        EXPECT_TRUE(messages.empty());
        continue;
      }
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].ctrlTag, kCtrlTagMute);
      ASSERT_EQ(messages[0].dataSize, 60);
      S queued;
      std::memcpy(queued.data(), messages[0].bytes.data() + 12, sizeof(queued));
      EXPECT_EQ(queued, step.states);
    }
  }
}

TEST_F(ButtonReactionsTest, HostMixerChangesApplyTheMixerRules)
{
  // Through the edit controller only this hook runs, so it applies the mixer rules itself.
  HostSets(plug, kPanKnob + 0, 0.25);
  HostSets(plug, kVolumeKnob + 0, 2.0);
  EXPECT_DOUBLE_EQ(plug.mSlots[0].mGainLeft.load(), 2.0);
  EXPECT_DOUBLE_EQ(plug.mSlots[0].mGainRight.load(), 1.0);
  HostSets(plug, kPitchKnob + 1, 7.0);
  EXPECT_EQ(plug.mSlots[1].mPitch.load(), 7);
  HostSets(plug, kSwingButton + 2, 1.0);
  EXPECT_TRUE(plug.mSlots[2].mSwing.load());
  HostSets(plug, kMasterVolume, 0.5);
  EXPECT_DOUBLE_EQ(plug.mMasterVolume.load(), 0.5);
  HostSets(plug, kMasterSwing, 0.75);
  EXPECT_DOUBLE_EQ(plug.mMasterSwing.load(), 0.75);
  // From the editor the rules run twice with the same result.
  EditorSets(plug, kPanKnob + 3, 0.56);
  EXPECT_DOUBLE_EQ(plug.mSlots[3].mGainLeft.load(), 2.0 * (1.0 - 0.56));
  EXPECT_DOUBLE_EQ(plug.mSlots[3].mGainRight.load(), 1.0);
}

// ------------------------------------------------------------------------------ buttons show the state

namespace
{
// What each button parameter (0-133) shows for the plug-in's state now.
double Shown(const Krellbinder& plug, int paramIdx)
{
  auto in = [paramIdx](int first, int count) { return paramIdx >= first && paramIdx < first + count; };
  auto is = [](bool on) { return on ? 1.0 : 0.0; };
  const int slot = plug.mOctave.load() * kNumPatternsPerOctave + plug.mPattern.load();
  if (in(kLedButton, kNumSteps))
    return is(paramIdx - kLedButton == plug.mDisplayedStep.load());
  if (in(kSequencerButton, kNumSteps))
    return is(plug.mSequencer.GetStep(plug.mSelectedDrum.load(), slot, paramIdx - kSequencerButton));
  if (in(kSelectedDrumButton, kNumDrums))
    return is(paramIdx - kSelectedDrumButton == plug.mSelectedDrum.load());
  if (in(kModeButton, kNumModes))
    return is(paramIdx - kModeButton == plug.mMode.load());
  if (in(kOctaveButton, kNumOctaves))
    return is(paramIdx - kOctaveButton == plug.mOctave.load());
  if (in(kPatternButton, kNumPatternsPerOctave))
    return is(paramIdx - kPatternButton == plug.mPattern.load());
  if (in(kSoloButton, kNumDrums))
    return is(plug.mSlots[static_cast<size_t>(paramIdx - kSoloButton)].mChannelState.load() == kChannelSoloed);
  if (in(kMuteButton, kNumDrums))
    return is(plug.mSlots[static_cast<size_t>(paramIdx - kMuteButton)].mChannelState.load() == kChannelMuted);
  return 0.0; // browse, previous, next, play
}

void ExpectButtonsShowTheState(const Krellbinder& plug)
{
  for (int i = 0; i < kPanKnob; ++i)
    EXPECT_EQ(plug.GetParam(i)->Value(), Shown(plug, i)) << "parameter " << i;
}

// Everything the button reactions can change, to compare before and after.
struct Snapshot
{
  int32_t drum, mode, octave, pattern, displayedStep;
  std::array<int32_t, kNumDrums> states;
  std::vector<bool> steps;
  std::array<uint32_t, kNumDrums> positions;
  std::array<std::u16string, kNumDrums> paths;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const Krellbinder& plug)
{
  Snapshot s{plug.mSelectedDrum.load(),
             plug.mMode.load(),
             plug.mOctave.load(),
             plug.mPattern.load(),
             plug.mDisplayedStep.load(),
             States(plug),
             {},
             {},
             {}};
  for (int drum = 0; drum < kNumDrums; ++drum)
    for (int slot = 0; slot < 24; ++slot)
      for (int step = 0; step < kNumSteps; ++step)
        s.steps.push_back(plug.mSequencer.GetStep(drum, slot, step));
  for (size_t ch = 0; ch < kNumDrums; ++ch)
  {
    s.positions[ch] = plug.mSlots[ch].mPosition.load();
    s.paths[ch] = plug.mSlots[ch].Path();
  }
  return s;
}

// Drum 2, octave 1, pattern 3 with steps 4 and 11; Run mode; channel 1 muted, 6 soloed.
void ChooseAMixedState(Krellbinder& plug)
{
  plug.mSequencer.SetStep(2, 15, 4, true);
  plug.mSequencer.SetStep(2, 15, 11, true);
  for (const auto& [param, value] : std::vector<std::pair<int, double>>{{kSelectedDrumButton + 2, 1.0},
                                                                        {kOctaveButton + 1, 1.0},
                                                                        {kPatternButton + 3, 1.0},
                                                                        {kModeButton + 1, 1.0},
                                                                        {kMuteButton + 1, 1.0},
                                                                        {kSoloButton + 6, 1.0}})
    HostSets(plug, param, value);
  DrainStepRows(plug);
  DrainChannelStates(plug);
}
} // namespace

TEST_F(ButtonReactionsTest, AfterInitializeEveryButtonShowsTheState)
{
  ExpectButtonsShowTheState(plug);
  EXPECT_EQ(plug.GetParam(kModeButton)->Value(), 1.0); // Stop
  EXPECT_EQ(plug.GetParam(kSelectedDrumButton)->Value(), 1.0);
  EXPECT_EQ(plug.GetParam(kOctaveButton)->Value(), 1.0);
  EXPECT_EQ(plug.GetParam(kPatternButton)->Value(), 1.0);
  EXPECT_EQ(plug.GetParam(kLedButton)->Value(), 1.0);
}

TEST_F(ButtonReactionsTest, EveryReactionLeavesTheButtonsShowingTheState)
{
  ChooseAMixedState(plug);
  ExpectButtonsShowTheState(plug);
  const std::vector<std::pair<int, double>> changes = {
    {kModeButton + 3, 1.0},   {kModeButton + 3, 0.0},    {kModeButton + 2, 0.5},        {kSequencerButton + 4, 0.0},
    {kOctaveButton + 0, 1.0}, {kPatternButton + 9, 1.0}, {kSoloButton + 6, 0.0},        {kMuteButton + 1, 0.0},
    {kPlayButton + 3, 1.0},   {kLedButton + 9, 1.0},     {kSelectedDrumButton + 0, 0.0}};
  for (const auto& [param, value] : changes)
  {
    SCOPED_TRACE(param);
    HostSets(plug, param, value);
    ExpectButtonsShowTheState(plug);
    EditorSets(plug, param, value);
    if (IsMomentaryButton(param) && value != 0.0)
    {
      // Pressed in the editor: it reads 1 until the editor releases it.
      EXPECT_EQ(plug.GetParam(param)->Value(), 1.0);
      EditorSets(plug, param, 0.0);
    }
    ExpectButtonsShowTheState(plug);
  }
}

TEST_F(ButtonReactionsTest, ValueAButtonAlreadyShowsActsOnNothing)
{
  TempFolder folder;
  FakeChooser chooser(folder);
  chooser.Cancel();
  ChooseAMixedState(plug);
  plug.mSlots[4].mPosition.store(321);
  const Snapshot before = Take(plug);
  for (int i = 0; i < kPanKnob; ++i)
  {
    SCOPED_TRACE(i);
    HostSets(plug, i, plug.GetParam(i)->Value());
    EditorSets(plug, i, plug.GetParam(i)->Value());
    EXPECT_TRUE(Take(plug) == before);
    EXPECT_TRUE(DrainStepRows(plug).empty());
    EXPECT_TRUE(DrainChannelStates(plug).empty());
  }
  EXPECT_FALSE(chooser.Ran());
}

// A momentary button acts once per press. A host's press reads 0 at once; a press in the editor reads 1
// until the editor releases it, so that the host records it for as long as it lasts.
TEST_F(ButtonReactionsTest, MomentaryButtonsActOncePerPress)
{
  struct Source
  {
    void (*sets)(Krellbinder&, int, double);
    double readsWhilePressed;
  };
  for (const Source source : {Source{HostSets, 0.0}, Source{EditorSets, 1.0}})
  {
    plug.mSlots[4].mPosition.store(777);
    source.sets(plug, kPlayButton + 4, 1.0);
    EXPECT_EQ(plug.mSlots[4].mPosition.load(), 0u);
    EXPECT_EQ(plug.GetParam(kPlayButton + 4)->Value(), source.readsWhilePressed);
    // The release (or a host writing 0) does nothing more; the next press plays again.
    plug.mSlots[4].mPosition.store(777);
    source.sets(plug, kPlayButton + 4, 0.0);
    EXPECT_EQ(plug.mSlots[4].mPosition.load(), 777u);
    EXPECT_EQ(plug.GetParam(kPlayButton + 4)->Value(), 0.0);
    source.sets(plug, kPlayButton + 4, 1.0);
    EXPECT_EQ(plug.mSlots[4].mPosition.load(), 0u);
    source.sets(plug, kPlayButton + 4, 0.0);
  }
}

TEST_F(ButtonReactionsTest, HostHearsOfWhatItsChangeMovedAtTheNextIdleTick)
{
  krb::host::ComponentHandler handler;
  plug.setComponentHandler(&handler);
  struct HostCase
  {
    int param;
    double value;
    bool othersMove;
  };
  const HostCase kCases[] = {
    {kModeButton + 2, 1.0, true},        // the Stop button goes off
    {kSwingButton + 0, 1.0, false},      // a switch of its own
    {kSequencerButton + 3, 1.0, false},  // the step is the shown one
    {kPlayButton + 1, 1.0, true},        // the play button returns to 0
    {kPlayButton + 1, 0.0, false},       // nothing happens
    {kModeButton + 1, 0.5, true},        // chooses nothing; the button goes back to 0
    {kSelectedDrumButton + 5, 1.0, true} // the drum buttons and the shown row
  };
  for (const HostCase& c : kCases)
  {
    SCOPED_TRACE(c.param);
    handler.Clear();
    HostSets(plug, c.param, c.value);
    // Never inside the host's own call.
    EXPECT_TRUE(handler.RestartFlags().empty());
    EXPECT_TRUE(handler.PerformedEdits().empty());
    plug.GetIdleTimer().Tick();
    EXPECT_EQ(handler.RestartFlags(), c.othersMove ? std::vector<Steinberg::int32>{Steinberg::Vst::kParamValuesChanged}
                                                   : std::vector<Steinberg::int32>{});
    plug.GetIdleTimer().Tick();
    EXPECT_EQ(handler.RestartFlags().size(), c.othersMove ? 1u : 0u) << "once";
    EXPECT_TRUE(handler.PerformedEdits().empty());
  }
  plug.setComponentHandler(nullptr);
}

TEST_F(ButtonReactionsTest, EditorChangeTellsTheHostOfEveryOtherButtonItMoved)
{
  krb::host::ComponentHandler handler;
  plug.setComponentHandler(&handler);
  plug.mSequencer.SetStep(0, 12, 2, true);     // octave 1, pattern 0
  EditorSets(plug, kSequencerButton + 7, 1.0); // octave 0, pattern 0
  handler.Clear();

  // The octave the editor sent, then each parameter that moved with it, in index order.
  EditorSets(plug, kOctaveButton + 1, 1.0);
  const std::vector<std::pair<Steinberg::Vst::ParamID, double>> expected = {
    {kOctaveButton + 1, 1.0}, {kSequencerButton + 2, 1.0}, {kSequencerButton + 7, 0.0}, {kOctaveButton + 0, 0.0}};
  EXPECT_EQ(handler.PerformedEdits(), expected);
  EXPECT_TRUE(handler.RestartFlags().empty());
  plug.GetIdleTimer().Tick();
  EXPECT_TRUE(handler.RestartFlags().empty());
  plug.setComponentHandler(nullptr);
}

TEST_F(ButtonReactionsTest, PatternChosenOnTheAudioThreadIsShownAtTheNextIdleTick)
{
  krb::host::ComponentHandler handler;
  plug.setComponentHandler(&handler);
  plug.mSequencer.SetStep(0, 5, 9, true);
  // What a HostSync pattern note does on the audio thread.
  plug.mPattern.store(5);
  plug.mStepRowSender.PushFromAudioThread(StepRowSender::Data(kCtrlTagStep, {}));
  plug.mPatternSender.PushFromAudioThread(IntSender::Data(kCtrlTagPattern, {5}));
  plug.GetIdleTimer().Tick();
  EXPECT_EQ(plug.GetParam(kPatternButton + 5)->Value(), 1.0);
  EXPECT_EQ(plug.GetParam(kPatternButton + 0)->Value(), 0.0);
  EXPECT_EQ(plug.GetParam(kSequencerButton + 9)->Value(), 1.0);
  EXPECT_EQ(handler.RestartFlags(), std::vector<Steinberg::int32>{Steinberg::Vst::kParamValuesChanged});
  plug.setComponentHandler(nullptr);
}

// ------------------------------------------------------------------------------------------- browse

class BrowseTest : public ButtonReactionsTest
{
protected:
  TempFolder mFolder;
  FakeChooser mChooser{mFolder};
};

TEST_F(BrowseTest, ChosenFileIsLoadedAndPlaysOnce)
{
  const fs::path file = mFolder / "kick.wav";
  WritePcm16Wav(file, {std::vector<double>(300, 0.25), std::vector<double>(300, -0.25)});
  mChooser.Choose(file);

  EditorSets(plug, kFolderButton + 2, 1.0);

  const SampleSlot& slot = plug.mSlots[2];
  EXPECT_TRUE(mChooser.Ran());
  EXPECT_EQ(slot.Path(), U16(file));
  EXPECT_EQ(slot.NumChannels(), 2);
  EXPECT_EQ(slot.Size(), 600u);
  EXPECT_EQ(slot.mPosition.load(), 0u); // plays from the start at once
  EXPECT_EQ(gSampleDialogPath, U16(file));
}

TEST_F(BrowseTest, HostValueOfOneHalfBrowsesLikeOne)
{
  const fs::path file = mFolder / "snare.wav";
  WriteConstantWav(file, 100);
  mChooser.Choose(file);
  HostSets(plug, kFolderButton + 0, 0.5);
  EXPECT_EQ(plug.mSlots[0].Path(), U16(file));
}

TEST_F(BrowseTest, CancelReloadsTheChannelsFileAndPlaysItOnce)
{
  const fs::path file = mFolder / "kick.wav";
  WriteConstantWav(file, 100);
  SampleSlot& slot = plug.mSlots[1];
  slot.LoadFile(U16(file));
  // The file changed on disk since: a cancelled browse loads it again.
  WriteConstantWav(file, 250);
  mChooser.Cancel();

  HostSets(plug, kFolderButton + 1, 1.0);

  EXPECT_TRUE(mChooser.Ran());
  EXPECT_EQ(gSampleDialogPath, U16(file)); // the dialog was handed the channel's file
  EXPECT_EQ(slot.Path(), U16(file));
  EXPECT_EQ(slot.Size(), 250u);
  EXPECT_EQ(slot.mPosition.load(), 0u);
}

TEST_F(BrowseTest, CancelOnAnEmptyChannelLoadsTheEmptyPath)
{
  mChooser.Cancel();
  gSampleDialogPath = u"/left/over.wav";
  HostSets(plug, kFolderButton + 5, 1.0);
  EXPECT_TRUE(gSampleDialogPath.empty());
  EXPECT_TRUE(plug.mSlots[5].Path().empty());
  EXPECT_EQ(plug.mSlots[5].Size(), 0u);
}

TEST_F(BrowseTest, BrowseValueZeroOpensNoDialog)
{
  mChooser.Cancel();
  HostSets(plug, kFolderButton + 0, 0.0);
  EXPECT_FALSE(mChooser.Ran());
}

// ------------------------------------------------------------------------------- previous and next

class StepThroughFolderTest : public ButtonReactionsTest
{
protected:
  void SetUp() override
  {
    // Sorted by bytes: "B.wav" (capital first), "a.wav", "b.wav", "c.wav", "d" (a folder), "e.txt".
    for (const char* name : {"a.wav", "b.wav", "c.wav", "B.wav"})
      WriteConstantWav(mFolder / name, 64);
    fs::create_directory(mFolder / "d");
    std::ofstream(mFolder / "e.txt") << "not a sample";
  }

  std::u16string Entry(const char* name) const { return U16(mFolder / name); }

  void Press(int param, int ch) { HostSets(plug, param + ch, 1.0); }

  TempFolder mFolder;
};

TEST_F(StepThroughFolderTest, PreviousButtonTakesTheFollowingEntryAndNextThePreceding)
{
  SampleSlot& slot = plug.mSlots[0];
  slot.LoadFile(Entry("b.wav"));

  Press(kPreviousSampleButton, 0);
  EXPECT_EQ(slot.Path(), Entry("c.wav"));
  Press(kNextSampleButton, 0);
  EXPECT_EQ(slot.Path(), Entry("b.wav"));
  Press(kNextSampleButton, 0);
  EXPECT_EQ(slot.Path(), Entry("a.wav"));
  Press(kNextSampleButton, 0);
  EXPECT_EQ(slot.Path(), Entry("B.wav"));
  // The first entry: the preceding one is the file itself.
  Press(kNextSampleButton, 0);
  EXPECT_EQ(slot.Path(), Entry("B.wav"));
  EXPECT_EQ(slot.Size(), 64u);
  // Stepping loads but does not play.
  EXPECT_EQ(slot.mPosition.load(), slot.Size());
}

TEST_F(StepThroughFolderTest, EntriesThatAreNoSamplesArePassedOverOnePressAtATime)
{
  SampleSlot& slot = plug.mSlots[3];
  slot.LoadFile(Entry("c.wav"));
  const double* buffer = slot.Buffer();

  Press(kPreviousSampleButton, 3);
  EXPECT_EQ(slot.Path(), Entry("d")); // a folder: the load fails, the channel keeps its sample
  EXPECT_EQ(slot.Buffer(), buffer);
  Press(kPreviousSampleButton, 3);
  EXPECT_EQ(slot.Path(), Entry("e.txt"));
  // The last entry: no following one, so it is loaded again.
  Press(kPreviousSampleButton, 3);
  EXPECT_EQ(slot.Path(), Entry("e.txt"));
  EXPECT_EQ(slot.Buffer(), buffer);
  EXPECT_EQ(slot.Size(), 64u);
}

TEST_F(StepThroughFolderTest, FolderHoldingOnlyTheChannelsFileLoadsItAgain)
{
  const fs::path alone = mFolder / "alone";
  fs::create_directory(alone);
  WriteConstantWav(alone / "only.wav", 10);
  SampleSlot& slot = plug.mSlots[0];
  slot.LoadFile(U16(alone / "only.wav"));
  WriteConstantWav(alone / "only.wav", 20);
  Press(kPreviousSampleButton, 0);
  EXPECT_EQ(slot.Size(), 20u);
  WriteConstantWav(alone / "only.wav", 30);
  Press(kNextSampleButton, 0);
  EXPECT_EQ(slot.Size(), 30u);
  EXPECT_EQ(slot.Path(), U16(alone / "only.wav"));
}

TEST_F(StepThroughFolderTest, ChannelWithoutFileLoadsTheEmptyPath)
{
  for (int param : {kPreviousSampleButton, kNextSampleButton})
  {
    Press(param, 7);
    EXPECT_TRUE(plug.mSlots[7].Path().empty());
    EXPECT_EQ(plug.mSlots[7].Size(), 0u);
  }
}

TEST_F(StepThroughFolderTest, FileNoLongerInItsFolderIsLoadedAgainAndFails)
{
  SampleSlot& slot = plug.mSlots[0];
  slot.LoadFile(Entry("a.wav"));
  fs::remove(mFolder / "a.wav");
  Press(kPreviousSampleButton, 0);
  EXPECT_EQ(slot.Path(), Entry("a.wav"));
  EXPECT_EQ(slot.Size(), 64u);
}

TEST_F(StepThroughFolderTest, FolderThatCannotBeListedLeavesTheChannelAsItWas)
{
  const fs::path gone = mFolder / "gone";
  fs::create_directory(gone);
  WriteConstantWav(gone / "kick.wav", 32);
  SampleSlot& slot = plug.mSlots[2];
  slot.LoadFile(U16(gone / "kick.wav"));
  slot.mPosition.store(5);
  const double* buffer = slot.Buffer();
  fs::remove_all(gone);

  for (int param : {kPreviousSampleButton, kNextSampleButton})
  {
    Press(param, 2);
    EXPECT_EQ(slot.Path(), U16(gone / "kick.wav"));
    EXPECT_EQ(slot.Buffer(), buffer);
    EXPECT_EQ(slot.Size(), 32u);
    EXPECT_EQ(slot.mPosition.load(), 5u); // no load happened
  }
}

TEST_F(StepThroughFolderTest, ValueZeroDoesNothing)
{
  SampleSlot& slot = plug.mSlots[0];
  slot.LoadFile(Entry("b.wav"));
  HostSets(plug, kPreviousSampleButton, 0.0);
  HostSets(plug, kNextSampleButton, 0.0);
  EXPECT_EQ(slot.Path(), Entry("b.wav"));
}
