// The framework's process call as a plug-in sees it: parameter changes, MIDI from events and from
// mapped controllers, the connected channels and the blocks it is handed.
#include <gtest/gtest.h>

#include <vector>

#include "EventList.h"
#include "ParameterChanges.h"
#include "vst3/IPlugVST3.h"

using namespace Steinberg;

namespace
{
Config TestConfig()
{
  Config config;
  config.nParams = 2;
  config.channelIOStr = "0-2.2";
  config.pluginName = "Test";
  config.plugDoesMidiIn = true;
  config.plugType = kInstrument;
  return config;
}

class RecordingPlug final : public IPlugVST3
{
public:
  RecordingPlug()
    : IPlugVST3(InstanceInfo(), TestConfig())
  {
    GetParam(0)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01);
    GetParam(1)->InitInt("Steps", 0, -12, 12);
  }

  void OnParamChange(int paramIdx) override { changes.push_back({paramIdx, GetParam(paramIdx)->Value()}); }
  void OnParamChangeUI(int paramIdx, EParamSource source) override { uiChanges.push_back({paramIdx, source}); }
  void ProcessMidiMsg(const IMidiMsg& msg) override { midi.push_back(msg); }
  void ProcessBypassedMidiMsg(const IMidiMsg& msg) override { bypassedMidi.push_back(msg); }
  void ProcessBlock(double**, double** outputs, int nFrames) override
  {
    blocks.push_back({nFrames, NOutChansConnected()});
    for (int ch = 0; ch < 4; ++ch)
      for (int s = 0; s < nFrames; ++s)
        outputs[ch][s] = ch + 1;
  }

  struct Change
  {
    int index;
    double value;
  };
  struct UiChange
  {
    int index;
    EParamSource source;
  };
  struct Block
  {
    int frames, connected;
  };
  std::vector<Change> changes;
  std::vector<UiChange> uiChanges;
  std::vector<IMidiMsg> midi;
  std::vector<IMidiMsg> bypassedMidi;
  std::vector<Block> blocks;
};

struct Buffers
{
  explicit Buffers(int frames)
    : storage(4, std::vector<float>(static_cast<size_t>(frames), -9.0f))
  {
    for (int c = 0; c < 4; ++c)
      pointers[c] = storage[static_cast<size_t>(c)].data();
    for (int b = 0; b < 2; ++b)
    {
      buses[b].numChannels = 2;
      buses[b].channelBuffers32 = &pointers[2 * b];
    }
  }
  std::vector<std::vector<float>> storage;
  float* pointers[4] = {};
  Vst::AudioBusBuffers buses[2];
};

struct Fixture
{
  Fixture()
  {
    plug = new RecordingPlug();
    plug->initialize(nullptr);
    Vst::ProcessSetup setup{Vst::kRealtime, Vst::kSample32, 64, 48000.0};
    plug->setupProcessing(setup);
    plug->changes.clear();
    plug->uiChanges.clear();
  }
  ~Fixture()
  {
    plug->terminate();
    plug->release();
  }
  tresult Process(int frames, Buffers& buffers, krb::host::ParameterChanges* changes = nullptr,
                  krb::host::EventList* events = nullptr)
  {
    Vst::ProcessData data;
    data.numSamples = frames;
    data.symbolicSampleSize = Vst::kSample32;
    data.numOutputs = 2;
    data.outputs = buffers.buses;
    data.inputParameterChanges = changes;
    data.inputEvents = events;
    return plug->process(data);
  }
  RecordingPlug* plug;
};

TEST(VST3ProcessTest, InitializeResetsEveryParameterThroughBothHooks)
{
  auto* plug = new RecordingPlug();
  plug->GetParam(0)->Set(0.3);
  plug->initialize(nullptr);
  ASSERT_EQ(plug->changes.size(), 2u);
  EXPECT_EQ(plug->changes[0].index, 0);
  EXPECT_DOUBLE_EQ(plug->changes[0].value, 1.0);
  EXPECT_EQ(plug->changes[1].index, 1);
  ASSERT_EQ(plug->uiChanges.size(), 2u);
  EXPECT_EQ(plug->uiChanges[0].source, kReset);
  plug->terminate();
  plug->release();
}

TEST(VST3ProcessTest, AutomationReachesOnParamChangeOnlyAndHostEditsOnParamChangeUIOnly)
{
  Fixture f;
  Buffers buffers(16);
  krb::host::ParameterChanges changes;
  changes.AddChange(1, 0, 0.0);
  changes.AddChange(1, 8, 0.5 + 0.6 / 24.0); // between two steps: the nearest whole step
  ASSERT_EQ(f.Process(16, buffers, &changes), kResultOk);
  ASSERT_EQ(f.plug->changes.size(), 1u);
  EXPECT_DOUBLE_EQ(f.plug->changes[0].value, 1.0);
  EXPECT_TRUE(f.plug->uiChanges.empty());

  ASSERT_EQ(f.plug->setParamNormalized(0, 0.25), kResultOk);
  EXPECT_DOUBLE_EQ(f.plug->GetParam(0)->Value(), 0.5);
  ASSERT_EQ(f.plug->uiChanges.size(), 1u);
  EXPECT_EQ(f.plug->uiChanges[0].source, kHost);
  EXPECT_EQ(f.plug->changes.size(), 1u);
}

TEST(VST3ProcessTest, NotesAndMappedControllersArriveAsMidiAtTheirOffsets)
{
  Fixture f;
  Buffers buffers(32);
  krb::host::EventList events;
  events.AddNoteOn(5, 36, 100.0f / 127.0f, 3);
  events.AddNoteOff(20, 36);
  events.AddNoteOn(7, 40, 0.0f);
  krb::host::ParameterChanges changes;
  Vst::ParamID volumeId = 0;
  ASSERT_EQ(f.plug->getMidiControllerAssignment(0, 0, Vst::kCtrlVolume, volumeId), kResultTrue);
  changes.AddChange(volumeId, 12, 1.0);
  ASSERT_EQ(f.Process(32, buffers, &changes, &events), kResultOk);

  ASSERT_EQ(f.plug->midi.size(), 4u);
  // Controllers are handed over first, then the events in their list's order.
  EXPECT_EQ(f.plug->midi[0].StatusMsg(), IMidiMsg::kControlChange);
  EXPECT_EQ(f.plug->midi[0].mOffset, 12);
  EXPECT_EQ(f.plug->midi[0].mData1, Vst::kCtrlVolume);
  EXPECT_EQ(f.plug->midi[0].mData2, 127);
  EXPECT_EQ(f.plug->midi[1].mStatus, 0x93);
  EXPECT_EQ(f.plug->midi[1].mOffset, 5);
  EXPECT_EQ(f.plug->midi[1].mData2, 100);
  EXPECT_EQ(f.plug->midi[2].StatusMsg(), IMidiMsg::kNoteOff);
  EXPECT_EQ(f.plug->midi[3].StatusMsg(), IMidiMsg::kNoteOn); // velocity 0 stays a note-on
  EXPECT_EQ(f.plug->midi[3].mData2, 0);
}

TEST(VST3ProcessTest, ConnectedChannelsFollowBusActivationAndLongBlocksComeInPieces)
{
  Fixture f;
  Buffers buffers(150);
  ASSERT_EQ(f.Process(150, buffers), kResultOk);
  // Only the main bus is active by default; 150 frames with a maximum of 64 come as 64, 64, 22.
  ASSERT_EQ(f.plug->blocks.size(), 3u);
  EXPECT_EQ(f.plug->blocks[0].frames, 64);
  EXPECT_EQ(f.plug->blocks[2].frames, 22);
  EXPECT_EQ(f.plug->blocks[0].connected, 2);
  for (int c = 0; c < 4; ++c)
    EXPECT_EQ(buffers.storage[static_cast<size_t>(c)][149], static_cast<float>(c + 1)) << c;

  f.plug->activateBus(Vst::kAudio, Vst::kOutput, 1, true);
  f.plug->blocks.clear();
  ASSERT_EQ(f.Process(10, buffers), kResultOk);
  EXPECT_EQ(f.plug->blocks[0].connected, 4);
}

TEST(VST3ProcessTest, BypassWritesSilenceAndTakesNoMidi)
{
  Fixture f;
  Buffers buffers(16);
  krb::host::ParameterChanges changes;
  changes.AddChange(IPlugVST3::kBypassParamID, 0, 1.0);
  krb::host::EventList events;
  events.AddNoteOn(0, 36, 1.0f);
  ASSERT_EQ(f.Process(16, buffers, &changes, &events), kResultOk);
  EXPECT_TRUE(f.plug->blocks.empty());
  EXPECT_TRUE(f.plug->midi.empty());
  for (const auto& channel : buffers.storage)
    for (float v : channel)
      ASSERT_EQ(v, 0.0f);
  EXPECT_EQ(buffers.buses[0].silenceFlags, 3u);
  // The note goes to the plug-in's bypass hook at once, so that nothing waits for a block.
  ASSERT_EQ(f.plug->bypassedMidi.size(), 1u);
  EXPECT_EQ(f.plug->bypassedMidi[0].StatusMsg(), IMidiMsg::kNoteOn);
  EXPECT_EQ(f.plug->bypassedMidi[0].NoteNumber(), 36);

  // A 0-frame call while bypassed: the same, and no block.
  krb::host::EventList noteOff;
  noteOff.AddNoteOff(0, 36);
  ASSERT_EQ(f.Process(0, buffers, nullptr, &noteOff), kResultOk);
  EXPECT_TRUE(f.plug->blocks.empty());
  ASSERT_EQ(f.plug->bypassedMidi.size(), 2u);
  EXPECT_EQ(f.plug->bypassedMidi[1].StatusMsg(), IMidiMsg::kNoteOff);
}

// A 0-frame call (a host's flush), with output buses or without: the notes reach ProcessMidiMsg and a
// block of 0 frames runs, so that the plug-in's start-of-block and end-of-block work still happens.
TEST(VST3ProcessTest, ZeroFrameCallsHandOverTheNotesAndRunAnEmptyBlock)
{
  Fixture f;
  Buffers buffers(16);
  for (bool withBuses : {true, false})
  {
    f.plug->midi.clear();
    f.plug->blocks.clear();
    krb::host::EventList events;
    events.AddNoteOn(0, 38, 1.0f);
    Vst::ProcessData data;
    data.numSamples = 0;
    data.symbolicSampleSize = Vst::kSample32;
    data.numOutputs = withBuses ? 2 : 0;
    data.outputs = withBuses ? buffers.buses : nullptr;
    data.inputEvents = &events;
    ASSERT_EQ(f.plug->process(data), kResultOk);
    ASSERT_EQ(f.plug->midi.size(), 1u) << withBuses;
    EXPECT_EQ(f.plug->midi[0].NoteNumber(), 38);
    ASSERT_EQ(f.plug->blocks.size(), 1u) << withBuses;
    EXPECT_EQ(f.plug->blocks[0].frames, 0);
  }
  EXPECT_EQ(buffers.storage[0][0], -9.0f); // nothing written to the host's buffers
}

// Before setupProcessing there is nothing to render into: a 0-frame call only carries its parameter
// changes, a call with frames gets silence and kNotInitialized.
TEST(VST3ProcessTest, CallsBeforeSetupProcessingRenderNothing)
{
  auto* plug = new RecordingPlug();
  plug->initialize(nullptr);
  Buffers buffers(16);
  krb::host::EventList events;
  events.AddNoteOn(0, 38, 1.0f);
  krb::host::ParameterChanges changes;
  changes.AddChange(0, 0, 0.25);
  Vst::ProcessData data;
  data.numSamples = 0;
  data.symbolicSampleSize = Vst::kSample32;
  data.numOutputs = 2;
  data.outputs = buffers.buses;
  data.inputEvents = &events;
  data.inputParameterChanges = &changes;
  EXPECT_EQ(plug->process(data), kResultOk);
  EXPECT_DOUBLE_EQ(plug->GetParam(0)->Value(), 0.5);
  data.numSamples = 16;
  EXPECT_EQ(plug->process(data), kNotInitialized);
  EXPECT_TRUE(plug->midi.empty());
  EXPECT_TRUE(plug->blocks.empty());
  EXPECT_EQ(buffers.storage[0][0], 0.0f);
  plug->terminate();
  plug->release();
}
} // namespace
