#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditorTags.h"
#include "EngineHarness.h"
#include "QueueRecorder.h"
#include "TempFolder.h"
#include "WavFiles.h"

using krbtest::EngineHarness;
using krbtest::QueueRecorder;
using krbtest::Ramp;
using krbtest::TempFolder;
using krbtest::WriteFloatWav;

namespace
{
// One sample's contribution as the audio block computes it.
double Out(double sample, double gain, double velocity, double masterVolume = 1.0)
{
  return sample * gain * velocity / 127.0 * masterVolume;
}

class AudioBlock : public testing::Test
{
protected:
  // Loads a ramp of `frames` frames into slot k and returns its channels.
  std::vector<std::vector<float>> LoadRamp(int k, int numChannels, uint32_t frames)
  {
    auto channels = Ramp(numChannels, frames);
    for (auto& channel : channels)
      for (auto& v : channel)
        v += static_cast<float>(k); // tells the drums apart
    const auto path = mFolder / ("drum" + std::to_string(k) + ".wav");
    WriteFloatWav(path, channels);
    mHarness.Plug().mSlots[static_cast<size_t>(k)].LoadFile(path.u16string());
    return channels;
  }
  Krellbinder& Plug() { return mHarness.Plug(); }
  const std::vector<double>& Output(int channel) { return mHarness.Rendered(channel); }
  // First frame at or after `from` where output channel c is not 0, or -1.
  long FirstSound(int channel, size_t from = 0)
  {
    const auto& out = Output(channel);
    for (size_t f = from; f < out.size(); ++f)
      if (out[f] != 0.0)
        return static_cast<long>(f);
    return -1;
  }

  TempFolder mFolder;
  EngineHarness mHarness;
};
} // namespace

TEST_F(AudioBlock, StopModeIsSilentAndIgnoresMidi)
{
  LoadRamp(0, 2, 100);
  Plug().mSlots[0].mPosition = 0; // a voice that would sound in any other mode
  Plug().mSequencer.SetStep(0, 0, 0, true);
  mHarness.NoteOn(0, 36, 127);
  mHarness.NoteOff(10, 40);
  mHarness.Process(512);
  for (int c = 0; c < EngineHarness::kNumOutputChannels; ++c)
    EXPECT_EQ(FirstSound(c), -1);
  EXPECT_EQ(Plug().mSequencer.mSamplesToNextStep, -1); // the clock did not move
  EXPECT_TRUE(Plug().mSequencer.mRunning);             // the note-off had no effect
  EXPECT_TRUE(Plug().mMidiQueue.Empty());              // nor does MIDI pile up
  EXPECT_EQ(Plug().mSlots[0].mPosition.load(), 0u);
  EXPECT_EQ(Plug().mStepLedSender.ElementsAvailable(), 0u);
}

TEST_F(AudioBlock, UnknownModeBehavesAsStop)
{
  LoadRamp(0, 1, 100);
  Plug().mMode = 7;
  Plug().mSlots[0].mPosition = 0;
  mHarness.Process(256);
  EXPECT_EQ(FirstSound(0), -1);
}

// 120 BPM at 44.1 kHz: drum 0 starts at the first frame with velocity 100, then 16 steps later.
TEST_F(AudioBlock, RunModeHitsOnTheStepGrid)
{
  const auto ramp = LoadRamp(0, 1, 200);
  Plug().mSequencer.SetStep(0, 0, 0, true);
  Plug().mMode = kModeRun;
  mHarness.ProcessFrames(88200 + 1000);
  const auto& out = Output(0);
  for (size_t f = 0; f < 200; ++f)
  {
    ASSERT_EQ(out[f], Out(ramp[0][f], 1.0, 100.0)) << f;
    ASSERT_EQ(Output(1)[f], out[f]);
  }
  // 16 steps: eight of 5512 and eight of 5513 samples.
  EXPECT_EQ(FirstSound(0, 200), 88200);
  EXPECT_EQ(out[88200], Out(ramp[0][0], 1.0, 100.0));
  EXPECT_EQ(Plug().mSlots[0].mVelocity.load(), 100.0f);
  // The LEDs heard of every block.
  QueueRecorder editor;
  Plug().mStepLedSender.TransmitData(editor);
  ASSERT_EQ(editor.mDeliveries.size(), 1u);
  EXPECT_EQ(editor.mDeliveries[0].ctrlTag, kCtrlTagLed);
  EXPECT_EQ(editor.mDeliveries[0].dataSize, 16);
}

TEST_F(AudioBlock, EveryStepAndDrumOfTheShownSlot)
{
  // Drums 2 and 7 on steps 3 and 4 of octave 1, pattern 5 (slot 17); 48 kHz gives 6000-sample steps.
  EngineHarness harness(48000.0, 480);
  TempFolder folder;
  for (int k : {2, 7})
  {
    WriteFloatWav(folder / ("d" + std::to_string(k) + ".wav"), Ramp(1, 50));
    harness.Plug().mSlots[static_cast<size_t>(k)].LoadFile((folder / ("d" + std::to_string(k) + ".wav")).u16string());
  }
  harness.Plug().mSequencer.SetStep(2, 17, 3, true);
  harness.Plug().mSequencer.SetStep(7, 17, 4, true);
  harness.Plug().mSequencer.SetStep(7, 5, 4, true); // another slot: never plays
  harness.Plug().mOctave = 1;
  harness.Plug().mPattern = 5;
  harness.Plug().mMode = kModeRun;
  harness.ProcessFrames(6000 * 16);
  auto firstSound = [&](int c) {
    const auto& out = harness.Rendered(c);
    for (size_t f = 0; f < out.size(); ++f)
      if (out[f] != 0.0)
        return static_cast<long>(f);
    return -1L;
  };
  EXPECT_EQ(firstSound(4), 18000);
  EXPECT_EQ(firstSound(14), 24000);
}

// At 44.1 kHz, 120 BPM and master swing 1.0 a swung drum's odd steps start 1378 frames late.
TEST_F(AudioBlock, SwingDelaysOddSteps)
{
  // The delay is counted on the play position, so the sample must outlast it.
  const auto swung = LoadRamp(0, 1, 2000);
  LoadRamp(1, 1, 2000);
  for (int step : {0, 1, 2})
  {
    Plug().mSequencer.SetStep(0, 0, step, true);
    Plug().mSequencer.SetStep(1, 0, step, true);
  }
  mHarness.PlainParam(kSwingButton + 0, 1.0);
  mHarness.PlainParam(kMasterSwing, 1.0);
  Plug().mMode = kModeRun;
  mHarness.ProcessFrames(5512 + 5513 + 200);
  EXPECT_EQ(FirstSound(0), 0);                 // step 0: even, at once
  EXPECT_EQ(FirstSound(0, 2000), 5512 + 1378); // step 1: 1378.125 frames late, truncated
  EXPECT_EQ(Output(0)[5512 + 1378], Out(swung[0][0], 1.0, 100.0));
  EXPECT_EQ(FirstSound(2, 2000), 5512);                      // drum 1 is not swung
  EXPECT_EQ(FirstSound(0, 5512 + 1378 + 2000), 5512 + 5513); // step 2: even
}

TEST_F(AudioBlock, SwingDelayFollowsMasterSwing)
{
  LoadRamp(0, 1, 2000);
  Plug().mSequencer.SetStep(0, 0, 1, true);
  mHarness.PlainParam(kSwingButton + 0, 1.0);
  mHarness.PlainParam(kMasterSwing, 0.5);
  Plug().mMode = kModeRun;
  mHarness.ProcessFrames(5512 + 1000);
  EXPECT_EQ(FirstSound(0), 5512 + 689); // 689.0625 truncated
}

// A delay longer than the sample still runs its whole count, then the sample plays from its first
// frame to its end; the next step's hit is unswung and plays at once.
TEST_F(AudioBlock, StartDelayLongerThanTheSample)
{
  const auto ramp = LoadRamp(0, 1, 100);
  Plug().mSequencer.SetStep(0, 0, 1, true);
  Plug().mSequencer.SetStep(0, 0, 2, true);
  mHarness.PlainParam(kSwingButton + 0, 1.0);
  mHarness.PlainParam(kMasterSwing, 1.0);
  Plug().mMode = kModeRun;
  mHarness.ProcessFrames(5512 + 1378 + 200);
  const size_t start = 5512 + 1378;
  EXPECT_EQ(FirstSound(0), static_cast<long>(start));
  for (size_t f = 0; f < 100; ++f)
    ASSERT_EQ(Output(0)[start + f], Out(ramp[0][f], 1.0, 100.0)) << f;
  EXPECT_EQ(FirstSound(0, start + 100), -1);
  EXPECT_EQ(Plug().mSlots[0].mStartDelay.load(), -1);
  EXPECT_EQ(Plug().mSlots[0].mPosition.load(), 100u);
  mHarness.ProcessFrames(5513 - 1378 - 200 + 50);
  EXPECT_EQ(FirstSound(0, start + 100), 5512 + 5513); // step 2 plays at once
}

// A drum note during a pending delay sets the voice back to the start of the count: the sample
// plays a whole delay after the note, with the note's velocity, also where the delay outlasts the
// sample. The count runs across block ends and the spans that the note makes.
TEST_F(AudioBlock, DrumNoteDuringTheDelayStartsTheCountAgain)
{
  for (uint32_t frames : {100u, 3000u})
  {
    SCOPED_TRACE(frames);
    EngineHarness harness;
    TempFolder folder;
    const auto ramp = Ramp(1, frames);
    WriteFloatWav(folder / "a.wav", ramp);
    harness.Plug().mSlots[0].LoadFile((folder / "a.wav").u16string());
    harness.Plug().mSequencer.SetStep(0, 0, 1, true);
    harness.PlainParam(kSwingButton + 0, 1.0);
    harness.PlainParam(kMasterSwing, 1.0);
    harness.Plug().mMode = kModeHostSync;
    harness.ProcessFrames(6144);                // step 1 starts at 5512, its delay runs to 6890
    harness.NoteOn(5512 + 1000 - 6144, 36, 64); // frame 6512
    harness.ProcessFrames(4096);
    const auto& out = harness.Rendered(0);
    const size_t start = 5512 + 1000 + 1378;
    for (size_t f = 5512; f < start; ++f)
      ASSERT_EQ(out[f], 0.0) << f;
    for (size_t f = 0; f < std::min<size_t>(frames, out.size() - start); ++f)
      ASSERT_EQ(out[start + f], Out(ramp[0][f], 1.0, 64.0)) << f;
  }
}

TEST_F(AudioBlock, HostSyncWithTransportStopped)
{
  const auto ramp = LoadRamp(0, 1, 100);
  Plug().mSequencer.SetStep(0, 0, 0, true);
  Plug().mMode = kModeHostSync;
  mHarness.SetPlaying(false);
  mHarness.NoteOn(50, 36, 127);
  mHarness.Process(512);
  EXPECT_EQ(FirstSound(0), -1);
  EXPECT_EQ(Plug().mSequencer.mSamplesToNextStep, -1); // no clock
  EXPECT_EQ(Plug().mStepLedSender.ElementsAvailable(), 0u);
  EXPECT_EQ(Plug().mSlots[0].mPosition.load(), 0u); // the note was taken up
  EXPECT_EQ(Plug().mSlots[0].mVelocity.load(), 127.0f);

  // Once the transport runs the voice sounds from its start; the clock starts step 0 as well.
  Plug().mSequencer.SetStep(0, 0, 0, false);
  mHarness.SetPlaying(true);
  mHarness.Process(512);
  EXPECT_EQ(FirstSound(0), 512);
  EXPECT_EQ(Output(0)[512], Out(ramp[0][0], 1.0, 127.0));
  EXPECT_EQ(Plug().mStepLedSender.ElementsAvailable(), 1u);
  EXPECT_EQ(Plug().mSequencer.mSamplesToNextStep, 5511 - 511);
}

TEST_F(AudioBlock, HostSyncWithTransportRunningPlaysSteps)
{
  LoadRamp(3, 1, 100);
  Plug().mSequencer.SetStep(3, 0, 0, true);
  Plug().mSequencer.SetStep(3, 0, 8, true);
  Plug().mMode = kModeHostSync;
  mHarness.ProcessFrames(4 * 11025 + 300);
  EXPECT_EQ(FirstSound(6), 0);
  EXPECT_EQ(FirstSound(6, 100), 44100); // eight steps of 5512.5 on average
}

TEST_F(AudioBlock, MidiModeNoteAtItsOffset)
{
  const auto ramp = LoadRamp(4, 2, 300);
  Plug().mMode = kModeMidi;
  mHarness.NoteOn(100, 40, 64);
  mHarness.Process(512);
  EXPECT_EQ(FirstSound(8), 100);
  for (size_t f = 0; f < 300; ++f)
  {
    ASSERT_EQ(Output(8)[100 + f], Out(ramp[0][f], 1.0, 64.0)) << f;
    ASSERT_EQ(Output(9)[100 + f], Out(ramp[1][f], 1.0, 64.0)) << f;
  }
  EXPECT_EQ(Output(8)[400], 0.0); // the end of the sample
  EXPECT_EQ(Plug().mSlots[4].mPosition.load(), 300u);
}

// A play press restarts the voice at the next span that renders it, and is kept while the channel
// is muted; a load leaves the voice idle and drops a press made before it.
TEST_F(AudioBlock, PlayPressesWaitForTheNextSpanAndLoadsDropThem)
{
  const auto ramp = LoadRamp(0, 1, 1000);
  Plug().mMode = kModeMidi;
  SampleSlot& slot = Plug().mSlots[0];
  slot.mChannelState = kChannelMuted;
  slot.Hit();
  mHarness.Process(64);
  EXPECT_EQ(FirstSound(0), -1);
  slot.mChannelState = kChannelNormal;
  mHarness.Process(64);
  EXPECT_EQ(FirstSound(0), 64);
  EXPECT_EQ(Output(0)[64], Out(ramp[0][0], 1.0, 100.0));

  slot.Hit();
  LoadRamp(0, 1, 1000);
  mHarness.Process(64);
  EXPECT_EQ(FirstSound(0, 128), -1);
}

TEST_F(AudioBlock, MidiModeRunsNoClock)
{
  LoadRamp(0, 1, 100);
  Plug().mSequencer.SetStep(0, 0, 0, true);
  Plug().mMode = kModeMidi;
  mHarness.Process(512);
  EXPECT_EQ(FirstSound(0), -1);
  EXPECT_EQ(Plug().mStepLedSender.ElementsAvailable(), 0u);
}

TEST_F(AudioBlock, VelocityZeroRestartsSilentlyAndSetsRunning)
{
  LoadRamp(0, 1, 300);
  Plug().mMode = kModeMidi;
  mHarness.NoteOn(0, 36, 100);
  mHarness.NoteOff(5, 36);
  mHarness.NoteOn(10, 36, 0);
  mHarness.Process(200);
  EXPECT_TRUE(Plug().mSequencer.mRunning);
  EXPECT_EQ(Plug().mSlots[0].mVelocity.load(), 0.0f);
  EXPECT_EQ(Plug().mSlots[0].mPosition.load(), 190u); // restarted at frame 10 and playing
  for (size_t f = 10; f < 200; ++f)
    ASSERT_EQ(Output(0)[f], 0.0);
}

struct PatternNoteCase
{
  int note;
  int octave;
  int pattern;
};

TEST_F(AudioBlock, PatternSelectNotesInHostSync)
{
  const PatternNoteCase cases[] = {{48, 0, 0}, {59, 0, 11}, {60, 1, 0}, {66, 1, 6}, {71, 1, 11}};
  for (const auto& c : cases)
  {
    EngineHarness harness;
    Krellbinder& plug = harness.Plug();
    plug.mMode = kModeHostSync;
    plug.mSelectedDrum = 2;
    plug.mSequencer.SetStep(2, c.octave * 12 + c.pattern, 5, true);
    harness.NoteOn(0, c.note, 90);
    harness.Process(64);
    EXPECT_EQ(plug.mOctave.load(), c.octave) << c.note;
    EXPECT_EQ(plug.mPattern.load(), c.pattern) << c.note;
    QueueRecorder editor;
    plug.mStepRowSender.TransmitData(editor);
    plug.mOctaveSender.TransmitData(editor);
    plug.mPatternSender.TransmitData(editor);
    ASSERT_EQ(editor.mDeliveries.size(), 3u);
    EXPECT_EQ(editor.mDeliveries[0].ctrlTag, kCtrlTagStep);
    EXPECT_EQ(editor.mDeliveries[0].dataSize, 28);
    for (int s = 0; s < 16; ++s)
      EXPECT_EQ(editor.mDeliveries[0].bytes[static_cast<size_t>(12 + s)], s == 5 ? 1 : 0);
    EXPECT_EQ(editor.mDeliveries[1].ctrlTag, kCtrlTagOctave);
    int32_t value = 0;
    std::memcpy(&value, editor.mDeliveries[1].bytes.data() + 12, 4);
    EXPECT_EQ(value, c.octave);
    EXPECT_EQ(editor.mDeliveries[2].ctrlTag, kCtrlTagPattern);
    std::memcpy(&value, editor.mDeliveries[2].bytes.data() + 12, 4);
    EXPECT_EQ(value, c.pattern);
  }
}

TEST_F(AudioBlock, PatternNoteStartsStepZeroAtItsFrame)
{
  LoadRamp(0, 1, 100);
  Plug().mSequencer.SetStep(0, 12, 0, true); // octave 1, pattern 0
  Plug().mMode = kModeHostSync;
  mHarness.Process(512); // the clock runs on the empty slot 0
  mHarness.NoteOn(300, 60, 100);
  mHarness.Process(512);
  EXPECT_EQ(FirstSound(0), 512 + 300);
  EXPECT_EQ(Plug().mSequencer.mPlayingStep, 0);
  EXPECT_EQ(Plug().mSequencer.mSamplesToNextStep, 5512 - 211);
}

TEST_F(AudioBlock, OtherNotesSelectNoPattern)
{
  for (int mode : {kModeHostSync, kModeMidi})
    for (int note : {35, 47 + 25, 72, 100})
    {
      EngineHarness harness;
      harness.Plug().mMode = mode;
      harness.Plug().mSequencer.mRunning = false;
      harness.NoteOn(0, note, 100);
      harness.Process(32);
      EXPECT_EQ(harness.Plug().mOctave.load(), 0);
      EXPECT_EQ(harness.Plug().mPattern.load(), 0);
      EXPECT_TRUE(harness.Plug().mSequencer.mRunning);
    }
  // In Midi mode a pattern note only sets the running flag.
  EngineHarness harness;
  harness.Plug().mMode = kModeMidi;
  harness.NoteOn(0, 60, 100);
  harness.Process(32);
  EXPECT_EQ(harness.Plug().mOctave.load(), 0);
  QueueRecorder editor;
  harness.Plug().mStepRowSender.TransmitData(editor);
  EXPECT_TRUE(editor.mDeliveries.empty());
}

// Run mode steps at the host's tempo whatever the notes did: after a note-off in Midi mode the Run
// button starts the steps at once. HostSync follows the notes: a note-off freezes its clock until a
// note-on arrives.
TEST_F(AudioBlock, NoteOffFreezesHostSyncButNotRun)
{
  LoadRamp(0, 1, 100);
  Plug().mSequencer.SetStep(0, 0, 0, true);
  Plug().mMode = kModeMidi;
  mHarness.NoteOff(0, 36);
  mHarness.Process(64);
  EXPECT_FALSE(Plug().mSequencer.mRunning);

  Plug().mMode = kModeRun;
  mHarness.Process(64);
  EXPECT_EQ(FirstSound(0), 64);             // step 0 at the first frame of the Run block
  EXPECT_FALSE(Plug().mSequencer.mRunning); // Run mode takes no MIDI and leaves the flag alone
  EXPECT_EQ(Plug().mSequencer.mSamplesToNextStep, 5511 - 63);

  // HostSync with the flag still cleared: the clock holds where Run mode left it.
  Plug().mMode = kModeHostSync;
  mHarness.ProcessFrames(20000);
  EXPECT_EQ(FirstSound(0, 200), -1);
  EXPECT_EQ(Plug().mSequencer.mSamplesToNextStep, 5511 - 63);
  EXPECT_EQ(Plug().mSequencer.mPlayingStep, 0);

  // A note-on runs it again; 16 steps after step 0 drum 0 sounds again.
  mHarness.NoteOn(0, 80, 100); // no drum, no pattern: only the flag
  mHarness.ProcessFrames(88200);
  EXPECT_TRUE(Plug().mSequencer.mRunning);
  EXPECT_EQ(FirstSound(0, 200), 128 + 20000 + 88200 - 64);
}

// Exactly two connected output channels: every drum is summed on bus 0.
TEST_F(AudioBlock, TwoConnectedChannelsSumOnBusZero)
{
  const auto kick = LoadRamp(0, 2, 200);
  const auto snare = LoadRamp(2, 1, 200);
  const auto hat = LoadRamp(6, 2, 200);
  mHarness.PlainParam(kPanKnob + 2, 0.25);
  mHarness.PlainParam(kMasterVolume, 0.5);
  Plug().mMode = kModeMidi;
  mHarness.SetConnectedBuses(1);
  mHarness.NoteOn(0, 36, 127);
  mHarness.NoteOn(0, 38, 100);
  mHarness.NoteOn(50, 42, 80);
  mHarness.Process(256);
  for (size_t f = 0; f < 250; ++f)
  {
    double left = 0.0 + (f < 200 ? Out(kick[0][f], 1.0, 127.0, 0.5) : 0.0);
    double right = 0.0 + (f < 200 ? Out(kick[1][f], 1.0, 127.0, 0.5) : 0.0);
    left += f < 200 ? Out(snare[0][f], 1.0, 100.0, 0.5) : 0.0;
    right += f < 200 ? Out(snare[0][f], 0.5, 100.0, 0.5) : 0.0;
    left += f >= 50 ? Out(hat[0][f - 50], 1.0, 80.0, 0.5) : 0.0;
    right += f >= 50 ? Out(hat[1][f - 50], 1.0, 80.0, 0.5) : 0.0;
    ASSERT_EQ(Output(0)[f], left) << f;
    ASSERT_EQ(Output(1)[f], right) << f;
  }
}

TEST_F(AudioBlock, EachDrumOnItsOwnBusOtherwise)
{
  for (int connected : {12, 3})
  {
    EngineHarness harness;
    TempFolder folder;
    WriteFloatWav(folder / "a.wav", Ramp(1, 100));
    for (int k : {0, 1, 2})
      harness.Plug().mSlots[static_cast<size_t>(k)].LoadFile((folder / "a.wav").u16string());
    harness.Plug().mMode = kModeMidi;
    harness.SetConnectedBuses(connected);
    for (int k : {0, 1, 2})
      harness.NoteOn(10 * k, 36 + k, 127);
    harness.Process(128);
    for (int k : {0, 1, 2})
    {
      ASSERT_EQ(harness.Rendered(2 * k)[static_cast<size_t>(10 * k)], 1.0 / 1024.0) << connected;
      ASSERT_EQ(harness.Rendered(2 * k + 1)[static_cast<size_t>(10 * k)], 1.0 / 1024.0);
      if (k > 0)
      {
        ASSERT_EQ(harness.Rendered(2 * k)[static_cast<size_t>(10 * k - 1)], 0.0);
      }
    }
  }
}

TEST_F(AudioBlock, MutedAndSoloSilencedChannelsAreSilent)
{
  struct Case
  {
    int state;
    bool sounds;
  };
  for (const Case& c : {Case{kChannelNormal, true}, Case{kChannelMuted, false}, Case{kChannelSilencedBySolo, false},
                        Case{kChannelSoloed, true}})
  {
    EngineHarness harness;
    TempFolder folder;
    WriteFloatWav(folder / "a.wav", Ramp(1, 100));
    harness.Plug().mSlots[1].LoadFile((folder / "a.wav").u16string());
    harness.Plug().mSlots[1].mChannelState = c.state;
    harness.Plug().mMode = kModeMidi;
    harness.NoteOn(0, 37, 127);
    harness.Process(64);
    EXPECT_EQ(harness.Rendered(2)[0] != 0.0, c.sounds) << c.state;
    // A silent channel does not advance.
    EXPECT_EQ(harness.Plug().mSlots[1].mPosition.load(), c.sounds ? 64u : 0u);
  }
}

TEST_F(AudioBlock, PitchLengthAndGains)
{
  const auto ramp = LoadRamp(0, 2, 1000);
  mHarness.PlainParam(kPitchKnob + 0, 12);
  mHarness.PlainParam(kLengthKnob + 0, 0.01); // 10 frames
  mHarness.PlainParam(kPanKnob + 0, 0.75);
  mHarness.PlainParam(kVolumeKnob + 0, 2.0);
  mHarness.PlainParam(kMasterVolume, 1.5);
  Plug().mMode = kModeMidi;
  mHarness.NoteOn(0, 36, 127);
  mHarness.Process(32);
  const uint32_t played[] = {0, 2, 3, 5, 6, 8, 9};
  for (size_t i = 0; i < 7; ++i)
  {
    ASSERT_EQ(Output(0)[i], Out(ramp[0][played[i]], 1.0, 127.0, 1.5)) << i;
    ASSERT_EQ(Output(1)[i], Out(ramp[1][played[i]], 2.0, 127.0, 1.5)) << i;
  }
  EXPECT_EQ(Output(0)[7], 0.0); // frame 11 lies beyond the play length of 10
  EXPECT_EQ(Plug().mSlots[0].mPosition.load(), 11u);
}

TEST_F(AudioBlock, MessagesBeyondTheBlockWait)
{
  LoadRamp(0, 1, 100);
  Plug().mMode = kModeMidi;
  IMidiMsg msg;
  msg.MakeNoteOnMsg(36, 127, 700);
  Plug().ProcessMidiMsg(msg);
  mHarness.Process(512);
  EXPECT_EQ(FirstSound(0), -1);
  ASSERT_EQ(Plug().mMidiQueue.ToDo(), 1);
  EXPECT_EQ(Plug().mMidiQueue.Peek().mOffset, 188);
  mHarness.Process(512);
  EXPECT_EQ(FirstSound(0), 512 + 188);
}

TEST_F(AudioBlock, EmptyBlockStillSendsTheStepAndTheTempo)
{
  Plug().mMode = kModeRun;
  IMidiMsg msg;
  msg.MakeNoteOnMsg(36, 127, 10);
  Plug().ProcessMidiMsg(msg);
  Plug().ProcessBlock(nullptr, nullptr, 0);
  EXPECT_EQ(Plug().mStepLedSender.ElementsAvailable(), 1u);
  EXPECT_EQ(Plug().mSequencer.mTempo, 120.0);
  ASSERT_EQ(Plug().mMidiQueue.ToDo(), 1);
  EXPECT_EQ(Plug().mMidiQueue.Peek().mOffset, 10);
}

// A host's 0-frame call (a flush), with or without output buses: its notes wait for the next block,
// and what a block does at its start and end still happens.
TEST_F(AudioBlock, ZeroFrameCallTakesTheNotesForTheNextBlock)
{
  const auto ramp = LoadRamp(0, 1, 100);
  Plug().mMode = kModeMidi;
  for (bool withBuses : {true, false})
  {
    mHarness.ClearRendered();
    mHarness.NoteOn(0, 36, 64);
    Steinberg::Vst::ProcessData& data = mHarness.PrepareBlock(0);
    if (!withBuses)
    {
      data.numOutputs = 0;
      data.outputs = nullptr;
    }
    ASSERT_EQ(Plug().process(data), Steinberg::kResultOk);
    mHarness.FinishBlock();
    ASSERT_EQ(Plug().mMidiQueue.ToDo(), 1) << withBuses;
    mHarness.Process(512);
    EXPECT_EQ(FirstSound(0), 0) << withBuses;
    EXPECT_EQ(Output(0)[0], Out(ramp[0][0], 1.0, 64.0)) << withBuses;
  }
}

TEST_F(AudioBlock, ZeroFrameCallSendsTheStepAndCopiesTheTempoInRunMode)
{
  Plug().mMode = kModeRun;
  mHarness.SetTempo(97.0);
  Steinberg::Vst::ProcessData& data = mHarness.PrepareBlock(0);
  data.numOutputs = 0;
  data.outputs = nullptr;
  ASSERT_EQ(Plug().process(data), Steinberg::kResultOk);
  mHarness.FinishBlock();
  EXPECT_EQ(Plug().mSequencer.mTempo, 97.0);
  ASSERT_EQ(Plug().mStepLedSender.ElementsAvailable(), 1u);
  EXPECT_EQ(Plug().mSequencer.mSamplesToNextStep, -1); // no frame, so no tick

  // In Midi mode no step goes to the LEDs; the tempo is copied all the same.
  QueueRecorder editor;
  Plug().mStepLedSender.TransmitData(editor);
  Plug().mMode = kModeMidi;
  mHarness.SetTempo(133.0);
  mHarness.Process(0);
  EXPECT_EQ(Plug().mSequencer.mTempo, 133.0);
  EXPECT_EQ(Plug().mStepLedSender.ElementsAvailable(), 0u);
}

// While the host bypasses the plug-in: silence, no voice changes, nothing waiting in the queue; the
// running flag still follows the notes and a HostSync pattern note still selects, with its records.
TEST_F(AudioBlock, BypassedNotesMoveOnlyTheClockAndThePattern)
{
  LoadRamp(0, 1, 100);
  Plug().mMode = kModeHostSync;
  Plug().mSelectedDrum = 4;
  Plug().mSequencer.SetStep(4, 13, 2, true);
  mHarness.Param(static_cast<int>(IPlugVST3::kBypassParamID), 1.0);
  mHarness.Process(64);
  const uint32_t idle = Plug().mSlots[0].mPosition.load();

  mHarness.NoteOff(10, 36);
  mHarness.Process(64);
  EXPECT_FALSE(Plug().mSequencer.mRunning);
  mHarness.NoteOn(20, 36, 127); // a drum note: the clock runs again, the drum stays idle
  mHarness.NoteOn(30, 61, 127); // octave 1, pattern 1
  for (int i = 0; i < 600; ++i)
    mHarness.NoteOn(i % 64, 36 + i % 12, 100);
  mHarness.Process(64);
  EXPECT_TRUE(Plug().mSequencer.mRunning);
  EXPECT_EQ(Plug().mSlots[0].mPosition.load(), idle);
  EXPECT_EQ(Plug().mOctave.load(), 1);
  EXPECT_EQ(Plug().mPattern.load(), 1);
  EXPECT_EQ(Plug().mMidiQueue.ToDo(), 0);
  for (int c = 0; c < EngineHarness::kNumOutputChannels; ++c)
    EXPECT_EQ(FirstSound(c), -1) << c;

  QueueRecorder editor;
  Plug().mStepRowSender.TransmitData(editor);
  Plug().mOctaveSender.TransmitData(editor);
  Plug().mPatternSender.TransmitData(editor);
  ASSERT_EQ(editor.mDeliveries.size(), 3u);
  EXPECT_EQ(editor.mDeliveries[0].ctrlTag, kCtrlTagStep);
  for (int s = 0; s < 16; ++s)
    EXPECT_EQ(editor.mDeliveries[0].bytes[static_cast<size_t>(12 + s)], s == 2 ? 1 : 0);
  EXPECT_EQ(editor.mDeliveries[1].ctrlTag, kCtrlTagOctave);
  EXPECT_EQ(editor.mDeliveries[2].ctrlTag, kCtrlTagPattern);
}

// Starting processing again reloads each sample from disk; the voice is idle and keeps its length.
TEST_F(AudioBlock, ResetReloadsEveryChannelWithAPath)
{
  LoadRamp(0, 1, 1000);
  mHarness.PlainParam(kLengthKnob + 0, 0.5);
  mHarness.Process(16);
  ASSERT_EQ(Plug().mSlots[0].mPlayLength.load(), 500u);
  WriteFloatWav(mFolder / "drum0.wav", Ramp(2, 400)); // the file changed on disk
  Plug().mSlots[0].mPosition = 3;
  Steinberg::Vst::ProcessSetup setup{Steinberg::Vst::kRealtime, Steinberg::Vst::kSample64, 512, 48000.0};
  Plug().setProcessing(false);
  Plug().setupProcessing(setup);
  EXPECT_EQ(Plug().mSequencer.mSampleRate, 48000.0);
  EXPECT_EQ(Plug().mSlots[0].NumChannels(), 2);
  EXPECT_EQ(Plug().mSlots[0].Size(), 800u);
  EXPECT_EQ(Plug().mSlots[0].mPlayLength.load(), 200u);
  EXPECT_EQ(Plug().mSlots[0].mPosition.load(), 800u);
  EXPECT_TRUE(Plug().mSlots[1].Path().empty());
}

// The host's 32-bit buffers carry the same signal, rounded to floats.
TEST(AudioBlock32, SameSignalInFloats)
{
  TempFolder folder;
  WriteFloatWav(folder / "a.wav", Ramp(2, 300));
  EngineHarness wide(44100.0, 256, Steinberg::Vst::kSample64);
  EngineHarness narrow(44100.0, 256, Steinberg::Vst::kSample32);
  for (EngineHarness* h : {&wide, &narrow})
  {
    h->Plug().mSlots[0].LoadFile((folder / "a.wav").u16string());
    h->Plug().mMode = kModeMidi;
    h->NoteOn(5, 36, 99);
    h->ProcessFrames(400);
  }
  for (size_t f = 0; f < 400; ++f)
    for (int c : {0, 1})
      ASSERT_EQ(narrow.Rendered(c)[f], static_cast<double>(static_cast<float>(wide.Rendered(c)[f])));
  EXPECT_NE(wide.Rendered(0)[5], 0.0);
}
