// Damaged saved states, as a host may hand them back after a disk or transfer error, through the
// built bundle: whatever such a chunk restores, the output stays finite in 32-bit and in 64-bit
// processing, on every bus and summed on the main bus, at the loudest settings.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ChunkBuilder.h"
#include "HostPlugin.h"
#include "HostProcessing.h"
#include "KitState.h"

using namespace Steinberg;
using krb::host::EBusSelection;
using krb::host::HostPlugin;
using krb::host::HostProcessing;

namespace
{
constexpr int kDrums = 12;
constexpr int kBlock = 256;
constexpr uint32_t kFrames = 400; // every stored sample plays whole within two blocks
constexpr Vst::ParamID kModeMidiButton = 80 + 3;
constexpr Vst::ParamID kPanKnob = 134;
constexpr Vst::ParamID kVolumeKnob = 146;
constexpr Vst::ParamID kMasterVolume = 194;

// A small deterministic generator, the same on every platform.
class Random
{
public:
  uint64_t Next()
  {
    mState ^= mState << 13;
    mState ^= mState >> 7;
    mState ^= mState << 17;
    return mState;
  }
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }

private:
  uint64_t mState = 0x9E3779B97F4A7C15ull;
};

// A kit of twelve stored samples without files (stereo on every third channel), values within and
// beyond ±1, and where each sample's values sit in the chunk.
struct DamageableState
{
  std::vector<uint8_t> bytes;
  std::vector<size_t> sampleOffsets; // byte offset of every stored value

  DamageableState()
  {
    kitgen::KitState kit;
    kit.mMode = 3;
    size_t offset = krbtest::ChunkBuilder::kFixedPartBytes;
    for (int k = 0; k < kDrums; ++k)
    {
      kitgen::KitChannel& channel = kit.mChannels[static_cast<size_t>(k)];
      channel.mNumChannels = k % 3 == 0 ? 2 : 1;
      channel.mPan = 0.1 * (k % 10);
      for (uint32_t i = 0; i < kFrames * static_cast<uint32_t>(channel.mNumChannels); ++i)
        channel.mSamples.push_back(std::sin(0.01 * i * (k + 1)) * (i % 50 == 0 ? 3.5 : 0.9));
      offset += 8 + 8 + 8; // empty path, count, channels
      for (size_t i = 0; i < channel.mSamples.size(); ++i)
        sampleOffsets.push_back(offset + 8 * i);
      offset += 8 * channel.mSamples.size() + krbtest::ChunkBuilder::kRecordTailBytes;
    }
    bytes = kitgen::EncodeState(kit);
  }
};

// Half of the chunks get bytes changed anywhere; the other half get the top byte (sign and exponent)
// of stored sample values changed, which turns a value such as 0.5 into one such as 3.45e298.
std::vector<std::vector<uint8_t>> DamagedChunks(int count)
{
  const DamageableState state;
  Random random;
  std::vector<std::vector<uint8_t>> chunks;
  for (int i = 0; i < count; ++i)
  {
    std::vector<uint8_t> chunk = state.bytes;
    for (int flip = 0; flip < 6; ++flip)
    {
      const auto change = static_cast<uint8_t>(1 + random.Below(255));
      if (i % 2 == 0)
        chunk[random.Below(chunk.size())] ^= change;
      else
        chunk[state.sampleOffsets[random.Below(state.sampleOffsets.size())] + 7] ^= change;
    }
    chunks.push_back(std::move(chunk));
  }
  return chunks;
}

struct Processing
{
  int32 sampleSize;
  EBusSelection buses;
};
} // namespace

TEST(DamagedState, OutputStaysFiniteWhateverTheChunkRestores)
{
  const auto chunks = DamagedChunks(60);
  const Processing setups[] = {{Vst::kSample32, EBusSelection::kAll},
                               {Vst::kSample32, EBusSelection::kDefault},
                               {Vst::kSample64, EBusSelection::kAll},
                               {Vst::kSample64, EBusSelection::kDefault}};
  for (const Processing& setup : setups)
  {
    std::string error;
    auto plugin = HostPlugin::Open(KRB_BUNDLE, "", error);
    ASSERT_TRUE(plugin) << error;
    ASSERT_EQ(plugin->ActivateBuses(setup.buses), kResultOk);
    HostProcessing processing(*plugin);
    ASSERT_EQ(processing.Setup(44100.0, kBlock, setup.sampleSize), kResultOk);
    ASSERT_EQ(plugin->SetActive(true), kResultOk);
    ASSERT_EQ(plugin->SetProcessing(true), kResultOk);
    Vst::IEditController* controller = plugin->Controller();
    ASSERT_NE(controller, nullptr);

    int restored = 0;
    for (size_t c = 0; c < chunks.size(); ++c)
    {
      restored += plugin->SetState(chunks[c]) == kResultOk ? 1 : 0;
      // The loudest the plug-in plays: Midi mode, every volume and the master volume at 2.
      controller->setParamNormalized(kModeMidiButton, 1.0);
      controller->setParamNormalized(kMasterVolume, 1.0);
      for (Vst::ParamID k = 0; k < kDrums; ++k)
      {
        controller->setParamNormalized(kVolumeKnob + k, 1.0);
        controller->setParamNormalized(kPanKnob + k, 0.5);
      }
      for (int block = 0; block < 2; ++block)
      {
        for (int16 k = 0; k < kDrums; ++k)
          processing.InputEvents().AddNoteOn(0, static_cast<int16>(36 + k), 1.0f);
        ASSERT_EQ(processing.Process(kBlock), kResultOk);
        for (int32 bus = 0; bus < processing.NumOutputBuses(); ++bus)
          for (int32 ch = 0; ch < processing.OutputChannels(bus); ++ch)
            for (int32 f = 0; f < kBlock; ++f)
              ASSERT_TRUE(std::isfinite(processing.OutputSample(bus, ch, f)))
                << "chunk " << c << ", " << (setup.sampleSize == Vst::kSample32 ? 32 : 64) << "-bit, bus " << bus
                << " channel " << ch << " frame " << f;
      }
    }
    EXPECT_GT(restored, 20); // most damage leaves a chunk that reads
    plugin->SetProcessing(false);
    plugin->SetActive(false);
  }
}
