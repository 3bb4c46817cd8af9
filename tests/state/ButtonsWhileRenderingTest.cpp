// The buttons follow the state while the audio thread moves it (pattern notes in HostSync mode) and
// while host automation reaches the buttons in process: under ThreadSanitizer this checks that the
// main thread's reads of the state, and the audio thread's look at which parameters show it, are
// whole-value reads of shared fields.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ChunkBuilder.h"
#include "HostPlugin.h"
#include "HostProcessing.h"

using namespace krbtest;
using namespace Steinberg;

namespace
{
// HostSync mode, drum 0 with one step in every pattern slot, twelve empty channels, the bypass flag.
std::vector<uint8_t> HostSyncState()
{
  std::vector<double> patterns(ChunkBuilder::kPatternValues, 0.0);
  for (int slot = 0; slot < 24; ++slot)
    patterns[static_cast<size_t>(slot * 128 + slot % 16)] = 1.0;
  ChunkBuilder chunk;
  chunk.FixedPart(3.0, patterns, 0, 0, /*mode HostSync*/ 2);
  return chunk.EmptyRecords(12).Int(0).Bytes();
}
} // namespace

TEST(ButtonsWhileRendering, HostWritesAndReadsWhileTheAudioThreadChoosesPatterns)
{
  std::string error;
  auto plugin = krb::host::HostPlugin::Open(KRB_BUNDLE, "", error);
  ASSERT_TRUE(plugin) << error;
  ASSERT_EQ(plugin->SetState(HostSyncState()), kResultOk);
  krb::host::HostProcessing processing(*plugin);
  ASSERT_EQ(processing.Setup(44100.0, 128), kResultOk);
  processing.SetTempo(120.0);
  processing.SetPlaying(true);
  ASSERT_EQ(plugin->SetActive(true), kResultOk);
  ASSERT_EQ(plugin->SetProcessing(true), kResultOk);

  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  std::thread audio([&] {
    int16 note = 48;
    while (!stop.load())
    {
      processing.InputEvents().AddNoteOn(0, note, 1.0f);
      note = static_cast<int16>(note == 71 ? 48 : note + 1);
      processing.InputChanges().AddChange(80 + static_cast<Vst::ParamID>(blocks.load() % 4), 0, 1.0);
      processing.InputChanges().AddChange(98 + static_cast<Vst::ParamID>(blocks.load() % 12), 0, 1.0);
      EXPECT_EQ(processing.Process(128), kResultOk);
      ++blocks;
    }
  });

  Vst::IEditController* controller = plugin->Controller();
  for (int round = 0; round < 200; ++round)
  {
    const auto ch = static_cast<Vst::ParamID>(round % 12);
    controller->setParamNormalized(44 + ch, 1.0);                        // drum: the shown row moves
    controller->setParamNormalized(28 + ch, round % 3 == 0 ? 1.0 : 0.0); // a step of that row
    controller->setParamNormalized(98 + ch, round % 2 == 0 ? 1.0 : 0.0); // solo
    controller->setParamNormalized(84 + static_cast<Vst::ParamID>(round % 2), 1.0);
    for (Vst::ParamID id = 0; id < 134; ++id)
    {
      const double value = controller->getParamNormalized(id);
      EXPECT_TRUE(value == 0.0 || value == 1.0) << id;
    }
  }
  const int seen = blocks.load();
  while (blocks.load() < seen + 20)
    std::this_thread::yield();
  stop = true;
  audio.join();
  plugin->SetProcessing(false);
  plugin->SetActive(false);

  // With the audio thread still, writing back what a host reads changes nothing.
  std::vector<uint8_t> before;
  ASSERT_EQ(plugin->GetState(before), kResultOk);
  std::vector<std::pair<Vst::ParamID, double>> read;
  for (Vst::ParamID id = 0; id < 196; ++id)
    read.emplace_back(id, controller->getParamNormalized(id));
  for (const auto& [id, value] : read)
    controller->setParamNormalized(id, value);
  std::vector<uint8_t> after;
  ASSERT_EQ(plugin->GetState(after), kResultOk);
  EXPECT_EQ(after, before);
}
