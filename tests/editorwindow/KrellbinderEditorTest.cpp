// Krellbinder's editor in a real window under Xvfb: the built bundle is loaded by the host library, its
// editor is embedded in a host window and driven by the host's run loop, clicked and dragged with real
// pointer events; the host's parameter edits and the plug-in's saved state show what the core did.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ChunkBuilder.h"
#include "EditorSize.h"
#include "HostEditor.h"
#include "HostIdle.h"
#include "HostModule.h"
#include "HostPlugin.h"
#include "HostProcessing.h"
#include "HostRunLoop.h"
#include "Picture.h"
#include "TempConfigHome.h"
#include "pluginterfaces/gui/iplugview.h"

using namespace Steinberg;
using krb::host::EditorWindow;
using krb::host::EFlushMode;
using krb::host::EHandlerCall;
using krb::host::HostPlugin;
using krb::host::HostProcessing;
using krb::host::HostRunLoop;

namespace
{
constexpr int kDrums = 12;
constexpr int kSlots = 24;
constexpr int kSteps = 128;

// What the state chunk says about the editor's side of the core.
struct SavedState
{
  std::vector<double> patterns; // [drum][slot][step]
  int32_t displayedStep = -1, selectedDrum = -1, mode = -1, octave = -1, pattern = -1;
  double masterVolume = 0, masterSwing = 0;
  std::array<int32_t, kDrums> channelState{};
  std::array<double, kDrums> volume{};

  bool Step(int drum, int slot, int step) const
  {
    return patterns[(static_cast<size_t>(drum) * kSlots + slot) * kSteps + step] != 0.0;
  }
};

class Reader
{
public:
  explicit Reader(const std::vector<uint8_t>& bytes)
    : mBytes(bytes)
  {
  }
  template <class T>
  T Get()
  {
    T value{};
    if (mPos + sizeof(T) <= mBytes.size())
      std::memcpy(&value, mBytes.data() + mPos, sizeof(T));
    mPos += sizeof(T);
    return value;
  }
  void Skip(size_t bytes) { mPos += bytes; }
  bool Ok() const { return mPos <= mBytes.size(); }

private:
  const std::vector<uint8_t>& mBytes;
  size_t mPos = 0;
};

SavedState Parse(const std::vector<uint8_t>& bytes)
{
  SavedState s;
  Reader r(bytes);
  EXPECT_EQ(r.Get<double>(), 3.0);
  s.patterns.resize(static_cast<size_t>(kDrums) * kSlots * kSteps);
  for (double& v : s.patterns)
    v = r.Get<double>();
  s.displayedStep = r.Get<int32_t>();
  s.selectedDrum = r.Get<int32_t>();
  s.mode = r.Get<int32_t>();
  s.octave = r.Get<int32_t>();
  s.pattern = r.Get<int32_t>();
  s.masterVolume = r.Get<double>();
  s.masterSwing = r.Get<double>();
  for (int ch = 0; ch < kDrums; ++ch)
  {
    while (r.Ok() && r.Get<double>() != 0.0) // the path, one double per UTF-16 unit, 0.0 at the end
    {
    }
    const double size = r.Get<double>();
    if (size > 0)
    {
      r.Get<double>(); // channels
      r.Skip(static_cast<size_t>(size) * 8);
    }
    s.channelState[static_cast<size_t>(ch)] = r.Get<int32_t>();
    r.Get<double>(); // pan
    s.volume[static_cast<size_t>(ch)] = r.Get<double>();
    r.Get<int32_t>(); // pitch
    r.Get<double>();  // swing
    r.Get<double>();  // length
  }
  EXPECT_TRUE(r.Ok());
  return s;
}

// A bitmap of the resources folder.
struct Picture : krbtest::Picture
{
  explicit Picture(const char* fileName)
    : krbtest::Picture(std::filesystem::path(KRB_RESOURCES_DIR) / fileName)
  {
  }
};

// The middle of a control placed at (x, y) with a frame of w x h, in view units (pixels at scale 1).
struct Point
{
  int x, y;
};
Point Middle(int x, int y, int w, int h) { return {x + w / 2, y + h / 2}; }
Point StepButton(int i) { return Middle(104 + 63 * i, 455, 52, 40); }
Point DrumSelect(int ch) { return Middle(105 + 63 * ch, 373, 52, 19); }
Point ModeButton(int i) { return Middle(104 + 63 * i, 543, 52, 40); }
Point PatternButton(int i) { return Middle(925 + 60 * (i % 3), 298 + 25 * (i / 3), 52, 19); }
Point OctaveButton(int i) { return Middle(926 + 59 * i, 273, 52, 19); }
Point VolumeKnob(int ch) { return Middle(115 + 63 * ch, 232, 30, 30); }
Point SoloButton(int ch) { return Middle(131 + 63 * ch, 132, 26, 21); }
Point MuteButton(int ch) { return Middle(104 + 63 * ch, 132, 26, 21); }
Point PlayButton(int ch) { return Middle(110 + 63 * ch, 113, 11, 11); }

class KrellbinderEditorTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    std::string error;
    mPlugin = HostPlugin::Open(KRB_PLUGIN_BUNDLE, "", error);
    ASSERT_NE(mPlugin, nullptr) << error;
    ASSERT_NE(mPlugin->Controller(), nullptr);
  }
  void TearDown() override
  {
    Close();
    mPlugin.reset();
  }

  // A new instance from a host whose context offers the run loop of its main thread, the loop that
  // the editor's frame then lends the view too.
  void ReopenOfferingRunLoop()
  {
    mPlugin.reset();
    mIdle = std::make_unique<krbtest::HostIdle>();
    mRunLoop = &mIdle->Loop();
    mPlugin = mIdle->Open(KRB_PLUGIN_BUNDLE);
    ASSERT_NE(mPlugin, nullptr);
  }

  void Open()
  {
    mView = mPlugin->Controller()->createView(Vst::ViewType::kEditor);
    ASSERT_NE(mView, nullptr);
    std::string error;
    mWindow = EditorWindow::Open(mView, error, mRunLoop);
    ASSERT_NE(mWindow, nullptr) << error;
    // The first ticks deliver the queued state; the groups answer it with their parameters.
    mWindow->RunFor(200);
    mPlugin->Handler().Clear();
  }
  void Close()
  {
    mWindow.reset();
    if (mView)
      mView->release();
    mView = nullptr;
  }
  void Click(Point p)
  {
    mWindow->Click(p.x, p.y);
    mWindow->RunFor(100);
  }
  SavedState State()
  {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(mPlugin->GetState(bytes), kResultOk);
    return Parse(bytes);
  }
  std::optional<double> Edit(Vst::ParamID id) const { return mPlugin->Handler().LastPerformedValue(id); }

  // Whether the switch at `place` (its top-left corner, frame height fh) shows the frame of `bitmap`
  // for on or for off, judged at the frame's point (x, y), where the two frames differ.
  ::testing::AssertionResult Shows(Point place, const Picture& bitmap, int fh, int x, int y, bool on)
  {
    const uint8_t* offPixel = bitmap.At(x, y);
    const uint8_t* onPixel = bitmap.At(x, y + fh);
    if (std::equal(offPixel, offPixel + 3, onPixel))
      return ::testing::AssertionFailure() << "the frames do not differ at " << x << ", " << y;
    return PixelIs({place.x + x, place.y + y}, on ? onPixel : offPixel);
  }

  ::testing::AssertionResult PixelIs(Point p, const uint8_t* expected)
  {
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    if (!mWindow->Capture(rgba, w, h) || p.x >= w || p.y >= h)
      return ::testing::AssertionFailure() << "no pixel at " << p.x << ", " << p.y;
    const uint8_t* got = &rgba[(static_cast<size_t>(p.y) * w + p.x) * 4];
    for (int c = 0; c < 3; ++c)
      if (std::abs(got[c] - expected[c]) > 8)
        return ::testing::AssertionFailure()
               << "pixel (" << p.x << ", " << p.y << ") is " << int(got[0]) << "," << int(got[1]) << "," << int(got[2])
               << ", expected " << int(expected[0]) << "," << int(expected[1]) << "," << int(expected[2]);
    return ::testing::AssertionSuccess();
  }

  krbtest::TempConfigHome mHome;            // the settings file of every instance in this test goes here
  std::unique_ptr<krbtest::HostIdle> mIdle; // a host whose context offers its main loop
  HostRunLoop* mRunLoop = nullptr;          // that loop
  std::unique_ptr<HostPlugin> mPlugin;
  IPlugView* mView = nullptr;
  std::unique_ptr<EditorWindow> mWindow;
};

TEST_F(KrellbinderEditorTest, StepsDrumModeAndPatternClicksReachTheCore)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(mWindow->Width(), kEditorWidth);
  EXPECT_EQ(mWindow->Height(), kEditorHeight);

  Click(StepButton(0));
  Click(StepButton(5));
  EXPECT_EQ(Edit(28), 1.0);
  EXPECT_EQ(Edit(33), 1.0);
  SavedState s = State();
  for (int step = 0; step < 16; ++step)
    EXPECT_EQ(s.Step(0, 0, step), step == 0 || step == 5) << step;

  // Drum 3: its button goes on and drum 0's off, the others are not written; its empty row then clears
  // the step buttons, without touching drum 0's steps.
  auto expectGroupEdits = [this](Vst::ParamID first, int count, int on, int off) {
    for (int i = 0; i < count; ++i)
    {
      const std::optional<double> expected = i == on    ? std::optional<double>(1.0)
                                             : i == off ? std::optional<double>(0.0)
                                                        : std::nullopt;
      EXPECT_EQ(Edit(first + static_cast<Vst::ParamID>(i)), expected) << first + i;
    }
  };
  Click(DrumSelect(3));
  expectGroupEdits(44, 12, 3, 0);
  s = State();
  EXPECT_EQ(s.selectedDrum, 3);
  EXPECT_EQ(Edit(28), 0.0);
  EXPECT_EQ(Edit(33), 0.0);
  EXPECT_TRUE(s.Step(0, 0, 0) && s.Step(0, 0, 5));
  EXPECT_FALSE(s.Step(3, 0, 0) || s.Step(3, 0, 5));
  Click(StepButton(15));
  EXPECT_TRUE(State().Step(3, 0, 15));

  Click(ModeButton(1));
  expectGroupEdits(80, 4, 1, 0);
  EXPECT_EQ(State().mode, 1);

  Click(PatternButton(4));
  expectGroupEdits(122, 12, 4, 0);
  s = State();
  EXPECT_EQ(s.pattern, 4);
  EXPECT_EQ(s.octave, 0);
  EXPECT_TRUE(mPlugin->Handler().EditsBalanced());

  // Every bitmap frame on the screen follows: step 15 of pattern 4 is empty, so its button is off.
  const Picture seq("btnSeq.png");
  EXPECT_TRUE(PixelIs({StepButton(15).x, 455 + 5}, seq.At(26, 5)));
}

TEST_F(KrellbinderEditorTest, DraggingAVolumeKnobSetsTheChannelsVolume)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  const Point knob = VolumeKnob(2);
  // Up by 30 pixels: a quarter of the range (gearing 4 on a 30-pixel knob), from 1.0 of 0 to 2.
  mWindow->Drag(knob.x, knob.y, knob.x, knob.y - 30, 5);
  mWindow->RunFor(100);
  ASSERT_TRUE(Edit(146 + 2).has_value());
  EXPECT_NEAR(*Edit(146 + 2), 0.75, 0.01);
  EXPECT_EQ(mPlugin->Handler().Count(EHandlerCall::kBeginEdit, 146 + 2), 1u);
  const SavedState s = State();
  EXPECT_NEAR(s.volume[2], 1.5, 0.02);
  EXPECT_DOUBLE_EQ(s.volume[1], 1.0);
}

TEST_F(KrellbinderEditorTest, SoloAndMuteButtonsSetTheChannelStatesAndTheLamps)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  Click(MuteButton(5));
  EXPECT_EQ(Edit(110 + 5), 1.0);
  SavedState s = State();
  for (int ch = 0; ch < 12; ++ch)
    EXPECT_EQ(s.channelState[static_cast<size_t>(ch)], ch == 5 ? 1 : 0) << ch;

  Click(SoloButton(2));
  EXPECT_EQ(Edit(98 + 2), 1.0);
  s = State();
  for (int ch = 0; ch < 12; ++ch)
    EXPECT_EQ(s.channelState[static_cast<size_t>(ch)], ch == 2 ? 3 : ch == 5 ? 1 : 2) << ch;

  // The lamps: solo 2 lit; every other channel's mute lamp lit by the channel states, which send
  // nothing back to the host.
  const Picture mute("btnMute.png");
  const Picture solo("btnSolo.png");
  EXPECT_TRUE(PixelIs(SoloButton(2), solo.At(13, 21 + 10)));
  EXPECT_TRUE(PixelIs(MuteButton(0), mute.At(13, 21 + 10)));
  EXPECT_TRUE(PixelIs(MuteButton(2), mute.At(13, 10)));
  EXPECT_TRUE(PixelIs(MuteButton(5), mute.At(13, 21 + 10)));
  EXPECT_FALSE(Edit(110).has_value());
}

// A host's change moves the other buttons of the group on the screen too, and the host hears of
// everything it moved at the next idle tick, never inside its own call.
TEST_F(KrellbinderEditorTest, HostChangeShowsInTheEditorAndIsAnnouncedAtTheNextTick)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  std::vector<EHandlerCall> callsInside;
  bool inside = false;
  mPlugin->Handler().SetListener([&](const krb::host::HandlerCall& call) {
    if (inside)
      callsInside.push_back(call.mCall);
  });
  inside = true;
  ASSERT_EQ(mPlugin->Controller()->setParamNormalized(80 + 2, 1.0), kResultOk); // HostSync
  inside = false;
  EXPECT_TRUE(callsInside.empty());
  EXPECT_EQ(mPlugin->Controller()->getParamNormalized(80), 0.0);
  mWindow->RunFor(100);
  mPlugin->Handler().SetListener(nullptr);
  EXPECT_EQ(mPlugin->Handler().Count(EHandlerCall::kRestartComponent), 1u);
  EXPECT_EQ(mPlugin->Handler().Calls().at(0).mFlags, Vst::kParamValuesChanged);
  EXPECT_EQ(State().mode, 2);

  const Picture stop("btnStop.png");
  const Picture hostSync("btnHSync.png");
  EXPECT_TRUE(Shows({104, 543}, stop, 40, 26, 20, false));
  EXPECT_TRUE(Shows({104 + 2 * 63, 543}, hostSync, 40, 26, 20, true));
}

// With a host whose context offers its main loop, the idle tick comes from that loop alone: the open
// editor adds its window's events and redraws to the loop but no idle timer of its own, so the tick
// runs once per interval, and it still brings the core's records to the editor and the host's notice
// to the host.
TEST_F(KrellbinderEditorTest, IdleTickFromTheContextsRunLoopRunsOncePerIntervalWithTheEditorOpen)
{
  ASSERT_NO_FATAL_FAILURE(ReopenOfferingRunLoop());
  const std::vector<HostRunLoop::TimerInfo> idle = mRunLoop->Timers();
  ASSERT_EQ(idle.size(), 1u);
  ASSERT_EQ(mRunLoop->Registrations(), 1u);
  // The timers that tick at the idle interval.
  auto idleTimers = [&] {
    std::vector<Linux::ITimerHandler*> handlers;
    for (const HostRunLoop::TimerInfo& timer : mRunLoop->Timers())
      if (timer.mInterval == idle[0].mInterval)
        handlers.push_back(timer.mHandler);
    return handlers;
  };

  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_GT(mRunLoop->Registrations(), 1u);
  EXPECT_EQ(idleTimers(), std::vector<Linux::ITimerHandler*>{idle[0].mHandler});

  ASSERT_EQ(mPlugin->Controller()->setParamNormalized(80 + 2, 1.0), kResultOk); // HostSync
  mWindow->RunFor(100);
  EXPECT_EQ(mPlugin->Handler().Count(EHandlerCall::kRestartComponent), 1u);
  const Picture hostSync("btnHSync.png");
  EXPECT_TRUE(Shows({104 + 2 * 63, 543}, hostSync, 40, 26, 20, true));

  Close();
  EXPECT_EQ(mRunLoop->Registrations(), 1u);
  EXPECT_EQ(idleTimers(), std::vector<Linux::ITimerHandler*>{idle[0].mHandler});
}

// An octave choice shows the row of the new octave: the step buttons and the host follow it.
TEST_F(KrellbinderEditorTest, OctaveClickShowsTheRowOfTheNewOctave)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  const Picture seq("btnSeq.png");
  Click(StepButton(2));
  EXPECT_EQ(Edit(30), 1.0);

  Click(OctaveButton(1));
  EXPECT_EQ(State().octave, 1);
  EXPECT_EQ(Edit(30), 0.0);
  EXPECT_EQ(mPlugin->Controller()->getParamNormalized(30), 0.0);
  EXPECT_TRUE(Shows({104 + 2 * 63, 455}, seq, 40, 26, 5, false));
  // A click now sets the step of the row shown.
  Click(StepButton(9));
  SavedState s = State();
  EXPECT_TRUE(s.Step(0, 12, 9));
  EXPECT_FALSE(s.Step(0, 12, 2));

  Click(OctaveButton(0));
  EXPECT_EQ(Edit(30), 1.0);
  EXPECT_EQ(Edit(37), 0.0);
  EXPECT_TRUE(Shows({104 + 2 * 63, 455}, seq, 40, 26, 5, true));
  EXPECT_TRUE(mPlugin->Handler().EditsBalanced());
  EXPECT_EQ(mPlugin->Handler().Count(EHandlerCall::kRestartComponent), 0u);
}

// The mute lamp of a channel that another channel's solo silences is lit while its mute is off: a
// click mutes the channel for good, so that it stays silent after the solo.
TEST_F(KrellbinderEditorTest, ClickOnTheLitMuteLampOfASilencedChannelMutesIt)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  Click(SoloButton(2));
  const Picture mute("btnMute.png");
  EXPECT_TRUE(PixelIs(MuteButton(0), mute.At(13, 21 + 10)));
  Click(MuteButton(0));
  EXPECT_EQ(Edit(110), 1.0);
  EXPECT_EQ(State().channelState[0], 1);
  EXPECT_TRUE(PixelIs(MuteButton(0), mute.At(13, 21 + 10)));

  Click(SoloButton(2));
  const SavedState s = State();
  for (int ch = 0; ch < 12; ++ch)
    EXPECT_EQ(s.channelState[static_cast<size_t>(ch)], ch == 0 ? 1 : 0) << ch;
  EXPECT_TRUE(PixelIs(MuteButton(0), mute.At(13, 21 + 10)));
  EXPECT_TRUE(PixelIs(MuteButton(1), mute.At(13, 10)));
}

// In Run mode a host's 0-frame call still sends the playing step to the step LEDs: the LED group
// lights it and sends its buttons' values, which the host sees.
TEST_F(KrellbinderEditorTest, ZeroFrameCallInRunModeLightsThePlayingStep)
{
  HostProcessing processing(*mPlugin);
  ASSERT_EQ(processing.Setup(44100.0, 512), kResultOk);
  ASSERT_EQ(mPlugin->SetActive(true), kResultOk);
  ASSERT_EQ(mPlugin->SetProcessing(true), kResultOk);
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_EQ(mPlugin->Controller()->setParamNormalized(80 + 1, 1.0), kResultOk); // Run
  processing.SetTempo(120.0);
  // Steps 0, 1 and 2 start at frames 0, 5512 and 11025: step 2 is playing after these blocks.
  for (int block = 0; block < 22; ++block)
    ASSERT_EQ(processing.Process(512), kResultOk);
  mWindow->RunFor(100);
  mPlugin->Handler().Clear();

  ASSERT_EQ(processing.Flush(EFlushMode::kNoBuses), kResultOk);
  mWindow->RunFor(100);
  for (int step = 0; step < 16; ++step)
    EXPECT_EQ(Edit(static_cast<Vst::ParamID>(step)), step == 2 ? 1.0 : 0.0) << step;
  EXPECT_EQ(State().displayedStep, 2);

  ASSERT_EQ(mPlugin->SetProcessing(false), kResultOk);
  ASSERT_EQ(mPlugin->SetActive(false), kResultOk);
}

// A click on a button of a group tells the host of each parameter that the click changes, once and with
// its new value, inside the click's gesture; the rest of the group, unchanged, is not written. The steps
// follow a drum, octave or pattern that shows another row. A click on the lit button changes nothing.
TEST_F(KrellbinderEditorTest, GroupClickTellsTheHostOfEachChangedParameterOnce)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  Click(StepButton(0));
  Click(StepButton(5));
  Click(ModeButton(1)); // Run

  struct ClickCase
  {
    const char* what;
    Point where;
  };
  const ClickCase kClicks[] = {
    {"the Midi mode button", ModeButton(3)}, {"drum 3, whose row is empty", DrumSelect(3)},
    {"drum 0 again", DrumSelect(0)},         {"octave 1", OctaveButton(1)},
    {"octave 0 again", OctaveButton(0)},     {"pattern 4", PatternButton(4)},
    {"pattern 0 again", PatternButton(0)},   {"the lit Midi mode button", ModeButton(3)},
    {"the Run mode button", ModeButton(1)},
  };
  auto readAll = [this] {
    std::vector<double> values;
    for (Vst::ParamID id = 0; id < 196; ++id)
      values.push_back(mPlugin->Controller()->getParamNormalized(id));
    return values;
  };
  for (const ClickCase& c : kClicks)
  {
    SCOPED_TRACE(c.what);
    const std::vector<double> before = readAll();
    mPlugin->Handler().Clear();
    Click(c.where);
    const std::vector<double> after = readAll();

    std::set<Vst::ParamID> changed;
    for (Vst::ParamID id = 0; id < 196; ++id)
      if (before[id] != after[id])
        changed.insert(id);
    std::map<Vst::ParamID, int> times;
    for (const auto& [id, value] : mPlugin->Handler().PerformedEdits())
    {
      ++times[id];
      EXPECT_EQ(value, after.at(id)) << "parameter " << id;
    }
    std::set<Vst::ParamID> written;
    for (const auto& [id, count] : times)
    {
      EXPECT_EQ(count, 1) << "parameter " << id;
      written.insert(id);
    }
    EXPECT_EQ(written, changed);
    EXPECT_TRUE(mPlugin->Handler().EditsBalanced());
  }
  const SavedState s = State();
  EXPECT_EQ(s.mode, 1);
  EXPECT_TRUE(s.Step(0, 0, 0) && s.Step(0, 0, 5));
}

// The host records what the editor tells it as automation and plays a lane back by sending its value
// when it changes. A play button held in the editor reads 1 until its release: the host hears 1 at the
// press and 0 at the release, inside one gesture, and the lane recorded from it, played back through the
// edit controller and process, sounds the channel.
TEST_F(KrellbinderEditorTest, HeldPlayButtonReadsOneUntilItsRelease)
{
  constexpr Vst::ParamID kPlay5 = 86 + 5;
  krbtest::ChunkBuilder chunk;
  const std::vector<double> noSteps(krbtest::ChunkBuilder::kPatternValues, 0.0);
  chunk.FixedPart(3.0, noSteps, 0, 0, 3); // Midi mode: the play button sounds, no step does
  for (int ch = 0; ch < 12; ++ch)
  {
    krbtest::ChunkBuilder::Channel channel;
    if (ch == 5)
      channel.samples.assign(2000, 0.5);
    chunk.Record(channel);
  }
  chunk.Int(0);
  ASSERT_EQ(mPlugin->SetState(chunk.Bytes()), kResultOk);
  ASSERT_NO_FATAL_FAILURE(Open());

  using Clock = std::chrono::steady_clock;
  struct Heard
  {
    krb::host::HandlerCall call;
    Clock::time_point when;
  };
  std::vector<Heard> heard;
  mPlugin->Handler().SetListener([&](const krb::host::HandlerCall& call) {
    if (call.mId == kPlay5 && call.mCall != EHandlerCall::kRestartComponent)
      heard.push_back({call, Clock::now()});
  });
  const Point play = PlayButton(5);
  mWindow->MovePointer(play.x, play.y);
  mWindow->PressButton();
  mWindow->RunFor(300);
  EXPECT_EQ(mPlugin->Controller()->getParamNormalized(kPlay5), 1.0) << "while held";
  const Clock::time_point released = Clock::now();
  mWindow->ReleaseButton();
  mWindow->RunFor(100);
  mPlugin->Handler().SetListener(nullptr);
  EXPECT_EQ(mPlugin->Controller()->getParamNormalized(kPlay5), 0.0) << "after the release";

  std::vector<std::pair<EHandlerCall, double>> calls;
  for (const Heard& h : heard)
    calls.emplace_back(h.call.mCall, h.call.mCall == EHandlerCall::kPerformEdit ? h.call.mValue : -1.0);
  const std::vector<std::pair<EHandlerCall, double>> expected = {{EHandlerCall::kBeginEdit, -1.0},
                                                                 {EHandlerCall::kPerformEdit, 1.0},
                                                                 {EHandlerCall::kPerformEdit, 0.0},
                                                                 {EHandlerCall::kEndEdit, -1.0}};
  ASSERT_EQ(calls, expected);
  EXPECT_LT(heard[1].when, released);
  EXPECT_GE(heard[2].when, released);

  // The lane: each value at the block in which it was heard, the last one of a block winning, as a host
  // records it at its block rate; played back by sending its value whenever it changes.
  HostProcessing processing(*mPlugin);
  ASSERT_EQ(processing.Setup(44100.0, 512), kResultOk);
  ASSERT_EQ(mPlugin->SetActive(true), kResultOk);
  ASSERT_EQ(mPlugin->SetProcessing(true), kResultOk);
  // The press in the editor played the channel once; its 2000 frames are over after these blocks.
  for (int block = 0; block < 8; ++block)
    ASSERT_EQ(processing.Process(512), kResultOk);
  const double blockSeconds = 512 / 44100.0;
  std::map<long, double> lane;
  for (const Heard& h : heard)
    if (h.call.mCall == EHandlerCall::kPerformEdit)
      lane[static_cast<long>(std::chrono::duration<double>(h.when - heard[1].when).count() / blockSeconds)] =
        h.call.mValue;
  double sent = 0.0; // what the parameter read when recording began
  bool sounded = false;
  for (long block = 0; block < 40; ++block)
  {
    if (lane.count(block) && lane[block] != sent)
    {
      sent = lane[block];
      ASSERT_EQ(mPlugin->Controller()->setParamNormalized(kPlay5, sent), kResultOk);
    }
    ASSERT_EQ(processing.Process(512), kResultOk);
    for (int frame = 0; frame < 512; ++frame)
      sounded = sounded || processing.OutputSample(0, 0, frame) != 0.0;
  }
  EXPECT_TRUE(sounded);
  ASSERT_EQ(mPlugin->SetProcessing(false), kResultOk);
  ASSERT_EQ(mPlugin->SetActive(false), kResultOk);
}

// Opening the editor is one of the host's calls too: what the plug-in still had to tell the host waits
// for the first tick after it, not inside attached.
TEST_F(KrellbinderEditorTest, NoticeWaitingWhenTheEditorOpensGoesAtTheFirstTickAfterIt)
{
  ASSERT_EQ(mPlugin->Controller()->setParamNormalized(80 + 2, 1.0), kResultOk); // HostSync
  mPlugin->Handler().Clear();
  bool inside = false;
  std::vector<EHandlerCall> callsInside;
  mPlugin->Handler().SetListener([&](const krb::host::HandlerCall& call) {
    if (inside)
      callsInside.push_back(call.mCall);
  });
  mView = mPlugin->Controller()->createView(Vst::ViewType::kEditor);
  ASSERT_NE(mView, nullptr);
  std::string error;
  inside = true;
  mWindow = EditorWindow::Open(mView, error);
  inside = false;
  ASSERT_NE(mWindow, nullptr) << error;
  EXPECT_TRUE(callsInside.empty());
  mWindow->RunFor(100);
  mPlugin->Handler().SetListener(nullptr);
  EXPECT_EQ(mPlugin->Handler().Count(EHandlerCall::kRestartComponent), 1u);
}

TEST_F(KrellbinderEditorTest, EditorReopensAtTheSavedScale)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  Close();
  {
    std::filesystem::create_directories(mHome.SettingsFolder());
    std::ofstream(mHome.SettingsFile()) << "{\n\t\"guiSize\": \"1.500000\"\n}";
  }
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(mWindow->Width(), 1809);
  EXPECT_EQ(mWindow->Height(), 924);
  // At scale 1.5 a click lands where the control is drawn: step 2 at 1.5 times its place.
  const Point step = StepButton(2);
  mWindow->Click(step.x * 3 / 2, step.y * 3 / 2);
  mWindow->RunFor(100);
  EXPECT_EQ(Edit(30), 1.0);
  Close();

  // The instance remembers its scale and the file gets it when the instance goes.
  std::filesystem::remove(mHome.SettingsFile());
  mPlugin.reset();
  std::ifstream file(mHome.SettingsFile(), std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "{\n\t\"guiSize\": \"1.500000\"\n}");
}

// The size the user drags the corner to comes back at the next opening: the file gets it as the
// editor closes, over the value an earlier instance left there, so this instance and a new one both
// open at it.
TEST_F(KrellbinderEditorTest, DraggedSizeComesBackAfterClosing)
{
  std::filesystem::create_directories(mHome.SettingsFolder());
  std::ofstream(mHome.SettingsFile(), std::ios::binary) << "{\n\t\"guiSize\": \"1.000000\"\n}";
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_EQ(mWindow->Width(), kEditorWidth);
  // The resizer is the view's bottom-right 20 x 20 square: drag it outwards by half the window.
  mWindow->Drag(1196, 606, 1196 * 3 / 2, 606 * 3 / 2, 8);
  mWindow->RunFor(100);
  const int width = mWindow->Width();
  const int height = mWindow->Height();
  EXPECT_NEAR(width, 1809, 4);
  EXPECT_NEAR(height, 924, 4);
  Close();

  std::ifstream file(mHome.SettingsFile(), std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const double saved = std::stod(content.substr(content.find(": \"") + 3));
  EXPECT_NEAR(saved, 1.5, 0.01);
  EXPECT_NEAR(kEditorWidth * saved, width, 1.0);

  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(mWindow->Width(), width);
  EXPECT_EQ(mWindow->Height(), height);
  Close();

  std::string error;
  auto other = HostPlugin::Open(KRB_PLUGIN_BUNDLE, "", error);
  ASSERT_NE(other, nullptr) << error;
  IPlugView* view = other->Controller()->createView(Vst::ViewType::kEditor);
  ASSERT_NE(view, nullptr);
  auto window = EditorWindow::Open(view, error);
  ASSERT_NE(window, nullptr) << error;
  window->RunFor(100);
  EXPECT_EQ(window->Width(), width);
  EXPECT_EQ(window->Height(), height);
  window.reset();
  view->release();
}
} // namespace
