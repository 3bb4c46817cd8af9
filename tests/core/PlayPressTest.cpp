// A play press from the host's main thread while the audio thread renders the pressed channel: the
// press lands in the middle of a span that began with the voice at its start, and the next span
// must restart the sample.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include "EngineHarness.h"
#include "TempFolder.h"
#include "WavFiles.h"

using krbtest::EngineHarness;
using krbtest::TempFolder;
using krbtest::WriteFloatWav;

namespace
{
constexpr int kSplit = 60000; // the second span of every block starts here
constexpr int kBlockFrames = kSplit + 1440;
constexpr int kWatchedFrame = 100;  // the press waits until the render has passed this frame
constexpr double kUnwritten = -7.0; // no drum writes this value

// The test watches the render's progress in its own output buffer while the audio thread writes it,
// to press at a known point of the span. Those reads are deliberately unordered with the render's
// writes (they only steer the test, and every conclusion is drawn after a locked exchange), so ThreadSanitizer
// is kept out of this one function.
__attribute__((no_sanitize("thread"), noinline)) double Peek(const double* buffer, int frame)
{
  return static_cast<const volatile double*>(buffer)[frame];
}
} // namespace

TEST(PlayPress, PressDuringASpanThatBeganAtTheStartRestartsTheNextSpan)
{
  TempFolder folder;
  // Every frame's value tells it apart; pitch 1 makes the channel render frame by frame.
  std::vector<std::vector<float>> sound(1, std::vector<float>(1 << 17));
  for (size_t f = 0; f < sound[0].size(); ++f)
    sound[0][f] = static_cast<float>(f % 1024 + 1) / 1024.0f;
  WriteFloatWav(folder / "long.wav", sound);

  EngineHarness harness(44100.0, 512);
  Krellbinder& plug = harness.Plug();
  plug.mSlots[0].LoadFile((folder / "long.wav").u16string());
  plug.mSlots[0].mPitch = 1;
  plug.mMode = kModeMidi;
  harness.Process(16); // the output buses are connected from here on

  std::vector<std::vector<double>> storage(EngineHarness::kNumOutputChannels, std::vector<double>(kBlockFrames));
  std::array<double*, EngineHarness::kNumOutputChannels> outputs{};
  for (size_t c = 0; c < storage.size(); ++c)
    outputs[c] = storage[c].data();
  const double* left = storage[0].data();
  const double firstFrame = sound[0][0] * 1.0 * 127.0 / 127.0 * 1.0;

  // Whether a press lands inside a first span depends on how the two threads are scheduled: the
  // blocks go on until a few have, or a bound is reached on a machine too busy to interleave them.
  constexpr int kMaxBlocks = 2000;
  constexpr int kWantedPressesInside = 3;
  std::atomic<int> started{-1};
  std::atomic<int> finished{-1};
  std::atomic<int> pressed{-1};
  std::atomic<int> barrier{-1};
  std::atomic<bool> done{false};
  std::vector<char> pressInsideFirstSpan(kMaxBlocks, 0);
  std::thread host([&] {
    for (int block = 0; block < kMaxBlocks; ++block)
    {
      while (started.load() < block && !done.load())
        std::this_thread::yield();
      if (done.load())
        break;
      // Wait until the first span has rendered a little of the drum, then press.
      bool seen = false;
      while (!seen && finished.load() < block)
      {
        const double value = Peek(left, kWatchedFrame);
        seen = value != kUnwritten && value != 0.0;
      }
      if (seen)
      {
        plug.setParamNormalized(kPlayButton, 1.0);
        // A locked exchange: everything the press wrote is visible before the check that follows.
        barrier.exchange(block, std::memory_order_seq_cst);
        // The drum had not reached the end of its first span when the press was done.
        const double last = Peek(left, kSplit - 1);
        pressInsideFirstSpan[static_cast<size_t>(block)] = last == kUnwritten || last == 0.0 ? 1 : 0;
      }
      pressed = block;
    }
  });

  int restartsAfterPressesInside = 0;
  int pressesInside = 0;
  for (int block = 0; block < kMaxBlocks && pressesInside < kWantedPressesInside; ++block)
  {
    for (auto& channel : storage)
      std::fill(channel.begin(), channel.end(), kUnwritten);
    IMidiMsg strike;
    strike.MakeNoteOnMsg(36, 127, 0); // the first span begins with the drum at its start
    plug.ProcessMidiMsg(strike);
    IMidiMsg other;
    other.MakeNoteOnMsg(30, 127, kSplit); // no drum: it only ends the first span
    plug.ProcessMidiMsg(other);
    started = block;
    plug.ProcessBlock(nullptr, outputs.data(), kBlockFrames);
    finished = block;
    while (pressed.load() < block)
      std::this_thread::yield();
    if (pressInsideFirstSpan[static_cast<size_t>(block)])
    {
      ++pressesInside;
      restartsAfterPressesInside += storage[0][kSplit] == firstFrame ? 1 : 0;
    }
  }
  done = true;
  host.join();

  ASSERT_GT(pressesInside, 0) << "no press landed inside a first span";
  EXPECT_EQ(restartsAfterPressesInside, pressesInside);
}
