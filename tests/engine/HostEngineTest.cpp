// The drum engine as a host hears it: the built bundle, loaded by the command-line host's library,
// set up through a saved state (kit, pattern, mode) and rendered bus by bus, sample by sample.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "EncoderFiles.h"
#include "HostPlugin.h"
#include "HostProcessing.h"
#include "KitState.h"
#include "TempFolder.h"
#include "WavFiles.h"

using namespace Steinberg;
using krb::host::EBusSelection;
using krb::host::HostPlugin;
using krb::host::HostProcessing;
using krbtest::Ramp;
using krbtest::TempFolder;
using krbtest::WriteFloatWav;

namespace
{
constexpr int kModeStop = 0;
constexpr int kModeRun = 1;
constexpr int kModeHostSync = 2;
constexpr int kModeMidi = 3;
constexpr Vst::ParamID kPreviousSampleButton = 56; // channel 0's
constexpr Vst::ParamID kNextSampleButton = 68;
constexpr Vst::ParamID kModeButton = 80;
constexpr int kBlock = 512;

double Out(double sample, double gain, double velocity, double masterVolume = 1.0)
{
  return sample * gain * velocity / 127.0 * masterVolume;
}

class HostEngine : public testing::Test
{
protected:
  // Writes a ramp file for drum k and puts it, with its samples, into the state.
  std::vector<std::vector<float>> AddDrum(int k, int numChannels, uint32_t frames)
  {
    auto channels = Ramp(numChannels, frames);
    const auto path = mFolder / ("drum" + std::to_string(k) + ".wav");
    WriteFloatWav(path, channels);
    kitgen::KitChannel& channel = mState.mChannels[static_cast<size_t>(k)];
    channel.mPath = path.u16string();
    channel.mNumChannels = numChannels == 2 ? 2 : 1;
    channel.mSamples.clear();
    for (uint32_t f = 0; f < frames; ++f)
      for (int c = 0; c < channel.mNumChannels; ++c)
        channel.mSamples.push_back(channels[static_cast<size_t>(c)][f]);
    return channels;
  }
  void SetStep(int drum, int slot, int step)
  {
    mState.mPatterns[static_cast<size_t>(drum)][static_cast<size_t>(slot)][static_cast<size_t>(step)] = 1;
  }

  // Opens the bundle, restores the state, activates the buses and starts processing.
  void Start(EBusSelection buses = EBusSelection::kAll, double sampleRate = 44100.0)
  {
    std::string error;
    mPlugin = HostPlugin::Open(KRB_BUNDLE, "", error);
    ASSERT_TRUE(mPlugin) << error;
    ASSERT_EQ(mPlugin->SetState(kitgen::EncodeState(mState)), kResultOk);
    mPlugin->ActivateBuses(buses);
    mProcessing = std::make_unique<HostProcessing>(*mPlugin);
    ASSERT_EQ(mProcessing->Setup(sampleRate, kBlock, Vst::kSample64), kResultOk);
    mProcessing->SetTempo(120.0);
    mProcessing->SetPlaying(true);
    ASSERT_EQ(mPlugin->SetActive(true), kResultOk);
    ASSERT_EQ(mPlugin->SetProcessing(true), kResultOk);
    mRendered.assign(24, {});
  }
  void TearDown() override
  {
    if (mPlugin)
    {
      mPlugin->SetProcessing(false);
      mPlugin->SetActive(false);
    }
    mProcessing.reset();
    mPlugin.reset();
  }

  void Block(int frames = kBlock)
  {
    ASSERT_EQ(mProcessing->Process(frames), kResultOk);
    for (int bus = 0; bus < 12; ++bus)
      for (int c = 0; c < 2; ++c)
        for (int f = 0; f < frames; ++f)
          mRendered[static_cast<size_t>(2 * bus + c)].push_back(mProcessing->OutputSample(bus, c, f));
  }
  void Frames(int total)
  {
    for (int done = 0; done < total; done += kBlock)
      Block(std::min(kBlock, total - done));
  }
  long FirstSound(int channel, size_t from = 0) const
  {
    const auto& out = mRendered[static_cast<size_t>(channel)];
    for (size_t f = from; f < out.size(); ++f)
      if (out[f] != 0.0)
        return static_cast<long>(f);
    return -1;
  }
  void SetModeFromController(int mode)
  {
    ASSERT_NE(mPlugin->Controller(), nullptr);
    ASSERT_EQ(mPlugin->Controller()->setParamNormalized(kModeButton + static_cast<Vst::ParamID>(mode), 1.0), kResultOk);
  }

  TempFolder mFolder;
  kitgen::KitState mState;
  std::unique_ptr<HostPlugin> mPlugin;
  std::unique_ptr<HostProcessing> mProcessing;
  std::vector<std::vector<double>> mRendered;
};
} // namespace

TEST_F(HostEngine, BusesAreNamedAfterTheDrums)
{
  Start();
  // Written out here, as the host reads them; the other tests take the names from DrumNames.h.
  const char* const names[] = {"Kick",           "Side Stick",    "Acoustic Snare", "Hand Clap",
                               "Electric Snare", "Low Floor Tom", "Closed Hi-Hat",  "High Floor Tom",
                               "Pedal Hi-Hat",   "Low Tom",       "Open Hi-Hat",    "Low Middle Tom"};
  const auto buses = mPlugin->Buses(Vst::kAudio, Vst::kOutput);
  ASSERT_EQ(buses.size(), 12u);
  for (size_t b = 0; b < buses.size(); ++b)
  {
    EXPECT_EQ(buses[b].mName, names[b]);
    EXPECT_EQ(buses[b].mChannelCount, 2);
  }
  EXPECT_EQ(mPlugin->Buses(Vst::kAudio, Vst::kInput).size(), 0u);
  EXPECT_EQ(mPlugin->Buses(Vst::kEvent, Vst::kInput).size(), 1u);
}

TEST_F(HostEngine, StopModeIsSilent)
{
  AddDrum(0, 2, 1000);
  SetStep(0, 0, 0);
  mState.mMode = kModeStop;
  Start();
  mProcessing->InputEvents().AddNoteOn(0, 36, 1.0f);
  Frames(3 * kBlock);
  for (int c = 0; c < 24; ++c)
    EXPECT_EQ(FirstSound(c), -1) << c;
}

TEST_F(HostEngine, RunModeHitsAtFrameZeroAndSixteenStepsLater)
{
  const auto ramp = AddDrum(0, 2, 300);
  SetStep(0, 0, 0);
  mState.mMode = kModeRun;
  Start();
  Frames(88200 + kBlock);
  for (size_t f = 0; f < 300; ++f)
  {
    ASSERT_EQ(mRendered[0][f], Out(ramp[0][f], 1.0, 100.0)) << f;
    ASSERT_EQ(mRendered[1][f], Out(ramp[1][f], 1.0, 100.0)) << f;
  }
  EXPECT_EQ(FirstSound(0, 300), 88200);
  for (size_t f = 0; f < 300; ++f)
    ASSERT_EQ(mRendered[1][88200 + f], Out(ramp[1][f], 1.0, 100.0)) << f;
}

TEST_F(HostEngine, RunModeFromTheControllersModeButton)
{
  AddDrum(5, 1, 100);
  SetStep(5, 0, 0);
  mState.mMode = kModeStop;
  Start();
  Block();
  EXPECT_EQ(FirstSound(10), -1);
  SetModeFromController(kModeRun);
  Block();
  EXPECT_EQ(FirstSound(10), kBlock);
}

TEST_F(HostEngine, SwingDelaysOddStepsBy1378Frames)
{
  const auto ramp = AddDrum(0, 1, 2000);
  AddDrum(1, 1, 2000);
  SetStep(0, 0, 1);
  SetStep(1, 0, 1);
  mState.mChannels[0].mSwing = true;
  mState.mMasterSwing = 1.0;
  mState.mMode = kModeRun;
  Start();
  Frames(5512 + 2000);
  EXPECT_EQ(FirstSound(0), 5512 + 1378);
  EXPECT_EQ(mRendered[0][5512 + 1378], Out(ramp[0][0], 1.0, 100.0));
  EXPECT_EQ(FirstSound(2), 5512);
}

struct ShortSwungSample
{
  int numChannels;
  uint32_t frames;
};

// A swung hit waits its whole delay even when the sample is shorter than the delay (1378 frames at
// 120 BPM, 44.1 kHz and master swing 1.0), then plays every frame of it; the unswung drum of the
// same step starts at once. Sizes at and around the delay, mono and stereo.
TEST_F(HostEngine, SwungHitOfASampleShorterThanItsDelayPlaysWhole)
{
  const ShortSwungSample cases[] = {{1, 400}, {2, 400}, {2, 689}, {1, 1378}, {1, 1379}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << c.numChannels << " channels, " << c.frames << " frames");
    TearDown();
    mState = {};
    const auto swung = AddDrum(0, c.numChannels, c.frames);
    const auto plain = AddDrum(1, c.numChannels, c.frames);
    SetStep(0, 0, 1);
    SetStep(1, 0, 1);
    mState.mChannels[0].mSwing = true;
    mState.mMasterSwing = 1.0;
    mState.mMode = kModeRun;
    ASSERT_NO_FATAL_FAILURE(Start());
    Frames(5512 + 1378 + static_cast<int>(c.frames) + kBlock);

    const size_t start = 5512 + 1378;
    EXPECT_EQ(FirstSound(0), static_cast<long>(start));
    long wrong = -1; // the first sample frame that did not play as it should
    for (size_t f = 0; f < c.frames && wrong < 0; ++f)
      for (size_t side = 0; side < 2; ++side)
        if (mRendered[side][start + f] != Out(swung[side % swung.size()][f], 1.0, 100.0))
          wrong = static_cast<long>(f);
    EXPECT_EQ(wrong, -1);
    EXPECT_EQ(FirstSound(0, start + c.frames), -1);
    EXPECT_EQ(FirstSound(2), 5512);
    EXPECT_EQ(mRendered[2][5512], Out(plain[0][0], 1.0, 100.0));
  }
}

// What the host does while the transport stands still in the middle of a swung hit's start delay.
enum class EWhileStopped
{
  kResetProcessing,   // setProcessing(false), then setProcessing(true): every sample is read again
  kRestoreSavedState, // setState of the state that getState has just saved
  kFollowingSample,   // the previous-sample button: the entry after the channel's file
  kPrecedingSample,   // the next-sample button: the entry before it
  kResetWithoutPath   // a reset, with a channel that has its samples but no file to read again
};

const char* Describe(EWhileStopped what)
{
  switch (what)
  {
    case EWhileStopped::kResetProcessing:
      return "reset";
    case EWhileStopped::kRestoreSavedState:
      return "restore";
    case EWhileStopped::kFollowingSample:
      return "previous-sample button";
    case EWhileStopped::kPrecedingSample:
      return "next-sample button";
    case EWhileStopped::kResetWithoutPath:
      return "reset, channel without a file";
  }
  return "";
}

struct PendingSwungHitCase
{
  EWhileStopped what;
  uint32_t frames;
};

// HostSync at 120 BPM: a swung hit on step 1 (frame 5512) waits 1378 frames. The transport stops
// 632 frames into that wait, and the host reloads, restores or steps to another sample while it
// stands. The hit is gone: when the transport runs again the channel stays silent (the next set
// step lies a bar away), whether the sample is shorter than the wait or not, and a drum note then
// plays at once, with no wait left over from the old hit.
TEST_F(HostEngine, ResetRestoreOrLoadDropsASwungHitStillWaiting)
{
  const PendingSwungHitCase cases[] = {
    {EWhileStopped::kResetProcessing, 400},   {EWhileStopped::kResetProcessing, 2000},
    {EWhileStopped::kRestoreSavedState, 400}, {EWhileStopped::kRestoreSavedState, 2000},
    {EWhileStopped::kFollowingSample, 400},   {EWhileStopped::kFollowingSample, 2000},
    {EWhileStopped::kPrecedingSample, 400},   {EWhileStopped::kPrecedingSample, 2000},
    {EWhileStopped::kResetWithoutPath, 400},  {EWhileStopped::kResetWithoutPath, 2000}};
  constexpr int kStop = 5512 + 632; // twelve blocks
  constexpr int kWindow = 4096;     // from the restart; step 2 (not set) would come at 4881
  constexpr int kNoteOffset = 100;
  for (const auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << Describe(c.what) << ", " << c.frames << " frames");
    TearDown();
    mState = {};
    AddDrum(0, 1, c.frames);
    // The neighbours of the channel's file in its folder, listed before and after it.
    WriteFloatWav(mFolder / "drum0-before.wav", Ramp(1, c.frames));
    WriteFloatWav(mFolder / "drum0_after.wav", Ramp(1, c.frames));
    if (c.what == EWhileStopped::kResetWithoutPath)
      mState.mChannels[0].mPath.clear();
    SetStep(0, 0, 1);
    mState.mChannels[0].mSwing = true;
    mState.mMasterSwing = 1.0;
    mState.mMode = kModeHostSync;
    ASSERT_NO_FATAL_FAILURE(Start());
    Frames(kStop);
    ASSERT_EQ(FirstSound(0), -1); // the hit is still waiting

    mProcessing->SetPlaying(false);
    Block(); // the host goes on processing while the transport stands
    switch (c.what)
    {
      case EWhileStopped::kResetProcessing:
      case EWhileStopped::kResetWithoutPath:
        ASSERT_EQ(mPlugin->SetProcessing(false), kResultOk);
        ASSERT_EQ(mPlugin->SetProcessing(true), kResultOk);
        break;
      case EWhileStopped::kRestoreSavedState:
      {
        std::vector<uint8_t> saved;
        ASSERT_EQ(mPlugin->GetState(saved), kResultOk);
        ASSERT_EQ(mPlugin->SetState(saved), kResultOk);
        break;
      }
      case EWhileStopped::kFollowingSample:
      case EWhileStopped::kPrecedingSample:
      {
        const Vst::ParamID button =
          c.what == EWhileStopped::kFollowingSample ? kPreviousSampleButton : kNextSampleButton;
        ASSERT_EQ(mPlugin->Controller()->setParamNormalized(button, 1.0), kResultOk);
        break;
      }
    }
    Block();

    mProcessing->SetPlaying(true);
    const size_t restart = mRendered[0].size();
    Frames(kWindow);
    EXPECT_EQ(FirstSound(0, kStop), -1);
    EXPECT_EQ(FirstSound(1, kStop), -1);
    mProcessing->InputEvents().AddNoteOn(kNoteOffset, 36, 1.0f);
    Block();
    EXPECT_EQ(FirstSound(0, kStop), static_cast<long>(restart + kWindow + kNoteOffset));
  }
}

TEST_F(HostEngine, HostSyncFollowsTheTransport)
{
  const auto ramp = AddDrum(0, 1, 700);
  SetStep(0, 0, 4);
  mState.mMode = kModeHostSync;
  Start();
  mProcessing->SetPlaying(false);
  mProcessing->InputEvents().AddNoteOn(100, 36, 1.0f);
  Frames(10 * kBlock);
  EXPECT_EQ(FirstSound(0), -1); // silent, and the clock stands

  // The note was taken up: the voice sounds from its start as soon as the transport runs; the
  // clock starts there too, so step 4 follows four steps later.
  mProcessing->SetPlaying(true);
  Frames(4 * 5513 + kBlock);
  const size_t start = 10 * kBlock;
  EXPECT_EQ(FirstSound(0), static_cast<long>(start));
  EXPECT_EQ(mRendered[0][start], Out(ramp[0][0], 1.0, 127.0));
  EXPECT_EQ(FirstSound(0, start + 700), static_cast<long>(start + 2 * 5512 + 2 * 5513));
}

TEST_F(HostEngine, MidiNotesPlayAtTheirOffsetWithTheirVelocity)
{
  const auto ramp = AddDrum(3, 2, 200);
  mState.mMode = kModeMidi;
  Start();
  mProcessing->InputEvents().AddNoteOn(123, 39, 1.0f);
  Block();
  EXPECT_EQ(FirstSound(6), 123);
  for (size_t f = 0; f < 200; ++f)
    ASSERT_EQ(mRendered[7][123 + f], Out(ramp[1][f], 1.0, 127.0)) << f;
  EXPECT_EQ(mRendered[6][323], 0.0);

  // Velocity 0 restarts the drum silently.
  mProcessing->InputEvents().AddNoteOn(10, 39, 1.0f);
  mProcessing->InputEvents().AddNoteOn(50, 39, 0.0f);
  Block();
  EXPECT_NE(mRendered[6][kBlock + 10], 0.0);
  for (size_t f = kBlock + 50; f < 2 * kBlock; ++f)
    ASSERT_EQ(mRendered[6][f], 0.0) << f;
}

TEST_F(HostEngine, PatternNotesSelectOctaveAndPattern)
{
  AddDrum(0, 1, 100);
  AddDrum(1, 1, 100);
  SetStep(0, 0, 0);  // slot 0: drum 0
  SetStep(1, 12, 0); // slot 12 (octave 1, pattern 0): drum 1
  SetStep(1, 23, 0); // slot 23 (note 71): drum 1
  mState.mMode = kModeHostSync;
  Start();
  Block();
  EXPECT_EQ(FirstSound(0), 0);
  mProcessing->InputEvents().AddNoteOn(200, 60, 1.0f);
  Block();
  EXPECT_EQ(FirstSound(2), kBlock + 200); // step 0 of slot 12 at the note's frame
  mProcessing->InputEvents().AddNoteOn(7, 71, 1.0f);
  Block();
  EXPECT_EQ(FirstSound(2, kBlock + 300), 2 * kBlock + 7);
  EXPECT_EQ(FirstSound(0, 100), -1);
}

// Notes played in Midi mode end with a note-off; the Run button then starts the steps at once: Run
// mode steps at the host's tempo whatever the notes did.
TEST_F(HostEngine, RunModeStepsAfterNotesPlayedInMidiMode)
{
  AddDrum(0, 1, 100);
  SetStep(0, 0, 0);
  SetStep(0, 0, 1);
  mState.mMode = kModeMidi;
  Start();
  mProcessing->InputEvents().AddNoteOn(0, 36, 1.0f);
  mProcessing->InputEvents().AddNoteOff(50, 36);
  Block();
  ASSERT_EQ(FirstSound(0), 0); // the note itself
  SetModeFromController(kModeRun);
  Frames(5512 + kBlock);
  EXPECT_EQ(FirstSound(0, 100), kBlock);                 // step 0, within one step of the press
  EXPECT_EQ(FirstSound(0, kBlock + 100), kBlock + 5512); // and the clock goes on
}

// In HostSync mode the notes still hold the clock: a note-off freezes it, a note-on runs it again.
TEST_F(HostEngine, NoteOffFreezesTheHostSyncClock)
{
  AddDrum(0, 1, 100);
  SetStep(0, 0, 0);
  SetStep(0, 0, 4);
  mState.mMode = kModeHostSync;
  Start();
  mProcessing->InputEvents().AddNoteOff(0, 36);
  Frames(60 * kBlock);
  EXPECT_EQ(FirstSound(0), -1);
  mProcessing->InputEvents().AddNoteOn(0, 80, 1.0f); // any note-on runs the clock again
  Block();
  EXPECT_EQ(FirstSound(0), 60 * kBlock);
}

TEST_F(HostEngine, TwoConnectedChannelsSumEveryDrumOnBusZero)
{
  const auto kick = AddDrum(0, 2, 300);
  const auto snare = AddDrum(2, 1, 300);
  mState.mChannels[2].mPan = 0.25;
  mState.mChannels[2].mVolume = 1.0;
  mState.mMode = kModeMidi;
  Start(EBusSelection::kDefault); // the main bus alone
  mProcessing->InputEvents().AddNoteOn(0, 36, 1.0f);
  mProcessing->InputEvents().AddNoteOn(40, 38, 1.0f);
  Block();
  // The restore derives the gains from the restored pan: 1 on the left, 0.5 on the right.
  for (size_t f = 0; f < 340; ++f)
  {
    const double left =
      (f < 300 ? Out(kick[0][f], 1.0, 127.0) : 0.0) + (f >= 40 ? Out(snare[0][f - 40], 1.0, 127.0) : 0.0);
    const double right =
      (f < 300 ? Out(kick[1][f], 1.0, 127.0) : 0.0) + (f >= 40 ? Out(snare[0][f - 40], 0.5, 127.0) : 0.0);
    ASSERT_EQ(mRendered[0][f], left) << f;
    ASSERT_EQ(mRendered[1][f], right) << f;
  }
  EXPECT_EQ(FirstSound(4), -1);
}

// Files as ffmpeg, sox and macOS applications write them (32-bit float WAVE files with the extensible
// header, AIFC files with little-endian or 32-bit integer samples): each channel is given the file's
// path, and the plug-in reloads it when processing is set up. A NaN or an infinity in a float file
// plays as silence, and a file that cannot be decoded leaves the channel the sample it had.
TEST_F(HostEngine, FilesFromCommonEncodersPlayAsStored)
{
  const std::vector<krbtest::EncoderFile> files = krbtest::CommonEncoderFiles();
  const krbtest::EncoderFile refused = krbtest::CompressedAifcFile();
  const size_t refusedDrum = files.size();
  const auto place = [this](size_t drum, const krbtest::EncoderFile& file) {
    const auto path = mFolder / file.mName;
    std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.mBytes.data()), static_cast<std::streamsize>(file.mBytes.size()));
    mState.mChannels[drum].mPath = path.u16string();
  };
  for (size_t k = 0; k < files.size(); ++k)
    place(k, files[k]);
  place(refusedDrum, refused);
  const std::vector<double> kept = {0.5, -0.5, 0.25};
  mState.mChannels[refusedDrum].mSamples = kept;

  mState.mMode = kModeMidi;
  Start();
  for (size_t k = 0; k <= refusedDrum; ++k)
    mProcessing->InputEvents().AddNoteOn(0, static_cast<int16>(36 + k), 1.0f);
  Block();

  const auto expectPlays = [this](size_t drum, const std::string& name, const std::vector<std::vector<double>>& plays) {
    for (size_t c = 0; c < 2; ++c)
    {
      const std::vector<double>& values = plays[plays.size() == 2 ? c : 0];
      for (size_t f = 0; f < values.size(); ++f)
        EXPECT_EQ(mRendered[2 * drum + c][f], Out(values[f], 1.0, 127.0)) << name << " channel " << c << " frame " << f;
      EXPECT_EQ(mRendered[2 * drum + c][values.size()], 0.0) << name;
    }
  };
  for (size_t k = 0; k < files.size(); ++k)
    expectPlays(k, files[k].mName, files[k].mPlays);
  expectPlays(refusedDrum, refused.mName, {kept});
  for (const auto& channel : mRendered)
    for (double value : channel)
      ASSERT_TRUE(std::isfinite(value));
}
