// Host calls that overlap: a host saves, restores and presses buttons on its main thread while its
// processing thread starts and stops processing and renders. Twelve channels hold samples from files;
// every test ends by checking what a host would hear and save. Run under ThreadSanitizer (preset
// tsan), the tests also check that no two of these calls touch the same memory without order.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ChunkBuilder.h"
#include "HostPlugin.h"
#include "HostProcessing.h"
#include "KitState.h"
#include "TempFolder.h"
#include "WavFiles.h"

using namespace Steinberg;
using krb::host::EBusSelection;
using krb::host::HostPlugin;
using krb::host::HostProcessing;
using krbtest::TempFolder;
using krbtest::WriteFloatWav;

namespace
{
constexpr int kDrums = 12;
constexpr int kModeMidi = 3;
constexpr int kBlock = 256;
constexpr int kFirstDrumNote = 36;
constexpr Vst::ParamID kPreviousSampleButton = 56; // takes the entry after the channel's file
constexpr Vst::ParamID kNextSampleButton = 68;     // takes the entry before it

// A sample that no other channel or variant holds: every frame tells drum, variant and frame apart,
// exactly in a float.
std::vector<std::vector<float>> DrumSound(int drum, int variant, int numChannels, uint32_t frames)
{
  std::vector<std::vector<float>> channels(static_cast<size_t>(numChannels), std::vector<float>(frames));
  for (int c = 0; c < numChannels; ++c)
    for (uint32_t f = 0; f < frames; ++f)
      channels[static_cast<size_t>(c)][f] = (static_cast<float>(f % 1024 + 1) / 1024.0f +
                                             static_cast<float>(drum) * 2.0f + static_cast<float>(variant) * 32.0f) *
                                            (c == 1 ? -1.0f : 1.0f);
  return channels;
}

// The bytes of each channel record of a saved state, channel 0 first.
std::vector<std::vector<uint8_t>> ChannelRecords(const std::vector<uint8_t>& state)
{
  std::vector<std::vector<uint8_t>> records;
  size_t at = krbtest::ChunkBuilder::kFixedPartBytes;
  auto doubleAt = [&state](size_t offset) {
    double value = 0.0;
    if (offset + 8 <= state.size())
      std::memcpy(&value, state.data() + offset, 8);
    return value;
  };
  for (int k = 0; k < kDrums && at < state.size(); ++k)
  {
    const size_t start = at;
    while (at + 8 <= state.size() && doubleAt(at) != 0.0) // the path, up to its 0.0
      at += 8;
    at += 8;
    const double count = doubleAt(at);
    at += 8 + (count > 0.0 ? 8 + 8 * static_cast<size_t>(count) : 0) + krbtest::ChunkBuilder::kRecordTailBytes;
    records.emplace_back(state.begin() + static_cast<std::ptrdiff_t>(start),
                         state.begin() + static_cast<std::ptrdiff_t>(std::min(at, state.size())));
  }
  return records;
}

// The host's output for one sample value at volume 1, centre pan, velocity 127 and master volume 1.
double Heard(double sample) { return sample * 1.0 * 127.0 / 127.0 * 1.0; }

// A kit of twelve channels whose files are on disk and whose stored samples are the files' own, so
// that a reload from disk and the stored data agree.
class Kit
{
public:
  Kit(const TempFolder& folder, int variant)
  {
    mState.mMode = kModeMidi;
    for (int k = 0; k < kDrums; ++k)
    {
      const int numChannels = k % 3 == 0 ? 2 : 1;
      const uint32_t frames = 300 + 37 * static_cast<uint32_t>(k) + 11 * static_cast<uint32_t>(variant);
      auto sound = DrumSound(k, variant, numChannels, frames);
      // Channel k's folder holds one file per variant, listed in variant order.
      const auto path = folder.Path() / std::to_string(100 + k) / (std::to_string(variant) + ".wav");
      std::filesystem::create_directories(path.parent_path());
      WriteFloatWav(path, sound);
      kitgen::KitChannel& channel = mState.mChannels[static_cast<size_t>(k)];
      channel.mPath = path.u16string();
      channel.mNumChannels = numChannels;
      for (uint32_t f = 0; f < frames; ++f)
        for (int c = 0; c < numChannels; ++c)
          channel.mSamples.push_back(sound[static_cast<size_t>(c)][f]);
      mSounds.push_back(std::move(sound));
    }
  }

  std::vector<uint8_t> State() const { return kitgen::EncodeState(mState); }
  const std::vector<std::vector<float>>& Sound(int drum) const { return mSounds[static_cast<size_t>(drum)]; }

private:
  kitgen::KitState mState;
  std::vector<std::vector<std::vector<float>>> mSounds;
};

class HostCalls : public testing::Test
{
protected:
  void Open(const std::vector<uint8_t>& state)
  {
    std::string error;
    mPlugin = HostPlugin::Open(KRB_BUNDLE, "", error);
    ASSERT_TRUE(mPlugin) << error;
    ASSERT_EQ(mPlugin->SetState(state), kResultOk);
    ASSERT_EQ(mPlugin->ActivateBuses(EBusSelection::kAll), kResultOk);
    mProcessing = std::make_unique<HostProcessing>(*mPlugin);
    ASSERT_EQ(mProcessing->Setup(44100.0, kBlock, Vst::kSample64), kResultOk);
    ASSERT_EQ(mPlugin->SetActive(true), kResultOk);
    ASSERT_EQ(mPlugin->Processor()->setProcessing(true), kResultOk);
  }
  void TearDown() override
  {
    if (mPlugin)
    {
      mPlugin->Processor()->setProcessing(false);
      mPlugin->SetActive(false);
    }
    mProcessing.reset();
    mPlugin.reset();
  }

  // The processing thread of a host that stops and starts processing again and again, rendering a
  // few blocks with every drum struck in between.
  void StopAndStartProcessing(int rounds)
  {
    for (int round = 0; round < rounds; ++round)
    {
      EXPECT_EQ(mPlugin->Processor()->setProcessing(false), kResultOk);
      EXPECT_EQ(mPlugin->Processor()->setProcessing(true), kResultOk);
      for (int block = 0; block < 2; ++block)
      {
        for (int k = 0; k < kDrums; ++k)
          mProcessing->InputEvents().AddNoteOn(0, static_cast<int16>(kFirstDrumNote + k), 1.0f);
        EXPECT_EQ(mProcessing->Process(kBlock), kResultOk);
      }
    }
  }

  // Runs both loops at once, each a bounded number of times.
  static void AtOnce(const std::function<void()>& mainThread, const std::function<void()>& otherThread)
  {
    std::atomic<bool> go{false};
    std::thread other([&] {
      while (!go.load())
        std::this_thread::yield();
      otherThread();
    });
    go = true;
    mainThread();
    other.join();
  }

  // Strikes every drum and checks that each channel plays the kit's sample from its start.
  void ExpectEveryChannelPlays(const Kit& kit)
  {
    for (int k = 0; k < kDrums; ++k)
      mProcessing->InputEvents().AddNoteOn(0, static_cast<int16>(kFirstDrumNote + k), 1.0f);
    ASSERT_EQ(mProcessing->Process(kBlock), kResultOk);
    for (int k = 0; k < kDrums; ++k)
    {
      const auto& sound = kit.Sound(k);
      for (int c = 0; c < 2; ++c)
        for (int f = 0; f < kBlock; ++f)
        {
          const double sample = sound[sound.size() == 2 ? static_cast<size_t>(c) : 0][static_cast<size_t>(f)];
          ASSERT_EQ(mProcessing->OutputSample(k, c, f), Heard(sample))
            << "drum " << k << " channel " << c << " frame " << f;
        }
    }
  }

  TempFolder mFolder;
  std::unique_ptr<HostPlugin> mPlugin;
  std::unique_ptr<HostProcessing> mProcessing;
};
} // namespace

// A host saves its project while its processing thread stops and restarts processing, which reads
// every channel's file again: each save holds exactly the saved kit.
TEST_F(HostCalls, SaveWhileProcessingStopsAndStarts)
{
  const Kit kit(mFolder, 0);
  ASSERT_NO_FATAL_FAILURE(Open(kit.State()));
  std::vector<uint8_t> saved;
  ASSERT_EQ(mPlugin->GetState(saved), kResultOk);
  ASSERT_EQ(saved, kit.State());

  int differing = 0;
  AtOnce(
    [&] {
      for (int i = 0; i < 60; ++i)
      {
        std::vector<uint8_t> state;
        EXPECT_EQ(mPlugin->GetState(state), kResultOk);
        differing += state != saved ? 1 : 0;
      }
    },
    [&] { StopAndStartProcessing(20); });

  EXPECT_EQ(differing, 0);
  std::vector<uint8_t> last;
  ASSERT_EQ(mPlugin->GetState(last), kResultOk);
  EXPECT_EQ(last, saved);
  ExpectEveryChannelPlays(kit);
}

// The previous- and next-sample buttons pressed through the host's edit controller while processing
// stops and starts: each channel steps to the other file of its folder and back, and ends with its
// own sample, whatever reload ran in between.
TEST_F(HostCalls, SampleSteppingWhileProcessingStopsAndStarts)
{
  const Kit kit(mFolder, 0);
  const Kit other(mFolder, 1); // the second file of each channel's folder, listed after the first
  ASSERT_NO_FATAL_FAILURE(Open(kit.State()));

  AtOnce(
    [&] {
      for (int round = 0; round < 6; ++round)
        for (int k = 0; k < kDrums; ++k)
        {
          EXPECT_EQ(
            mPlugin->Controller()->setParamNormalized(kPreviousSampleButton + static_cast<Vst::ParamID>(k), 1.0),
            kResultOk);
          EXPECT_EQ(mPlugin->Controller()->setParamNormalized(kNextSampleButton + static_cast<Vst::ParamID>(k), 1.0),
                    kResultOk);
        }
    },
    [&] { StopAndStartProcessing(20); });

  std::vector<uint8_t> state;
  ASSERT_EQ(mPlugin->GetState(state), kResultOk);
  EXPECT_EQ(state, kit.State());
  ExpectEveryChannelPlays(kit);
}

// A host saves while the previous- and next-sample buttons load other files: every save holds each
// channel with the path and samples of one file, either file, never a mixture or a freed buffer.
TEST_F(HostCalls, SaveWhileSampleButtonsLoad)
{
  const Kit kit(mFolder, 0);
  const Kit other(mFolder, 1);
  ASSERT_NO_FATAL_FAILURE(Open(kit.State()));
  const auto records = ChannelRecords(kit.State());
  const auto otherRecords = ChannelRecords(other.State());

  int mixed = 0;
  AtOnce(
    [&] {
      for (int i = 0; i < 60; ++i)
      {
        std::vector<uint8_t> state;
        EXPECT_EQ(mPlugin->GetState(state), kResultOk);
        const auto saved = ChannelRecords(state);
        for (size_t k = 0; k < static_cast<size_t>(kDrums); ++k)
          mixed += k < saved.size() && (saved[k] == records[k] || saved[k] == otherRecords[k]) ? 0 : 1;
      }
    },
    [&] {
      for (int round = 0; round < 6; ++round)
        for (int k = 0; k < kDrums; ++k)
        {
          mPlugin->Controller()->setParamNormalized(kPreviousSampleButton + static_cast<Vst::ParamID>(k), 1.0);
          mPlugin->Controller()->setParamNormalized(kNextSampleButton + static_cast<Vst::ParamID>(k), 1.0);
        }
    });
  EXPECT_EQ(mixed, 0);
}

// A host restores one kit after another while its processing thread renders, stops and starts:
// the last kit restored is the one saved and heard.
TEST_F(HostCalls, RestoreWhileProcessingRunsStopsAndStarts)
{
  const Kit first(mFolder, 0);
  const Kit second(mFolder, 1);
  ASSERT_NO_FATAL_FAILURE(Open(first.State()));

  AtOnce(
    [&] {
      for (int i = 0; i < 16; ++i)
        EXPECT_EQ(mPlugin->SetState(i % 2 ? first.State() : second.State()), kResultOk);
    },
    [&] { StopAndStartProcessing(20); });

  std::vector<uint8_t> state;
  ASSERT_EQ(mPlugin->GetState(state), kResultOk);
  EXPECT_EQ(state, first.State());
  ExpectEveryChannelPlays(first);
}
