// The state through the host's interface: the built bundle loaded by the command-line host's library.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ChunkBuilder.h"
#include "FakeChooser.h"
#include "BundlePlugin.h"
#include "HostPlugin.h"
#include "HostProcessing.h"
#include "TempFolder.h"
#include "WavFiles.h"

using namespace krbtest;
namespace fs = std::filesystem;
using namespace Steinberg;
using krb::host::HostPlugin;
using krb::host::HostProcessing;
using krbtest::OpenBundle;
using krbtest::SaveState;

namespace
{
constexpr Vst::ParamID kBypassParamID = 0x62706173; // 'bpas'
constexpr Vst::ParamID kFolderButtonId = 16;
constexpr Vst::ParamID kPreviousSampleButtonId = 56;
constexpr Vst::ParamID kNextSampleButtonId = 68;
constexpr Vst::ParamID kMidiModeButtonId = 83;
constexpr size_t kDefaultChunkSize = 295628;

int32_t TrailingInt(const std::vector<uint8_t>& bytes)
{
  int32_t value = -1;
  std::memcpy(&value, bytes.data() + bytes.size() - 4, 4);
  return value;
}

// A state whose channel 0 holds `file`'s path with `frames` stored mono values of 0.5 at the given
// length fraction, the other channels empty, then the bypass flag.
std::vector<uint8_t> StateWithChannel(const fs::path& file, uint32_t frames, double length)
{
  ChunkBuilder chunk;
  chunk.FixedPart();
  ChunkBuilder::Channel channel;
  channel.path = U16(file);
  channel.samples.assign(frames, 0.5);
  channel.length = length;
  chunk.Record(channel).EmptyRecords(11).Int(0);
  return chunk.Bytes();
}

// Strikes drum 0 in Midi mode and counts the frames in which it sounds on the first bus.
int FramesThatSound(HostPlugin& plugin, HostProcessing& processing)
{
  plugin.Controller()->setParamNormalized(kMidiModeButtonId, 1.0);
  processing.InputEvents().AddNoteOn(0, 36, 1.0f);
  int sounding = 0;
  for (int block = 0; block < 8; ++block)
  {
    EXPECT_EQ(processing.Process(512), kResultOk);
    for (int frame = 0; frame < 512; ++frame)
      sounding += processing.OutputSample(0, 0, frame) != 0.0;
  }
  return sounding;
}
} // namespace

TEST(HostState, NewInstanceSavesTheDefaultChunkThenTheBypassFlag)
{
  auto plugin = OpenBundle(KRB_BUNDLE);
  ASSERT_TRUE(plugin);
  const std::vector<uint8_t> state = SaveState(*plugin);
  ASSERT_EQ(state.size(), kDefaultChunkSize + 4);
  EXPECT_EQ(TrailingInt(state), 0);
  EXPECT_EQ(DoubleAt(state.data(), 0), 3.0);

  plugin->Controller()->setParamNormalized(kBypassParamID, 1.0);
  const std::vector<uint8_t> bypassed = SaveState(*plugin);
  ASSERT_EQ(bypassed.size(), kDefaultChunkSize + 4);
  EXPECT_EQ(TrailingInt(bypassed), 1);
}

TEST(HostState, RestoringWhatWasSavedGivesBackTheSameBytes)
{
  TempFolder folder;
  const fs::path file = folder / "kick.wav";
  WritePcm16Wav(file, {std::vector<double>(700, 0.25), std::vector<double>(700, -0.25)});

  auto source = OpenBundle(KRB_BUNDLE);
  ASSERT_TRUE(source);
  // Load a sample through the browse button with a stand-in chooser, and change some mixer values.
  {
    FakeChooser chooser(folder);
    chooser.Choose(file);
    source->Controller()->setParamNormalized(kFolderButtonId, 1.0);
  }
  source->Controller()->setParamNormalized(134, 0.3); // pan 0
  source->Controller()->setParamNormalized(170, 1.0); // swing 0
  source->Controller()->setParamNormalized(kBypassParamID, 1.0);
  const std::vector<uint8_t> saved = SaveState(*source);
  ASSERT_EQ(saved.size(), kDefaultChunkSize + 8 * file.string().size() + 8 + 8 * 1400 + 4);
  EXPECT_EQ(TrailingInt(saved), 1);

  auto target = OpenBundle(KRB_BUNDLE);
  ASSERT_TRUE(target);
  ASSERT_EQ(target->SetState(saved), kResultOk);
  EXPECT_EQ(SaveState(*target), saved);
  EXPECT_EQ(target->Controller()->getParamNormalized(kBypassParamID), 1.0);
  EXPECT_DOUBLE_EQ(target->Controller()->getParamNormalized(134), 0.3);
  // And again on the same instance.
  ASSERT_EQ(target->SetState(saved), kResultOk);
  EXPECT_EQ(SaveState(*target), saved);
}

TEST(HostState, RejectedStateFailsAndChangesNothing)
{
  TempFolder folder;
  const fs::path file = folder / "kick.wav";
  WriteConstantWav(file, 100);
  auto plugin = OpenBundle(KRB_BUNDLE);
  ASSERT_TRUE(plugin);
  ASSERT_EQ(plugin->SetState(StateWithChannel(file, 100, 0.5)), kResultOk);
  const std::vector<uint8_t> before = SaveState(*plugin);

  std::vector<uint8_t> truncated(before.begin(), before.end() - 40);
  EXPECT_NE(plugin->SetState(truncated), kResultOk);
  std::vector<uint8_t> withoutBypass(before.begin(), before.end() - 4);
  EXPECT_NE(plugin->SetState(withoutBypass), kResultOk);
  EXPECT_NE(plugin->SetState({}), kResultOk);
  EXPECT_EQ(SaveState(*plugin), before);
}

TEST(HostState, LaterVersionIsAcceptedWithTheBypassFlagAfterItsVersion)
{
  auto plugin = OpenBundle(KRB_BUNDLE);
  ASSERT_TRUE(plugin);
  const std::vector<uint8_t> before = SaveState(*plugin);
  ChunkBuilder state;
  state.Double(3.5).Int(1).Double(123.0); // the bypass flag follows the version; the rest is not read
  EXPECT_EQ(plugin->SetState(state.Bytes()), kResultOk);
  EXPECT_EQ(plugin->Controller()->getParamNormalized(kBypassParamID), 1.0);
  std::vector<uint8_t> after = SaveState(*plugin);
  EXPECT_EQ(std::vector<uint8_t>(after.begin(), after.end() - 4),
            std::vector<uint8_t>(before.begin(), before.end() - 4));
}

TEST(HostState, RestoredLengthHoldsThroughResetsAndFolderSteps)
{
  TempFolder folder;
  WriteConstantWav(folder / "a.wav", 1000, 0.5);
  WriteConstantWav(folder / "b.wav", 1000, 0.5);
  auto plugin = OpenBundle(KRB_BUNDLE);
  ASSERT_TRUE(plugin);
  ASSERT_EQ(plugin->SetState(StateWithChannel(folder / "a.wav", 1000, 0.5)), kResultOk);

  HostProcessing processing(*plugin);
  // setupProcessing reloads the channel's file from disk.
  ASSERT_EQ(processing.Setup(44100.0, 512), kResultOk);
  ASSERT_EQ(plugin->SetActive(true), kResultOk);
  ASSERT_EQ(plugin->SetProcessing(true), kResultOk);
  EXPECT_EQ(FramesThatSound(*plugin, processing), 500);

  // Stopping processing reloads it again.
  ASSERT_EQ(plugin->SetProcessing(false), kResultOk);
  ASSERT_EQ(plugin->SetProcessing(true), kResultOk);
  EXPECT_EQ(FramesThatSound(*plugin, processing), 500);

  // Stepping to the other file of the folder, and back.
  plugin->Controller()->setParamNormalized(kPreviousSampleButtonId, 1.0);
  plugin->Controller()->setParamNormalized(kPreviousSampleButtonId, 0.0);
  EXPECT_EQ(FirstPath(SaveState(*plugin)), (folder / "b.wav").string());
  EXPECT_EQ(FramesThatSound(*plugin, processing), 500);
  plugin->Controller()->setParamNormalized(kNextSampleButtonId, 1.0);
  plugin->Controller()->setParamNormalized(kNextSampleButtonId, 0.0);
  EXPECT_EQ(FirstPath(SaveState(*plugin)), (folder / "a.wav").string());
  EXPECT_EQ(FramesThatSound(*plugin, processing), 500);

  ASSERT_EQ(plugin->SetProcessing(false), kResultOk);
  ASSERT_EQ(plugin->SetActive(false), kResultOk);
}
