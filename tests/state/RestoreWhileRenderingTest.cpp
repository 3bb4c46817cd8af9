// Restores replace every channel's buffer while the audio thread renders those channels: under
// ThreadSanitizer this checks that the exchange follows the loads' lock-free hand-over.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "ChunkBuilder.h"
#include "HostPlugin.h"
#include "HostProcessing.h"

using namespace krbtest;
using namespace Steinberg;

namespace
{
// Twelve channels of `frames` frames (stereo or mono), without files, then the bypass flag.
std::vector<uint8_t> StateOf(uint32_t frames, bool stereo)
{
  ChunkBuilder chunk;
  chunk.FixedPart(3.0, {}, 0, 0, /*mode Midi*/ 3);
  for (int ch = 0; ch < 12; ++ch)
  {
    ChunkBuilder::Channel channel;
    channel.samples.assign(frames * (stereo ? 2 : 1), 0.25 + 0.01 * ch);
    channel.numChannels = stereo ? 2.0 : 1.0;
    channel.length = ch % 2 ? 0.5 : 1.0;
    chunk.Record(channel);
  }
  return chunk.Int(0).Bytes();
}
} // namespace

TEST(RestoreWhileRendering, BuffersAreExchangedWithoutDisturbingTheAudioThread)
{
  std::string error;
  auto plugin = krb::host::HostPlugin::Open(KRB_BUNDLE, "", error);
  ASSERT_TRUE(plugin) << error;
  ASSERT_EQ(plugin->SetState(StateOf(4000, true)), kResultOk);
  krb::host::HostProcessing processing(*plugin);
  ASSERT_EQ(processing.Setup(44100.0, 256), kResultOk);
  ASSERT_EQ(plugin->SetActive(true), kResultOk);
  ASSERT_EQ(plugin->SetProcessing(true), kResultOk);

  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  std::atomic<bool> allFinite{true};
  std::thread audio([&] {
    while (!stop.load())
    {
      for (int16 note = 36; note < 48; ++note)
        processing.InputEvents().AddNoteOn(0, note, 1.0f);
      if (processing.Process(256) != kResultOk)
        allFinite = false;
      for (int frame = 0; frame < 256; ++frame)
        if (!std::isfinite(processing.OutputSample(0, 0, frame)))
          allFinite = false;
      ++blocks;
    }
  });

  const std::vector<std::vector<uint8_t>> states = {StateOf(4000, true), StateOf(300, false), StateOf(0, false),
                                                    StateOf(9000, false)};
  for (int round = 0; round < 40; ++round)
    EXPECT_EQ(plugin->SetState(states[static_cast<size_t>(round) % states.size()]), kResultOk);
  // Let the audio thread render the last state for a while too.
  const int seen = blocks.load();
  while (blocks.load() < seen + 20)
    std::this_thread::yield();
  stop = true;
  audio.join();

  EXPECT_TRUE(allFinite.load());
  std::vector<uint8_t> saved;
  ASSERT_EQ(plugin->GetState(saved), kResultOk);
  EXPECT_EQ(saved, states[39 % states.size()]);
  plugin->SetProcessing(false);
  plugin->SetActive(false);
}
