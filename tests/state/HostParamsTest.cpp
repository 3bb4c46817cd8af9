// The button parameters through the host's interface of the built bundle: each one shows the state it
// acts on, a host that writes back what it read changes nothing, a restore brings every parameter
// back, and the host hears what the plug-in changed on its own.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ChunkBuilder.h"
#include "BundlePlugin.h"
#include "HostIdle.h"
#include "HostPlugin.h"
#include "HostProcessing.h"
#include "TempFolder.h"
#include "WavFiles.h"

using namespace krbtest;
using namespace Steinberg;
using krb::host::EHandlerCall;
using krb::host::HandlerCall;
using krb::host::HostPlugin;
using krb::host::HostProcessing;
using krbtest::HostIdle;
using krbtest::OpenBundle;
using krbtest::SaveState;

namespace
{
constexpr Vst::ParamID kLed = 0;
constexpr Vst::ParamID kFolder = 16;
constexpr Vst::ParamID kStep = 28;
constexpr Vst::ParamID kDrum = 44;
constexpr Vst::ParamID kPrevious = 56;
constexpr Vst::ParamID kNext = 68;
constexpr Vst::ParamID kMode = 80;
constexpr Vst::ParamID kOctave = 84;
constexpr Vst::ParamID kPlay = 86;
constexpr Vst::ParamID kSolo = 98;
constexpr Vst::ParamID kMute = 110;
constexpr Vst::ParamID kPattern = 122;
constexpr Vst::ParamID kFirstKnob = 134;

constexpr int kSlotsPerDrum = 24;
constexpr int kStepsPerSlot = 128;

// The state the tests restore: drum 4, octave 1, pattern 7 (slot 19) shown with steps 0, 3, 9 and 15
// set, other rows with steps of their own, Run mode, LED 6; channel 3 muted, channels 5 and 8 soloed,
// the others silenced by the solos; channel 0 holds b.wav of a folder of three files.
struct MixedState
{
  static constexpr int kShownLed = 6;
  static constexpr int kShownDrum = 4;
  static constexpr int kShownMode = 1;
  static constexpr int kShownOctave = 1;
  static constexpr int kShownPattern = 7;
  static constexpr std::array<int, 4> kShownSteps = {0, 3, 9, 15};
  static constexpr std::array<int32_t, 12> kStates = {2, 2, 2, 1, 2, 3, 2, 2, 3, 2, 2, 2};

  explicit MixedState(const TempFolder& folder)
  {
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
      WriteConstantWav(folder / name, 100, 0.5);

    std::vector<double> patterns(ChunkBuilder::kPatternValues, 0.0);
    auto set = [&patterns](int drum, int slot, int step) {
      patterns[static_cast<size_t>((drum * kSlotsPerDrum + slot) * kStepsPerSlot + step)] = 1.0;
    };
    for (int step : kShownSteps)
      set(kShownDrum, kShownOctave * 12 + kShownPattern, step);
    set(kShownDrum, kShownPattern, 1);                      // the same pattern in the other octave
    set(2, kShownOctave * 12 + kShownPattern, 5);           // another drum
    set(kShownDrum, kShownOctave * 12 + kShownPattern, 20); // beyond the 16 shown steps

    ChunkBuilder chunk;
    chunk.FixedPart(3.0, patterns, kShownLed, kShownDrum, kShownMode, kShownOctave, kShownPattern, 1.25, 0.4);
    for (int ch = 0; ch < 12; ++ch)
    {
      ChunkBuilder::Channel channel;
      channel.state = kStates[static_cast<size_t>(ch)];
      channel.pan = 0.1 + 0.05 * ch;
      channel.volume = 0.5 + 0.1 * ch;
      channel.pitch = ch - 6;
      channel.swing = ch % 2 == 0 ? 1.0 : 0.0;
      channel.length = 1.0 - 0.03 * ch;
      if (ch == 0)
      {
        channel.path = U16(folder / "b.wav");
        channel.samples.assign(100, 0.25);
      }
      chunk.Record(channel);
    }
    chunk.Int(0); // the bypass flag
    mBytes = chunk.Bytes();
  }

  // What each button parameter shows for this state (normalised; every button is 0 or 1).
  static double Shown(Vst::ParamID id)
  {
    auto in = [id](Vst::ParamID first, int count) {
      return id >= first && id < first + static_cast<Vst::ParamID>(count);
    };
    auto is = [](bool on) { return on ? 1.0 : 0.0; };
    const int i = static_cast<int>(id);
    if (in(kLed, 16))
      return is(i - kLed == kShownLed);
    if (in(kStep, 16))
    {
      for (int step : kShownSteps)
        if (i - static_cast<int>(kStep) == step)
          return 1.0;
      return 0.0;
    }
    if (in(kDrum, 12))
      return is(i - kDrum == kShownDrum);
    if (in(kMode, 4))
      return is(i - kMode == kShownMode);
    if (in(kOctave, 2))
      return is(i - kOctave == kShownOctave);
    if (in(kPattern, 12))
      return is(i - kPattern == kShownPattern);
    if (in(kSolo, 12))
      return is(kStates[static_cast<size_t>(i - kSolo)] == 3);
    if (in(kMute, 12))
      return is(kStates[static_cast<size_t>(i - kMute)] == 1);
    return 0.0; // browse, previous, next and play read 0 when not pressed
  }

  static std::string Name(Vst::ParamID id)
  {
    const char* const kGroups[] = {"LED",  "browse", "step", "drum", "previous", "next",
                                   "mode", "octave", "play", "solo", "mute",     "pattern"};
    const Vst::ParamID kFirsts[] = {kLed,  kFolder, kStep, kDrum, kPrevious, kNext,
                                    kMode, kOctave, kPlay, kSolo, kMute,     kPattern};
    for (int g = 11; g >= 0; --g)
      if (id >= kFirsts[g])
        return std::string(kGroups[g]) + " " + std::to_string(id - kFirsts[g]);
    return "?";
  }

  std::vector<uint8_t> mBytes;
};

// Every parameter the host sees, in its index order, with the value it reads.
struct ParamValue
{
  Vst::ParamID id;
  bool automatable;
  double value;
};

std::vector<ParamValue> ReadAll(HostPlugin& plugin)
{
  std::vector<ParamValue> values;
  for (const auto& param : plugin.Parameters())
    values.push_back({param.mId, (param.mFlags & Vst::ParameterInfo::kCanAutomate) != 0,
                      plugin.Controller()->getParamNormalized(param.mId)});
  return values;
}

int32_t SavedMode(const std::vector<uint8_t>& state) { return IntAt(state.data(), 294928); }

class HostParamsTest : public testing::Test
{
protected:
  void SetUp() override
  {
    mPlugin = OpenBundle(KRB_BUNDLE);
    ASSERT_TRUE(mPlugin);
  }

  double Read(Vst::ParamID id) const { return mPlugin->Controller()->getParamNormalized(id); }
  void Write(Vst::ParamID id, double value) { mPlugin->Controller()->setParamNormalized(id, value); }

  // Every button parameter reads what the mixed state shows.
  void ExpectTheMixedStateShown()
  {
    for (Vst::ParamID id = 0; id < kFirstKnob; ++id)
      EXPECT_EQ(Read(id), MixedState::Shown(id)) << MixedState::Name(id);
  }

  TempFolder mFolder;
  MixedState mMixed{mFolder};
  std::unique_ptr<HostPlugin> mPlugin;
};
} // namespace

TEST_F(HostParamsTest, AfterARestoreEveryButtonShowsTheStateItActsOn)
{
  // Values a host wrote earlier, which the restored state does not share.
  Write(kMode + 3, 1.0);
  Write(kSolo + 0, 1.0);
  Write(kMute + 5, 1.0);
  Write(kPattern + 2, 1.0);
  Write(kStep + 1, 1.0);
  Write(kPlay + 4, 1.0);
  ASSERT_EQ(mPlugin->SetState(mMixed.mBytes), kResultOk);
  ExpectTheMixedStateShown();
}

TEST_F(HostParamsTest, WritingBackEveryValueReadLeavesTheStateAsItWas)
{
  ASSERT_EQ(mPlugin->SetState(mMixed.mBytes), kResultOk);
  const std::vector<uint8_t> before = SaveState(*mPlugin);
  const std::vector<ParamValue> read = ReadAll(*mPlugin);
  for (const ParamValue& param : read)
    Write(param.id, param.value);
  EXPECT_EQ(SaveState(*mPlugin), before);
  const std::vector<ParamValue> after = ReadAll(*mPlugin);
  ASSERT_EQ(after.size(), read.size());
  for (size_t i = 0; i < read.size(); ++i)
    EXPECT_EQ(after[i].value, read[i].value) << read[i].id;
  ExpectTheMixedStateShown();
}

// What a plug-in validator checks: whatever value lands on an automatable parameter, restoring a
// saved state brings every parameter back to what it read when that state was saved.
TEST_F(HostParamsTest, RestoreBringsEveryParameterBackAfterRandomValues)
{
  ASSERT_EQ(mPlugin->SetState(mMixed.mBytes), kResultOk);
  const std::vector<uint8_t> saved = SaveState(*mPlugin);
  const std::vector<ParamValue> expected = ReadAll(*mPlugin);
  auto expectRestored = [&](const std::string& what) {
    ASSERT_EQ(mPlugin->SetState(saved), kResultOk) << what;
    const std::vector<ParamValue> now = ReadAll(*mPlugin);
    ASSERT_EQ(now.size(), expected.size());
    for (size_t i = 0; i < now.size(); ++i)
      EXPECT_EQ(now[i].value, expected[i].value) << what << ": parameter " << now[i].id;
  };

  std::mt19937 random(14);
  std::uniform_real_distribution<double> anyValue(0.0, 1.0);
  // One parameter at a time...
  for (const ParamValue& param : expected)
  {
    if (!param.automatable)
      continue;
    Write(param.id, anyValue(random));
    expectRestored("after parameter " + std::to_string(param.id));
  }
  // ...and all of them at once, a few times over.
  for (int pass = 0; pass < 3; ++pass)
  {
    for (const ParamValue& param : expected)
      if (param.automatable)
        Write(param.id, anyValue(random));
    expectRestored("after pass " + std::to_string(pass));
  }
}

// Not from inside setState, where a host may hold a lock that its handler takes: at the next idle tick.
TEST_F(HostParamsTest, RestoreTellsTheHostToReadEveryValueAgain)
{
  HostIdle idle;
  auto plugin = idle.Open(KRB_BUNDLE);
  ASSERT_TRUE(plugin);
  idle.Run(100);
  plugin->Handler().Clear();
  ASSERT_EQ(plugin->SetState(mMixed.mBytes), kResultOk);
  EXPECT_TRUE(plugin->Handler().Calls().empty());
  idle.Run(100);
  const std::vector<HandlerCall> calls = plugin->Handler().Calls();
  ASSERT_EQ(plugin->Handler().Count(EHandlerCall::kRestartComponent), 1u);
  for (const HandlerCall& call : calls)
  {
    if (call.mCall == EHandlerCall::kRestartComponent)
    {
      EXPECT_EQ(call.mFlags & Vst::kParamValuesChanged, Vst::kParamValuesChanged);
    }
  }
  EXPECT_EQ(plugin->Handler().Count(EHandlerCall::kPerformEdit), 0u);
}

// Inside the host's own setParamNormalized the plug-in calls nothing of the host's; the parameters it
// moved read their new values at once.
TEST_F(HostParamsTest, HostWriteMovesTheOtherButtonsOfItsGroupWithoutCallingTheHostBack)
{
  ASSERT_EQ(mPlugin->SetState(mMixed.mBytes), kResultOk);
  bool inside = false;
  std::vector<std::string> callsInside;
  mPlugin->Handler().SetListener([&](const HandlerCall& call) {
    if (inside)
      callsInside.push_back(krb::host::HandlerCallName(call.mCall));
  });
  struct WriteCase
  {
    Vst::ParamID id;
    double value;
    std::vector<std::pair<Vst::ParamID, double>> reads;
  };
  const WriteCase kCases[] = {
    {kMode + 3, 1.0, {{kMode + 1, 0.0}, {kMode + 3, 1.0}}},
    {kDrum + 2, 1.0, {{kDrum + 4, 0.0}, {kDrum + 2, 1.0}, {kStep + 0, 0.0}, {kStep + 5, 1.0}}},
    {kOctave + 0, 1.0, {{kOctave + 1, 0.0}, {kOctave + 0, 1.0}, {kStep + 5, 0.0}}},
    {kSolo + 5, 0.0, {{kSolo + 5, 0.0}, {kSolo + 8, 1.0}, {kMute + 3, 1.0}}},
    {kMute + 3, 0.0, {{kMute + 3, 1.0}}}, // unmuted while a solo is on: still muted
    {kMode + 3, 0.0, {{kMode + 3, 1.0}}}, // 0 on the current mode chooses nothing
  };
  for (const WriteCase& c : kCases)
  {
    SCOPED_TRACE(MixedState::Name(c.id));
    inside = true;
    Write(c.id, c.value);
    inside = false;
    for (const auto& [id, value] : c.reads)
      EXPECT_EQ(Read(id), value) << MixedState::Name(id);
  }
  EXPECT_TRUE(callsInside.empty()) << callsInside.front();
  mPlugin->Handler().SetListener(nullptr);
}

TEST_F(HostParamsTest, MomentaryButtonsReadZeroAndActOncePerPress)
{
  ASSERT_EQ(mPlugin->SetState(mMixed.mBytes), kResultOk);
  // Channel 0 holds b.wav: "Previous Sample Button" takes the following file, "Next Sample Button"
  // the preceding one.
  struct PressCase
  {
    Vst::ParamID id;
    double value;
    const char* file;
  };
  const PressCase kPresses[] = {
    {kPrevious, 1.0, "c.wav"}, {kPrevious, 0.0, "c.wav"}, {kNext, 1.0, "b.wav"},
    {kNext, 1.0, "a.wav"},     {kNext, 0.0, "a.wav"},     {kPrevious, 1.0, "b.wav"},
  };
  for (const PressCase& press : kPresses)
  {
    Write(press.id, press.value);
    EXPECT_EQ(FirstPath(SaveState(*mPlugin)), (mFolder / press.file).string());
    EXPECT_EQ(Read(press.id), 0.0);
  }
  Write(kPlay + 2, 1.0);
  EXPECT_EQ(Read(kPlay + 2), 0.0);
}

TEST_F(HostParamsTest, PatternChosenByANoteReadsAtOnce)
{
  ASSERT_EQ(mPlugin->SetState(mMixed.mBytes), kResultOk);
  Write(kMode + 2, 1.0); // HostSync
  HostProcessing processing(*mPlugin);
  ASSERT_EQ(processing.Setup(44100.0, 512), kResultOk);
  ASSERT_EQ(mPlugin->SetActive(true), kResultOk);
  ASSERT_EQ(mPlugin->SetProcessing(true), kResultOk);
  processing.SetTempo(120.0);
  processing.SetPlaying(true);
  processing.InputEvents().AddNoteOn(0, 48 + 7, 1.0f); // octave 0, pattern 7
  ASSERT_EQ(processing.Process(512), kResultOk);
  ASSERT_EQ(mPlugin->SetProcessing(false), kResultOk);
  ASSERT_EQ(mPlugin->SetActive(false), kResultOk);

  EXPECT_EQ(Read(kOctave + 0), 1.0);
  EXPECT_EQ(Read(kOctave + 1), 0.0);
  EXPECT_EQ(Read(kPattern + 7), 1.0);
  // The shown row is now slot 7 of drum 4: only step 1.
  for (int step = 0; step < 16; ++step)
    EXPECT_EQ(Read(kStep + static_cast<Vst::ParamID>(step)), step == 1 ? 1.0 : 0.0) << step;
}

// A host's automation in process reaches a button only through the edit controller, where the
// host writes the same point; in process it leaves the button showing the state.
TEST_F(HostParamsTest, AutomationInProcessLeavesAButtonShowingTheState)
{
  ASSERT_EQ(mPlugin->SetState(mMixed.mBytes), kResultOk);
  HostProcessing processing(*mPlugin);
  ASSERT_EQ(processing.Setup(44100.0, 512), kResultOk);
  ASSERT_EQ(mPlugin->SetActive(true), kResultOk);
  ASSERT_EQ(mPlugin->SetProcessing(true), kResultOk);
  processing.InputChanges().AddChange(kMode + 3, 0, 1.0);
  processing.InputChanges().AddChange(kSolo + 0, 0, 1.0);
  ASSERT_EQ(processing.Process(512), kResultOk);
  EXPECT_EQ(Read(kMode + 3), 0.0);
  EXPECT_EQ(Read(kMode + 1), 1.0);
  EXPECT_EQ(Read(kSolo + 0), 0.0);

  // The same point through the edit controller acts.
  Write(kMode + 3, 1.0);
  EXPECT_EQ(Read(kMode + 3), 1.0);
  EXPECT_EQ(Read(kMode + 1), 0.0);
  EXPECT_EQ(SavedMode(SaveState(*mPlugin)), 3);
  ASSERT_EQ(mPlugin->SetProcessing(false), kResultOk);
  ASSERT_EQ(mPlugin->SetActive(false), kResultOk);
}
