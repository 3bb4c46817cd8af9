#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "DebugCapture.h"
#include "SampleSlot.h"
#include "TempFolder.h"
#include "WavFiles.h"

using krbtest::Ramp;
using krbtest::TempFolder;
using krbtest::WriteFloatWav;

namespace
{
std::u16string U16(const std::filesystem::path& path) { return path.u16string(); }

// Loads with the debugger output captured.
std::string LoadCapturingDebugOutput(SampleSlot& slot, const std::u16string& path)
{
  return CaptureDebugOutput([&] { slot.LoadFile(path); });
}

std::vector<double> BufferOf(const SampleSlot& slot)
{
  return std::vector<double>(slot.Buffer(), slot.Buffer() + slot.Size());
}
} // namespace

TEST(SampleSlot, ConstructionValues)
{
  auto slot = std::make_unique<SampleSlot>();
  EXPECT_EQ(slot->mVelocity.load(), 100.0f);
  EXPECT_EQ(slot->mPitch.load(), 0);
  EXPECT_EQ(slot->mVolume.load(), 1.0);
  EXPECT_EQ(slot->mGainLeft.load(), 1.0);
  EXPECT_EQ(slot->mGainRight.load(), 1.0);
  EXPECT_EQ(slot->mChannelState.load(), 0);
  EXPECT_EQ(slot->mPan.load(), 0.5);
  EXPECT_EQ(slot->Size(), 0u);
  EXPECT_EQ(slot->mPosition.load(), 0u);
  EXPECT_EQ(slot->mPlayLength.load(), 0u);
  EXPECT_EQ(slot->mLengthFraction.load(), 1.0);
  EXPECT_FALSE(slot->mSwing.load());
  EXPECT_TRUE(slot->Path().empty());
  EXPECT_EQ(slot->Buffer(), nullptr);
  EXPECT_FALSE(slot->IsLoading());
  EXPECT_EQ(slot->mPitchCounter, 0);
  EXPECT_EQ(slot->mStartDelay.load(), 0);
}

TEST(SampleSlot, StereoFileIsInterleaved)
{
  TempFolder folder;
  const auto channels = Ramp(2, 1000);
  WriteFloatWav(folder / "stereo.wav", channels);
  auto slot = std::make_unique<SampleSlot>();
  slot->LoadFile(U16(folder / "stereo.wav"));

  EXPECT_EQ(slot->NumChannels(), 2);
  EXPECT_EQ(slot->Size(), 2000u);
  EXPECT_EQ(slot->mPlayLength.load(), 1000u);
  EXPECT_EQ(slot->mPosition.load(), 2000u); // idle until a hit
  const std::vector<double> buffer = BufferOf(*slot);
  for (size_t f = 0; f < 1000; ++f)
  {
    ASSERT_EQ(buffer[2 * f], static_cast<double>(channels[0][f]));
    ASSERT_EQ(buffer[2 * f + 1], static_cast<double>(channels[1][f]));
  }
  EXPECT_EQ(slot->Path(), U16(folder / "stereo.wav"));
  EXPECT_FALSE(slot->IsLoading());
}

TEST(SampleSlot, MonoAndFourChannelFilesPlayChannelZero)
{
  TempFolder folder;
  for (int numChannels : {1, 4})
  {
    const auto channels = Ramp(numChannels, 300);
    const auto path = folder / ("file" + std::to_string(numChannels) + ".wav");
    WriteFloatWav(path, channels);
    auto slot = std::make_unique<SampleSlot>();
    slot->LoadFile(U16(path));
    EXPECT_EQ(slot->NumChannels(), 1) << numChannels;
    EXPECT_EQ(slot->Size(), 300u);
    EXPECT_EQ(slot->mPlayLength.load(), 300u);
    EXPECT_EQ(slot->mPosition.load(), 300u);
    const std::vector<double> buffer = BufferOf(*slot);
    for (size_t f = 0; f < 300; ++f)
      ASSERT_EQ(buffer[f], static_cast<double>(channels[0][f]));
  }
}

TEST(SampleSlot, FailedLoadKeepsTheBufferAndTakesThePath)
{
  TempFolder folder;
  WriteFloatWav(folder / "stereo.wav", Ramp(2, 1000));
  auto slot = std::make_unique<SampleSlot>();
  slot->LoadFile(U16(folder / "stereo.wav"));
  const std::vector<double> before = BufferOf(*slot);
  slot->mPosition = 10; // playing
  slot->SetLengthFraction(0.5);
  slot->mLengthFraction = 1.0;

  const std::u16string missing = U16(folder / "missing.wav");
  const std::string lines = LoadCapturingDebugOutput(*slot, missing);
  EXPECT_EQ(lines, "File not found or couldn't be read '" + (folder / "missing.wav").string() +
                     "' Using current buffer instead\nmSize is '2000'\n");
  EXPECT_EQ(BufferOf(*slot), before);
  EXPECT_EQ(slot->Size(), 2000u);
  EXPECT_EQ(slot->NumChannels(), 2);
  EXPECT_EQ(slot->mPlayLength.load(), 1000u); // whole length again
  EXPECT_EQ(slot->mPosition.load(), 2000u);
  EXPECT_EQ(slot->Path(), missing);
  EXPECT_FALSE(slot->IsLoading());
}

TEST(SampleSlot, FailedLoadOnAnEmptySlotLeavesItEmpty)
{
  auto slot = std::make_unique<SampleSlot>();
  const std::string lines = LoadCapturingDebugOutput(*slot, u"");
  EXPECT_EQ(lines, "File not found or couldn't be read '' Using current buffer instead\nmSize is '0'\n");
  EXPECT_EQ(slot->Size(), 0u);
  EXPECT_EQ(slot->Buffer(), nullptr);
  EXPECT_EQ(slot->mPlayLength.load(), 0u);
  EXPECT_EQ(slot->mPosition.load(), 0u);
}

TEST(SampleSlot, NotAnAudioFileFailsLikeAMissingOne)
{
  TempFolder folder;
  {
    std::ofstream text(folder / "notes.txt");
    text << "not a sample file at all";
  }
  auto slot = std::make_unique<SampleSlot>();
  const std::string lines = LoadCapturingDebugOutput(*slot, U16(folder / "notes.txt"));
  EXPECT_NE(lines.find("' Using current buffer instead\nmSize is '0'\n"), std::string::npos);
  EXPECT_EQ(slot->Size(), 0u);
  EXPECT_EQ(slot->Path(), U16(folder / "notes.txt"));
}

// A path outside the Basic Multilingual Plane reaches the reader as proper UTF-8.
TEST(SampleSlot, LoadsAPathWithSurrogatePairs)
{
  TempFolder folder;
  const std::string name = "kick \xC3\xA9\xF0\x9F\xA5\x81.wav"; // "kick é🥁.wav"
  WriteFloatWav(folder / name, Ramp(1, 64));
  auto slot = std::make_unique<SampleSlot>();
  slot->LoadFile(U16(folder / name));
  EXPECT_EQ(slot->Size(), 64u);
}

TEST(SampleSlot, LoadKeepsTheLengthFraction)
{
  TempFolder folder;
  WriteFloatWav(folder / "a.wav", Ramp(2, 1000));
  WriteFloatWav(folder / "b.wav", Ramp(1, 44101));
  auto slot = std::make_unique<SampleSlot>();
  slot->SetLengthFraction(0.5);
  slot->LoadFile(U16(folder / "a.wav"));
  EXPECT_EQ(slot->mPlayLength.load(), 500u);
  slot->LoadFile(U16(folder / "b.wav"));
  EXPECT_EQ(slot->mPlayLength.load(), 22050u);
  // A failed load applies the fraction to the buffer it keeps.
  slot->SetLengthFraction(0.25);
  slot->LoadFile(u"/no/such/file.wav");
  EXPECT_EQ(slot->mPlayLength.load(), 11025u);
  EXPECT_EQ(slot->mPosition.load(), 44101u);
  // At full length the whole buffer plays.
  slot->mLengthFraction = 1.0;
  slot->LoadFile(U16(folder / "b.wav"));
  EXPECT_EQ(slot->mPlayLength.load(), 44101u);
}

TEST(SampleSlot, ReplaceBufferInstallsIdleSample)
{
  auto slot = std::make_unique<SampleSlot>();
  std::unique_ptr<double[]> data(new double[6]{1, 2, 3, 4, 5, 6});
  slot->ReplaceBuffer(std::move(data), 6, 2);
  EXPECT_EQ(slot->Size(), 6u);
  EXPECT_EQ(slot->NumChannels(), 2);
  EXPECT_EQ(slot->Frames(), 3u);
  EXPECT_EQ(slot->mPlayLength.load(), 3u);
  EXPECT_EQ(slot->mPosition.load(), 6u);
  EXPECT_EQ(slot->Buffer()[5], 6.0);

  // Any channel count other than 2 is mono; an odd stereo size keeps its whole frames playable.
  slot->ReplaceBuffer(std::unique_ptr<double[]>(new double[5]{}), 5, 7);
  EXPECT_EQ(slot->NumChannels(), 1);
  EXPECT_EQ(slot->Frames(), 5u);
  slot->ReplaceBuffer(std::unique_ptr<double[]>(new double[5]{}), 5, 2);
  EXPECT_EQ(slot->Frames(), 2u);
  EXPECT_EQ(slot->mPlayLength.load(), 2u);
  slot->ReplaceBuffer(nullptr, 100, 2);
  EXPECT_EQ(slot->Size(), 0u);
  EXPECT_EQ(slot->mPlayLength.load(), 0u);
}

// The length rule takes the frames of the buffer that plays, whatever the last file read held: a
// restored sample whose file has gone stays audible when the length changes.
TEST(SampleSlot, PlayLengthFollowsTheBufferThatPlays)
{
  TempFolder folder;
  WriteFloatWav(folder / "long.wav", Ramp(1, 1000));
  auto slot = std::make_unique<SampleSlot>();
  slot->LoadFile(U16(folder / "long.wav"));
  slot->ReplaceBuffer(std::unique_ptr<double[]>(new double[100]{}), 100, 1);
  slot->SetLengthFraction(1.0);
  EXPECT_EQ(slot->mPlayLength.load(), 100u);
  slot->SetLengthFraction(0.05);
  EXPECT_EQ(slot->mPlayLength.load(), 5u);

  auto restored = std::make_unique<SampleSlot>();
  restored->LoadFile(U16(folder / "gone.wav")); // fails: nothing decoded
  restored->ReplaceBuffer(std::unique_ptr<double[]>(new double[2000]{}), 2000, 2);
  restored->SetLengthFraction(0.5);
  EXPECT_EQ(restored->mPlayLength.load(), 500u);
}

struct PlayLengthCase
{
  int32_t frames;
  double fraction;
  uint32_t bufferFrames;
  uint32_t expected;
};

TEST(SampleSlot, LengthRuleGoesThroughAFloat)
{
  const PlayLengthCase cases[] = {
    {44101, 0.5, 44101, 22050}, {44101, 0.0, 44101, 0}, {0, 1.0, 0, 0},     {16777217, 1.0, 16777217, 16777216},
    {1000, 1.0, 400, 400},      {1000, -0.5, 1000, 0},  {-5, 1.0, 1000, 0}, {1000, 2.0, 1000, 1000},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ComputePlayLength(c.frames, c.fraction, c.bufferFrames), c.expected) << c.frames << " x " << c.fraction;
}

struct PitchCase
{
  int pitch;
  std::vector<uint32_t> frames;
};

// The frames a voice plays on successive rendered frames after a hit, the counter starting at 0.
TEST(SampleSlot, PitchPatterns)
{
  const PitchCase cases[] = {
    {0, {0, 1, 2, 3, 4, 5}},
    {12, {0, 2, 3, 5, 6, 8}},
    {-12, {0, 0, 1, 1, 2, 2}},
    {20, {0, 1, 2, 3, 4, 5}},
    {-20, {0, 1, 2, 3, 4, 5}},
    {1, {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16}},
    {-1, {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 12}},
  };
  for (const auto& c : cases)
  {
    auto slot = std::make_unique<SampleSlot>();
    slot->mPitch = c.pitch;
    slot->mPosition = 0;
    std::vector<uint32_t> played;
    for (size_t i = 0; i < c.frames.size(); ++i)
    {
      played.push_back(slot->mPosition.load());
      slot->StepPosition();
    }
    EXPECT_EQ(played, c.frames) << "pitch " << c.pitch;
  }
}

// p = 12 plays 3 frames in 2 calls, p = 1 plays 14 in 13, p = -1 plays 12 in 13, p = -12 plays 1 in 2.
TEST(SampleSlot, PitchCycleLengths)
{
  struct Cycle
  {
    int pitch;
    uint32_t calls;
    uint32_t frames;
  };
  for (const Cycle& c : {Cycle{12, 2, 3}, Cycle{1, 13, 14}, Cycle{-1, 13, 12}, Cycle{-12, 2, 1}, Cycle{6, 8, 9}})
  {
    uint32_t position = 0;
    int32_t counter = 0;
    for (uint32_t i = 0; i < c.calls * 10; ++i)
      SampleSlot::StepPosition(c.pitch, position, counter);
    EXPECT_EQ(position, c.frames * 10) << "pitch " << c.pitch;
    EXPECT_EQ(counter, 0);
  }
}

// The reload when the host stops processing: the slot's own path again, and nothing without one.
TEST(SampleSlot, ReloadReadsTheSlotsOwnPathAgain)
{
  TempFolder folder;
  WriteFloatWav(folder / "a.wav", Ramp(1, 100));
  auto slot = std::make_unique<SampleSlot>();
  EXPECT_EQ(CaptureDebugOutput([&] { slot->Reload(); }), ""); // no path: no load at all
  EXPECT_EQ(slot->Size(), 0u);

  slot->LoadFile(U16(folder / "a.wav"));
  WriteFloatWav(folder / "a.wav", Ramp(2, 300)); // the file changed on disk
  slot->mPosition = 7;
  slot->Reload();
  EXPECT_EQ(slot->Path(), U16(folder / "a.wav"));
  EXPECT_EQ(slot->NumChannels(), 2);
  EXPECT_EQ(slot->Size(), 600u);
  EXPECT_EQ(slot->mPosition.load(), 600u);
}

// A restored channel: the stored samples replace the reloaded file's (which fills the decoded file),
// or, saved without samples, the channel keeps only its path.
TEST(SampleSlot, RestoreAndClearSetPathAndSample)
{
  TempFolder folder;
  WriteFloatWav(folder / "a.wav", Ramp(1, 100));
  auto slot = std::make_unique<SampleSlot>();
  slot->SetLengthFraction(0.5);
  slot->RestoreSample(U16(folder / "a.wav"), std::unique_ptr<double[]>(new double[8]{1, 2, 3, 4, 5, 6, 7, 8}), 8, 2);
  EXPECT_EQ(slot->Path(), U16(folder / "a.wav"));
  EXPECT_EQ(BufferOf(*slot), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(slot->mReader.mSamples[0].size(), 100u);
  EXPECT_EQ(slot->mPlayLength.load(), 2u);
  EXPECT_EQ(slot->mPosition.load(), 8u);
  {
    const SampleSlot::HeldSample held(*slot);
    EXPECT_EQ(held.Path(), U16(folder / "a.wav"));
    EXPECT_EQ(held.Size(), 8u);
    EXPECT_EQ(held.NumChannels(), 2);
    EXPECT_EQ(held.Data()[7], 8.0);
  }

  slot->ClearSample(u"/gone/kick.wav");
  EXPECT_EQ(slot->Path(), u"/gone/kick.wav");
  EXPECT_EQ(slot->Size(), 0u);
  EXPECT_EQ(slot->Buffer(), nullptr);
  EXPECT_EQ(slot->mPlayLength.load(), 0u);
  EXPECT_FALSE(slot->IsLoading());
}

// A play press shows at once in the position and waits for the audio thread as a pending hit, which
// the audio thread takes once; a load leaves the voice idle and drops it.
TEST(SampleSlot, PlayPressWaitsAsAPendingHitUntilTakenOrLoaded)
{
  TempFolder folder;
  WriteFloatWav(folder / "a.wav", Ramp(1, 100));
  auto slot = std::make_unique<SampleSlot>();
  slot->LoadFile(U16(folder / "a.wav"));
  EXPECT_FALSE(slot->TakePendingHit());
  slot->Hit();
  EXPECT_EQ(slot->mPosition.load(), 0u);
  EXPECT_TRUE(slot->TakePendingHit());
  EXPECT_FALSE(slot->TakePendingHit());

  slot->Hit();
  slot->LoadFile(U16(folder / "a.wav"));
  EXPECT_EQ(slot->mPosition.load(), 100u);
  EXPECT_FALSE(slot->TakePendingHit());
}

struct BoundCase
{
  double value;
  double bounded;
};

TEST(SampleSlot, SampleValuesAreBoundedBelowWhatTheGainsCouldOverflow)
{
  const double inf = std::numeric_limits<double>::infinity();
  const BoundCase cases[] = {{0.5, 0.5},      {-7.25, -7.25},      {1e36, 1e36}, {-1e36, -1e36}, {3.4e38, 1e36},
                             {-1e300, -1e36}, {std::nan(""), 0.0}, {inf, 0.0},   {-inf, 0.0},    {0.0, 0.0}};
  for (const auto& c : cases)
    EXPECT_EQ(BoundSample(c.value), c.bounded) << c.value;
  // The loudest output: volume 2, velocity 127, master volume 2, twelve channels on one bus.
  const double loudest = 12.0 * (kMaxSampleMagnitude * 2.0 * 127.0 / 127.0 * 2.0);
  EXPECT_TRUE(std::isfinite(static_cast<float>(loudest)));
}
